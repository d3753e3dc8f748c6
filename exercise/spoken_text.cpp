#include "spoken_text.h"

#include <vector>

namespace {

bool isCapital(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

bool isSmall(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 0xDF && c != 0xF7);
}

// Lower case for the capitals isCapital() knows; Windows-1252 keeps its accented capitals
// 0x20 below their small letters, as ASCII does.
char toSmall(unsigned char c)
{
    return isCapital(c) ? static_cast<char>(c + 0x20) : static_cast<char>(c);
}

bool isNumber(std::string_view word)
{
    for (char c : word)
        if (c < '0' || c > '9') return false;
    return !word.empty();
}

// A group of characters each standing alone ("F E H L E R !") as one word ("Fehler!").
std::string closedUp(const std::vector<std::string_view>& singles)
{
    std::string word;
    for (std::string_view s : singles)
        word += s;
    bool capitalsOnly = true;
    int letters = 0;
    for (unsigned char c : word) {
        if (isSmall(c)) capitalsOnly = false;
        if (isCapital(c) || isSmall(c)) ++letters;
    }
    if (capitalsOnly && letters > 1) {
        bool first = true;
        for (char& c : word) {
            if (!isCapital(static_cast<unsigned char>(c))) continue;
            if (!first) c = toSmall(static_cast<unsigned char>(c));
            first = false;
        }
    }
    return word;
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
            spread = spread && (words[i].size() == 1 || (i == 0 && isNumber(words[i])));
        if (!out.empty()) out += ' ';
        out += spread ? closedUp(words) : std::string(group);
    }
    return out;
}
