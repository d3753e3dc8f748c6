#include "led_line.h"

#include <vector>

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>

#include "probe.h"

namespace {

constexpr int kCellId = 5033;
constexpr QPoint kCentre(5, 4); // of the 10 x 9 cell

// Records the rectangles it is asked to paint.
class RecordingLine : public myLEDLine {
public:
    using myLEDLine::myLEDLine;
    std::vector<QRect> painted;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        painted.push_back(event->rect());
        myLEDLine::paintEvent(event);
    }
};

class LedLineTest : public testing::Test {
protected:
    void SetUp() override
    {
        parent.resize(640, 400);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    QWidget parent;
};

TEST_F(LedLineTest, GeometryWithAndWithoutFrame)
{
    const myLEDLine framed(&parent, 17, 240, kCellId, 27, {.framed = true});
    const myLEDLine plain(&parent, 17, 100, kCellId, 8, {});
    const myLEDLine column(&parent, 300, 10, kCellId, 5, {.vertical = true, .framed = true});
    EXPECT_EQ(framed.geometry(), QRect(15, 238, 274, 13));
    EXPECT_EQ(plain.geometry(), QRect(17, 100, 80, 9));
    EXPECT_EQ(column.geometry(), QRect(298, 8, 14, 49));
    EXPECT_EQ(column.CellRect(4), QRect(2, 38, 10, 9));
}

TEST_F(LedLineTest, FrameIsBlackOutsideAndSunkenInside)
{
    myLEDLine line(&parent, 17, 240, kCellId, 8, {.framed = true});
    const QImage image = line.grab().toImage();
    const int w = image.width(), h = image.height();
    const struct {
        QPoint at;
        Rgb colour;
    } probes[] = {{{0, 0}, kBlack},    {{w - 1, h - 1}, kBlack}, {{5, h - 1}, kBlack},
                  {{1, 1}, kWhite},    {{5, 1}, kWhite},         {{1, h - 2}, kWhite},
                  {{w - 2, 1}, kGrey}, {{w - 2, 5}, kGrey},      {{5, h - 2}, kGrey}};
    for (const auto& probe : probes)
        EXPECT_EQ(toRgb(image.pixel(probe.at)), probe.colour)
            << probe.at.x() << "," << probe.at.y();
}

TEST_F(LedLineTest, SetCellRecoloursTheBodyAndPaintsThatCellAtOnce)
{
    RecordingLine line(&parent, 17, 240, kCellId, 27, {.framed = true});
    ASSERT_TRUE(settle(line));
    const QRect cell = line.CellRect(3);
    const Rgb edge = shownPixel(line, cell.topLeft()); // the cell's white top-left edge
    EXPECT_EQ(line.CellColour(3), kBlue);

    line.SetCell(3, kGreen);
    ASSERT_EQ(line.painted.size(), 1u);
    EXPECT_EQ(line.painted[0], cell);
    EXPECT_EQ(shownPixel(line, cell.topLeft() + kCentre), kGreen);
    EXPECT_EQ(shownPixel(line, cell.topLeft() + QPoint(3, 2)), kGreen); // the whole body
    EXPECT_EQ(shownPixel(line, cell.topLeft()), edge);
    EXPECT_EQ(shownPixel(line, line.CellRect(2).topLeft() + kCentre), kBlue);
    EXPECT_EQ(line.CellColour(3), kGreen);
}

TEST_F(LedLineTest, SetCellWithTheColourItHasDrawsNothing)
{
    RecordingLine line(&parent, 17, 240, kCellId, 8, {.framed = true});
    line.SetCell(0, kRed);
    ASSERT_TRUE(settle(line));
    line.SetCell(0, kRed);
    EXPECT_TRUE(line.painted.empty());
    EXPECT_EQ(line.CellColour(0), kRed);
}

TEST_F(LedLineTest, StepsCountThroughLaps)
{
    myLEDLine line(&parent, 17, 240, kCellId, 27, {.framed = true});
    line.Reset(kLedOff);
    for (int i = 0; i < 28; ++i)
        line.StepForward();
    EXPECT_EQ(line.CellColour(0), kYellow);
    for (unsigned i = 1; i < 27; ++i)
        ASSERT_EQ(line.CellColour(i), kLedOff) << i;
    line.StepBack();
    line.StepBack();
    for (unsigned i = 0; i < 26; ++i)
        ASSERT_EQ(line.CellColour(i), kGreen) << i;
    EXPECT_EQ(line.CellColour(26), kLedOff);
}

TEST_F(LedLineTest, SegmentAndRatioColourTheirShare)
{
    myLEDLine line(&parent, 17, 240, kCellId, 27, {.framed = true});
    line.Reset(kLedOff);
    line.ShowSegment(2, 10, kGreen);
    for (unsigned i = 0; i < 27; ++i)
        EXPECT_EQ(line.CellColour(i), i >= 5 && i <= 7 ? kGreen : kLedOff) << i;
    line.ShowSegment(1, 0, kGreen); // no items: the line goes off
    EXPECT_EQ(line.CellColour(5), kLedOff);

    myLEDLine ratio(&parent, 518, 28, kCellId, 8, {.framed = true});
    ratio.ShowRatio(3, 2, kGreen, kRed);
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(ratio.CellColour(i), i < 4 ? kGreen : kRed) << i;
}

TEST_F(LedLineTest, RunningLightRunsOnItsTimerAndStopsDark)
{
    myLEDLine line(&parent, 17, 240, kCellId, 8, {.framed = true});
    line.Reset(kLedOff);
    line.StartRunning();
    line.StartRunning();
    EXPECT_TRUE(line.IsRunning());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return line.CellColour(7) == kRed; }, 5000)); // ends flash red
    line.StopRunning();
    EXPECT_FALSE(line.IsRunning());
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(line.CellColour(i), kLedOff) << i;
}

TEST_F(LedLineTest, OperationsStopTheLightButStepBackDoesNot)
{
    myLEDLine line(&parent, 17, 240, kCellId, 8, {.framed = true});
    line.Reset(kLedOff);
    line.StartRunning();
    line.StepBack();
    EXPECT_TRUE(line.IsRunning());
    line.ShowRatio(1, 1, kGreen, kRed);
    EXPECT_FALSE(line.IsRunning());
    EXPECT_EQ(line.CellColour(0), kGreen); // drawn after the stop's reset
}

TEST_F(LedLineTest, StopRunningWhenIdleChangesNothing)
{
    myLEDLine line(&parent, 17, 240, kCellId, 8, {.framed = true});
    line.Reset(kGreen);
    line.StopRunning();
    EXPECT_EQ(line.CellColour(0), kGreen);
}

} // namespace
