// The settings record on arbitrary bytes: defaults or the first 23 bytes, every threshold's
// text fitting its 3-character field, and the record written back as read.
#include "config.h"
#include "threshold_text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // A path in a folder that does not exist: the save at destruction fails silently.
    Config config("/nonexistent-folder/DODADIZE.CFG");
    const bool accepted = config.fromBytes(bytes);
    if (accepted != (size >= kConfigRecordBytes)) std::abort();
    for (std::uint32_t t : config.thresholds)
        if (thresholdNumberText(t).size() > kThresholdTextChars) std::abort();
    if (accepted) {
        const auto image = config.toBytes();
        for (std::size_t i = 0; i < 3; ++i)
            if (image[i] != data[i]) std::abort();
    }
    // Field texts of any bytes convert without overrunning and clamp into 0..100.
    const auto field = clampThresholdField(bytes);
    if (field.value > kThresholdLimit || field.text.size() > kThresholdTextChars) std::abort();
    return 0;
}
