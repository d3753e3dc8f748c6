#pragma once

#include "entry_chain.h"
#include "file_stamp.h"
#include "foreign_file.h"
#include "lesson_file.h"
#include "recovery_file.h"
#include "table_file.h"

#include <string>

// What a save, an export or keeping the lesson for recovery came to. WriteFailed carries the
// errno of the failure; NoName and ChangedOnDisk wrote nothing and leave the choice of another
// name to the caller; NotNeeded: nothing unsaved to keep.
enum class SaveStatus { Written, NotNeeded, NoName, ChangedOnDisk, WriteFailed };
struct SaveResult {
    SaveStatus status = SaveStatus::NotNeeded;
    int error = 0;
    bool operator==(const SaveResult&) const = default;
};

// One lesson: its entries, the file they belong to and whether they differ from it. It reads,
// writes, imports and exports, and tells what happened; what the user is told or asked about
// it is the window's choice.
//
// The path is the file name's bytes as the system takes them; the display name is what the
// title and the messages show, UTF-8, given by whoever chose the file. No file: both empty.
class LessonDocument {
public:
    // recoveryFolder: where a session's end keeps the unsaved lesson (empty: the working one).
    explicit LessonDocument(std::string recoveryFolder = {});

    EntryChain& chain() { return chain_; }
    const EntryChain& chain() const { return chain_; }
    const std::string& path() const { return path_; }
    const std::string& displayName() const { return displayName_; }
    bool unsaved() const { return unsaved_; }
    void setUnsaved(bool unsaved) { unsaved_ = unsaved; }
    // Bounds of the next lesson reads; tests make them small.
    void setReadLimits(const LessonReadLimits& limits) { readLimits_ = limits; }

    // Deletes what entries are left and forgets the file: a new, empty lesson, nothing unsaved
    // and no recovery file of this run's any more.
    void close();
    // The lesson keeps its entries and state but belongs to no file: the next save needs a name.
    void forgetFile();

    // Reads a lesson file into the chain. Read: the lesson is that file's, as it is on disk now;
    // any other result leaves it without a file. The unsaved flag stays as it was.
    LessonReadResult load(const std::string& path, std::string displayName,
                          LessonReadListener* listener = nullptr);
    // Appends a table's rows. The lesson then has no file (a table is never written over) and is
    // unsaved once a row was taken. Nothing is appended when the file could not be read or is
    // over the read limits (the report's result says which).
    TableReadReport importTable(const std::string& path, LessonReadListener* listener = nullptr);
    // The same for another trainer's file (foreign_file.h).
    ForeignReadReport importForeign(const std::string& path,
                                    LessonReadListener* listener = nullptr);
    const LessonReadLimits& readLimits() const { return readLimits_; }

    // Writes the lesson to its own file, also when it has no entries. NoName without one;
    // ChangedOnDisk when someone else changed the file since it was read or written and
    // overwriteChanges is false.
    SaveResult save(bool overwriteChanges = false);
    // Writes the lesson to another file, which becomes its own only once written.
    SaveResult saveAs(const std::string& path, std::string displayName);
    // A CSV copy of the lesson: its file and unsaved state stay as they are.
    SaveResult exportTable(const std::string& path) const;

    // At a session's end: an unsaved lesson goes to this run's recovery file (Written; errno
    // EEXIST in WriteFailed when every name is taken), otherwise a file kept before is dropped
    // (NotNeeded).
    SaveResult keepForRecovery();
    void dropRecovery() { recovery_.drop(); }

private:
    SaveResult write(const std::string& path);

    EntryChain chain_;
    std::string path_;
    std::string displayName_;
    FileStamp stamp_; // the file as the lesson last agreed with it
    bool unsaved_ = false;
    RecoveryFile recovery_;
    LessonReadLimits readLimits_;
};
