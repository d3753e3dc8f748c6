#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "config.h"
#include "lesson_file.h"

// The main dialog's transfer buffer: what the term fields and the threshold fields exchange
// with the dialog. Text buffers are zero-ended Windows-1252 bytes of the fields' sizes (78
// characters per term, 3 per threshold).
//
// Constructing it fills each threshold text from the settings record; destroying it stores
// the numbers those texts read as back into the record, with no limit applied, which is how
// the threshold fields' last texts reach the settings file at exit.
class VokTransBuf {
public:
    explicit VokTransBuf(Config& config);
    ~VokTransBuf();

    // Stores the numbers the threshold texts read as into the record now (what the destructor
    // does), for a settings file written before the window goes.
    void storeThresholds();

    VokTransBuf(const VokTransBuf&) = delete;
    VokTransBuf& operator=(const VokTransBuf&) = delete;

    using TermText = std::array<char, kMaxTermBytes + 1>;
    using ThresholdText = std::array<char, 4>;

    TermText term1Text{};
    TermText term2Text{};
    std::array<ThresholdText, kThresholdCount> thresholdText{}; // grade 1 .. grade 5

    // Copies text into a zero-ended buffer, cutting it to the buffer's capacity.
    template <std::size_t N> static void setText(std::array<char, N>& buffer, std::string_view text)
    {
        const std::size_t n = std::min(text.size(), N - 1);
        text.copy(buffer.data(), n);
        buffer[n] = '\0';
    }
    template <std::size_t N> static std::string_view text(const std::array<char, N>& buffer)
    {
        return {buffer.data(), std::char_traits<char>::length(buffer.data())};
    }

private:
    Config& config_;
};
