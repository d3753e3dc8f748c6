#include "lesson_document.h"

#include <cerrno>

LessonDocument::LessonDocument(std::string recoveryFolder) : recovery_(std::move(recoveryFolder)) {}

void LessonDocument::close()
{
    while (!chain_.empty())
        chain_.deleteLast();
    forgetFile();
    unsaved_ = false;
    recovery_.drop();
}

void LessonDocument::forgetFile()
{
    path_.clear();
    displayName_.clear();
    stamp_ = {};
}

LessonReadResult LessonDocument::load(const std::string& path, std::string displayName,
                                      LessonReadListener* listener)
{
    forgetFile();
    const LessonReadResult result = readLessonFile(path, chain_, listener, readLimits_);
    if (result == LessonReadResult::Read) {
        path_ = path;
        displayName_ = std::move(displayName);
        stamp_ = stampFile(path_);
    }
    return result;
}

TableReadReport LessonDocument::importTable(const std::string& path, LessonReadListener* listener)
{
    forgetFile();
    TableReadReport report = readTableFile(path, chain_, listener, readLimits_);
    if (report.rowsTaken > 0) unsaved_ = true;
    return report;
}

ForeignReadReport LessonDocument::importForeign(const std::string& path,
                                                LessonReadListener* listener)
{
    forgetFile();
    ForeignReadReport report = readForeignFile(path, chain_, listener, readLimits_);
    if (report.table.rowsTaken > 0) unsaved_ = true;
    return report;
}

SaveResult LessonDocument::save(bool overwriteChanges)
{
    if (path_.empty()) return {SaveStatus::NoName};
    if (!overwriteChanges && changedSince(stamp_, path_)) return {SaveStatus::ChangedOnDisk};
    const SaveResult result = write(path_);
    if (result.status == SaveStatus::Written) stamp_ = stampFile(path_);
    return result;
}

SaveResult LessonDocument::saveAs(const std::string& path, std::string displayName)
{
    // A name that could not be written is not the lesson's: with it kept, every later save
    // would try the same place again without asking.
    const SaveResult result = write(path);
    if (result.status == SaveStatus::Written) {
        path_ = path;
        displayName_ = std::move(displayName);
        stamp_ = stampFile(path_);
    }
    return result;
}

SaveResult LessonDocument::write(const std::string& path)
{
    if (writeLessonFile(path, chain_) != LessonWriteResult::Written)
        return {SaveStatus::WriteFailed, errno};
    unsaved_ = false;
    recovery_.drop();
    return {SaveStatus::Written};
}

SaveResult LessonDocument::exportTable(const std::string& path) const
{
    if (writeTableFile(path, chain_) != LessonWriteResult::Written)
        return {SaveStatus::WriteFailed, errno};
    return {SaveStatus::Written};
}

SaveResult LessonDocument::keepForRecovery()
{
    if (!unsaved_ || chain_.empty()) {
        recovery_.drop(); // saved, answered No, or emptied since it was kept
        return {SaveStatus::NotNeeded};
    }
    if (recovery_.keep(lessonBytes(chain_))) return {SaveStatus::Written};
    return {SaveStatus::WriteFailed, errno};
}
