#include "term_text.h"

namespace {

constexpr char kBlank = ' ';

// Pass 1 of normalizeTerm treats every control character as a blank as well.
bool isBlankOrControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// The marks that get their blanks arranged by pass 2 of normalizeTerm.
bool isSentenceMark(char c)
{
    return c == ',' || c == '.' || c == ';' || c == '?' || c == '!' || c == ':';
}

// Copies the text onto itself. The write position never passes the read position: a blank is
// owed only after at least one byte was skipped.
void collapseBlanks(std::string& term)
{
    std::size_t out = 0;
    bool blankPending = false;
    for (const char c : term) {
        if (isBlankOrControl(c)) {
            blankPending = out > 0;
            continue;
        }
        if (blankPending) {
            term[out++] = kBlank;
            blankPending = false;
        }
        term[out++] = c;
    }
    term.resize(out);
}

void spaceSentenceMarks(std::string& term)
{
    std::size_t i = 0;
    while (i < term.size()) {
        if (!isSentenceMark(term[i])) {
            ++i;
            continue;
        }
        if (i > 0 && term[i - 1] == kBlank) {
            term.erase(i - 1, 1);
            --i; // the same mark again, now at its new place
            continue;
        }
        if (i + 1 == term.size()) break;
        if (term[i + 1] != kBlank && term.size() < kMaxFieldChars) term.insert(i + 1, 1, kBlank);
        i += 2; // behind whatever now follows the mark
    }
}

} // namespace

void normalizeTerm(std::string& term)
{
    if (const std::size_t zero = term.find('\0'); zero != std::string::npos) term.resize(zero);
    collapseBlanks(term);
    spaceSentenceMarks(term);
}
