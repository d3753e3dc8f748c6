#include "lesson_languages.h"

#include "safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::string_view kHeader = "KAZ-TRAINER Sprachen 1";
constexpr std::string_view kReadAloudKey = "vorlesen";

// Windows-1252 holds the letters of these languages; German first, then by German name.
const std::vector<LessonLanguage> kLanguages = {
    {"de", "Deutsch"},        {"af", "Afrikaans"},
    {"sq", "Albanisch"},      {"eu", "Baskisch"},
    {"da", "Dänisch"},        {"en", "Englisch"},
    {"et", "Estnisch"},       {"fo", "Färöisch"},
    {"fi", "Finnisch"},       {"fr", "Französisch"},
    {"gl", "Galicisch"},      {"id", "Indonesisch"},
    {"ga", "Irisch"},         {"is", "Isländisch"},
    {"it", "Italienisch"},    {"ca", "Katalanisch"},
    {"la", "Latein"},         {"ms", "Malaiisch"},
    {"nl", "Niederländisch"}, {"nb", "Norwegisch"},
    {"pt", "Portugiesisch"},  {"gd", "Schottisch-Gälisch"},
    {"sv", "Schwedisch"},     {"es", "Spanisch"},
    {"sw", "Suaheli"},        {"cy", "Walisisch"},
};

// The German names of languages as lesson file names spell them (upper case, umlauts written
// out, as the sample "FRANZOES.LSN"), each a prefix: "SPANISCH", "SPAN".
struct NameHint {
    std::string_view prefix;
    const char* code;
};
constexpr NameHint kNameHints[] = {
    {"ENGL", "en"},   {"FRANZ", "fr"},  {"SPAN", "es"},    {"ITAL", "it"},
    {"LATEIN", "la"}, {"PORTUG", "pt"}, {"NIEDERL", "nl"}, {"HOLL", "nl"},
    {"DAEN", "da"},   {"SCHWED", "sv"}, {"NORW", "nb"},    {"FINN", "fi"},
    {"ISL", "is"},    {"KATAL", "ca"},  {"FRENCH", "fr"},  {"LATIN", "la"},
};

struct Sample {
    std::string_view fileName;
    const char* second;
};
constexpr Sample kSamples[] = {
    {"ENGLISCH.LSN", "en"},
    {"FRANZOES.LSN", "fr"},
    {"LATEIN.LSN", "la"},
};

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

std::string_view baseName(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool known(std::string_view code)
{
    return std::any_of(kLanguages.begin(), kLanguages.end(),
                       [code](const LessonLanguage& l) { return code == l.code; });
}

// Letters that belong to few languages (Windows-1252 bytes), the surest first.
struct LetterHint {
    const char* letters;
    const char* code;
};
constexpr LetterHint kLetterHints[] = {
    {"\xF1\xD1\xBF\xA1", "es"},                 // ñ Ñ ¿ ¡
    {"\xE3\xF5\xC3\xD5", "pt"},                 // ã õ Ã Õ
    {"\xE5\xC5\xF8\xD8\xE6\xC6", "da"},         // å Å ø Ø æ Æ
    {"\x9C\x8C\xE7\xC7\xEA\xE8\xEE\xFB", "fr"}, // œ Œ ç Ç ê è î û
    {"\xDF\xE4\xC4\xF6\xD6\xFC\xDC", "de"},     // ß ä Ä ö Ö ü Ü
};

bool storable(const std::string& path)
{
    return !path.empty() && path.find_first_of("\t\n\r") == std::string::npos;
}

} // namespace

const std::vector<LessonLanguage>& lessonLanguages()
{
    return kLanguages;
}

std::string languageName(std::string_view code)
{
    for (const LessonLanguage& l : kLanguages)
        if (code == l.code) return l.name;
    return std::string(code);
}

std::string languageCode(std::string_view tag)
{
    std::string out(tag.substr(0, tag.find_first_of("-_")));
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (out == "no") out = "nb"; // Norwegian as the speech services name it
    return out;
}

std::optional<SideLanguages> sampleLessonLanguages(std::string_view path)
{
    const std::string name = upperAscii(baseName(path));
    for (const Sample& s : kSamples)
        if (name == s.fileName) return SideLanguages{"de", s.second};
    return std::nullopt;
}

std::string guessLanguage(std::size_t side, std::string_view lessonPath,
                          const std::vector<std::string>& terms)
{
    for (const LetterHint& hint : kLetterHints) {
        const bool found = std::any_of(terms.begin(), terms.end(), [&hint](const std::string& t) {
            return t.find_first_of(hint.letters) != std::string::npos;
        });
        // German letters only tell the first side: a German lesson's second side is rarely German.
        if (found && (side == 0 || std::strcmp(hint.code, "de") != 0)) return hint.code;
    }
    if (side == 0) return "de";
    std::string name = upperAscii(baseName(lessonPath));
    for (const NameHint& hint : kNameHints)
        if (name.find(hint.prefix) != std::string::npos) return hint.code;
    return "en";
}

// --- the store ------------------------------------------------------------------------------

SideLanguages LessonLanguageStore::find(const std::string& lessonPath) const
{
    for (const Entry& e : entries_)
        if (e.path == lessonPath) return e.languages;
    return {};
}

bool LessonLanguageStore::keep(const std::string& lessonPath, const SideLanguages& languages)
{
    if (!storable(lessonPath) || (languages[0].empty() && languages[1].empty())) return false;
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&lessonPath](const Entry& e) { return e.path == lessonPath; });
    if (it != entries_.end()) {
        if (it->languages == languages && it + 1 == entries_.end()) return false;
        entries_.erase(it);
    }
    entries_.push_back({lessonPath, languages});
    if (entries_.size() > kMaxLessons)
        entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(
                                                                entries_.size() - kMaxLessons));
    return true;
}

std::string LessonLanguageStore::toBytes() const
{
    std::string out(kHeader);
    out += '\n';
    out += kReadAloudKey;
    out += readAloud_ ? "\t1\n" : "\t0\n";
    for (const Entry& e : entries_)
        out += e.languages[0] + '\t' + e.languages[1] + '\t' + e.path + '\n';
    return out;
}

void LessonLanguageStore::fromBytes(std::string_view bytes)
{
    entries_.clear();
    readAloud_ = false;
    std::size_t lineNo = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNo++ == 0) {
            if (line != kHeader) return; // not our file, or a newer one: start empty
            continue;
        }
        const std::size_t tab1 = line.find('\t');
        if (tab1 == std::string_view::npos) continue;
        const std::string_view first = line.substr(0, tab1);
        const std::string_view rest = line.substr(tab1 + 1);
        if (first == kReadAloudKey) {
            readAloud_ = rest == "1";
            continue;
        }
        const std::size_t tab2 = rest.find('\t');
        if (tab2 == std::string_view::npos) continue;
        const std::string_view second = rest.substr(0, tab2);
        const std::string path(rest.substr(tab2 + 1));
        const bool codesFit = (first.empty() || known(first)) && (second.empty() || known(second));
        if (codesFit) keep(path, {std::string(first), std::string(second)});
    }
}

bool LessonLanguageStore::load()
{
    std::string bytes;
    if (!readFilePrefix(file_, kMaxFileBytes, bytes)) {
        const bool missing = errno == ENOENT;
        fromBytes({});
        return missing;
    }
    fromBytes(bytes);
    return true;
}

bool LessonLanguageStore::save() const
{
    return replaceFileContents(file_, toBytes(), LinkTarget::Replace);
}
