#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class EntryChain;

// One term pair of the lesson. Creating an entry appends it to its chain and deleting it
// unlinks it: the entry's own constructor and destructor keep the chain's variables
// consistent, so callers never relink by hand. Entries live on the heap and are owned by
// the chain they were created in.
class strWort {
public:
    strWort(EntryChain& chain, std::string_view first, std::string_view second);
    virtual ~strWort();

    strWort(const strWort&) = delete;
    strWort& operator=(const strWort&) = delete;

    strWort* prev = nullptr;
    strWort* next = nullptr;
    std::string term1; // Windows-1252 bytes, no zero byte inside
    std::string term2;
    char direction = ' '; // ' ' not set, 'E' first term shown, 'D' second term shown
    std::uint32_t rightCount = 0;
    std::uint32_t wrongCount = 0;

private:
    EntryChain& chain_;
};

// The lesson held in memory: entries in order of creation plus one current position.
// Invariants: firstEntry == nullptr <=> lastEntry == nullptr <=> entryCount == 0; next/prev
// walk the same entries in opposite orders; currentEntry is null (the new, empty entry) or an
// entry of this chain. Nothing reorders the chain.
class EntryChain {
public:
    EntryChain() = default;
    ~EntryChain(); // deletes the entries from the last one on

    EntryChain(const EntryChain&) = delete;
    EntryChain& operator=(const EntryChain&) = delete;

    // Appends a new entry; afterwards no entry is current.
    strWort* append(std::string_view first, std::string_view second);

    // Deletes the last entry (nothing when empty). Emptying a lesson is always a sequence of
    // these, which leaves currentEntry null at the end.
    void deleteLast();

    bool empty() const { return entryCount_ == 0; }

    // The ends and the count change only as entries are made and deleted.
    strWort* firstEntry() const { return firstEntry_; }
    strWort* lastEntry() const { return lastEntry_; }
    std::uint32_t entryCount() const { return entryCount_; }

    // The entry shown; null for the new, empty entry. The lesson view moves it.
    strWort* currentEntry = nullptr;

private:
    friend class strWort; // links and unlinks itself

    strWort* firstEntry_ = nullptr;
    strWort* lastEntry_ = nullptr;
    std::uint32_t entryCount_ = 0;
};
