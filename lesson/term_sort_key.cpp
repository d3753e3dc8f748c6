#include "term_sort_key.h"

#include <array>
#include <cstdint>

namespace {

// Primary weights, one or two bytes per character; all above the level separator 0.
constexpr std::uint8_t kSymbolGroup = 0x10; // followed by the byte itself
constexpr std::uint8_t kDigitBase = 0x20;   // '0' .. '9'
constexpr std::uint8_t kLetterBase = 0x40;  // 'a' .. 'z'

enum Accent : std::uint8_t {
    None = 1, // the separator is 0, so every secondary weight is at least 1
    Grave,
    Acute,
    Circumflex,
    Tilde,
    Diaeresis,
    Ring,
    Cedilla,
    Stroke,
    Caron,
    Hook,
    Ligature,
};

struct Folding {
    char base[3]; // one or two lower-case letters; empty for a digit or symbol
    Accent accent;
};

// Letters of Windows-1252 beyond a-z and A-Z, and how they fold. A small letter folds as its
// capital: 0x20 below it (0x10 in the row 0x9A..0x9E; the capital of 0xFF is 0x9F).
Folding foldExtended(unsigned char c)
{
    if (c == 0xFF)
        c = 0x9F;
    else if (c >= 0xE0) // 0xF7 (division sign) becomes 0xD7 (multiplication sign): no letters
        c -= 0x20;
    else if (c == 0x9A || c == 0x9C || c == 0x9E)
        c -= 0x10;
    switch (c) {
    case 0x83:
        return {"f", Hook};
    case 0x8A:
        return {"s", Caron};
    case 0x8C:
        return {"oe", Ligature};
    case 0x8E:
        return {"z", Caron};
    case 0x9F:
        return {"y", Diaeresis};
    case 0xC0:
        return {"a", Grave};
    case 0xC1:
        return {"a", Acute};
    case 0xC2:
        return {"a", Circumflex};
    case 0xC3:
        return {"a", Tilde};
    case 0xC4:
        return {"a", Diaeresis};
    case 0xC5:
        return {"a", Ring};
    case 0xC6:
        return {"ae", Ligature};
    case 0xC7:
        return {"c", Cedilla};
    case 0xC8:
        return {"e", Grave};
    case 0xC9:
        return {"e", Acute};
    case 0xCA:
        return {"e", Circumflex};
    case 0xCB:
        return {"e", Diaeresis};
    case 0xCC:
        return {"i", Grave};
    case 0xCD:
        return {"i", Acute};
    case 0xCE:
        return {"i", Circumflex};
    case 0xCF:
        return {"i", Diaeresis};
    case 0xD0:
        return {"d", Stroke};
    case 0xD1:
        return {"n", Tilde};
    case 0xD2:
        return {"o", Grave};
    case 0xD3:
        return {"o", Acute};
    case 0xD4:
        return {"o", Circumflex};
    case 0xD5:
        return {"o", Tilde};
    case 0xD6:
        return {"o", Diaeresis};
    case 0xD8:
        return {"o", Stroke};
    case 0xD9:
        return {"u", Grave};
    case 0xDA:
        return {"u", Acute};
    case 0xDB:
        return {"u", Circumflex};
    case 0xDC:
        return {"u", Diaeresis};
    case 0xDD:
        return {"y", Acute};
    case 0xDE:
        return {"th", Ligature};
    case 0xDF:
        return {"ss", Ligature};
    default:
        return {"", None};
    }
}

// What a term holds beyond plain letters, digits and symbols: which levels its key needs.
enum Marks : std::uint8_t {
    Accented = 1, // a letter with an accent or a ligature: the second level
    Skipped = 2,  // a hyphen or apostrophe: the second and third levels
};

// Third-level weights, one per character: which characters the first two levels skipped,
// and where. All above 0, so the key keeps one zero byte.
enum Last : std::uint8_t {
    Weighed = 1,
    Apostrophe,
    Hyphen,
};

// The weights of one character: its primary bytes (one or two letters, a digit, or a symbol
// group with the byte itself), its secondary weights (one per letter, else one) and its third.
// A hyphen or apostrophe has no first and second weights.
struct Weights {
    char primary[2];
    std::uint8_t primaryCount;   // 0, 1 or 2
    std::uint8_t secondaryCount; // 0, 1 or 2
    Accent accent;
    std::uint8_t marks; // Marks
    Last last;
};

Weights weightsOf(unsigned char c)
{
    if (c == '\'') return {{}, 0, 0, None, Skipped, Apostrophe};
    if (c == '-') return {{}, 0, 0, None, Skipped, Hyphen};
    if (c >= '0' && c <= '9')
        return {{static_cast<char>(kDigitBase + (c - '0'))}, 1, 1, None, 0, Weighed};
    Folding f{"", None};
    if (c >= 'a' && c <= 'z')
        f.base[0] = static_cast<char>(c);
    else if (c >= 'A' && c <= 'Z')
        f.base[0] = static_cast<char>(c - 'A' + 'a');
    else
        f = foldExtended(c);
    if (f.base[0] == '\0')
        return {{static_cast<char>(kSymbolGroup), static_cast<char>(c)}, 2, 1, None, 0, Weighed};
    Weights w{{static_cast<char>(kLetterBase + (f.base[0] - 'a'))},        1,      1, f.accent,
              f.accent == None ? std::uint8_t{0} : std::uint8_t{Accented}, Weighed};
    if (f.base[1] != '\0') {
        w.primary[1] = static_cast<char>(kLetterBase + (f.base[1] - 'a'));
        w.primaryCount = w.secondaryCount = 2;
    }
    return w;
}

// The weights of every Windows-1252 byte, worked out once.
const std::array<Weights, 256>& weightTable()
{
    static const std::array<Weights, 256> table = [] {
        std::array<Weights, 256> t{};
        for (std::size_t c = 0; c < t.size(); ++c)
            t[c] = weightsOf(static_cast<unsigned char>(c));
        return t;
    }();
    return table;
}

} // namespace

void appendTermSortKey(std::string_view term, std::string& key)
{
    const std::array<Weights, 256>& table = weightTable();
    // Written through a pointer into room for the longest key, cut to size at the end: each
    // character writes two bytes of a level and moves on by as many as it has there.
    const std::size_t start = key.size();
    key.resize(start + 5 * term.size() + 1);
    char* out = key.data() + start;
    std::uint8_t marks = 0;
    for (const char ch : term) {
        const Weights& w = table[static_cast<unsigned char>(ch)];
        out[0] = w.primary[0];
        out[1] = w.primary[1];
        out += w.primaryCount;
        marks |= w.marks;
    }
    // The level separator sorts below every weight, so a term that is a prefix of another
    // sorts first. Terms hold no zero byte, so a symbol's own byte is never 0 either.
    *out++ = '\0';
    // Two terms of the same first level have second levels of the same length (the first
    // level tells which characters they are made of, hyphens and apostrophes aside), so a
    // second level of plain letters only, the lowest there is, sorts the same when it is left
    // out: most keys are halved. It stays when a third level follows, which would otherwise be
    // compared with another term's second.
    if (marks != 0) {
        for (const char ch : term) {
            const Weights& w = table[static_cast<unsigned char>(ch)];
            out[0] = out[1] = static_cast<char>(w.accent);
            out += w.secondaryCount;
        }
    }
    // Last, where hyphens and apostrophes stand: "coop" before "co-op" before "co--op".
    if ((marks & Skipped) != 0) {
        for (const char ch : term)
            *out++ = static_cast<char>(table[static_cast<unsigned char>(ch)].last);
    }
    key.resize(static_cast<std::size_t>(out - key.data()));
}

std::string termSortKey(std::string_view term)
{
    std::string key;
    key.reserve(5 * term.size() + 1);
    appendTermSortKey(term, key);
    return key;
}
