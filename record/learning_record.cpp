#include "learning_record.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <tuple>
#include <utility>

namespace {

namespace fs = std::filesystem;

constexpr int kSchemaVersion = 3;
constexpr int kShortBusyTimeoutMs = 100;

// Version 1 kept only each entry's box; its rows stay as the state the history goes on from.
// Entries are found by their terms (the primary key); pair_key, a 64-bit hash of both terms,
// keys the summary in memory. due_day is a localDayNumber; last_asked NULL means never asked
// at a first asking (only repetitions recorded).
constexpr const char* kCardTable = R"(CREATE TABLE card(
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
) WITHOUT ROWID;)";

// Version 2: every answer. id: 16 random bytes, the same in every copy of the record, so that
// two copies merge by union; drill: the same for every answer of one drill; computer: the host
// it was given on. Read in rowid order, an entry's history through answer_by_entry.
constexpr const char* kAnswerTable = R"(CREATE TABLE answer(
    id BLOB NOT NULL UNIQUE,
    time INTEGER NOT NULL,
    term1 BLOB NOT NULL,
    term2 BLOB NOT NULL,
    direction INTEGER NOT NULL CHECK (direction IN (0, 1)),
    right INTEGER NOT NULL CHECK (right IN (0, 1)),
    first_asking INTEGER NOT NULL CHECK (first_asking IN (0, 1)),
    drill INTEGER NOT NULL,
    computer TEXT NOT NULL
);
CREATE INDEX answer_by_entry ON answer(term1, term2, direction, time);)";

// Version 3: the lesson files answers were given in (the path's bytes, as the window names them:
// from the working folder, or absolute) and the time
// of the latest, so that with no lesson loaded the trainer can name the lessons with entries
// due. A lesson is read from its file again to count: the file, not this table, says what it
// holds now.
constexpr const char* kLessonTable = R"(CREATE TABLE lesson(
    path BLOB PRIMARY KEY,
    last_answer INTEGER NOT NULL
) WITHOUT ROWID;)";

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

// `base` + `tag` + the local time, with "-2", "-3" ... should that name be taken.
std::string freeName(const std::string& base, const char* tag, std::int64_t now)
{
    const std::string stem = base + tag + localStamp(now);
    std::string name = stem;
    std::error_code ec;
    for (int n = 2; fs::symlink_status(name, ec).type() != fs::file_type::not_found; ++n)
        name = stem + "-" + std::to_string(n);
    return name;
}

std::string fileName(const std::string& path)
{
    return fs::path(path).filename().string();
}

enum class Kind { Missing, Regular, Link, Other };

Kind kindOf(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return Kind::Missing;
    if (S_ISLNK(st.st_mode)) return Kind::Link;
    return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Other;
}

// Whether any process (this one included) holds a lock on the file: a trainer has the record
// open. Read from /proc/locks, so no descriptor of ours is opened on the file (closing one
// would drop this process's own locks on it). When that cannot be told, yes.
bool lockedByAnyone(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    std::ifstream locks("/proc/locks");
    if (!locks) return true;
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::string line;
    while (std::getline(locks, line)) {
        // "1: POSIX  ADVISORY  WRITE 1234 fe:01:5678 0 EOF", "->" lines for waiters.
        std::size_t field = 0, pos = 0;
        while (pos < line.size()) {
            while (pos < line.size() && line[pos] == ' ')
                ++pos;
            const std::size_t end = std::min(line.find(' ', pos), line.size());
            const std::string word = line.substr(pos, end - pos);
            pos = end;
            if (word == "->") continue;
            if (++field == 6) {
                if (word == wanted) return true;
                break;
            }
        }
    }
    return false;
}

void bindBlob(sqlite3_stmt* s, int index, std::string_view bytes)
{
    sqlite3_bind_blob(s, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

std::string_view blobOf(sqlite3_stmt* s, int column)
{
    const void* data = sqlite3_column_blob(s, column);
    const int size = sqlite3_column_bytes(s, column);
    return data == nullptr
               ? std::string_view()
               : std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(size));
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

// One prepared statement for the scope of a function.
struct Statement {
    sqlite3_stmt* s = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s, nullptr); }
    ~Statement() { sqlite3_finalize(s); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
};

// Nothing of a file's schema runs: no trigger, no view, no function the file names, no writes
// to the schema itself, no extension.
void makeDefensive(sqlite3* db)
{
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_exec(db, "PRAGMA cell_size_check = ON; PRAGMA mmap_size = 0;", nullptr, nullptr,
                 nullptr);
}

using SchemaRow = std::tuple<std::string, std::string, std::string, std::string>;

// The schema objects of a connection: type, name, table, SQL text (empty for SQLite's own
// indexes). A planted file cannot show its objects any other way: the schema is read as it is.
int schemaOf(sqlite3* db, std::set<SchemaRow>& rows)
{
    Statement s(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema");
    if (s.s == nullptr) return sqlite3_errcode(db);
    int rc = SQLITE_ROW;
    auto text = [&s](int column) {
        const auto* t = sqlite3_column_text(s.s, column);
        return t == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(t));
    };
    while ((rc = sqlite3_step(s.s)) == SQLITE_ROW)
        rows.emplace(text(0), text(1), text(2), text(3));
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// The schema of each version as we create it, made once in memory so the texts are exactly
// those SQLite keeps.
const std::set<SchemaRow>& expectedSchema(int version)
{
    static const std::array<std::set<SchemaRow>, kSchemaVersion + 1> schemas = [] {
        std::array<std::set<SchemaRow>, kSchemaVersion + 1> result;
        for (int v = 1; v <= kSchemaVersion; ++v) {
            sqlite3* db = nullptr;
            sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
            sqlite3_exec(db, kCardTable, nullptr, nullptr, nullptr);
            if (v >= 2) sqlite3_exec(db, kAnswerTable, nullptr, nullptr, nullptr);
            if (v >= 3) sqlite3_exec(db, kLessonTable, nullptr, nullptr, nullptr);
            schemaOf(db, result[static_cast<std::size_t>(v)]);
            sqlite3_close(db);
        }
        return result;
    }();
    return schemas[static_cast<std::size_t>(std::clamp(version, 0, kSchemaVersion))];
}

int userVersion(sqlite3* db, int& version)
{
    Statement s(db, "PRAGMA user_version");
    if (s.s == nullptr) return sqlite3_errcode(db);
    int code = sqlite3_step(s.s);
    if (code == SQLITE_ROW) {
        version = sqlite3_column_int(s.s, 0);
        code = SQLITE_OK;
    }
    return code;
}

// "ok" from the quick check and a schema of one of our versions: the file is what we made.
enum class Verdict { Ours, Damaged, Foreign, Newer, Fault };

Verdict judge(sqlite3* db, int& version, int& code)
{
    code = SQLITE_OK;
    {
        Statement check(db, "PRAGMA quick_check(1)");
        code = check.s == nullptr ? sqlite3_errcode(db) : sqlite3_step(check.s);
        if (code == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(check.s, 0);
            if (text == nullptr || std::string_view(reinterpret_cast<const char*>(text)) != "ok")
                return Verdict::Damaged;
            code = SQLITE_OK;
        }
    }
    if (isDamage(code)) return Verdict::Damaged;
    if (code != SQLITE_OK) return Verdict::Fault;
    version = 0;
    if ((code = userVersion(db, version)) != SQLITE_OK)
        return isDamage(code) ? Verdict::Damaged : Verdict::Fault;
    if (version > kSchemaVersion) return Verdict::Newer;
    std::set<SchemaRow> rows;
    if ((code = schemaOf(db, rows)) != SQLITE_OK)
        return isDamage(code) ? Verdict::Damaged : Verdict::Fault;
    if (version == 0) return rows.empty() ? Verdict::Ours : Verdict::Foreign;
    return rows == expectedSchema(version) ? Verdict::Ours : Verdict::Foreign;
}

// A read-only look at a file that is not ours to write: a conflict copy, or a copy made to
// try a side file.
struct ForeignFile {
    sqlite3* db = nullptr;
    int version = 0;
    bool ok = false;
    explicit ForeignFile(const std::string& path, bool readOnly = true)
    {
        const int flags =
            (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOFOLLOW;
        if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) return;
        makeDefensive(db);
        int code = 0;
        ok = judge(db, version, code) == Verdict::Ours && version >= 1;
    }
    ~ForeignFile() { sqlite3_close_v2(db); }
    ForeignFile(const ForeignFile&) = delete;
    ForeignFile& operator=(const ForeignFile&) = delete;

    // Every answer id (version 2) and every card key (term1, term2, direction) of version 1
    // rows, as one set of byte strings.
    bool keys(std::set<std::string>& out) const
    {
        const char* sql[] = {"SELECT id FROM answer",
                             "SELECT term1 || x'00' || term2 || x'00' || direction FROM card"};
        for (int i = version >= 2 ? 0 : 1; i < 2; ++i) {
            Statement s(db, sql[i]);
            if (s.s == nullptr) return false;
            int rc;
            while ((rc = sqlite3_step(s.s)) == SQLITE_ROW)
                out.emplace(blobOf(s.s, 0));
            if (rc != SQLITE_DONE) return false;
        }
        return true;
    }
};

// Whether a side file left beside the record (no trainer has it open) belongs to it: applied to
// a copy of the record, the result passes the checks and keeps everything the record alone
// holds. Tried on copies in a temporary folder; the record itself is not touched.
bool walBelongs(const std::string& path)
{
    std::error_code ec;
    const fs::path dir =
        fs::temp_directory_path(ec) /
        ("kaz-lernstand-" + std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr)));
    fs::remove_all(dir, ec);
    if (!fs::create_directory(dir, ec)) return false;
    // The copies hold the learner's answers: for this user's eyes only.
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace, ec);
    const fs::path alone = dir / "alone.db", joined = dir / "joined.db";
    bool belongs = false;
    if (fs::copy_file(path, alone, ec) && fs::copy_file(path, joined, ec) &&
        fs::copy_file(path + "-wal", joined.string() + "-wal", ec)) {
        std::set<std::string> before, after;
        bool aloneReadable = false;
        {
            ForeignFile a(alone.string(), false);
            aloneReadable = a.ok && a.keys(before);
        }
        fs::remove(alone.string() + "-wal", ec); // made by reading it alone: not the one tried
        ForeignFile j(joined.string(), false);
        belongs = j.ok && j.keys(after) &&
                  (!aloneReadable ||
                   std::includes(after.begin(), after.end(), before.begin(), before.end()));
    }
    fs::remove_all(dir, ec);
    return belongs;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A copy a sync tool left beside the record when both computers changed it: "LERNSTAND" ...
// ".DB" with "conflict" or "Konflikt" in its name (Syncthing, Nextcloud, Dropbox and others).
bool isConflictCopy(const std::string& name)
{
    const std::string n = lower(name);
    return n != "lernstand.db" && n.rfind("lernstand", 0) == 0 && n.size() > 12 &&
           n.compare(n.size() - 3, 3, ".db") == 0 &&
           (n.find("conflict") != std::string::npos || n.find("konflikt") != std::string::npos);
}

std::string hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "unbekannt";
    return name;
}

} // namespace

struct LearningRecord::Statements {
    sqlite3_stmt* begin = nullptr;
    sqlite3_stmt* commit = nullptr;
    sqlite3_stmt* rollback = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* cards = nullptr;
    sqlite3_stmt* card = nullptr;
    sqlite3_stmt* since = nullptr;
    sqlite3_stmt* entryHistory = nullptr;
    sqlite3_stmt* dataVersion = nullptr;
    sqlite3_stmt* lesson = nullptr;
    sqlite3_stmt* lastRowid = nullptr;
    sqlite3_stmt* entryAnswers = nullptr;
    sqlite3_stmt* anyCard = nullptr;

    ~Statements()
    {
        for (sqlite3_stmt* s : {begin, commit, rollback, insert, cards, card, since, entryHistory,
                                dataVersion, lesson, lastRowid, entryAnswers, anyCard})
            sqlite3_finalize(s);
    }
    int prepare(sqlite3* db, int version)
    {
        const bool history = version >= 2;
        const std::pair<sqlite3_stmt**, const char*> texts[] = {
            {&begin, "BEGIN IMMEDIATE"},
            {&commit, "COMMIT"},
            {&rollback, "ROLLBACK"},
            {&insert, history ? "INSERT OR IGNORE INTO answer (id, time, term1, term2, direction, "
                                "right, first_asking, drill, computer) VALUES (?1, ?2, ?3, ?4, "
                                "?5, ?6, ?7, ?8, ?9)"
                              : nullptr},
            {&cards, "SELECT term1, term2, direction, box, last_asked, due_day, right_count, "
                     "wrong_count FROM card"},
            {&card, "SELECT box, last_asked, due_day, right_count, wrong_count FROM card "
                    "WHERE term1 = ?1 AND term2 = ?2 AND direction = ?3"},
            {&since, history ? "SELECT rowid, term1, term2, direction, time, right, "
                               "first_asking, drill FROM answer WHERE rowid > ?1 ORDER BY rowid"
                             : nullptr},
            {&entryHistory, history ? "SELECT time, right, first_asking, drill, rowid FROM answer "
                                      "WHERE term1 = ?1 AND term2 = ?2 AND direction = ?3 "
                                      "ORDER BY time, rowid"
                                    : nullptr},
            {&dataVersion, "PRAGMA data_version"},
            {&lastRowid, history ? "SELECT max(rowid) FROM answer" : nullptr},
            {&entryAnswers, history ? "SELECT direction, time, right, first_asking, drill, rowid "
                                      "FROM answer WHERE term1 = ?1 AND term2 = ?2 "
                                      "ORDER BY direction, time, rowid"
                                    : nullptr},
            {&anyCard, "SELECT EXISTS (SELECT 1 FROM card)"},
            {&lesson, version >= 3 ? "INSERT INTO lesson (path, last_answer) VALUES (?1, ?2) "
                                     "ON CONFLICT (path) DO UPDATE SET last_answer = "
                                     "max(last_answer, excluded.last_answer)"
                                   : nullptr},
        };
        for (const auto& [target, sql] : texts) {
            if (sql == nullptr) continue;
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
    finish();
}

void LearningRecord::close()
{
    summary_.clear();
    summaryLoaded_ = false;
    summaryRowid_ = 0;
    statements_.reset();
    if (db_ != nullptr && walMode_) {
        // The last connection puts every answer into the main file and goes back to a
        // rollback journal, so the file at rest is one file that any reader (a backup, a sync
        // tool, a read-only look) takes as it is. With a second trainer still there this
        // fails at once and the WAL stays for it.
        sqlite3_busy_timeout(db_, 0);
        sqlite3_exec(db_, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    }
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
    version_ = 0;
    walMode_ = false;
}

RecordStatus LearningRecord::open(const std::string& path, std::int64_t now, RecordOptions options)
{
    close();
    path_ = path;
    options_ = std::move(options);
    movedAside_.clear();
    session_.clear();
    const RecordStatus status = openConnection(now, false);
    if (status != RecordStatus::Ok) return status;
    mergeConflictCopies(now);
    return flushPending(now);
}

std::size_t LearningRecord::finish()
{
    if (!pending_.empty() && !path_.empty()) { // one last try, with the full wait
        shortWaits_ = false;
        if (db_ != nullptr) sqlite3_busy_timeout(db_, options_.busyTimeoutMs);
        flushPending(std::time(nullptr));
    }
    close();
    const std::size_t lost = pending_.size();
    if (lost > 0)
        addNotice(std::to_string(lost) + (lost == 1 ? " Antwort konnte" : " Antworten konnten") +
                  " nicht in den Lernstand geschrieben werden: " + recordStatusText(lastStatus_) +
                  (reason_.empty() ? "" : " (" + reason_ + ")") + ".");
    pending_.clear();
    session_.clear();
    return lost;
}

void LearningRecord::setOptions(RecordOptions options)
{
    options_ = std::move(options);
    close();
}

int LearningRecord::connect(bool create)
{
    close();
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        lastError_ = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        if (db_ != nullptr) sqlite3_close_v2(db_);
        db_ = nullptr;
        return rc;
    }
    sqlite3_extended_result_codes(db_, 1);
    makeDefensive(db_);
    sqlite3_busy_timeout(db_, shortWaits_ ? std::min(options_.busyTimeoutMs, kShortBusyTimeoutMs)
                                          : options_.busyTimeoutMs);
    return SQLITE_OK;
}

void LearningRecord::moveAside(std::int64_t now, const std::string& why)
{
    const std::string aside = freeName(path_, ".beschaedigt-", now);
    std::error_code ec;
    fs::rename(path_, aside, ec);
    if (ec) {
        fail(RecordStatus::Unavailable, ec.message());
        return;
    }
    // The side files belong to the file: they go with it.
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        if (kindOf(path_ + suffix) != Kind::Missing) fs::rename(path_ + suffix, aside + suffix, ec);
    movedAside_ = aside;
    addNotice("Die Datei " + fileName(path_) + " " + why + " und wurde als " + fileName(aside) +
              " beiseitegelegt; ein neuer Lernstand wurde begonnen.");
}

// Side files nobody has open and that do not belong to the record are moved aside before SQLite
// sees them: it would apply any journal it finds. Those of a running trainer are its own.
void LearningRecord::prepareSideFiles(std::int64_t now)
{
    const std::string wal = path_ + "-wal", shm = path_ + "-shm", journal = path_ + "-journal";
    std::vector<std::string> foreign;
    for (const std::string& side : {wal, shm, journal}) {
        const Kind kind = kindOf(side);
        if (kind == Kind::Link || kind == Kind::Other) foreign.push_back(side);
    }
    const bool live =
        kindOf(path_) == Kind::Regular &&
        ((kindOf(shm) == Kind::Regular && lockedByAnyone(shm)) || lockedByAnyone(path_));
    if (!live) {
        // A rollback journal: never one of ours (the record always writes through the WAL).
        if (kindOf(journal) == Kind::Regular) foreign.push_back(journal);
        std::error_code ec;
        if (kindOf(wal) == Kind::Regular && fs::file_size(wal, ec) > 0 &&
            (kindOf(path_) != Kind::Regular || !walBelongs(path_))) {
            foreign.push_back(wal);
            if (kindOf(shm) == Kind::Regular) foreign.push_back(shm);
        }
    }
    std::sort(foreign.begin(), foreign.end());
    foreign.erase(std::unique(foreign.begin(), foreign.end()), foreign.end());
    for (const std::string& side : foreign) {
        const std::string aside = freeName(side, ".fremd-", now);
        std::error_code ec;
        fs::rename(side, aside, ec);
        if (ec) continue;
        if (side == shm) continue; // goes with its journal, no word of its own
        addNotice("Die Datei " + fileName(side) + " gehörte nicht zum Lernstand " +
                  fileName(path_) + "; sie wurde nicht übernommen und liegt als " +
                  fileName(aside) + " beiseite.");
    }
}

RecordStatus LearningRecord::openConnection(std::int64_t now, bool create)
{
    reason_.clear();
    const Kind kind = kindOf(path_);
    if (kind == Kind::Link)
        return fail(RecordStatus::Unavailable, path_ + " is a symbolic link",
                    fileName(path_) + " ist eine Verknüpfung, der nicht gefolgt wird");
    if (kind == Kind::Other)
        return fail(RecordStatus::Unavailable, path_ + " is not a regular file",
                    fileName(path_) + " ist keine gewöhnliche Datei");
    prepareSideFiles(now);
    if (kind == Kind::Missing && !create) return RecordStatus::Ok; // an empty record, no file
    bool movedAside = false;
    RecordStatus status = checkAndPrepare(now, create, movedAside);
    if (movedAside && status == RecordStatus::Ok && db_ == nullptr && create)
        status = checkAndPrepare(now, create, movedAside);
    return status;
}

RecordStatus LearningRecord::checkAndPrepare(std::int64_t now, bool create, bool& movedAside)
{
    int rc = connect(create);
    if (rc != SQLITE_OK) return fail(statusOf(rc), lastError_);
    int version = 0;
    const Verdict verdict = judge(db_, version, rc);
    switch (verdict) {
    case Verdict::Ours:
        break;
    case Verdict::Damaged:
    case Verdict::Foreign:
        close();
        moveAside(now, verdict == Verdict::Damaged ? "war beschädigt" : "enthielt Fremdes");
        movedAside = !movedAside_.empty();
        return movedAside ? RecordStatus::Ok : RecordStatus::Unavailable;
    case Verdict::Newer:
        close();
        // Written by a newer trainer: left exactly as it is.
        return fail(RecordStatus::Failed, "schema version " + std::to_string(version),
                    "er stammt von einer neueren Version des Trainers");
    case Verdict::Fault: {
        const std::string detail = sqlite3_errmsg(db_);
        close();
        return fail(statusOf(rc), detail);
    }
    }
    version_ = version;
    // A trainer that ended without closing (killed, the power gone) left answers that only its
    // side file holds, now known to belong here: they go into the main file at once, so that
    // the file alone is whole again.
    std::error_code ec;
    if (kindOf(path_ + "-wal") == Kind::Regular && fs::file_size(path_ + "-wal", ec) > 0)
        sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);

    // With WAL (set at the first write: opening writes nothing), synchronous NORMAL keeps
    // every committed answer through a killed process and the file whole through a power
    // failure; the checkpoint after each answer puts it into the main file.
    std::string settings = "PRAGMA synchronous = NORMAL;";
    if (options_.maxPageCount > 0)
        settings += "PRAGMA max_page_count = " + std::to_string(options_.maxPageCount) + ";";
    rc = sqlite3_exec(db_, settings.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const std::string detail = sqlite3_errmsg(db_);
        close();
        return fail(statusOf(rc), detail);
    }
    if (version_ >= 1) { // an empty file (version 0) gets its tables with the first answer
        statements_ = std::make_unique<Statements>();
        rc = statements_->prepare(db_, version_);
        if (rc != SQLITE_OK) {
            const std::string detail = sqlite3_errmsg(db_);
            close();
            return fail(statusOf(rc), detail);
        }
    }
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
        device_ = st.st_dev;
        inode_ = st.st_ino;
    }
    return RecordStatus::Ok;
}

// Creates the schema of a new file, or adds the history to a file of version 1 (its boxes stay
// as the state the history goes on from). A second trainer may do the same at the same moment:
// decided inside the write transaction.
RecordStatus LearningRecord::migrate()
{
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    int version = 0;
    if (rc == SQLITE_OK) rc = userVersion(db_, version);
    if (rc == SQLITE_OK && version == 0)
        rc = sqlite3_exec(db_, kCardTable, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK && version < 2)
        rc = sqlite3_exec(db_, kAnswerTable, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK && version < 3)
        rc = sqlite3_exec(db_, kLessonTable, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK && version < kSchemaVersion)
        rc = sqlite3_exec(db_, ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str(),
                          nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const std::string detail = sqlite3_errmsg(db_);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return fail(statusOf(rc), detail);
    }
    if (version > kSchemaVersion)
        return fail(RecordStatus::Failed, "schema version " + std::to_string(version),
                    "er stammt von einer neueren Version des Trainers");
    version_ = kSchemaVersion;
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    return RecordStatus::Ok;
}

bool LearningRecord::fileChanged() const
{
    struct stat st {};
    if (::lstat(path_.c_str(), &st) != 0) return true;
    return S_ISLNK(st.st_mode) || st.st_dev != device_ || st.st_ino != inode_;
}

// Ready to write: open (creating the file), of the current version, and still the file at the
// path. A file deleted or replaced since it was opened has this session's answers written
// again into whatever is there now.
RecordStatus LearningRecord::ensureWritable(std::int64_t now)
{
    if (db_ != nullptr && fileChanged()) {
        close();
        pending_.insert(pending_.begin(), session_.begin(), session_.end());
        session_.clear();
        if (!changeNoticeGiven_) {
            changeNoticeGiven_ = true;
            addNotice("Die Datei " + fileName(path_) +
                      " wurde gelöscht oder ersetzt, während der Trainer lief; die "
                      "Antworten dieser Sitzung wurden wieder eingetragen.");
        }
    }
    if (db_ != nullptr && !walMode_) {
        // Where the mode cannot be changed (a read-only file) the write itself says why.
        sqlite3_exec(db_, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        walMode_ = true;
    }
    if (db_ != nullptr && version_ < kSchemaVersion) {
        const RecordStatus migrated = migrate();
        if (migrated != RecordStatus::Ok) return migrated;
        statements_ = std::make_unique<Statements>();
        const int rc = statements_->prepare(db_, version_);
        if (rc != SQLITE_OK) {
            const std::string detail = sqlite3_errmsg(db_);
            close();
            return fail(statusOf(rc), detail);
        }
        summaryLoaded_ = false;
    }
    if (db_ == nullptr) {
        if (path_.empty()) return fail(RecordStatus::Unavailable, "not opened");
        const RecordStatus status = openConnection(now, true);
        if (status != RecordStatus::Ok) return status;
        if (db_ == nullptr) return fail(RecordStatus::Unavailable, lastError_);
        return ensureWritable(now);
    }
    return RecordStatus::Ok;
}

RecordStatus LearningRecord::recordAnswer(TermPair entry, AskedDirection direction, bool right,
                                          bool firstAsking, std::int64_t time, DrillId drill)
{
    Answer a{{},
             std::string(entry.first),
             std::string(entry.second),
             direction,
             right,
             firstAsking,
             time,
             drill,
             lesson_};
    sqlite3_randomness(static_cast<int>(a.id.size()), a.id.data());
    pending_.push_back(std::move(a));
    return flushPending(time);
}

RecordStatus LearningRecord::flushPending(std::int64_t now)
{
    if (pending_.empty()) return RecordStatus::Ok;
    RecordStatus status = ensureWritable(now);
    std::size_t written = 0;
    for (; status == RecordStatus::Ok && written < pending_.size(); ++written) {
        status = writeAnswer(pending_[written]);
        if (status != RecordStatus::Ok) break;
        session_.push_back(pending_[written]);
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(written));
    if (written > 0 && db_ != nullptr) // the main file alone holds every answer
        sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    return status;
}

void LearningRecord::bindAnswer(sqlite3_stmt* insert, const Answer& a, std::string_view computer)
{
    sqlite3_bind_blob(insert, 1, a.id.data(), static_cast<int>(a.id.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 2, a.time);
    bindBlob(insert, 3, a.first);
    bindBlob(insert, 4, a.second);
    sqlite3_bind_int(insert, 5, static_cast<int>(a.direction));
    sqlite3_bind_int(insert, 6, a.right ? 1 : 0);
    sqlite3_bind_int(insert, 7, a.firstAsking ? 1 : 0);
    sqlite3_bind_int64(insert, 8, static_cast<std::int64_t>(a.drill));
    sqlite3_bind_text(insert, 9, computer.empty() ? "" : computer.data(),
                      static_cast<int>(computer.size()), SQLITE_TRANSIENT);
}

RecordStatus LearningRecord::writeAnswer(const Answer& a)
{
    Statements& st = *statements_;
    int rc = sqlite3_step(st.begin);
    sqlite3_reset(st.begin);
    if (rc == SQLITE_DONE) {
        StatementUse use{st.insert};
        static const std::string host = hostName();
        bindAnswer(st.insert, a, options_.computer.empty() ? host : options_.computer);
        rc = sqlite3_step(st.insert);
    }
    const bool added = rc == SQLITE_DONE && sqlite3_changes(db_) == 1;
    const std::int64_t rowid = sqlite3_last_insert_rowid(db_);
    if (rc == SQLITE_DONE && !a.lesson.empty()) {
        StatementUse use{st.lesson};
        bindBlob(st.lesson, 1, a.lesson);
        sqlite3_bind_int64(st.lesson, 2, a.time);
        rc = sqlite3_step(st.lesson);
    }
    if (rc == SQLITE_DONE) {
        rc = sqlite3_step(st.commit);
        sqlite3_reset(st.commit);
    }
    if (rc == SQLITE_DONE) {
        if (added && summaryLoaded_) {
            ownRowids_.insert(rowid);
            applyToSummary({a.first, a.second}, a.direction,
                           HistoryAnswer{a.time, a.right, a.firstAsking, a.drill}, 0);
        }
        if (shortWaits_) sqlite3_busy_timeout(db_, options_.busyTimeoutMs);
        shortWaits_ = false;
        return RecordStatus::Ok;
    }
    const std::string detail = sqlite3_errmsg(db_);
    if (sqlite3_get_autocommit(db_) == 0) {
        sqlite3_step(st.rollback);
        sqlite3_reset(st.rollback);
    }
    return fail(statusOf(rc), detail);
}

void LearningRecord::mergeConflictCopies(std::int64_t now)
{
    const fs::path folder =
        fs::path(path_).parent_path().empty() ? fs::path(".") : fs::path(path_).parent_path();
    std::vector<std::string> copies;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isConflictCopy(it->path().filename().string()) &&
            kindOf(it->path().string()) == Kind::Regular)
            copies.push_back(it->path().string());
    std::sort(copies.begin(), copies.end());
    for (const std::string& copy : copies) {
        std::vector<Answer> answers;
        std::vector<std::tuple<std::string, std::string, int, int, bool, std::int64_t, std::int64_t,
                               std::int64_t, std::int64_t>>
            cards;
        std::vector<std::pair<std::string, std::int64_t>> lessons;
        {
            ForeignFile other(copy);
            if (!other.ok) {
                std::fprintf(stderr, "kaz-trainer: Lernstand: %s is no record, left alone\n",
                             copy.c_str());
                continue;
            }
            if (other.version >= 2) {
                Statement s(other.db, "SELECT id, time, term1, term2, direction, right, "
                                      "first_asking, drill FROM answer");
                while (s.s != nullptr && sqlite3_step(s.s) == SQLITE_ROW) {
                    Answer a{};
                    const std::string_view id = blobOf(s.s, 0);
                    if (id.size() != a.id.size()) continue;
                    std::copy(id.begin(), id.end(), a.id.begin());
                    a.time = sqlite3_column_int64(s.s, 1);
                    a.first = std::string(blobOf(s.s, 2));
                    a.second = std::string(blobOf(s.s, 3));
                    a.direction = static_cast<AskedDirection>(sqlite3_column_int(s.s, 4) != 0);
                    a.right = sqlite3_column_int(s.s, 5) != 0;
                    a.firstAsking = sqlite3_column_int(s.s, 6) != 0;
                    a.drill = static_cast<DrillId>(sqlite3_column_int64(s.s, 7));
                    answers.push_back(std::move(a));
                }
            }
            Statement c(other.db, "SELECT term1, term2, direction, box, last_asked, due_day, "
                                  "right_count, wrong_count, pair_key FROM card");
            while (c.s != nullptr && sqlite3_step(c.s) == SQLITE_ROW)
                cards.emplace_back(std::string(blobOf(c.s, 0)), std::string(blobOf(c.s, 1)),
                                   sqlite3_column_int(c.s, 2), sqlite3_column_int(c.s, 3),
                                   sqlite3_column_type(c.s, 4) == SQLITE_NULL,
                                   sqlite3_column_int64(c.s, 4), sqlite3_column_int64(c.s, 5),
                                   sqlite3_column_int64(c.s, 6), sqlite3_column_int64(c.s, 7));
            if (other.version >= 3) {
                Statement l(other.db, "SELECT path, last_answer FROM lesson");
                while (l.s != nullptr && sqlite3_step(l.s) == SQLITE_ROW)
                    lessons.emplace_back(std::string(blobOf(l.s, 0)), sqlite3_column_int64(l.s, 1));
            }
        }
        if (ensureWritable(now) != RecordStatus::Ok) return; // tried again at the next start
        int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        std::size_t added = 0;
        for (const Answer& a : answers) {
            if (rc != SQLITE_OK) break;
            Statements& st = *statements_;
            StatementUse use{st.insert};
            bindAnswer(st.insert, a, {}); // the computer is not known
            rc = sqlite3_step(st.insert) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db_);
            added += static_cast<std::size_t>(sqlite3_changes(db_));
        }
        {
            Statement put(db_, "INSERT OR IGNORE INTO card (term1, term2, direction, box, "
                               "last_asked, due_day, right_count, wrong_count, pair_key) VALUES "
                               "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
            for (const auto& [t1, t2, dir, box, never, last, due, r, w] : cards) {
                if (rc != SQLITE_OK || put.s == nullptr) break;
                bindBlob(put.s, 1, t1);
                bindBlob(put.s, 2, t2);
                sqlite3_bind_int(put.s, 3, dir);
                sqlite3_bind_int(put.s, 4, box);
                if (!never) {
                    sqlite3_bind_int64(put.s, 5, last);
                    sqlite3_bind_int64(put.s, 6, due);
                }
                sqlite3_bind_int64(put.s, 7, r);
                sqlite3_bind_int64(put.s, 8, w);
                sqlite3_bind_int64(put.s, 9, pairKey(t1, t2));
                rc = sqlite3_step(put.s) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db_);
                sqlite3_reset(put.s);
                sqlite3_clear_bindings(put.s);
            }
        }
        for (const auto& [lesson, time] : lessons) {
            if (rc != SQLITE_OK) break;
            sqlite3_stmt* put = statements_->lesson;
            StatementUse use{put};
            bindBlob(put, 1, lesson);
            sqlite3_bind_int64(put, 2, time);
            rc = sqlite3_step(put) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db_);
        }
        if (rc == SQLITE_OK) rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            fail(statusOf(rc), sqlite3_errmsg(db_));
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return;
        }
        sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        summaryLoaded_ = false;
        const std::string aside = freeName(copy, ".zusammengefuehrt-", now);
        fs::rename(copy, aside, ec);
        addNotice("Die Konfliktkopie " + fileName(copy) + " wurde in den Lernstand " +
                  fileName(path_) + " übernommen (" + std::to_string(added) +
                  (added == 1 ? " Antwort" : " Antworten") + " kamen hinzu); sie liegt jetzt als " +
                  fileName(aside) + " beiseite.");
    }
}

bool LearningRecord::readable()
{
    if (path_.empty()) return false;
    if (db_ != nullptr || kindOf(path_) == Kind::Missing) return true; // no file: empty
    // Made since by a second trainer, or the fault has gone.
    return openConnection(std::time(nullptr), false) == RecordStatus::Ok && db_ != nullptr;
}

// Catches up with what was written since the last look: the answers of a second trainer
// (PRAGMA data_version), applied to the entries read so far. The first look reads no answer.
bool LearningRecord::refreshSummary()
{
    if (!readable()) return false;
    if (db_ == nullptr || statements_ == nullptr) { // no file yet, or an empty file
        summary_.clear();
        summaryLoaded_ = false;
        return true;
    }
    sqlite3_stmt* version = statements_->dataVersion;
    std::int64_t dataVersion = -1;
    {
        StatementUse use{version};
        if (sqlite3_step(version) == SQLITE_ROW) dataVersion = sqlite3_column_int64(version, 0);
    }
    if (summaryLoaded_ && dataVersion == summaryVersion_ && dataVersion != -1) return true;

    int rc = SQLITE_DONE;
    if (!summaryLoaded_) {
        summary_.clear();
        ownRowids_.clear();
        allLoaded_ = false;
        summaryRowid_ = 0;
        {
            sqlite3_stmt* s = statements_->anyCard;
            StatementUse use{s};
            rc = sqlite3_step(s);
            hasCards_ = rc != SQLITE_ROW || sqlite3_column_int(s, 0) != 0;
            rc = rc == SQLITE_ROW ? SQLITE_DONE : rc;
        }
        if (sqlite3_stmt* s = statements_->lastRowid; s != nullptr && rc == SQLITE_DONE) {
            StatementUse use{s};
            rc = sqlite3_step(s);
            if (rc == SQLITE_ROW) {
                summaryRowid_ = sqlite3_column_int64(s, 0);
                rc = SQLITE_DONE;
            }
        }
    } else if (statements_->since != nullptr) {
        sqlite3_stmt* s = statements_->since;
        StatementUse use{s};
        sqlite3_bind_int64(s, 1, summaryRowid_);
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const std::int64_t rowid = sqlite3_column_int64(s, 0);
            summaryRowid_ = std::max(summaryRowid_, rowid);
            if (ownRowids_.erase(rowid) > 0) continue; // applied when written
            applyHistoryRow(s, rowid);
        }
    }
    if (rc != SQLITE_DONE) {
        fail(statusOf(rc), sqlite3_errmsg(db_));
        summary_.clear();
        summaryLoaded_ = false;
        return false;
    }
    summaryLoaded_ = true;
    summaryVersion_ = dataVersion;
    return true;
}

// The entries of `lesson` not read yet, each from its own rows (its box taken over and its
// answers, by the index); a lesson of most of the record is read in one pass over all answers.
bool LearningRecord::loadEntries(const std::vector<TermPair>& lesson)
{
    if (!refreshSummary()) return false;
    if (!summaryLoaded_ || allLoaded_) return true;
    std::vector<const TermPair*> missing;
    for (const TermPair& entry : lesson)
        if (!summary_.contains(pairKey(entry.first, entry.second))) missing.push_back(&entry);
    if (missing.size() > options_.entriesReadOneByOne) return loadAll();
    for (const TermPair* entry : missing)
        if (!loadEntry(*entry)) return false;
    return true;
}

// Both directions of one entry: its boxes taken over (a version-1 record's), then its answers,
// in one look at the index each.
bool LearningRecord::loadEntry(TermPair entry)
{
    Summary summary;
    if (hasCards_)
        for (int d = 0; d < kDirectionCount; ++d) {
            sqlite3_stmt* s = statements_->card;
            StatementUse use{s};
            bindBlob(s, 1, entry.first);
            bindBlob(s, 2, entry.second);
            sqlite3_bind_int(s, 3, d);
            if (sqlite3_step(s) == SQLITE_ROW)
                summary.state[static_cast<std::size_t>(d)] = takenOverState(cardBox(s, 0));
        }
    int rc = SQLITE_DONE;
    if (sqlite3_stmt* s = statements_->entryAnswers) {
        std::array<std::vector<HistoryAnswer>, kDirectionCount> answers;
        StatementUse use{s};
        bindBlob(s, 1, entry.first);
        bindBlob(s, 2, entry.second);
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const int d = sqlite3_column_int(s, 0);
            if (d < 0 || d >= kDirectionCount) continue;
            answers[static_cast<std::size_t>(d)].push_back(
                HistoryAnswer{sqlite3_column_int64(s, 1), sqlite3_column_int(s, 2) != 0,
                              sqlite3_column_int(s, 3) != 0,
                              static_cast<std::uint64_t>(sqlite3_column_int64(s, 4))});
            summary.rowid[static_cast<std::size_t>(d)] = std::max<std::int64_t>(
                summary.rowid[static_cast<std::size_t>(d)], sqlite3_column_int64(s, 5));
        }
        for (std::size_t d = 0; d < kDirectionCount; ++d)
            summary.state[d] = stateFromHistory(summary.state[d], std::move(answers[d]));
    }
    if (rc != SQLITE_DONE) {
        fail(statusOf(rc), sqlite3_errmsg(db_));
        summary_.clear();
        summaryLoaded_ = false;
        return false;
    }
    summary_[pairKey(entry.first, entry.second)] = summary;
    return true;
}

bool LearningRecord::loadAll()
{
    summary_.clear();
    ownRowids_.clear();
    allLoaded_ = true; // the answers below go to every entry
    int rc;
    {
        sqlite3_stmt* s = statements_->cards;
        StatementUse use{s};
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const int direction = sqlite3_column_int(s, 2);
            if (direction < 0 || direction >= kDirectionCount) continue;
            summary_[pairKey(blobOf(s, 0), blobOf(s, 1))]
                .state[static_cast<std::size_t>(direction)] = takenOverState(cardBox(s, 3));
        }
    }
    summaryRowid_ = 0;
    if (rc == SQLITE_DONE && statements_->since != nullptr) {
        sqlite3_stmt* s = statements_->since;
        StatementUse use{s};
        sqlite3_bind_int64(s, 1, 0);
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const std::int64_t rowid = sqlite3_column_int64(s, 0);
            summaryRowid_ = std::max(summaryRowid_, rowid);
            applyHistoryRow(s, rowid);
        }
    }
    if (rc == SQLITE_DONE) return true;
    fail(statusOf(rc), sqlite3_errmsg(db_));
    summary_.clear();
    summaryLoaded_ = false;
    allLoaded_ = false;
    return false;
}

// A row of the answers-since statement (rowid, terms, direction, time, right, first asking,
// id) into the summary; a direction this version does not know is passed over.
void LearningRecord::applyHistoryRow(sqlite3_stmt* s, std::int64_t rowid)
{
    const int direction = sqlite3_column_int(s, 3);
    if (direction < 0 || direction >= kDirectionCount) return;
    // The terms stay valid until the next step.
    applyToSummary({blobOf(s, 1), blobOf(s, 2)}, static_cast<AskedDirection>(direction),
                   HistoryAnswer{sqlite3_column_int64(s, 4), sqlite3_column_int(s, 5) != 0,
                                 sqlite3_column_int(s, 6) != 0,
                                 static_cast<std::uint64_t>(sqlite3_column_int64(s, 7))},
                   rowid);
}

// `rowid`: the answer's row; 0 for one written here (its row is skipped when caught up with).
void LearningRecord::applyToSummary(TermPair entry, AskedDirection direction,
                                    const HistoryAnswer& answer, std::int64_t rowid)
{
    if (!summaryLoaded_) return;
    auto it = summary_.find(pairKey(entry.first, entry.second));
    if (it == summary_.end()) {
        if (!allLoaded_) return; // read with all its answers when it is asked for
        it = summary_.emplace(pairKey(entry.first, entry.second), Summary{}).first;
    }
    const auto d = static_cast<std::size_t>(direction);
    Summary& summary = it->second;
    if (rowid != 0 && rowid <= summary.rowid[d]) return; // read with the entry already
    if (answer.time >= summary.state[d].lastTime) {
        summary.state[d] = applyToHistory(summary.state[d], answer);
        summary.rowid[d] = std::max(summary.rowid[d], rowid);
    } else { // older than the latest one applied (a merge, a clock that was behind)
        summary.state[d] = entryState(entry, direction, summary.rowid[d]);
    }
}

BoxState LearningRecord::cardBox(sqlite3_stmt* s, int column)
{
    BoxState box;
    box.box = std::clamp(sqlite3_column_int(s, column), kFirstBox, kLastBox);
    box.asked = sqlite3_column_type(s, column + 1) != SQLITE_NULL;
    box.lastAsked = sqlite3_column_int64(s, column + 1);
    box.dueDay = sqlite3_column_int64(s, column + 2);
    box.rightCount = static_cast<std::uint32_t>(sqlite3_column_int64(s, column + 3));
    box.wrongCount = static_cast<std::uint32_t>(sqlite3_column_int64(s, column + 4));
    return box;
}

// One entry's state in one direction from its rows: the box taken over, then every answer.
HistoryState LearningRecord::entryState(TermPair entry, AskedDirection direction,
                                        std::int64_t& lastRowid)
{
    HistoryState start;
    if (statements_ == nullptr) return start;
    {
        sqlite3_stmt* s = statements_->card;
        StatementUse use{s};
        bindBlob(s, 1, entry.first);
        bindBlob(s, 2, entry.second);
        sqlite3_bind_int(s, 3, static_cast<int>(direction));
        if (sqlite3_step(s) == SQLITE_ROW) start = takenOverState(cardBox(s, 0));
    }
    return stateFromHistory(start, readHistory(entry, direction, &lastRowid));
}

std::vector<HistoryAnswer> LearningRecord::history(TermPair entry, AskedDirection direction)
{
    return readHistory(entry, direction, nullptr);
}

std::vector<HistoryAnswer> LearningRecord::readHistory(TermPair entry, AskedDirection direction,
                                                       std::int64_t* lastRowid)
{
    std::vector<HistoryAnswer> answers;
    if (db_ == nullptr || statements_ == nullptr || statements_->entryHistory == nullptr)
        return answers;
    sqlite3_stmt* s = statements_->entryHistory;
    StatementUse use{s};
    bindBlob(s, 1, entry.first);
    bindBlob(s, 2, entry.second);
    sqlite3_bind_int(s, 3, static_cast<int>(direction));
    while (sqlite3_step(s) == SQLITE_ROW) {
        answers.push_back(HistoryAnswer{sqlite3_column_int64(s, 0), sqlite3_column_int(s, 1) != 0,
                                        sqlite3_column_int(s, 2) != 0,
                                        static_cast<std::uint64_t>(sqlite3_column_int64(s, 3))});
        if (lastRowid != nullptr)
            *lastRowid = std::max<std::int64_t>(*lastRowid, sqlite3_column_int64(s, 4));
    }
    return answers;
}

const LearningRecord::Summary* LearningRecord::summaryOf(TermPair entry) const
{
    const auto it = summary_.find(pairKey(entry.first, entry.second));
    return it == summary_.end() ? nullptr : &it->second;
}

BoxState LearningRecord::state(TermPair entry, AskedDirection direction)
{
    const Summary* summary = loadEntries({entry}) ? summaryOf(entry) : nullptr;
    return summary == nullptr ? BoxState{}
                              : summary->state[static_cast<std::size_t>(direction)].box;
}

std::vector<DueItem> LearningRecord::dueItems(const std::vector<TermPair>& lesson, std::int64_t now)
{
    const bool known = loadEntries(lesson);
    const std::int64_t today = localDayNumber(now);
    std::vector<DueItem> items;
    for (std::size_t i = 0; i < lesson.size(); ++i) {
        const Summary* summary = known ? summaryOf(lesson[i]) : nullptr;
        for (std::size_t d = 0; d < kDirectionCount; ++d)
            if (summary == nullptr || isDueOnDay(summary->state[d].box, today))
                items.push_back(DueItem{i, static_cast<AskedDirection>(d)});
    }
    return items;
}

std::size_t LearningRecord::dueCount(const std::vector<TermPair>& lesson, std::int64_t now)
{
    const bool known = loadEntries(lesson);
    const std::int64_t today = localDayNumber(now);
    std::size_t due = 0;
    for (const TermPair& entry : lesson) {
        const Summary* summary = known ? summaryOf(entry) : nullptr;
        for (std::size_t d = 0; d < kDirectionCount; ++d)
            due += summary == nullptr || isDueOnDay(summary->state[d].box, today) ? 1 : 0;
    }
    return due;
}

std::vector<std::string> LearningRecord::lessonFiles()
{
    std::vector<std::string> files;
    if (!readable() || db_ == nullptr || version_ < 3) return files;
    Statement s(db_, "SELECT path FROM lesson ORDER BY last_answer DESC, path");
    while (s.s != nullptr && sqlite3_step(s.s) == SQLITE_ROW)
        files.emplace_back(blobOf(s.s, 0));
    return files;
}

BoxCounts LearningRecord::boxCounts(const std::vector<TermPair>& lesson)
{
    const bool known = loadEntries(lesson);
    BoxCounts counts{};
    for (const TermPair& entry : lesson) {
        const Summary* summary = known ? summaryOf(entry) : nullptr;
        for (std::size_t d = 0; d < kDirectionCount; ++d)
            ++counts[d][static_cast<std::size_t>(
                (summary == nullptr ? kFirstBox : summary->state[d].box.box) - kFirstBox)];
    }
    return counts;
}

RecordStatus LearningRecord::fail(RecordStatus status, const std::string& detail,
                                  const std::string& reason)
{
    lastStatus_ = status;
    reason_ = reason;
    // SQLite's own words, English, are for whoever reads standard error; once each.
    if (!detail.empty() && detail != lastPrinted_) {
        std::fprintf(stderr, "kaz-trainer: Lernstand %s: %s\n", path_.c_str(), detail.c_str());
        lastPrinted_ = detail;
    }
    if (status == RecordStatus::Locked && !shortWaits_) {
        // Whoever holds the record that long holds it for a while: until an answer goes in
        // again, the next ones wait only as long as a second trainer's single answer takes, so
        // the drill does not stall at every answer.
        shortWaits_ = true;
        if (db_ != nullptr)
            sqlite3_busy_timeout(db_, std::min(options_.busyTimeoutMs, kShortBusyTimeoutMs));
    }
    if (!pending_.empty() && !faultNoticeGiven_) {
        faultNoticeGiven_ = true;
        addNotice("Der Lernstand wird nicht geführt: " + recordStatusText(status) +
                  (reason.empty() ? "" : " (" + reason + ")") + ". Die Übung läuft weiter.");
    }
    return status;
}

std::string LearningRecord::takeNotice()
{
    if (notices_.empty()) return {};
    std::string notice = std::move(notices_.front());
    notices_.erase(notices_.begin());
    return notice;
}

std::string recordStatusText(RecordStatus status)
{
    switch (status) {
    case RecordStatus::Ok:
        return "in Ordnung";
    case RecordStatus::Unavailable:
        return "die Datei lässt sich nicht öffnen oder anlegen";
    case RecordStatus::Locked:
        return "ein zweiter Trainer hält die Datei gesperrt";
    case RecordStatus::DiskFull:
        return "der Datenträger ist voll";
    case RecordStatus::Failed:
        return "die Datenbank meldet einen Fehler";
    }
    return {};
}
