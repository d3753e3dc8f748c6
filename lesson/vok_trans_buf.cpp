#include "vok_trans_buf.h"

#include "threshold_text.h"

VokTransBuf::VokTransBuf(Config& config) : config_(config)
{
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        setText(thresholdText[i], thresholdNumberText(config_.thresholds[i]));
}

VokTransBuf::~VokTransBuf()
{
    storeThresholds();
}

void VokTransBuf::storeThresholds()
{
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        config_.thresholds[i] = thresholdTextToNumber(text(thresholdText[i]));
}
