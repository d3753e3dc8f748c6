#include "entry_chain.h"

strWort::strWort(EntryChain& chain, std::string_view first, std::string_view second)
    : prev(chain.lastEntry), term1(first), term2(second), chain_(chain)
{
    if (prev == nullptr)
        chain_.firstEntry = this;
    else
        prev->next = this;
    chain_.lastEntry = this;
    chain_.currentEntry = nullptr;
    ++chain_.entryCount;
}

strWort::~strWort()
{
    --chain_.entryCount;
    if (next == nullptr) {
        chain_.currentEntry = prev;
        chain_.lastEntry = prev;
        if (prev == nullptr)
            chain_.firstEntry = nullptr;
        else
            prev->next = nullptr;
    } else if (prev == nullptr) {
        chain_.currentEntry = next;
        chain_.firstEntry = next;
        next->prev = nullptr;
    } else {
        chain_.currentEntry = next;
        prev->next = next;
        next->prev = prev;
    }
}

EntryChain::~EntryChain()
{
    while (lastEntry != nullptr)
        deleteLast();
}

strWort* EntryChain::append(std::string_view first, std::string_view second)
{
    return new strWort(*this, first, second);
}

void EntryChain::deleteLast()
{
    delete lastEntry;
}
