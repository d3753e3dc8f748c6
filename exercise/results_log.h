#pragma once

#include "answer_compare.h"
#include "config.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The results log "DODADIZE.KAZ": the last 20 completed exercises as 20 records of 68 bytes,
// 1360 bytes without header, little-endian. Slots fill from slot 0 (the oldest) upwards; an
// entry count of 0 marks an empty slot. Each operation works on a whole image of the file.

inline constexpr const char* kResultsLogFileName = "DODADIZE.KAZ";
inline constexpr std::size_t kResultRecordBytes = 68;
inline constexpr std::size_t kResultSlots = 20;
inline constexpr std::size_t kResultsLogBytes = kResultRecordBytes * kResultSlots; // 1360
inline constexpr std::size_t kLessonNameChars = 24; // the name field is 25 bytes with its zero
inline constexpr const char* kNewLessonName = "<NEU>";

// One record, decoded. Times are seconds; the thresholds keep the bits of the file's signed
// 32-bit fields. The start time is read as the unsigned count it was written as: no result is
// older than 1970, so a value with the top bit set is a time after January 2038 (the field
// holds times up to February 2106).
struct ResultRecord {
    std::uint32_t startTime = 0; // seconds since 1970-01-01 00:00 UTC
    std::int32_t duration = 0;   // end minus start, seconds
    std::string lessonName;      // Windows-1252 bytes, at most 24 characters
    CompareOptions options;      // at the end of the exercise
    std::array<std::uint32_t, kThresholdCount> thresholds{};
    std::uint32_t grade = 0;
    std::uint32_t entryCount = 0;   // 0 marks an empty slot
    std::uint32_t wrongEntries = 0; // entries answered wrong when first asked
    bool operator==(const ResultRecord&) const = default;
};

class ResultsLog {
public:
    using Image = std::array<unsigned char, kResultsLogBytes>;

    ResultsLog() = default; // empty: all zero bytes

    // A file image: fewer than 1360 bytes give an empty log, more are cut to their first 1360.
    static ResultsLog fromBytes(std::string_view bytes);
    // Reads the file; missing, short or unreadable means empty. Never creates the file.
    static ResultsLog load(const std::string& path);
    // Replaces the file as a whole (temporary file, then rename); false when that failed, in
    // which case the file on disk is unchanged.
    bool save(const std::string& path) const;

    std::string_view bytes() const
    {
        return {reinterpret_cast<const char*>(image_.data()), image_.size()};
    }

    bool slotEmpty(std::size_t slot) const;
    // The slots from 0 up to the first empty one.
    std::size_t usedSlots() const;
    // The lesson name stops at its zero byte and never reaches beyond its 25-byte field.
    ResultRecord record(std::size_t slot) const;

    // Writes the record into the first empty slot; when all 20 are used, the oldest is dropped
    // (slots 1..19 move down) and slot 19 takes it.
    void append(const ResultRecord& record);

private:
    void writeRecord(std::size_t slot, const ResultRecord& record);
    Image image_{};
};

// The log's name for a lesson file path (Windows-1252 bytes in and out): the name part without
// folder, drive and extension ('/' and '\' both separate folders), its last 24 characters;
// "<NEU>" without a path.
std::string lessonNameFromPath(std::string_view path);

// Local broken-down time of a calendar time; the dialog answers it from the platform clock.
using LocalTimeOf = std::function<std::tm(std::int64_t calendarSeconds)>;

// One table line for a record (UTF-8; the lesson name converted from the record's bytes),
// ended by a carriage return.
std::string resultsTableRow(const ResultRecord& record, const std::tm& localStart);

// The same record as the cells of a table for assistive technology, one per column of
// kResultsTableColumns, each as a screen reader says it (UTF-8): "6.12.", "14:05", "3:07",
// "12", "3", "2", "ja", "nein", "ja", "90 80 66 50 20", "Rudarudn1".
std::vector<std::string> resultsTableCells(const ResultRecord& record, const std::tm& localStart);
// The columns' names, as the two header lines of the table mean them.
inline constexpr const char* kResultsTableColumns[] = {
    "Datum",   "Zeit",       "Dauer",       "Begriffe",       "Fehler", "Note",
    "ab = AB", "a, b = a b", "a, b = b, a", "Notenschlüssel", "Lektion"};

// What the results-log button shows: the table, or the notice for an empty log.
struct ResultsLogView {
    bool notice = false; // true: big font, red text, closes after kNoticeTimeoutMs
    std::string title;   // UTF-8
    std::string text;    // UTF-8, lines separated by single carriage returns
    std::vector<std::vector<std::string>> rows; // the records as cells, in the order of the text
};
inline constexpr std::uint32_t kNoticeTimeoutMs = 2000;
ResultsLogView resultsLogView(const ResultsLog& log, const LocalTimeOf& localTime);
