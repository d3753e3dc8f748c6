#include "learning_record.h"

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

namespace fs = std::filesystem;

constexpr int kSchemaVersion = 1;
constexpr int kShortBusyTimeoutMs = 100;

// Entries are found by their terms (the primary key); pair_key, a 64-bit hash of both terms,
// keys the summary in memory that due counts and box counts read. due_day is a localDayNumber;
// last_asked NULL means never asked at a first asking (only repetitions recorded).
constexpr const char* kCreateSchema = R"(
CREATE TABLE card(
    term1 BLOB NOT NULL,
    term2 BLOB NOT NULL,
    direction INTEGER NOT NULL CHECK (direction IN (0, 1)),
    pair_key INTEGER NOT NULL,
    box INTEGER NOT NULL CHECK (box BETWEEN 1 AND 5),
    last_asked INTEGER,
    due_day INTEGER,
    right_count INTEGER NOT NULL DEFAULT 0,
    wrong_count INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (term1, term2, direction)
) WITHOUT ROWID;
PRAGMA user_version = 1;
)";

// FNV-1a over "first\0second" (terms hold no zero byte, so the pair is unambiguous).
std::int64_t pairKey(std::string_view first, std::string_view second)
{
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&h](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    };
    for (const char c : first)
        add(static_cast<unsigned char>(c));
    add(0);
    for (const char c : second)
        add(static_cast<unsigned char>(c));
    return static_cast<std::int64_t>(h);
}

RecordStatus statusOf(int code)
{
    switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return RecordStatus::Ok;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return RecordStatus::Locked;
    case SQLITE_FULL:
        return RecordStatus::DiskFull;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return RecordStatus::Unavailable;
    default:
        return RecordStatus::Failed;
    }
}

bool isDamage(int code)
{
    return (code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT;
}

// "20261208-171500" of the local time.
std::string localStamp(std::int64_t time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    char text[32] = "unbekannt";
    if (::localtime_r(&t, &local) != nullptr)
        std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

void bindTerms(sqlite3_stmt* s, TermPair entry, AskedDirection direction)
{
    sqlite3_bind_blob(s, 1, entry.first.data(), static_cast<int>(entry.first.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_blob(s, 2, entry.second.data(), static_cast<int>(entry.second.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 3, static_cast<int>(direction));
}

// Resets a reused statement when it goes out of scope, so no statement keeps a read open.
struct StatementUse {
    sqlite3_stmt* s;
    ~StatementUse()
    {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
};

} // namespace

struct LearningRecord::Statements {
    sqlite3_stmt* begin = nullptr;
    sqlite3_stmt* commit = nullptr;
    sqlite3_stmt* rollback = nullptr;
    sqlite3_stmt* select = nullptr;
    sqlite3_stmt* upsert = nullptr;
    sqlite3_stmt* all = nullptr;
    sqlite3_stmt* dataVersion = nullptr;

    ~Statements()
    {
        for (sqlite3_stmt* s : {begin, commit, rollback, select, upsert, all, dataVersion})
            sqlite3_finalize(s);
    }
    int prepare(sqlite3* db)
    {
        const std::pair<sqlite3_stmt**, const char*> texts[] = {
            {&begin, "BEGIN IMMEDIATE"},
            {&commit, "COMMIT"},
            {&rollback, "ROLLBACK"},
            {&select, "SELECT box, last_asked, due_day, right_count, wrong_count FROM card "
                      "WHERE term1 = ?1 AND term2 = ?2 AND direction = ?3"},
            {&upsert, "INSERT INTO card (term1, term2, direction, pair_key, box, last_asked, "
                      "due_day, right_count, wrong_count) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, "
                      "?8, ?9) ON CONFLICT (term1, term2, direction) DO UPDATE SET "
                      "box = excluded.box, last_asked = excluded.last_asked, "
                      "due_day = excluded.due_day, right_count = excluded.right_count, "
                      "wrong_count = excluded.wrong_count"},
            {&all, "SELECT pair_key, direction, box, due_day FROM card"},
            {&dataVersion, "PRAGMA data_version"},
        };
        for (const auto& [target, sql] : texts) {
            const int rc =
                sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, target, nullptr);
            if (rc != SQLITE_OK) return rc;
        }
        return SQLITE_OK;
    }
};

LearningRecord::LearningRecord() = default;

LearningRecord::~LearningRecord()
{
    if (db_ != nullptr && !pending_.empty()) { // one last try, with the full wait
        sqlite3_busy_timeout(db_, options_.busyTimeoutMs);
        shortWaits_ = false;
        flushPending();
    }
    close();
}

void LearningRecord::close()
{
    shortWaits_ = false;
    summary_.clear();
    summaryLoaded_ = false;
    statements_.reset();
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
}

RecordStatus LearningRecord::open(const std::string& path, std::int64_t now, RecordOptions options)
{
    close();
    path_ = path;
    options_ = options;
    movedAside_.clear();
    const RecordStatus status = openConnection(now);
    if (status == RecordStatus::Ok) return flushPending();
    return status;
}

int LearningRecord::connect()
{
    close();
    const int rc =
        sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        lastError_ = db_ != nullptr ? sqlite3_errmsg(db_) : "";
        close();
        return rc;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, options_.busyTimeoutMs);
    return SQLITE_OK;
}

RecordStatus LearningRecord::openConnection(std::int64_t now)
{
    int rc = connect();
    if (rc != SQLITE_OK) return fail(statusOf(rc), lastError_);

    // Damage shows as "not a database" or "malformed" on the first read, or as findings of
    // the quick check. Only the first finding is needed.
    bool damaged = false;
    {
        sqlite3_stmt* check = nullptr;
        rc = sqlite3_prepare_v2(db_, "PRAGMA quick_check(1)", -1, &check, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(check);
            if (rc == SQLITE_ROW) {
                const auto* text = sqlite3_column_text(check, 0);
                damaged = text == nullptr ||
                          std::string_view(reinterpret_cast<const char*>(text)) != "ok";
                rc = SQLITE_OK;
            }
        }
        sqlite3_finalize(check);
        damaged = damaged || isDamage(rc);
    }
    if (!damaged && rc != SQLITE_OK) {
        const std::string detail = sqlite3_errmsg(db_);
        close();
        return fail(statusOf(rc), detail);
    }
    if (damaged) {
        close();
        std::string aside = path_ + ".beschaedigt-" + localStamp(now);
        std::error_code ec;
        for (int n = 2; fs::exists(aside, ec); ++n)
            aside = path_ + ".beschaedigt-" + localStamp(now) + "-" + std::to_string(n);
        fs::rename(path_, aside, ec);
        if (ec) return fail(RecordStatus::Unavailable, ec.message());
        // The journal files belong to the damaged file: they go with it.
        for (const char* suffix : {"-wal", "-shm"}) {
            std::error_code ignored;
            if (fs::exists(path_ + suffix, ignored))
                fs::rename(path_ + suffix, aside + suffix, ignored);
        }
        movedAside_ = aside;
        if (notice_.empty() && !noticeGiven_)
            notice_ = "Die Datei " + fs::path(path_).filename().string() +
                      " war besch\xE4"
                      "digt und wurde als " +
                      fs::path(aside).filename().string() +
                      " beiseitegelegt; ein neuer Lernstand wurde begonnen.";
        if ((rc = connect()) != SQLITE_OK) return fail(statusOf(rc), lastError_);
    }
    const RecordStatus status = prepareSchema();
    if (status != RecordStatus::Ok) close();
    return status;
}

RecordStatus LearningRecord::prepareSchema()
{
    auto userVersion = [this](int& version) {
        sqlite3_stmt* s = nullptr;
        int code = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &s, nullptr);
        if (code == SQLITE_OK && (code = sqlite3_step(s)) == SQLITE_ROW) {
            version = sqlite3_column_int(s, 0);
            code = SQLITE_OK;
        }
        sqlite3_finalize(s);
        return code;
    };
    int version = 0;
    int rc = userVersion(version);
    if (rc != SQLITE_OK) return fail(statusOf(rc), sqlite3_errmsg(db_));
    if (version > kSchemaVersion) // written by a newer trainer: left exactly as it is
        return fail(RecordStatus::Failed,
                    "Schema-Version " + std::to_string(version) + " ist unbekannt");

    // With WAL, synchronous NORMAL keeps every committed answer through a killed process and
    // the file whole through a power failure, which may take the last answers since the last
    // checkpoint. FULL would keep those too, at a flush to disk per answer (3 to 6 ms here, on
    // the window's thread).
    const char* settings = "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;";
    rc = sqlite3_exec(db_, settings, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK && options_.maxPageCount > 0)
        rc = sqlite3_exec(
            db_, ("PRAGMA max_page_count = " + std::to_string(options_.maxPageCount)).c_str(),
            nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return fail(statusOf(rc), sqlite3_errmsg(db_));

    if (version == 0) {
        // A second trainer may create the schema at the same moment: decide inside the write
        // transaction.
        rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK && (rc = userVersion(version)) == SQLITE_OK && version == 0) {
            rc = sqlite3_exec(db_, kCreateSchema, nullptr, nullptr, nullptr);
            version = kSchemaVersion;
        }
        if (rc == SQLITE_OK) rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            const std::string detail = sqlite3_errmsg(db_);
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return fail(statusOf(rc), detail);
        }
    }
    if (version != kSchemaVersion) // a newer trainer created it meanwhile
        return fail(RecordStatus::Failed,
                    "Schema-Version " + std::to_string(version) + " ist unbekannt");

    statements_ = std::make_unique<Statements>();
    rc = statements_->prepare(db_);
    if (rc != SQLITE_OK) return fail(statusOf(rc), sqlite3_errmsg(db_));
    return RecordStatus::Ok;
}

RecordStatus LearningRecord::recordAnswer(TermPair entry, AskedDirection direction, bool right,
                                          bool firstAsking, std::int64_t time)
{
    pending_.push_back(Answer{std::string(entry.first), std::string(entry.second), direction, right,
                              firstAsking, time});
    if (db_ == nullptr) {
        if (path_.empty())
            return fail(RecordStatus::Unavailable, "nicht ge\xF6"
                                                   "ffnet");
        const RecordStatus status = openConnection(time);
        if (status != RecordStatus::Ok) return status;
    }
    return flushPending();
}

RecordStatus LearningRecord::flushPending()
{
    std::size_t written = 0;
    RecordStatus status = RecordStatus::Ok;
    for (; written < pending_.size(); ++written) {
        status = writeAnswer(pending_[written]);
        if (status != RecordStatus::Ok) break;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(written));
    return status;
}

RecordStatus LearningRecord::writeAnswer(const Answer& a)
{
    Statements& st = *statements_;
    const TermPair entry{a.first, a.second};
    int rc = sqlite3_step(st.begin);
    sqlite3_reset(st.begin);
    if (rc != SQLITE_DONE) return fail(statusOf(rc), sqlite3_errmsg(db_));

    BoxState s;
    {
        StatementUse use{st.select};
        bindTerms(st.select, entry, a.direction);
        rc = sqlite3_step(st.select);
        if (rc == SQLITE_ROW) {
            s.box = sqlite3_column_int(st.select, 0);
            s.asked = sqlite3_column_type(st.select, 1) != SQLITE_NULL;
            s.lastAsked = sqlite3_column_int64(st.select, 1);
            s.dueDay = sqlite3_column_int64(st.select, 2);
            s.rightCount = static_cast<std::uint32_t>(sqlite3_column_int64(st.select, 3));
            s.wrongCount = static_cast<std::uint32_t>(sqlite3_column_int64(st.select, 4));
            rc = SQLITE_DONE;
        }
    }
    if (rc == SQLITE_DONE) {
        s = applyAnswer(s, a.right, a.firstAsking, a.time);
        StatementUse use{st.upsert};
        bindTerms(st.upsert, entry, a.direction);
        sqlite3_bind_int64(st.upsert, 4, pairKey(entry.first, entry.second));
        sqlite3_bind_int(st.upsert, 5, s.box);
        if (s.asked) {
            sqlite3_bind_int64(st.upsert, 6, s.lastAsked);
            sqlite3_bind_int64(st.upsert, 7, s.dueDay);
        }
        sqlite3_bind_int64(st.upsert, 8, s.rightCount);
        sqlite3_bind_int64(st.upsert, 9, s.wrongCount);
        rc = sqlite3_step(st.upsert);
    }
    if (rc == SQLITE_DONE) {
        rc = sqlite3_step(st.commit);
        sqlite3_reset(st.commit);
    }
    if (rc == SQLITE_DONE) {
        updateSummary(entry, a.direction, s);
        if (shortWaits_) sqlite3_busy_timeout(db_, options_.busyTimeoutMs);
        shortWaits_ = false;
        return RecordStatus::Ok;
    }
    const std::string detail = sqlite3_errmsg(db_);
    if (sqlite3_get_autocommit(db_) == 0) {
        sqlite3_step(st.rollback);
        sqlite3_reset(st.rollback);
    }
    const RecordStatus status = fail(statusOf(rc), detail);
    // Whoever holds the record that long holds it for a while: until an answer goes in again,
    // the next ones wait only as long as a second trainer's single answer takes, so the drill
    // does not stall at every answer.
    if (status == RecordStatus::Locked && !shortWaits_) {
        sqlite3_busy_timeout(db_, std::min(options_.busyTimeoutMs, kShortBusyTimeoutMs));
        shortWaits_ = true;
    }
    return status;
}

BoxState LearningRecord::state(TermPair entry, AskedDirection direction)
{
    BoxState s;
    if (db_ == nullptr) return s;
    sqlite3_stmt* select = statements_->select;
    StatementUse use{select};
    bindTerms(select, entry, direction);
    if (sqlite3_step(select) == SQLITE_ROW) {
        s.box = sqlite3_column_int(select, 0);
        s.asked = sqlite3_column_type(select, 1) != SQLITE_NULL;
        s.lastAsked = sqlite3_column_int64(select, 1);
        s.dueDay = sqlite3_column_int64(select, 2);
        s.rightCount = static_cast<std::uint32_t>(sqlite3_column_int64(select, 3));
        s.wrongCount = static_cast<std::uint32_t>(sqlite3_column_int64(select, 4));
    }
    return s;
}

bool LearningRecord::refreshSummary()
{
    if (db_ == nullptr) return false;
    sqlite3_stmt* version = statements_->dataVersion;
    std::int64_t dataVersion = -1;
    {
        StatementUse use{version};
        if (sqlite3_step(version) == SQLITE_ROW) dataVersion = sqlite3_column_int64(version, 0);
    }
    if (summaryLoaded_ && dataVersion == summaryVersion_ && dataVersion != -1) return true;

    summary_.clear();
    summaryLoaded_ = false;
    sqlite3_stmt* s = statements_->all;
    StatementUse use{s};
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const int direction = sqlite3_column_int(s, 1);
        if (direction < 0 || direction >= kDirectionCount) continue;
        Summary& entry = summary_[sqlite3_column_int64(s, 0)];
        const auto d = static_cast<std::size_t>(direction);
        entry.box[d] = std::clamp(sqlite3_column_int(s, 2), kFirstBox, kLastBox);
        entry.dueDay[d] =
            sqlite3_column_type(s, 3) == SQLITE_NULL ? kDueAtOnce : sqlite3_column_int64(s, 3);
    }
    if (rc != SQLITE_DONE) {
        fail(statusOf(rc), sqlite3_errmsg(db_));
        summary_.clear();
        return false;
    }
    summaryLoaded_ = true;
    summaryVersion_ = dataVersion;
    return true;
}

void LearningRecord::updateSummary(TermPair entry, AskedDirection direction, const BoxState& s)
{
    if (!summaryLoaded_) return;
    Summary& summary = summary_[pairKey(entry.first, entry.second)];
    const auto d = static_cast<std::size_t>(direction);
    summary.box[d] = s.box;
    summary.dueDay[d] = s.asked ? s.dueDay : kDueAtOnce;
}

const LearningRecord::Summary* LearningRecord::summaryOf(TermPair entry) const
{
    const auto it = summary_.find(pairKey(entry.first, entry.second));
    return it == summary_.end() ? nullptr : &it->second;
}

std::vector<DueItem> LearningRecord::dueItems(const std::vector<TermPair>& lesson, std::int64_t now)
{
    const bool known = refreshSummary();
    const std::int64_t today = localDayNumber(now);
    std::vector<DueItem> items;
    for (std::size_t i = 0; i < lesson.size(); ++i) {
        const Summary* summary = known ? summaryOf(lesson[i]) : nullptr;
        for (std::size_t d = 0; d < kDirectionCount; ++d)
            if (summary == nullptr || summary->dueDay[d] <= today)
                items.push_back(DueItem{i, static_cast<AskedDirection>(d)});
    }
    return items;
}

std::size_t LearningRecord::dueCount(const std::vector<TermPair>& lesson, std::int64_t now)
{
    const bool known = refreshSummary();
    const std::int64_t today = localDayNumber(now);
    std::size_t due = 0;
    for (const TermPair& entry : lesson) {
        const Summary* summary = known ? summaryOf(entry) : nullptr;
        for (std::size_t d = 0; d < kDirectionCount; ++d)
            due += summary == nullptr || summary->dueDay[d] <= today ? 1 : 0;
    }
    return due;
}

BoxCounts LearningRecord::boxCounts(const std::vector<TermPair>& lesson)
{
    const bool known = refreshSummary();
    BoxCounts counts{};
    for (const TermPair& entry : lesson) {
        const Summary* summary = known ? summaryOf(entry) : nullptr;
        for (std::size_t d = 0; d < kDirectionCount; ++d)
            ++counts[d][static_cast<std::size_t>(
                (summary == nullptr ? kFirstBox : summary->box[d]) - kFirstBox)];
    }
    return counts;
}

RecordStatus LearningRecord::fail(RecordStatus status, const std::string& detail)
{
    if (notice_.empty() && !noticeGiven_)
        notice_ = "Der Lernstand wird nicht gef\xFChrt: " + recordStatusText(status) +
                  (detail.empty() ? "" : " (" + detail + ")") +
                  ". Die \xDC"
                  "bung l\xE4uft weiter.";
    return status;
}

std::string LearningRecord::takeNotice()
{
    if (notice_.empty()) return {};
    noticeGiven_ = true;
    return std::exchange(notice_, {});
}

std::string recordStatusText(RecordStatus status)
{
    switch (status) {
    case RecordStatus::Ok:
        return "in Ordnung";
    case RecordStatus::Unavailable:
        return "die Datei l\xE4sst sich nicht \xF6"
               "ffnen";
    case RecordStatus::Locked:
        return "ein zweiter Trainer h\xE4lt die Datei gesperrt";
    case RecordStatus::DiskFull:
        return "der Datentr\xE4ger ist voll";
    case RecordStatus::Failed:
        return "die Datenbank meldet einen Fehler";
    }
    return {};
}
