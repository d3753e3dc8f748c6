#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A set of positions 0 .. size-1 that finds the next member at or after a position in
// O(log64 size) steps: a bitmap with summary levels above it (a bit of level k+1 is set when
// word of level k is not zero). The exercise keeps one for the entries not yet asked and one
// for the entries due for repetition, so that picking a question never walks the chain.
class PositionSet {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    PositionSet() { assign(0, false); }
    PositionSet(std::size_t size, bool full) { assign(size, full); }

    // Resizes to `size` positions, all members (full) or none.
    void assign(std::size_t size, bool full);

    std::size_t size() const { return size_; }
    std::size_t count() const { return count_; }
    bool empty() const { return count_ == 0; }

    bool contains(std::size_t pos) const;
    void insert(std::size_t pos); // positions outside 0 .. size-1 are ignored
    void erase(std::size_t pos);
    void set(std::size_t pos, bool member) { member ? insert(pos) : erase(pos); }

    // The first member >= from, or npos.
    std::size_t next(std::size_t from) const;
    // The first member >= from, else the first member from 0 on, or npos when the set is empty.
    std::size_t nextCyclic(std::size_t from) const;

private:
    std::vector<std::vector<std::uint64_t>> levels_; // levels_[0] holds one bit per position
    std::size_t size_ = 0;
    std::size_t count_ = 0;
};
