#include "results_log.h"

#include "safe_file.h"
#include "text_format.h"
#include "windows1252.h"

#include <algorithm>

namespace {

// Field offsets inside a 68-byte record.
constexpr std::size_t kStartTimeAt = 0;
constexpr std::size_t kDurationAt = 4;
constexpr std::size_t kLessonNameAt = 8;
constexpr std::size_t kLessonNameField = kLessonNameChars + 1;
constexpr std::size_t kIgnoreCaseAt = 33;
constexpr std::size_t kIgnorePunctuationAt = 34;
constexpr std::size_t kAnyOrderAt = 35;
constexpr std::size_t kThresholdsAt = 36;
constexpr std::size_t kGradeAt = 56;
constexpr std::size_t kEntryCountAt = 60;
constexpr std::size_t kWrongEntriesAt = 64;
static_assert(kWrongEntriesAt + 4 == kResultRecordBytes);
static_assert(kLessonNameAt + kLessonNameField == kIgnoreCaseAt);

constexpr std::size_t kRuleChars = 68;
constexpr int kSecondsPerMinute = 60;

const char* const kTableHeader1 = "            Dauer  --Anzahl--      ab a,b a,b\r";
const char* const kTableHeader2 =
    "Datum  Zeit mmm:ss Begr. Fehl NOTE AB a b b,a Notenschlüssel Lektion\r";
const char* const kTableTitle = "Übungsprotokoll";
const char* const kNoticeTitle = "Übungsergebnis";
const char* const kNoticeText = "Kein aktuelles Ergebnis verfügbar!";

std::uint32_t readU32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

void writeU32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The last kLessonNameChars characters, up to a zero byte.
std::string_view nameTail(std::string_view name)
{
    name = name.substr(0, std::min(name.find('\0'), name.size()));
    return name.size() > kLessonNameChars ? name.substr(name.size() - kLessonNameChars) : name;
}

const char* mark(bool on)
{
    return on ? "x" : "-";
}

} // namespace

ResultsLog ResultsLog::fromBytes(std::string_view bytes)
{
    ResultsLog log;
    if (bytes.size() >= kResultsLogBytes)
        std::copy_n(bytes.begin(), kResultsLogBytes, log.image_.begin());
    return log;
}

ResultsLog ResultsLog::load(const std::string& path)
{
    std::string bytes;
    if (!readFilePrefix(path, kResultsLogBytes, bytes)) return ResultsLog();
    return fromBytes(bytes);
}

bool ResultsLog::save(const std::string& path) const
{
    // The program's own file: a link in its place is replaced, never written through.
    return replaceFileContents(path, bytes(), LinkTarget::Replace);
}

bool ResultsLog::slotEmpty(std::size_t slot) const
{
    return slot >= kResultSlots || readU32(&image_[slot * kResultRecordBytes + kEntryCountAt]) == 0;
}

std::size_t ResultsLog::usedSlots() const
{
    std::size_t used = 0;
    while (used < kResultSlots && !slotEmpty(used))
        ++used;
    return used;
}

ResultRecord ResultsLog::record(std::size_t slot) const
{
    ResultRecord r;
    if (slot >= kResultSlots) return r;
    const unsigned char* p = &image_[slot * kResultRecordBytes];
    r.startTime = readU32(p + kStartTimeAt);
    r.duration = static_cast<std::int32_t>(readU32(p + kDurationAt));
    const char* name = reinterpret_cast<const char*>(p + kLessonNameAt);
    r.lessonName.assign(name, std::find(name, name + kLessonNameField, '\0'));
    r.options.ignoreCase = p[kIgnoreCaseAt] != 0;
    r.options.ignorePunctuation = p[kIgnorePunctuationAt] != 0;
    r.options.anyOrder = p[kAnyOrderAt] != 0;
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        r.thresholds[i] = readU32(p + kThresholdsAt + 4 * i);
    r.grade = readU32(p + kGradeAt);
    r.entryCount = readU32(p + kEntryCountAt);
    r.wrongEntries = readU32(p + kWrongEntriesAt);
    return r;
}

void ResultsLog::append(const ResultRecord& record)
{
    std::size_t slot = usedSlots();
    if (slot == kResultSlots) {
        std::copy(image_.begin() + kResultRecordBytes, image_.end(), image_.begin());
        slot = kResultSlots - 1;
    }
    writeRecord(slot, record);
}

void ResultsLog::writeRecord(std::size_t slot, const ResultRecord& record)
{
    unsigned char* p = &image_[slot * kResultRecordBytes];
    writeU32(p + kStartTimeAt, record.startTime);
    writeU32(p + kDurationAt, static_cast<std::uint32_t>(record.duration));
    const std::string_view name = nameTail(record.lessonName);
    std::fill_n(p + kLessonNameAt, kLessonNameField, 0);
    std::copy(name.begin(), name.end(), p + kLessonNameAt);
    p[kIgnoreCaseAt] = record.options.ignoreCase ? 1 : 0;
    p[kIgnorePunctuationAt] = record.options.ignorePunctuation ? 1 : 0;
    p[kAnyOrderAt] = record.options.anyOrder ? 1 : 0;
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        writeU32(p + kThresholdsAt + 4 * i, record.thresholds[i]);
    writeU32(p + kGradeAt, record.grade);
    writeU32(p + kEntryCountAt, record.entryCount);
    writeU32(p + kWrongEntriesAt, record.wrongEntries);
}

std::string lessonNameFromPath(std::string_view path)
{
    if (path.empty()) return kNewLessonName;
    std::string_view name = path;
    if (const std::size_t sep = name.find_last_of("/\\"); sep != std::string_view::npos)
        name.remove_prefix(sep + 1);
    else if (name.size() >= 2 && name[1] == ':')
        name.remove_prefix(2); // "C:NAME.LSN"
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(0, dot);
    return std::string(nameTail(name));
}

std::string resultsTableRow(const ResultRecord& r, const std::tm& localStart)
{
    std::string row;
    row += format("%2i.%2i. %2i:%02i%3i:%02i", localStart.tm_mday, localStart.tm_mon + 1,
                  localStart.tm_hour, localStart.tm_min, r.duration / kSecondsPerMinute,
                  r.duration % kSecondsPerMinute);
    row += format("%5u ", r.entryCount);
    row += format("%5u   ", r.wrongEntries);
    row += format("%1u   ", r.grade);
    row += format("%s  %s   %s ", mark(r.options.ignoreCase), mark(r.options.ignorePunctuation),
                  mark(r.options.anyOrder));
    for (const std::uint32_t threshold : r.thresholds)
        row += format("%3u", threshold);
    row += ' ';
    row += windows1252ToUtf8(r.lessonName); // the record's bytes are Windows-1252
    row += '\r';
    return row;
}

std::vector<std::string> resultsTableCells(const ResultRecord& r, const std::tm& localStart)
{
    const auto yesNo = [](bool on) { return std::string(on ? "ja" : "nein"); };
    std::string thresholds;
    for (const std::uint32_t threshold : r.thresholds)
        thresholds += (thresholds.empty() ? "" : " ") + std::to_string(threshold);
    return {format("%i.%i.", localStart.tm_mday, localStart.tm_mon + 1),
            format("%i:%02i", localStart.tm_hour, localStart.tm_min),
            format("%i:%02i", r.duration / kSecondsPerMinute, r.duration % kSecondsPerMinute),
            std::to_string(r.entryCount),
            std::to_string(r.wrongEntries),
            std::to_string(r.grade),
            yesNo(r.options.ignoreCase),
            yesNo(r.options.ignorePunctuation),
            yesNo(r.options.anyOrder),
            thresholds,
            windows1252ToUtf8(r.lessonName)};
}

ResultsLogView resultsLogView(const ResultsLog& log, const LocalTimeOf& localTime)
{
    ResultsLogView view;
    if (log.slotEmpty(0)) {
        view.notice = true;
        view.title = kNoticeTitle;
        view.text = kNoticeText;
        return view;
    }
    const std::string rule = std::string(kRuleChars, '-') + '\r';
    view.title = kTableTitle;
    view.text = kTableHeader1;
    view.text += kTableHeader2;
    view.text += rule;
    for (std::size_t slot = 0, used = log.usedSlots(); slot < used; ++slot) {
        const ResultRecord r = log.record(slot);
        const std::tm start = localTime(r.startTime);
        view.text += resultsTableRow(r, start);
        view.rows.push_back(resultsTableCells(r, start));
    }
    view.text += rule;
    return view;
}
