// What reaches the help viewer from outside on arbitrary bytes: a line on the help channel, and
// the command line (the bytes split at NUL into arguments). A decoded request encodes back to a
// line that decodes to the same request.
#include "help_command.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto request = decodeHelpMessage(bytes)) {
        if (bytes.size() > kMaxHelpMessageBytes + 1 || !request->file.empty()) std::abort();
        const std::string line = encodeHelpMessage(*request);
        if (line.size() > kMaxHelpMessageBytes || decodeHelpMessage(line) != request) std::abort();
    }

    std::vector<std::string> arguments;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\0') {
            arguments.emplace_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    }
    const HelpArguments parsed = parseHelpArguments(arguments);
    const bool answered = parsed.request.has_value() || parsed.usageRequested;
    if (answered == !parsed.error.empty()) std::abort();
    if (parsed.request) {
        if (parsed.request->file.empty()) std::abort();
        const auto forwarded = decodeHelpMessage(encodeHelpMessage(*parsed.request));
        if (!forwarded || forwarded->action != parsed.request->action ||
            forwarded->topic != parsed.request->topic)
            std::abort();
    }
    return 0;
}
