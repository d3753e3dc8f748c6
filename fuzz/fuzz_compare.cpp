// normalizeTerm and answersMatch on arbitrary bytes: never crash, never read outside the term
// buffers, keep the 78-character limit and the shape of a tidy term.
//
// Input: one flag byte (bits 0..2: ignore case, ignore punctuation, any order), then the stored
// term, a zero byte, and the typed text. Each term is cut to 79 bytes, the size of the old
// buffers, and copied into a heap block of exactly its length.
#include "answer_compare.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kTermBuffer = 79;

class CountingFeedback : public CompareFeedback {
public:
    std::size_t blinks = 0;
    void startBlink(OptionButton, std::uint32_t periodMs) override
    {
        if (periodMs != kOptionBlinkPeriodMs) std::abort();
        ++blinks;
    }
};

bool isMark(char c)
{
    return std::strchr(",.;?!:", c) != nullptr && c != '\0';
}

void checkTidy(std::string_view before, const std::string& after)
{
    const std::size_t limit = std::max(kMaxFieldChars, before.substr(0, before.find('\0')).size());
    if (after.size() > limit) std::abort();
    if (!after.empty() && (after.front() == ' ' || after.back() == ' ')) std::abort();
    for (std::size_t i = 0; i < after.size(); ++i) {
        const auto u = static_cast<unsigned char>(after[i]);
        if (u < 32) std::abort(); // control bytes became blanks, a zero byte ended the text
        if (i > 0 && after[i] == ' ' && after[i - 1] == ' ') std::abort();
        if (i > 0 && isMark(after[i]) && after[i - 1] == ' ') std::abort();
    }
}

// A view of an exactly sized heap copy, so that a read behind it is caught.
struct ExactCopy {
    explicit ExactCopy(std::string_view text) : size(text.size()), data(new char[size])
    {
        std::memcpy(data.get(), text.data(), size);
    }
    std::string_view view() const { return {data.get(), size}; }
    std::size_t size;
    std::unique_ptr<char[]> data;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const CompareOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = std::min(rest.find('\0'), rest.size());
    const ExactCopy stored(rest.substr(0, std::min(split, kTermBuffer)));
    const ExactCopy typedRaw(split < rest.size() ? rest.substr(split + 1, kTermBuffer) : "");

    std::string typed(typedRaw.view());
    normalizeTerm(typed);
    checkTidy(typedRaw.view(), typed);
    std::string storedTidy(stored.view());
    normalizeTerm(storedTidy);
    checkTidy(stored.view(), storedTidy);

    const ExactCopy typedExact(typed);
    CountingFeedback forward;
    CountingFeedback backward;
    const bool match = answersMatch(stored.view(), typedExact.view(), options, forward);
    // Every step compares both sides alike, so the verdict does not depend on which is which.
    if (answersMatch(typedExact.view(), stored.view(), options, backward) != match) std::abort();
    CountingFeedback none;
    if (!answersMatch(typedExact.view(), typedExact.view(), options, none) || none.blinks != 0)
        std::abort();
    return 0;
}
