#include "position_set.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::size_t kWordBits = 64;
constexpr std::size_t kWordShift = 6;
constexpr std::size_t kBitMask = kWordBits - 1;

constexpr std::size_t wordsFor(std::size_t bits)
{
    return (bits + kWordBits - 1) / kWordBits;
}

constexpr std::uint64_t bit(std::size_t pos)
{
    return std::uint64_t{1} << (pos & kBitMask);
}

} // namespace

void PositionSet::assign(std::size_t size, bool full)
{
    size_ = size;
    count_ = full ? size : 0;
    levels_.clear();
    std::size_t bits = size;
    do {
        levels_.emplace_back(std::max<std::size_t>(wordsFor(bits), 1), 0);
        bits = levels_.back().size();
    } while (bits > 1);

    if (!full) return;
    std::size_t members = size;
    for (auto& words : levels_) {
        for (std::size_t w = 0; w < words.size(); ++w) {
            const std::size_t first = w * kWordBits;
            if (members >= first + kWordBits)
                words[w] = ~std::uint64_t{0};
            else if (members > first)
                words[w] = (std::uint64_t{1} << (members - first)) - 1;
        }
        members =
            wordsFor(members); // a word of this level is non-zero exactly when it has a member
    }
}

bool PositionSet::contains(std::size_t pos) const
{
    return pos < size_ && (levels_[0][pos >> kWordShift] & bit(pos)) != 0;
}

void PositionSet::insert(std::size_t pos)
{
    if (pos >= size_ || contains(pos)) return;
    ++count_;
    for (auto& words : levels_) {
        std::uint64_t& word = words[pos >> kWordShift];
        const bool wasEmpty = word == 0;
        word |= bit(pos);
        if (!wasEmpty) return;
        pos >>= kWordShift;
    }
}

void PositionSet::erase(std::size_t pos)
{
    if (!contains(pos)) return;
    --count_;
    for (auto& words : levels_) {
        std::uint64_t& word = words[pos >> kWordShift];
        word &= ~bit(pos);
        if (word != 0) return;
        pos >>= kWordShift;
    }
}

std::size_t PositionSet::next(std::size_t from) const
{
    if (from >= size_) return npos;
    std::size_t level = 0;
    std::size_t pos = from;
    // Climb until a word holds a member at or after pos, ...
    for (;;) {
        const auto& words = levels_[level];
        const std::size_t w = pos >> kWordShift;
        if (w >= words.size()) return npos;
        const std::uint64_t rest = words[w] & (~std::uint64_t{0} << (pos & kBitMask));
        if (rest != 0) {
            pos = (w << kWordShift) | static_cast<std::size_t>(std::countr_zero(rest));
            break;
        }
        if (level + 1 == levels_.size()) return npos;
        pos = w + 1; // the next word of this level, as a bit of the level above
        ++level;
    }
    // ... then descend to the lowest member below that summary bit.
    while (level > 0) {
        --level;
        pos = (pos << kWordShift) | static_cast<std::size_t>(std::countr_zero(levels_[level][pos]));
    }
    return pos;
}

std::size_t PositionSet::nextCyclic(std::size_t from) const
{
    const std::size_t found = next(from);
    return found != npos ? found : next(0);
}
