#include "table_file.h"

#include "term_text.h"
#include "entry_chain.h"
#include "safe_file.h"
#include "windows1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr char kQuote = '"';
constexpr char kOutputSeparator = ';';
constexpr char32_t kReplacementChar = 0xFFFD;
// Separator detection looks at this many lines, which a header and a few rows fill.
constexpr std::size_t kSampleLines = 64;
constexpr std::array<char, 3> kSeparators = {'\t', ';', ','};
// A cell beginning with one of these is a formula to some spreadsheet program when it is opened
// (LibreOffice takes = only; others also + - @, and some skip a leading tab or line break).
constexpr std::string_view kFormulaStarts = "=+-@\t\r\n";
constexpr std::string_view kFormulaTextOpen = "=\"";
constexpr std::size_t kReadChunkBytes = 64 * 1024; // a file to import is read in these

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lowerAscii(text[i]) != prefix[i]) return false;
    return true;
}

// The input as text the parser reads: UTF-8 (utf8 == true) or Windows-1252 bytes.
struct DecodedText {
    TableEncoding encoding;
    std::string owned; // holds the text when it had to be converted
    std::string_view text;
    bool utf8;
};

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    const auto unitAt = [&](std::size_t i) {
        const auto a = static_cast<std::uint8_t>(bytes[i]);
        const auto b = static_cast<std::uint8_t>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        // A lone surrogate half stands for no character; the row holding it is refused.
        appendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacementChar : unit);
    }
    if (i < bytes.size()) appendUtf8(out, kReplacementChar); // an odd last byte
    return out;
}

DecodedText decode(std::string_view bytes)
{
    DecodedText d{TableEncoding::Utf8, {}, bytes, true};
    if (bytes.starts_with(kUtf8Bom)) {
        d.encoding = TableEncoding::Utf8Bom;
        d.text = bytes.substr(kUtf8Bom.size());
        // Text behind a mark that is no valid UTF-8 is still taken for what the mark says:
        // every broken sequence becomes U+FFFD, and its row is refused.
        if (!isValidUtf8(d.text)) {
            std::string fixed;
            for (std::size_t i = 0; i < d.text.size();) {
                const Utf8Char c = decodeUtf8(d.text, i);
                appendUtf8(fixed, c.length ? c.codePoint : kReplacementChar);
                i += c.length ? c.length : 1;
            }
            d.owned = std::move(fixed);
            d.text = d.owned;
        }
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        d.encoding = bigEndian ? TableEncoding::Utf16Be : TableEncoding::Utf16Le;
        d.owned = utf16ToUtf8(bytes.substr(2), bigEndian);
        d.text = d.owned;
    } else if (!isValidUtf8(bytes)) {
        d.encoding = TableEncoding::Windows1252;
        d.utf8 = false;
    }
    return d;
}

// A first line "sep=X" (as spreadsheet programs write it) names the separator; it is removed.
std::optional<char> takeSeparatorLine(std::string_view& text)
{
    constexpr std::string_view kSepPrefix = "sep=";
    const std::size_t end = kSepPrefix.size() + 1;
    if (!startsWithIgnoringCase(text, kSepPrefix) || text.size() < end) return std::nullopt;
    const char sep = text[kSepPrefix.size()];
    // Only an ASCII separator: any other byte may be part of a UTF-8 character.
    if (sep == kQuote || isLineEnd(sep) || static_cast<unsigned char>(sep) >= 0x80)
        return std::nullopt;
    if (text.size() > end && !isLineEnd(text[end])) return std::nullopt;
    std::size_t skip = end;
    if (skip < text.size() && text[skip] == '\r') ++skip;
    if (skip < text.size() && text[skip] == '\n') ++skip;
    text.remove_prefix(skip);
    return sep;
}

// The candidate found outside quotes on the most of the first lines.
char detectSeparator(std::string_view text)
{
    std::array<std::size_t, kSeparators.size()> lines{};
    std::array<bool, kSeparators.size()> seen{};
    const auto endLine = [&] {
        for (std::size_t k = 0; k < seen.size(); ++k)
            lines[k] += seen[k] ? 1 : 0;
        seen = {};
    };
    bool quoted = false;
    std::size_t lineCount = 0;
    for (const char c : text) {
        if (c == kQuote) {
            quoted = !quoted;
        } else if (!quoted) {
            if (isLineEnd(c)) {
                endLine();
                if (++lineCount == kSampleLines) break;
            }
            for (std::size_t k = 0; k < kSeparators.size(); ++k)
                seen[k] = seen[k] || c == kSeparators[k];
        }
    }
    endLine();
    const auto best = std::max_element(lines.begin(), lines.end()); // the first of equals
    return *best > 0 ? kSeparators[static_cast<std::size_t>(best - lines.begin())] : ';';
}

// One record: its first two fields and what makes it unfit for a lesson; after judging, each
// term as it was before tidying and whether tidying changed it.
struct Record {
    std::array<std::string, 2> terms;
    std::array<bool, 2> lineBreak{};
    bool unclosedQuote = false;
    std::array<std::string, 2> untidied;
    std::array<bool, 2> tidied{};
};

// RFC 4180 records, read leniently: a quote that does not open a field is a plain character,
// text after a closing quote belongs to the field, blanks before an opening quote are dropped,
// and a record ends at CRLF, LF or CR. A quote that no quote closes makes its record end with
// the line the quote opened on, so that the lines after it are read as records again.
class RecordReader {
public:
    RecordReader(std::string_view text, char separator) : text_(text), sep_(separator) {}

    bool next(Record& record)
    {
        if (pos_ >= text_.size()) return false;
        for (std::size_t f = 0; f < 2; ++f) {
            record.terms[f].clear();
            record.lineBreak[f] = false;
        }
        record.unclosedQuote = false;
        for (std::size_t column = 0;; ++column) {
            std::string* out = column < 2 ? &record.terms[column] : nullptr;
            if (!readField(out, column < 2 ? &record.lineBreak[column] : nullptr)) {
                record.unclosedQuote = true;
                return true;
            }
            if (pos_ >= text_.size()) return true;
            const char c = text_[pos_++];
            if (c == sep_) continue;
            if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
            return true;
        }
    }

private:
    // Reads one field up to its separator or line end (left unread); false when a quote was
    // still open at the end of the text.
    bool readField(std::string* out, bool* lineBreak)
    {
        std::size_t start = pos_;
        while (start < text_.size() && text_[start] == ' ' && sep_ != ' ')
            ++start;
        if (start < text_.size() && text_[start] == kQuote) {
            pos_ = start + 1;
            for (;;) {
                const std::size_t quote = text_.find(kQuote, pos_);
                const std::string_view part =
                    text_.substr(pos_, quote == std::string_view::npos ? quote : quote - pos_);
                if (out) out->append(part);
                if (lineBreak && part.find_first_of("\r\n") != std::string_view::npos)
                    *lineBreak = true;
                if (quote == std::string_view::npos) {
                    pos_ = std::min(text_.find_first_of("\r\n", start), text_.size());
                    if (pos_ < text_.size() && text_[pos_++] == '\r' && pos_ < text_.size() &&
                        text_[pos_] == '\n')
                        ++pos_;
                    return false;
                }
                pos_ = quote + 1;
                if (pos_ < text_.size() && text_[pos_] == kQuote) {
                    if (out) out->push_back(kQuote);
                    ++pos_;
                    continue;
                }
                break;
            }
        }
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != sep_ && !isLineEnd(text_[end]))
            ++end;
        if (out) out->append(text_.substr(pos_, end - pos_));
        pos_ = end;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    char sep_;
};

std::string codePointName(char32_t cp)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
    return hex;
}

// Turns a term into its Windows-1252 bytes in place; false (and the reason) when a character
// has none. A UTF-8 sequence is never shorter than its byte, so writing trails reading.
bool toLessonBytes(std::string& term, bool utf8, std::string& reason)
{
    const auto refuse = [&](char32_t cp) {
        reason = "Zeichen ";
        if (cp >= 0x20 && cp != kReplacementChar) {
            reason += "„";
            appendUtf8(reason, cp);
            reason += "“ ";
        }
        reason += "(" + codePointName(cp) + ") kann in einer Lektion nicht stehen";
        return false;
    };
    if (term.find('\0') != std::string::npos) return refuse(0);
    if (!utf8) return true;
    std::size_t out = 0;
    for (std::size_t i = 0; i < term.size();) {
        const Utf8Char c = decodeUtf8(term, i); // the text was checked or made valid
        if (c.length == 0) return refuse(kReplacementChar);
        const int byte = windows1252Byte(c.codePoint);
        if (byte < 0 || c.codePoint == kReplacementChar) return refuse(c.codePoint);
        term[out++] = static_cast<char>(byte);
        i += c.length;
    }
    term.resize(out);
    return true;
}

// A cell holding the formula ="text" (a single string literal, its quotes doubled) becomes
// the text the spreadsheet shows for it.
void takeFormulaText(std::string& cell)
{
    if (cell.size() < kFormulaTextOpen.size() + 1 || !cell.starts_with(kFormulaTextOpen) ||
        cell.back() != kQuote)
        return;
    const std::string_view inner =
        std::string_view(cell).substr(2, cell.size() - kFormulaTextOpen.size() - 1);
    std::string text;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == kQuote) {
            if (i + 1 == inner.size() || inner[i + 1] != kQuote) return; // no single literal
            ++i;
        }
        text.push_back(inner[i]);
    }
    cell = std::move(text);
}

constexpr std::array<const char*, 2> kTermNames = {"erster Begriff", "zweiter Begriff"};

enum class RowOutcome { Empty, Taken, Refused };

// Makes the record's two terms what the lesson stores, or gives the reason it cannot. formulas:
// a cell ="text" stands for its text, as in a table written by a spreadsheet program.
RowOutcome judge(Record& record, bool utf8, std::string& reason, bool formulas = true)
{
    const auto refused = [&](std::string why) {
        reason = std::move(why);
        return RowOutcome::Refused;
    };
    std::array<std::string, 2>& terms = record.terms;
    if (record.unclosedQuote) return refused("Anführungszeichen nicht geschlossen");
    for (std::size_t f = 0; f < 2; ++f)
        if (record.lineBreak[f]) return refused(std::string(kTermNames[f]) + " mit Zeilenumbruch");
    for (std::size_t f = 0; f < 2; ++f) {
        if (formulas) takeFormulaText(terms[f]);
        if (!toLessonBytes(terms[f], utf8, reason)) return RowOutcome::Refused;
        record.untidied[f].assign(terms[f]);
        normalizeTerm(terms[f]);
        record.tidied[f] = terms[f] != record.untidied[f];
    }
    if (terms[0].empty() && terms[1].empty()) return RowOutcome::Empty;
    for (std::size_t f = 0; f < 2; ++f)
        if (terms[f].empty()) return refused(std::string(kTermNames[f]) + " fehlt");
    for (std::size_t f = 0; f < 2; ++f) {
        if (terms[f].size() > kMaxTermBytes)
            return refused(std::string(kTermNames[f]) + " länger als " +
                           std::to_string(kMaxTermBytes) + " Zeichen (" +
                           std::to_string(terms[f].size()) + ")");
    }
    return RowOutcome::Taken;
}

// Tabs are quoted too: the separator detection looks outside quotes only, and a tab on every
// line would tie with the semicolons and win.
bool needsQuotes(std::string_view field)
{
    return field.find_first_of("\";\t\r\n") != std::string_view::npos ||
           (!field.empty() && (field.front() == ' ' || field.back() == ' ')) ||
           startsWithIgnoringCase(field, "sep=");
}

// open, then text with each quote doubled, then a closing quote.
std::string quoted(std::string_view open, std::string_view text)
{
    std::string out(open);
    for (const char c : text) {
        if (c == kQuote) out.push_back(kQuote);
        out.push_back(c);
    }
    out.push_back(kQuote);
    return out;
}

void appendField(std::string& out, std::string_view term)
{
    std::string utf8 = windows1252ToUtf8(term);
    if (!utf8.empty() && kFormulaStarts.find(utf8.front()) != std::string_view::npos)
        utf8 = quoted(kFormulaTextOpen, utf8);
    out += needsQuotes(utf8) ? quoted("\"", utf8) : utf8;
}

std::string rowCount(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " Zeile" : " Zeilen");
}

// The most bytes a table may have under the limits: kTableBytesPerEntry per entry allowed.
std::uint64_t tableByteLimit(const LessonReadLimits& limits)
{
    return tableEntryLimit(limits) * kTableBytesPerEntry;
}

// Records one judged record: counted, listed, and appended when taken. Returns false when the
// chain can count no more entries (the table is then TooLarge).
bool takeRecord(Record& record, RowOutcome outcome, std::size_t row, std::string& reason,
                EntryChain& chain, LessonReadListener* listener, std::uint64_t room,
                TableReadReport& report)
{
    switch (outcome) {
    case RowOutcome::Empty:
        break;
    case RowOutcome::Refused:
        if (report.refused.size() < kListedRefusals)
            report.refused.push_back({row, std::move(reason)});
        ++report.refusedRows;
        break;
    case RowOutcome::Taken: {
        if (report.rowsTaken == room) return false;
        for (std::size_t f = 0; f < 2; ++f) {
            if (!record.tidied[f]) continue;
            if (report.tidied.size() < kListedRefusals)
                report.tidied.push_back({row, windows1252ToUtf8(record.untidied[f]),
                                         windows1252ToUtf8(record.terms[f])});
            ++report.tidiedCells;
        }
        strWort* entry = chain.append(record.terms[0], record.terms[1]);
        ++report.rowsTaken;
        if (listener) listener->pairRead(*entry);
        break;
    }
    }
    return true;
}

// What the chain can still count.
std::uint64_t chainRoom(const EntryChain& chain)
{
    return std::numeric_limits<std::uint32_t>::max() - chain.entryCount();
}

// Reads the rows into the chain; throws std::bad_alloc when memory runs out.
void readRows(const DecodedText& decoded, std::string_view text, EntryChain& chain,
              LessonReadListener* listener, const LessonReadLimits& limits, TableReadReport& report)
{
    RecordReader reader(text, report.separator);
    Record record;
    std::string reason;
    // Every row counts, refused and empty ones too: it is the rows that take the time.
    const std::uint64_t maxRows = tableEntryLimit(limits);
    const std::uint64_t room = chainRoom(chain);
    for (std::size_t row = 1; reader.next(record); ++row) {
        if (row > maxRows || !takeRecord(record, judge(record, decoded.utf8, reason), row, reason,
                                         chain, listener, room, report)) {
            report.result = LessonReadResult::TooLarge;
            return;
        }
    }
}

// Runs read (which appends to the chain and fills the report, throwing std::bad_alloc when
// memory runs out) between the listener's calls; a read that proved too large leaves the chain
// as it was.
template <typename Read>
TableReadReport readIntoChain(EntryChain& chain, LessonReadListener* listener, Read read)
{
    TableReadReport report;
    if (listener) listener->beforePairs();
    strWort* const lastBefore = chain.lastEntry();
    try {
        read(report);
    } catch (const std::bad_alloc&) {
        report.result = LessonReadResult::TooLarge;
    }
    if (report.result == LessonReadResult::TooLarge) {
        // Deleting frees memory and allocates none, so this works when memory ran out.
        while (chain.lastEntry() != lastBefore)
            chain.deleteLast();
        chain.currentEntry = nullptr; // as the appends had left it
        report = TableReadReport{};
        report.result = LessonReadResult::TooLarge;
        if (listener) listener->readAbandoned();
        return report;
    }
    if (listener) listener->afterPairs();
    return report;
}

} // namespace

TableReadReport readTableBytes(std::string_view bytes, EntryChain& chain,
                               LessonReadListener* listener, const LessonReadLimits& limits)
{
    return readIntoChain(chain, listener, [&](TableReadReport& report) {
        if (bytes.size() > tableByteLimit(limits)) {
            report.result = LessonReadResult::TooLarge;
            return;
        }
        const DecodedText decoded = decode(bytes);
        report.encoding = decoded.encoding;
        std::string_view text = decoded.text;
        const std::optional<char> named = takeSeparatorLine(text);
        report.separator = named ? *named : detectSeparator(text);
        readRows(decoded, text, chain, listener, limits, report);
    });
}

TableReadReport appendTermPairs(std::span<ImportedPair> pairs, EntryChain& chain,
                                LessonReadListener* listener, const LessonReadLimits& limits)
{
    return readIntoChain(chain, listener, [&](TableReadReport& report) {
        if (pairs.size() > tableEntryLimit(limits)) {
            report.result = LessonReadResult::TooLarge;
            return;
        }
        Record record;
        std::string reason;
        const std::uint64_t room = chainRoom(chain);
        for (ImportedPair& pair : pairs) {
            record.terms = std::move(pair.terms);
            RowOutcome outcome = judge(record, true, reason, false);
            // An empty pair is one of the file's entries all the same, and is never left out
            // without a word.
            if (outcome == RowOutcome::Empty) {
                outcome = RowOutcome::Refused;
                reason = "beide Begriffe fehlen";
            }
            if (!takeRecord(record, outcome, pair.place, reason, chain, listener, room, report)) {
                report.result = LessonReadResult::TooLarge;
                return;
            }
        }
    });
}

LessonReadResult readImportFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes)
{
    bytes.clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFileForReading(path), &std::fclose);
    if (!file) return LessonReadResult::NotOpened;
    try {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        if (!error && size > maxBytes) return LessonReadResult::TooLarge;
        if (!error) bytes.reserve(size);
        std::array<char, kReadChunkBytes> chunk;
        for (;;) {
            const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
            // A device such as /dev/zero never ends: it is read one chunk past the limit.
            if (got > maxBytes - std::min<std::uint64_t>(bytes.size(), maxBytes))
                return LessonReadResult::TooLarge;
            bytes.append(chunk.data(), got);
            if (got < chunk.size()) break;
        }
        return std::ferror(file.get()) ? LessonReadResult::NotOpened : LessonReadResult::Read;
    } catch (const std::bad_alloc&) {
        return LessonReadResult::TooLarge;
    }
}

TableReadReport readTableFile(const std::string& path, EntryChain& chain,
                              LessonReadListener* listener, const LessonReadLimits& limits)
{
    TableReadReport report;
    std::string bytes;
    report.result = readImportFile(path, tableByteLimit(limits), bytes);
    if (report.result != LessonReadResult::Read) return report;
    return readTableBytes(bytes, chain, listener, limits); // memory running out: TooLarge
}

std::uint64_t tableEntryLimit(const LessonReadLimits& limits)
{
    return std::min(limits.maxEntries, kMaxTableEntries);
}

std::string tableLimitText(const LessonReadLimits& limits)
{
    // With the German thousands separator: 2.000.000.
    std::string count = std::to_string(tableEntryLimit(limits));
    for (std::size_t i = count.size(); i > 3; i -= 3)
        count.insert(i - 3, 1, '.');
    return "Eine Tabelle wird mit höchstens " + count + " Zeilen eingelesen.";
}

std::string tableBytes(const EntryChain& chain)
{
    std::string out(kUtf8Bom);
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next) {
        appendField(out, e->term1);
        out.push_back(kOutputSeparator);
        appendField(out, e->term2);
        out += "\r\n";
    }
    return out;
}

LessonWriteResult writeTableFile(const std::string& path, const EntryChain& chain)
{
    return replaceFileContents(path, tableBytes(chain)) ? LessonWriteResult::Written
                                                        : LessonWriteResult::NotOpened;
}

bool isTableFileName(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos)
        return false;
    const std::string_view ext = path.substr(dot);
    return ext.size() == 4 &&
           (startsWithIgnoringCase(ext, ".csv") || startsWithIgnoringCase(ext, ".tsv") ||
            startsWithIgnoringCase(ext, ".txt"));
}

bool opensAsTable(const std::string& path)
{
    if (!isTableFileName(path)) return false;
    std::string start;
    const std::size_t magicBytes = kLessonMagic.size() + 1;
    return !readFilePrefix(path, magicBytes, start) || start.size() < magicBytes ||
           start.compare(0, kLessonMagic.size(), kLessonMagic) != 0 ||
           start[kLessonMagic.size()] != '\0';
}

std::string tableReportText(const TableReadReport& report)
{
    std::string text = rowCount(report.rowsTaken) + " übernommen.";
    const auto more = [&](std::size_t total, std::size_t listed) {
        if (total > listed) text += "\nund " + std::to_string(total - listed) + " weitere.";
    };
    if (report.refusedRows > 0) {
        text += "\n" + rowCount(report.refusedRows) + " nicht übernommen:";
        for (const RefusedRow& r : report.refused)
            text += "\nZeile " + std::to_string(r.row) + ": " + r.reason;
        more(report.refusedRows, report.refused.size());
    }
    if (report.tidiedCells > 0) {
        text += "\n" + std::to_string(report.tidiedCells) +
                (report.tidiedCells == 1 ? " Zelle" : " Zellen") +
                " bereinigt, wie getippte Begriffe:";
        for (const TidiedCell& t : report.tidied)
            text += "\nZeile " + std::to_string(t.row) + ": „" + t.before + "“ → „" + t.after + "“";
        more(report.tidiedCells, report.tidied.size());
    }
    return text;
}
