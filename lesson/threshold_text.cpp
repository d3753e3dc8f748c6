#include "threshold_text.h"

std::uint32_t thresholdTextToNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

std::string thresholdNumberText(std::uint32_t value)
{
    return std::to_string(static_cast<std::int32_t>(value));
}

ThresholdField clampThresholdField(std::string_view fieldText)
{
    std::uint32_t value = thresholdTextToNumber(fieldText.substr(0, kThresholdTextChars));
    if (value > kThresholdLimit) value = kThresholdLimit;
    return {value, thresholdNumberText(value)};
}

bool thresholdFitsField(std::uint32_t value)
{
    const auto v = static_cast<std::int32_t>(value);
    return v >= -99 && v <= 999;
}
