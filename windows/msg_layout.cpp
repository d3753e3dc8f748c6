#include "msg_layout.h"

#include <algorithm>

namespace {
constexpr char16_t kLineBreak = u'\r';
constexpr int kMsPerSecond = 1000;
} // namespace

std::vector<std::u16string> splitMessageLines(std::u16string_view text)
{
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (lines.size() < static_cast<std::size_t>(kMsgMaxLines)) {
        const std::size_t end = std::min(text.find(kLineBreak, start), text.size());
        if (end == start)
            lines.emplace_back(u" ");
        else
            lines.emplace_back(text.substr(start, end - start));
        if (end == text.size()) break;
        start = end + 1;
    }
    return lines;
}

MsgGeometry messageWindowGeometry(int widestLine, int lineHeight, int lineCount,
                                  const MsgOwnerRect& owner, int captionHeight)
{
    MsgGeometry g;
    g.clientWidth = widestLine + (widestLine >> 3);
    g.clientHeight = lineCount * lineHeight + kMsgExtraHeight;
    const int frameHeight = captionHeight + g.clientHeight;
    g.x = std::max(0, owner.left + (owner.width >> 1) - (g.clientWidth >> 1));
    g.y = std::max(0, owner.top + (owner.height >> 1) - (frameHeight >> 1));
    return g;
}

int timeoutToSeconds(int timeoutMs)
{
    if (timeoutMs < 0) return 0;
    if (timeoutMs < kMsPerSecond) return 1;
    return timeoutMs / kMsPerSecond;
}

bool MsgCountDown::tick()
{
    if (remaining_ <= 0) return false;
    --remaining_;
    return remaining_ == 0;
}

std::string MsgCountDown::caption() const
{
    return "Timeout:" + std::to_string(remaining_);
}
