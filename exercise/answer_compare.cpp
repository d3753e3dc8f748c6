#include "answer_compare.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char kBlank = ' ';

// The marks that the ignore-punctuation option turns into blanks.
bool isIgnorableMark(char c)
{
    return c == ',' || c == '.' || c == ';';
}

std::string_view untilZero(std::string_view text)
{
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

// Items of a comma-separated list: blanks before a comma (or the end) are cut off, blanks right
// after a comma skipped, empty items dropped. Inner blanks stay.
std::vector<std::string_view> splitItems(std::string_view text)
{
    std::vector<std::string_view> items;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ',') continue;
        std::size_t end = i;
        while (end > start && text[end - 1] == kBlank)
            --end;
        if (end > start) items.push_back(text.substr(start, end - start));
        start = i + 1;
        while (start < text.size() && text[start] == kBlank)
            ++start;
        i = start - 1;
    }
    return items;
}

// True when every item of `from` occurs in `in`; the order button blinks once per item found.
// Stops at the first item that is missing.
bool everyItemFound(const std::vector<std::string_view>& from,
                    const std::vector<std::string_view>& in, CompareFeedback& feedback)
{
    for (const std::string_view item : from) {
        if (std::find(in.begin(), in.end(), item) == in.end()) return false;
        feedback.startBlink(OptionButton::AnyOrder, kOptionBlinkPeriodMs);
    }
    return true;
}

} // namespace

bool answersMatch(std::string_view expected, std::string_view typed, const CompareOptions& options,
                  CompareFeedback& feedback)
{
    expected = untilZero(expected);
    typed = untilZero(typed);
    if (expected == typed) return true;

    bool result = false;
    std::string a(expected);
    std::string b(typed);
    const std::size_t lenA = a.size();
    const std::size_t lenB = b.size();
    const std::size_t n = std::max(lenA, lenB);

    for (std::size_t i = 0; i < n; ++i) {
        if (i < lenA && i < lenB && a[i] != b[i] && upperAscii(a[i]) == upperAscii(b[i]))
            feedback.startBlink(OptionButton::IgnoreCase, kOptionBlinkPeriodMs);
        if (options.ignoreCase) {
            if (i < lenA) a[i] = upperAscii(a[i]);
            if (i < lenB) b[i] = upperAscii(b[i]);
        }
    }
    if (options.ignoreCase && a == b) result = true;

    std::string c = a;
    std::string d = b;

    if (options.anyOrder) {
        const auto itemsA = splitItems(a);
        const auto itemsB = splitItems(b);
        // Two texts without any item (only commas and blanks) compare as two empty sets: equal.
        if (everyItemFound(itemsA, itemsB, feedback) && everyItemFound(itemsB, itemsA, feedback))
            result = true;
    }

    for (std::size_t i = 0; i < n; ++i) {
        if (i < lenA && i < lenB && c[i] != d[i] &&
            (isIgnorableMark(c[i]) || isIgnorableMark(d[i])))
            feedback.startBlink(OptionButton::IgnorePunctuation, kOptionBlinkPeriodMs);
        if (options.ignorePunctuation) {
            if (i < lenA && isIgnorableMark(c[i])) c[i] = kBlank;
            if (i < lenB && isIgnorableMark(d[i])) d[i] = kBlank;
        }
    }
    if (options.ignorePunctuation) {
        normalizeTerm(c);
        normalizeTerm(d);
        if (c == d) result = true;
    }
    return result;
}
