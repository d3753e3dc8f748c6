#pragma once

#include <string>
#include <string_view>
#include <vector>

// The message window's arithmetic, without a window: how a text splits into lines, how big
// the window is, where it stands, and its count-down. All sizes in pixels.

inline constexpr int kMsgMaxLines = 49;
inline constexpr int kMsgTextLeft = 5;       // px from the client's left edge to each line
inline constexpr int kMsgExtraHeight = 10;   // px below the last line
inline constexpr int kMsgCaptionHeight = 19; // px, the classic title bar, used for centring

// Lines are separated by a carriage return alone; every other character, a line feed
// included, belongs to its line. An empty line becomes one blank so that it keeps its
// height; an empty text is one blank line. At most kMsgMaxLines lines; the rest is dropped.
std::vector<std::u16string> splitMessageLines(std::u16string_view text);

struct MsgOwnerRect {
    int left = 0;
    int top = 0;
    int width = 0;  // right - left
    int height = 0; // bottom - top
};

struct MsgGeometry {
    int x = 0; // frame's top-left on the screen, never negative
    int y = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    friend bool operator==(const MsgGeometry&, const MsgGeometry&) = default;
};

// Width: the widest line and an eighth of it. Height: the lines and kMsgExtraHeight; the
// title bar (captionHeight) counts for centring over the owner, halves rounded down. There
// is no correction at the right or bottom screen edge.
MsgGeometry messageWindowGeometry(int widestLine, int lineHeight, int lineCount,
                                  const MsgOwnerRect& owner, int captionHeight = kMsgCaptionHeight);

// The time-out in whole seconds: none (0) for a negative time-out, 1 for 0 to 999 ms,
// otherwise the milliseconds / 1000 with the remainder dropped.
int timeoutToSeconds(int timeoutMs);

// The seconds a timed message window has left, one tick per second.
class MsgCountDown {
public:
    explicit MsgCountDown(int timeoutMs) : remaining_(timeoutToSeconds(timeoutMs)) {}

    bool running() const { return remaining_ > 0; }
    int remaining() const { return remaining_; }
    // One second has passed. True when that was the last one and the window should close;
    // ticks after that (or without a time-out) change nothing.
    bool tick();
    // The caption while counting: "Timeout:" directly followed by the seconds left.
    std::string caption() const;

private:
    int remaining_;
};
