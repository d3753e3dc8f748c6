#pragma once

#include "box_rule.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The learning record: for every entry of every lesson, known by its two terms' bytes, and for
// each direction, the entry's box, when it was last asked, when it is due and how often it was
// answered right and wrong. Kept in an SQLite file ("LERNSTAND.DB" in the working folder) so a
// lesson that is renamed, moved or imported again keeps its history.
//
// The drill's window opens one LearningRecord after its first frame and hands it every answer
// (recordAnswer); the due drill and the progress chart read from it. Nothing here ever stops a
// drill: every fault comes back as a RecordStatus, the first one also as one notice
// (takeNotice) for the window to show, and the caller goes on. Answers that could not be
// written (record locked by a second trainer, disk full, not open) wait in memory and go in
// with the next answer that can be written.
//
// Storage: WAL journal, one transaction per answer, prepared statements kept for the life of
// the connection, a busy timeout so two trainers writing at once both keep every answer. A file
// that is not a database or fails the quick integrity check is renamed to
// "LERNSTAND.DB.beschaedigt-<local time>" (never deleted) and a new record started.
//
// One object per thread; no clock inside: every time is a parameter (seconds since the epoch,
// UTC), and days are counted in local calendar days (box_rule.h).

inline constexpr const char* kLearningRecordFileName = "LERNSTAND.DB";

// Which term the drill showed; the other one was asked.
enum class AskedDirection : int { FirstTermShown = 0, SecondTermShown = 1 };
inline constexpr int kDirectionCount = 2;

enum class RecordStatus {
    Ok,
    Unavailable, // the file could not be opened or created (folder missing, no permission)
    Locked,      // a second trainer held the record longer than the busy timeout
    DiskFull,    // no room for the record or its journal
    Failed,      // any other fault of the database
};

// The record's view of a lesson entry: its two terms, Windows-1252 bytes.
struct TermPair {
    std::string_view first;
    std::string_view second;
};

// One question of a due drill: the entry's index in the lesson's list and the direction due.
struct DueItem {
    std::size_t index;
    AskedDirection direction;
    friend bool operator==(const DueItem&, const DueItem&) = default;
};

// Entries per box (index 0 = box 1) for each direction (index = AskedDirection).
using BoxCounts = std::array<std::array<std::uint32_t, kBoxCount>, kDirectionCount>;

struct RecordOptions {
    int busyTimeoutMs = 1000; // how long an answer waits for a second trainer's transaction
    // Test hook: the most pages the file may grow to (0: no limit); a write beyond reports
    // DiskFull exactly as a full disk does.
    int maxPageCount = 0;
};

class LearningRecord {
public:
    LearningRecord();
    ~LearningRecord();
    LearningRecord(const LearningRecord&) = delete;
    LearningRecord& operator=(const LearningRecord&) = delete;

    // Opens or creates the record at `path`; `now` names a damaged file moved aside. A damaged
    // file is moved aside and a new record started: the result is Ok then, with a notice.
    RecordStatus open(const std::string& path, std::int64_t now, RecordOptions options = {});

    // Records one answer given at `time`. On a fault the answer waits in memory and the next
    // call tries again (reopening a record that was not open); the drill goes on either way.
    RecordStatus recordAnswer(TermPair entry, AskedDirection direction, bool right,
                              bool firstAsking, std::int64_t time);

    // The state of one entry in one direction (never asked: a default BoxState).
    BoxState state(TermPair entry, AskedDirection direction);

    // The due questions of a lesson on the local day of `now`, in lesson order, the first-term
    // direction before the second where both are due. Without a readable record every entry is
    // due in both directions.
    std::vector<DueItem> dueItems(const std::vector<TermPair>& lesson, std::int64_t now);
    std::size_t dueCount(const std::vector<TermPair>& lesson, std::int64_t now);

    // How many of the lesson's entries stand in each box, per direction.
    BoxCounts boxCounts(const std::vector<TermPair>& lesson);

    bool isOpen() const { return db_ != nullptr; }
    std::size_t pendingAnswers() const { return pending_.size(); }
    // Where a damaged file was moved on opening; empty when none was.
    const std::string& movedAsidePath() const { return movedAside_; }

    // The first fault's notice, German, once; empty afterwards and while nothing went wrong.
    std::string takeNotice();

private:
    struct Answer {
        std::string first;
        std::string second;
        AskedDirection direction;
        bool right;
        bool firstAsking;
        std::int64_t time;
    };
    struct Statements;

    int connect(); // an SQLite result code; lastError_ says why it failed
    RecordStatus openConnection(std::int64_t now);
    RecordStatus prepareSchema();
    void close();
    RecordStatus flushPending();
    RecordStatus writeAnswer(const Answer& answer);
    // The box and due day of every entry in the file, by pair key, per direction: read whole
    // on first use and again after a second trainer wrote (PRAGMA data_version), kept in step
    // with this object's own answers. A different pair with the same 64-bit key would share
    // a summary; at 200,000 rows the odds are about 1 in 10^9.
    static constexpr std::int64_t kDueAtOnce = std::numeric_limits<std::int64_t>::min();
    struct Summary {
        std::array<int, kDirectionCount> box{kFirstBox, kFirstBox};
        std::array<std::int64_t, kDirectionCount> dueDay{kDueAtOnce, kDueAtOnce};
    };
    bool refreshSummary();
    void updateSummary(TermPair entry, AskedDirection direction, const BoxState& state);
    const Summary* summaryOf(TermPair entry) const;
    RecordStatus fail(RecordStatus status, const std::string& detail);

    std::string path_;
    RecordOptions options_;
    sqlite3* db_ = nullptr;
    std::unique_ptr<Statements> statements_;
    std::vector<Answer> pending_;
    std::unordered_map<std::int64_t, Summary> summary_;
    bool summaryLoaded_ = false;
    std::int64_t summaryVersion_ = -1;
    std::string lastError_;
    std::string movedAside_;
    std::string notice_;
    bool noticeGiven_ = false;
    bool shortWaits_ = false; // an answer found the record locked; none went in since
};

// Maps a status to the sentence for the window's notice.
std::string recordStatusText(RecordStatus status);
