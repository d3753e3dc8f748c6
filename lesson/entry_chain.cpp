#include "entry_chain.h"

strWort::strWort(EntryChain& chain, std::string_view first, std::string_view second)
    : prev(chain.lastEntry_), term1(first), term2(second), chain_(chain)
{
    if (prev == nullptr)
        chain_.firstEntry_ = this;
    else
        prev->next = this;
    chain_.lastEntry_ = this;
    chain_.currentEntry = nullptr;
    ++chain_.entryCount_;
}

strWort::~strWort()
{
    --chain_.entryCount_;
    if (next == nullptr) {
        chain_.currentEntry = prev;
        chain_.lastEntry_ = prev;
        if (prev == nullptr)
            chain_.firstEntry_ = nullptr;
        else
            prev->next = nullptr;
    } else if (prev == nullptr) {
        chain_.currentEntry = next;
        chain_.firstEntry_ = next;
        next->prev = nullptr;
    } else {
        chain_.currentEntry = next;
        prev->next = next;
        next->prev = prev;
    }
}

EntryChain::~EntryChain()
{
    while (lastEntry_ != nullptr)
        deleteLast();
}

strWort* EntryChain::append(std::string_view first, std::string_view second)
{
    return new strWort(*this, first, second);
}

void EntryChain::deleteLast()
{
    delete lastEntry_;
}
