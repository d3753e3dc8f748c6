#pragma once

#include "box_rule.h"
#include "history_rule.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The learning record: every answer the learner gave, one row each (when, the entry's two
// terms' bytes, the direction, right or wrong, first asking or repetition, a random answer id,
// the drill and the computer), kept in an SQLite file ("LERNSTAND.DB" in the working folder) so
// a lesson that is renamed, moved or imported again keeps its history. What the due drill and
// the progress chart show (box, day due) is derived from that history (history_rule.h).
//
// The drill's window opens one LearningRecord after its first frame and hands it every answer
// (recordAnswer); the due drill and the progress chart read from it. Nothing here ever stops a
// drill: every fault comes back as a RecordStatus, the first one also as one notice
// (takeNotice, German; SQLite's own words go to standard error) for the window to show, and the
// caller goes on. Answers that could not be written (record locked by a second trainer, disk
// full, folder not writable) wait in memory and go in with the next answer that can be
// written, or at finish() when the trainer closes.
//
// The file is created with the first answer to keep, never before. It is opened defensively:
// never through a link, SQLite's defensive mode on, nothing of the schema trusted, triggers and
// views off, and a file holding anything we did not create (a trigger, a view, a table of its
// own) is moved aside like a damaged one. A file that is not a database or fails the quick
// integrity check is renamed to "LERNSTAND.DB.beschaedigt-<local time>" (never deleted) and a
// new record started.
//
// Storage: WAL journal while a trainer writes, one transaction per answer followed by a
// checkpoint, so that the main file alone holds every answer whenever no answer is being
// written (a sync tool or a backup that copies only LERNSTAND.DB misses nothing); the last
// trainer to close leaves the file alone, without side files. A side file left by a trainer
// that is no longer running is applied only when it belongs to the file (applying it keeps
// every answer the file holds and the result passes the checks); any other is moved aside
// ("LERNSTAND.DB-wal.fremd-<local time>"), never applied. Deleting or replacing the file while a
// trainer runs loses nothing: the next answer finds the file changed, opens what is there now
// and writes this session's answers into it again (an answer id goes in once).
//
// Two computers: a conflict copy a sync tool leaves beside the record ("LERNSTAND.sync-
// conflict-....DB", "LERNSTAND (conflicted copy ...).DB", "LERNSTAND (... in Konflikt stehende
// Kopie ...).DB" and the like) is merged into it at open, union by answer id, and moved aside
// ("<name>.zusammengefuehrt-<local time>").
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
    // The most pages the file may grow to (0: no limit); a write beyond reports DiskFull
    // exactly as a full disk does. Taken at the next connection (setOptions).
    int maxPageCount = 0;
    // The computer's name written with every answer; empty: the host name.
    std::string computer;
    // A lesson with more entries not read yet is read in one pass over every answer (cheaper
    // then than reading each entry's own rows).
    std::size_t entriesReadOneByOne = 20000;
};

// The drill an answer belongs to: the same for every answer of one drill, different for the
// next (a random number is fine). A pair that stands twice in a lesson is counted once a drill.
using DrillId = std::uint64_t;

class LearningRecord {
public:
    LearningRecord();
    ~LearningRecord();
    LearningRecord(const LearningRecord&) = delete;
    LearningRecord& operator=(const LearningRecord&) = delete;

    // Opens the record at `path` if it is there (a missing file is an empty record; it is
    // created with the first answer); `now` names a file moved aside. A damaged or foreign file
    // is moved aside and a new record begun: the result is Ok then, with a notice. Conflict
    // copies beside it are merged (a notice says so).
    RecordStatus open(const std::string& path, std::int64_t now, RecordOptions options = {});

    // Records one answer given at `time` in drill `drill`. On a fault the answer waits in
    // memory and the next call tries again (reopening a record that was not open); the drill
    // goes on either way.
    RecordStatus recordAnswer(TermPair entry, AskedDirection direction, bool right,
                              bool firstAsking, std::int64_t time, DrillId drill = 0);

    // The trainer closes: one last try at the answers still waiting, with the full wait, then
    // the connection is closed (the file left without side files when no other trainer has it
    // open). Returns how many answers could not be kept; the notice then says so. The object
    // can be opened again afterwards.
    std::size_t finish();

    // The lesson file the answers recorded from now on were given in (its path's bytes, as the
    // caller names it; empty: a lesson of no file).
    void setLesson(std::string path) { lesson_ = std::move(path); }
    // The lesson files answers were given in, the latest answered first (they may no longer
    // exist).
    std::vector<std::string> lessonFiles();

    // Options for the connection from now on (it is made again at the next use).
    void setOptions(RecordOptions options);

    // The state of one entry in one direction (never asked: a default BoxState).
    BoxState state(TermPair entry, AskedDirection direction);
    // Every answer of one entry in one direction, oldest first (for tests and tools).
    std::vector<HistoryAnswer> history(TermPair entry, AskedDirection direction);

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

    // Answers this object has written into the file since it was opened.
    std::size_t keptAnswers() const { return session_.size(); }

    // The next notice, German, UTF-8: the first fault's, once, and each of the things
    // done to files at open (a file moved aside, a conflict copy merged); empty when there is
    // none.
    std::string takeNotice();

private:
    using AnswerId = std::array<unsigned char, 16>;
    struct Answer {
        AnswerId id;
        std::string first;
        std::string second;
        AskedDirection direction;
        bool right;
        bool firstAsking;
        std::int64_t time;
        DrillId drill;
        std::string lesson; // the lesson file's path; empty: none
    };
    struct Statements;
    static void bindAnswer(sqlite3_stmt* insert, const Answer& answer, std::string_view computer);

    // SQLite's result code; lastError_ says why it failed. Without `create` a missing file
    // gives SQLITE_CANTOPEN and no file.
    int connect(bool create);
    // Opens the file if it is there (or creates it with `create`), moving a damaged or foreign
    // file and foreign side files aside first.
    RecordStatus openConnection(std::int64_t now, bool create);
    void prepareSideFiles(std::int64_t now);
    RecordStatus checkAndPrepare(std::int64_t now, bool create, bool& movedAside);
    RecordStatus prepareSchema(bool create);
    RecordStatus migrate();
    void moveAside(std::int64_t now, const std::string& why);
    void mergeConflictCopies(std::int64_t now);
    void close();
    bool fileChanged() const;
    RecordStatus ensureWritable(std::int64_t now);
    RecordStatus flushPending(std::int64_t now);
    RecordStatus writeAnswer(const Answer& answer);
    // What the due drill and the chart read, per entry (by pair key) and direction: the state
    // derived from the history. An entry is read from its own rows when a lesson first asks
    // for it (a lesson of most of the record: every answer in one pass), and from then on
    // only the answers added since (by rowid) are applied, also after a second trainer wrote
    // (PRAGMA data_version). An answer older than the last one applied to its entry (a merge,
    // a clock that was behind) has that entry's history read again. A different pair with the
    // same 64-bit key would share a summary; at 200,000 rows the odds are about 1 in 10^9.
    struct Summary {
        std::array<HistoryState, kDirectionCount> state{};
        std::array<std::int64_t, kDirectionCount> rowid{}; // the latest answer read into it
    };
    // Connected, or no file there (an empty record); false when the file cannot be read.
    bool readable();
    bool refreshSummary();
    bool loadEntries(const std::vector<TermPair>& lesson);
    bool loadEntry(TermPair entry);
    bool loadAll();
    void applyToSummary(TermPair entry, AskedDirection direction, const HistoryAnswer& answer,
                        std::int64_t rowid);
    void applyHistoryRow(sqlite3_stmt* s, std::int64_t rowid);
    HistoryState entryState(TermPair entry, AskedDirection direction, std::int64_t& lastRowid);
    std::vector<HistoryAnswer> readHistory(TermPair entry, AskedDirection direction,
                                           std::int64_t* lastRowid);
    static BoxState cardBox(sqlite3_stmt* s, int column);
    const Summary* summaryOf(TermPair entry) const;
    // Records the fault; the notice is made only when an answer waits (it matters then).
    RecordStatus fail(RecordStatus status, const std::string& detail,
                      const std::string& reason = {});
    void addNotice(std::string text) { notices_.push_back(std::move(text)); }

    std::string path_;
    std::string lesson_; // of the answers from now on
    RecordOptions options_;
    sqlite3* db_ = nullptr;
    int version_ = 0;      // the open file's schema version (1: no history yet, only boxes)
    bool walMode_ = false; // this connection has set the WAL journal (it writes)
    unsigned long long device_ = 0, inode_ = 0; // of the open file
    std::unique_ptr<Statements> statements_;
    std::vector<Answer> pending_;
    std::vector<Answer> session_; // written since open, written again into a replaced file
    std::unordered_map<std::int64_t, Summary> summary_;
    bool summaryLoaded_ = false;
    bool allLoaded_ = false; // every entry of the record is in summary_
    bool hasCards_ = true;   // the file holds boxes taken over from version 1
    std::int64_t summaryVersion_ = -1;
    std::int64_t summaryRowid_ = 0;
    std::unordered_set<std::int64_t> ownRowids_; // written here, in the summary already
    RecordStatus lastStatus_ = RecordStatus::Ok;
    std::string lastError_;
    std::string lastPrinted_;
    std::string movedAside_;
    std::string reason_; // German words on the last fault, for the notice
    std::vector<std::string> notices_;
    bool faultNoticeGiven_ = false;
    bool changeNoticeGiven_ = false;
    bool shortWaits_ = false; // an answer found the record locked; none went in since
};

// Maps a status to the sentence for the window's notice.
std::string recordStatusText(RecordStatus status);
