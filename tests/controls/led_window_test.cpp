#include "led_window.h"

#include <string>

#include <gtest/gtest.h>

#include <QTest>

#include "fake_platform.h"
#include "led_ziffer.h"
#include "probe.h"

namespace {

constexpr std::int64_t k140500Utc = 1733493900; // 2024-12-06 14:05:00 UTC

std::string shown(const LEDWindow& window)
{
    std::string text;
    for (int i = window.DigitCount() - 1; i >= 0; --i) {
        const int face = window.ShownFace(i);
        text += face == kColonFace ? ':' : face < 0 ? '-' : static_cast<char>('0' + face);
    }
    return text;
}

int failingTimer(QObject&, int)
{
    return 0;
}

class LedWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform.now = k140500Utc;
        parent.resize(640, 400);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    FakePlatform platform;
    QWidget parent;
};

TEST_F(LedWindowTest, CounterShowsLeadingZerosInAFramedRow)
{
    LEDWindow counter(&parent, 20, 30, 8, false, LEDWindow::Mode::Counter, 1234);
    EXPECT_EQ(shown(counter), "00001234");
    EXPECT_EQ(counter.geometry(), QRect(20, 30, 106, 25));
    EXPECT_FALSE(counter.IsClock());
    counter.SetValue(987654321);
    EXPECT_EQ(shown(counter), "87654321");
}

TEST_F(LedWindowTest, TwelveDigitsGiveTen)
{
    LEDWindow counter(&parent, 0, 0, 12, false, LEDWindow::Mode::Counter, 5);
    EXPECT_EQ(counter.DigitCount(), 10);
    EXPECT_EQ(counter.width(), 132);
}

TEST_F(LedWindowTest, FrameAndDigitsArePainted)
{
    LEDWindow counter(&parent, 10, 10, 2, false, LEDWindow::Mode::Counter, 18);
    const int r = counter.width() - 1, b = counter.height() - 1;
    const struct {
        QPoint at;
        Rgb colour;
    } probes[] = {
        {{5, 0}, kWhite},
        {{0, 5}, kWhite},
        {{r, 0}, kWhite},
        {{0, b}, kBlack},
        {{5, b}, kBlack},
        {{r, 5}, kBlack},
        {{r, b}, kBlack},
        // "1" on the left: its right segments lit, its top segment a dotted dark red
        {{1 + 10, 1 + 5}, kRed},
        {{1 + 4, 1 + 1}, kBlack},
        {{1 + 5, 1 + 1}, kDarkRed},
        // "8" on the right: every segment lit
        {{14 + 5, 1 + 1}, kRed},
        {{14 + 5, 1 + 11}, kRed},
    };
    const QImage image = counter.grab().toImage();
    for (const auto& probe : probes)
        EXPECT_EQ(toRgb(image.pixel(probe.at)), probe.colour)
            << probe.at.x() << "," << probe.at.y();
}

TEST_F(LedWindowTest, WallClockShowsUtcUntilItsFirstTickThenLocalTime)
{
    platform.utcOffsetSeconds = -(4 * 3600 + 59 * 60 + 57); // local 09:05:03
    LEDWindow clock(&parent, 335, 336, 8, false, LEDWindow::Mode::WallClock, platform.now);
    EXPECT_TRUE(clock.IsClock());
    EXPECT_EQ(shown(clock), "14:05:00");
    clock.Tick();
    EXPECT_EQ(shown(clock), "09:05:03");
}

TEST_F(LedWindowTest, ElapsedClockCountsFromItsConstruction)
{
    LEDWindow clock(&parent, 335, 336, 8, false, LEDWindow::Mode::ElapsedClock, 0);
    EXPECT_EQ(shown(clock), "00:00:00");
    platform.now += 3725;
    clock.Tick();
    EXPECT_EQ(shown(clock), "01:02:05");
    platform.now = k140500Utc + 25 * 3600;
    clock.Tick();
    EXPECT_EQ(shown(clock), "01:00:00");
}

TEST_F(LedWindowTest, TheSecondTimerDrivesTheClock)
{
    LEDWindow clock(&parent, 335, 336, 8, false, LEDWindow::Mode::ElapsedClock, 0);
    platform.now += 3725;
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(clock) == "01:02:05"; }, 5000));
}

TEST_F(LedWindowTest, TimerFailureTurnsTheClockIntoACounterOfItsValue)
{
    LEDWindow clock(&parent, 0, 0, 8, false, LEDWindow::Mode::WallClock, k140500Utc, &failingTimer);
    EXPECT_FALSE(clock.IsClock());
    EXPECT_EQ(shown(clock), "33493900"); // the lowest digits of the calendar time
    clock.SetValue(42);
    EXPECT_EQ(shown(clock), "00000042");
}

TEST_F(LedWindowTest, DigitPaintsItsFaceAtOnce)
{
    LEDWindow counter(&parent, 40, 40, 1, false, LEDWindow::Mode::Counter, 1);
    QCoreApplication::processEvents();
    const QPoint topSegment(1 + 4, 1 + 1); // a gap in the dotted segment of "1"
    EXPECT_EQ(shownPixel(counter, topSegment), kBlack);
    counter.SetValue(7);
    EXPECT_EQ(shownPixel(counter, topSegment), kRed); // without an event loop turn
}

} // namespace
