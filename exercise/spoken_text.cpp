#include "spoken_text.h"

#include "windows1252.h"

#include <string>
#include <vector>

namespace {

// Letters of ASCII and Latin-1, the letters a German display text has.
bool isCapital(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

bool isSmall(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7);
}

// Lower case for the capitals isCapital() knows: Latin-1 keeps its accented capitals 0x20
// below their small letters, as ASCII does.
char32_t toSmall(char32_t c)
{
    return isCapital(c) ? c + 0x20 : c;
}

bool isOneCharacter(std::string_view word)
{
    return !word.empty() && decodeUtf8(word, 0).length == word.size();
}

bool isNumber(std::string_view word)
{
    for (char c : word)
        if (c < '0' || c > '9') return false;
    return !word.empty();
}

// A group of characters each standing alone ("F E H L E R !") as one word ("Fehler!"). Each
// piece is one UTF-8 character or a count, so the word is UTF-8 throughout.
std::string closedUp(const std::vector<std::string_view>& singles)
{
    std::string joined;
    for (std::string_view s : singles)
        joined += s;
    std::u32string word;
    for (std::size_t pos = 0; pos < joined.size();) {
        const Utf8Char c = decodeUtf8(joined, pos);
        word.push_back(c.codePoint);
        pos += c.length;
    }
    bool capitalsOnly = true;
    int letters = 0;
    for (const char32_t c : word) {
        if (isSmall(c)) capitalsOnly = false;
        if (isCapital(c) || isSmall(c)) ++letters;
    }
    if (!capitalsOnly || letters < 2) return joined;
    bool first = true;
    std::string out;
    for (char32_t c : word) {
        if (isCapital(c)) {
            if (!first) c = toSmall(c);
            first = false;
        }
        appendUtf8(out, c);
    }
    return out;
}

} // namespace

std::string spokenText(std::string_view shown)
{
    // Groups are separated by two or more spaces; inside a group words by single spaces.
    std::string out;
    std::size_t pos = 0;
    while (pos < shown.size()) {
        while (pos < shown.size() && shown[pos] == ' ')
            ++pos;
        if (pos == shown.size()) break;
        std::size_t end = shown.find("  ", pos);
        if (end == std::string_view::npos) end = shown.size();
        std::string_view group = shown.substr(pos, end - pos);
        while (!group.empty() && group.back() == ' ')
            group.remove_suffix(1);
        pos = end;

        std::vector<std::string_view> words;
        for (std::size_t w = 0; w <= group.size();) {
            std::size_t space = group.find(' ', w);
            if (space == std::string_view::npos) space = group.size();
            words.push_back(group.substr(w, space - w));
            w = space + 1;
        }
        // A count may lead the spread letters ("12 ." is "12.").
        bool spread = words.size() > 1;
        for (std::size_t i = 0; i < words.size(); ++i)
            spread = spread && (isOneCharacter(words[i]) || (i == 0 && isNumber(words[i])));
        if (!out.empty()) out += ' ';
        out += spread ? closedUp(words) : std::string(group);
    }
    return out;
}
