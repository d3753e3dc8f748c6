#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QWidget>

#include "led_digits.h"

class LEDZiffer;

// A framed row of LED digits (LEDZiffer children, 13 x 23 px each) that counts or tells the
// time. As a counter it shows a value with leading zeros; as a clock it ticks once a second
// and shows HH:MM:SS, either the local time of day (wall clock) or the time elapsed since the
// window was made. All times come from Platform::instance(), so tests set the clock.
//
// Geometry: 13 x digits + 2 px wide, 25 px high; the digits fill x 1 .. 13 x digits,
// y 1 .. 23; the frame is white on the top and left, black on the bottom and right.
class LEDWindow : public QWidget {
    Q_OBJECT
public:
    // Starts the one-second tick for owner; answers the timer id, or 0 when it failed.
    using TimerStart = int (*)(QObject& owner, int periodMs);

    static constexpr int kHeight = 25; // px
    static constexpr int kTickPeriodMs = 1000;

    // What the digits show: a counter's value, the time elapsed since the window was made, or
    // the local time of day.
    enum class Mode { Counter, ElapsedClock, WallClock };

    // x, y: parent pixels. digits: 1 to 10 (more give 10). loadMapped: faces with the 3D-colour
    // mapping (the main dialog passes false, which keeps the black background black).
    // Counter: value is the counter value; a clock: value is calendar seconds, shown broken
    // down as UTC until the first tick. startTimer: how to start the tick (default: a Qt timer
    // of this window). Throws BitmapMissing when a face loaded unchanged is missing.
    LEDWindow(QWidget* parent, int x, int y, int digits, bool loadMapped, Mode mode,
              std::int64_t value, TimerStart startTimer = nullptr);
    ~LEDWindow() override;

    // Counter: the new value. Clock: calendar seconds, shown broken down as UTC. Then shown.
    void SetValue(std::int64_t value);
    // Hands every digit its face for the current value or time.
    void ShowValue();
    // One clock tick: reads the platform clock and shows the new time. Called by the timer.
    void Tick();

    // A clock whose tick runs; false for a counter and for a clock whose timer failed.
    bool IsClock() const { return clockMode_ != 0; }
    int DigitCount() const { return digitCount_; }
    // The face shown at position (0 = rightmost): 0 to 9, kColonFace, or -1 for none.
    int ShownFace(int position) const;
    // What the row shows, left to right: digits and colons ("20:31:07", "2"), a blank for a
    // position without a face. What assistive technology reads as the window's name.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    std::int64_t value_;
    std::array<QImage, kFaceCount> faces_; // digits 0 to 9, then the colon
    int digitCount_;
    int rightEdge_;                  // column of the frame's right line
    int bottomEdge_;                 // row of the frame's bottom line
    std::vector<LEDZiffer*> digits_; // index 0 is the rightmost; children of this window
    std::int64_t startTime_ = 0;     // calendar seconds at construction, for elapsed time
    int clockMode_;                  // 0: counter; else the clock's timer id
    bool wallClock_;
    ClockTime timeParts_;
};
