#include "bmp_button.h"

#include <vector>

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>

#include "flash_area.h"
#include "pictures.h"
#include "probe.h"

namespace {

constexpr QPoint kDisc(9, 9);        // in the save button's disc
constexpr QPoint kIndicator(15, 15); // in the option buttons' indicator square

class RecordingButton : public myBMPButton {
public:
    using myBMPButton::myBMPButton;
    std::vector<QRect> painted;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        painted.push_back(event->rect());
        myBMPButton::paintEvent(event);
    }
};

class BmpButtonTest : public testing::Test {
protected:
    void SetUp() override
    {
        parent.resize(300, 200);
        parent.show();
        parent.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    }
    RecordingButton* saveButton()
    {
        auto* b = new RecordingButton(&parent, 5009, 5008);
        b->show();
        return b;
    }
    RecordingButton* optionButton(const QString& label = QStringLiteral("ab = AB"))
    {
        auto* b = new RecordingButton(&parent, 5037, 5036,
                                      {.toggles = true, .samplePoint = {15, 15}, .label = label});
        b->move(50, 50);
        b->show();
        return b;
    }
    static void mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, w.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &event);
    }
    QWidget parent;
};

TEST_F(BmpButtonTest, CommandButtonTakesDefaultSamplePointAndWholeFace)
{
    RecordingButton* save = saveButton();
    EXPECT_EQ(save->SamplePoint(), QPoint(9, 9));
    EXPECT_EQ(save->FlashArea(), QRect(0, 0, 35, 35));
    EXPECT_EQ(save->BaseColour(myBMPButton::OffFaceIndex), kRed);
    EXPECT_EQ(save->FlashColour(myBMPButton::OffFaceIndex), kDarkRed);
    EXPECT_EQ(save->BaseColour(myBMPButton::OnFaceIndex), kGreen);
    EXPECT_EQ(save->sizeHint(), QSize(35, 35));
}

TEST_F(BmpButtonTest, OptionButtonMeasuresItsFlashAreaOnTheIndicator)
{
    RecordingButton* option = optionButton();
    EXPECT_EQ(option->SamplePoint(), kIndicator);
    EXPECT_EQ(option->FlashArea(), QRect(9, 9, 9, 9));
}

TEST_F(BmpButtonTest, SaveDiscAlternatesAndEachStepIsPaintedAtOnce)
{
    RecordingButton* save = saveButton();
    save->StartBlink(800);
    ASSERT_TRUE(settle(*save));
    const Rgb expected[] = {kDarkRed, kRed, kDarkRed};
    for (const Rgb colour : expected) {
        save->BlinkStep();
        EXPECT_EQ(shownPixel(*save, kDisc), colour);
        EXPECT_EQ(shownPixel(*save, QPoint(27, 22)), colour); // the disc right of the symbol
    }
    EXPECT_EQ(save->painted, std::vector<QRect>(3, save->FlashArea()));
    save->StopBlink();
}

struct IndicatorRow {
    const char* name;
    bool on;
    Rgb first, second, third;
};

class OptionIndicator : public BmpButtonTest, public testing::WithParamInterface<IndicatorRow> {};

TEST_P(OptionIndicator, AlternatesBetweenBaseAndFlashColour)
{
    const IndicatorRow& row = GetParam();
    RecordingButton* option = optionButton();
    option->SetOn(row.on);
    option->repaint();
    EXPECT_EQ(shownPixel(*option, kIndicator), row.first);
    option->StartBlink(250);
    option->BlinkStep();
    EXPECT_EQ(shownPixel(*option, kIndicator), row.second);
    option->BlinkStep();
    EXPECT_EQ(shownPixel(*option, kIndicator), row.third);
    EXPECT_EQ(drawnPixel(*option, QPoint(9, 9)), row.third); // the whole square
    EXPECT_EQ(drawnPixel(*option, QPoint(16, 16)), row.third);
    option->StopBlink();
}

INSTANTIATE_TEST_SUITE_P(Rows, OptionIndicator,
                         testing::Values(IndicatorRow{"off", false, kDarkRed, kRed, kDarkRed},
                                         IndicatorRow{"on", true, kGreen, kDarkGreen, kGreen}),
                         [](const auto& info) { return info.param.name; });

TEST_F(BmpButtonTest, TimerDrivesTheBlinking)
{
    RecordingButton* save = saveButton();
    save->StartBlink(50);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return save->CurrentColour(myBMPButton::OffFaceIndex) == kDarkRed; }, 5000));
    save->StopBlink();
}

TEST_F(BmpButtonTest, StopBlinkInTheFlashPhaseRestoresAtOnce)
{
    RecordingButton* save = saveButton();
    save->StartBlink(800);
    save->BlinkStep();
    ASSERT_EQ(shownPixel(*save, kDisc), kDarkRed);
    save->StopBlink();
    EXPECT_EQ(shownPixel(*save, kDisc), kRed);
    EXPECT_FALSE(save->IsBlinking());
    EXPECT_EQ(save->CurrentColour(myBMPButton::OffFaceIndex), kRed);
}

TEST_F(BmpButtonTest, StopBlinkRestoresAFaceNoLongerShownWithoutPainting)
{
    RecordingButton* option = optionButton();
    option->StartBlink(250);
    option->BlinkStep(); // the off face flashes
    option->SetOn(true);
    ASSERT_TRUE(settle(*option));
    option->StopBlink();
    EXPECT_TRUE(option->painted.empty());
    EXPECT_EQ(toRgb(option->FaceImage(myBMPButton::OffFaceIndex).pixel(kIndicator)), kDarkRed);
    EXPECT_EQ(option->CurrentColour(myBMPButton::OffFaceIndex), kDarkRed);
    EXPECT_EQ(toRgb(option->FaceImage(myBMPButton::OnFaceIndex).pixel(kIndicator)), kGreen);
}

TEST_F(BmpButtonTest, StartBlinkTwiceKeepsTheFirstPeriod)
{
    RecordingButton* save = saveButton();
    save->StopBlink(); // idle: nothing
    EXPECT_FALSE(save->IsBlinking());
    save->StartBlink(800);
    save->StartBlink(250);
    EXPECT_EQ(save->BlinkPeriod(), 800);
    save->StopBlink();
    EXPECT_EQ(save->BlinkPeriod(), 0);
}

TEST_F(BmpButtonTest, BlinkInOneButtonLeavesAnotherWithTheSameFaces)
{
    RecordingButton* first = optionButton();
    RecordingButton* second = optionButton();
    first->StartBlink(250);
    first->BlinkStep();
    EXPECT_EQ(toRgb(second->FaceImage(myBMPButton::OffFaceIndex).pixel(kIndicator)), kDarkRed);
    first->StopBlink();
}

TEST_F(BmpButtonTest, CommandButtonShowsItsOnFaceWhileHeld)
{
    RecordingButton* save = saveButton();
    QSignalSpy clicks(save, &QAbstractButton::clicked);
    QTest::mousePress(save, Qt::LeftButton, {}, QPoint(17, 17));
    EXPECT_EQ(shownPixel(*save, kDisc), kGreen);
    QTest::mouseRelease(save, Qt::LeftButton, {}, QPoint(17, 17));
    EXPECT_EQ(shownPixel(*save, kDisc), kRed);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(BmpButtonTest, TogglePressFlipsOnceShowingTheOldFaceWhileHeld)
{
    RecordingButton* option = optionButton();
    QSignalSpy clicks(option, &QAbstractButton::clicked);
    QTest::mousePress(option, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_TRUE(option->On());
    EXPECT_EQ(shownPixel(*option, kIndicator), kDarkRed); // the old state's face
    option->repaint();                                    // a repaint while held flips nothing
    option->grab();
    EXPECT_TRUE(option->On());
    QTest::mouseRelease(option, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_TRUE(option->On());
    EXPECT_EQ(shownPixel(*option, kIndicator), kGreen);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(BmpButtonTest, SlidingOffAndBackOnWhileHeldFlipsAgain)
{
    RecordingButton* option = optionButton();
    QTest::mousePress(option, Qt::LeftButton, {}, QPoint(40, 20));
    ASSERT_TRUE(option->On());
    mouse(*option, QEvent::MouseMove, QPoint(200, 20), Qt::LeftButton);
    EXPECT_FALSE(option->isDown());
    EXPECT_EQ(shownPixel(*option, kIndicator), kGreen); // at rest, on
    mouse(*option, QEvent::MouseMove, QPoint(40, 20), Qt::LeftButton);
    EXPECT_FALSE(option->On());
    mouse(*option, QEvent::MouseButtonRelease, QPoint(40, 20), Qt::NoButton);
    EXPECT_FALSE(option->On());
}

TEST_F(BmpButtonTest, MouseClickThenSpaceBarFlipsTwice)
{
    RecordingButton* option = optionButton();
    option->setFocus();
    mouse(*option, QEvent::MouseButtonPress, QPoint(40, 20), Qt::LeftButton);
    mouse(*option, QEvent::MouseButtonRelease, QPoint(40, 20), Qt::NoButton);
    ASSERT_TRUE(option->On());
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(option, &space); // no event loop turn in between
    EXPECT_FALSE(option->On());
}

TEST_F(BmpButtonTest, SpaceBarPushesLikeTheMouse)
{
    RecordingButton* option = optionButton();
    QSignalSpy clicks(option, &QAbstractButton::clicked);
    option->setFocus();
    QTest::keyPress(option, Qt::Key_Space);
    EXPECT_TRUE(option->On());
    QTest::keyRelease(option, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(BmpButtonTest, LockedToggleBehavesLikeACommandButton)
{
    RecordingButton* option = optionButton();
    option->SetLocked(true);
    QSignalSpy clicks(option, &QAbstractButton::clicked);
    QTest::mousePress(option, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_EQ(shownPixel(*option, kIndicator), kGreen); // its on face while held
    QTest::mouseRelease(option, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_FALSE(option->On());
    EXPECT_EQ(shownPixel(*option, kIndicator), kDarkRed);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(BmpButtonTest, DoubleClickIsTwoPresses)
{
    RecordingButton* option = optionButton();
    option->setFocus(); // as the first press would give it
    QSignalSpy clicks(option, &QAbstractButton::clicked);
    const QPoint at(40, 20);
    mouse(*option, QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(*option, QEvent::MouseButtonRelease, at, Qt::NoButton);
    ASSERT_TRUE(option->On());
    mouse(*option, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    mouse(*option, QEvent::MouseButtonRelease, at, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_FALSE(option->On()); // flipped twice
}

TEST_F(BmpButtonTest, HeldWithoutFocusOrDisabledShowsTheAtRestFace)
{
    RecordingButton* option = optionButton();
    option->setFocusPolicy(Qt::NoFocus);
    QTest::mousePress(option, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_FALSE(option->On());
    EXPECT_EQ(shownPixel(*option, kIndicator), kDarkRed);
    QTest::mouseRelease(option, Qt::LeftButton, {}, QPoint(40, 20));

    option->SetOn(true);
    option->setEnabled(false);
    EXPECT_EQ(drawnPixel(*option, kIndicator), kGreen);
}

// After a modal dialog closes, X11 without a window manager leaves the trainer inactive; the
// click's press asks for activation, which arrives after the press. The press must still flip.
TEST_F(BmpButtonTest, PressInAnInactiveWindowFlipsAndTakesTheFocusWithTheActivation)
{
    RecordingButton* option = optionButton();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(parent.isActiveWindow());
    QSignalSpy clicks(option, &QAbstractButton::clicked);

    QTest::mousePress(option, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_TRUE(option->On());
    EXPECT_EQ(drawnPixel(*option, kIndicator), kDarkRed); // held: the old state's face
    QTest::mouseRelease(option, Qt::LeftButton, {}, QPoint(40, 20));
    EXPECT_TRUE(option->On());
    EXPECT_EQ(clicks.count(), 1);

    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    EXPECT_TRUE(option->hasFocus());
}

struct FocusRow {
    const char* name;
    Qt::FocusReason reason;
    enum { Nothing, KeyPress, MousePress } then;
    bool rectangle;
};

class FocusRectangle : public BmpButtonTest, public testing::WithParamInterface<FocusRow> {};

// The rectangle's dots lie on every other pixel of the outline inset by 3 px, starting at its
// top-left corner, black over the light grey face.
TEST_P(FocusRectangle, ShowsOnlyForKeyboardFocus)
{
    const FocusRow& row = GetParam();
    RecordingButton* option = optionButton();
    option->setFocus(row.reason);
    if (row.then == FocusRow::KeyPress) QTest::keyClick(option, Qt::Key_A);
    if (row.then == FocusRow::MousePress)
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(40, 20));
    ASSERT_TRUE(option->hasFocus());

    const QImage& face =
        option->FaceImage(option->On() ? myBMPButton::OnFaceIndex : myBMPButton::OffFaceIndex);
    const QPoint dot(3, 3);
    const QRgb faceAtDot = face.pixel(dot);
    ASSERT_GE(qGray(faceAtDot), 128) << "a light face takes black dots";

    const QImage drawn = option->grab().toImage();
    EXPECT_EQ(toRgb(drawn.pixel(dot)), row.rectangle ? kBlack : toRgb(faceAtDot));
    // Each dot differs from the face under it, and nothing else does.
    const int inset = myBMPButton::kFocusRectInset;
    const int outline = 2 * (face.width() - 2 * inset) + 2 * (face.height() - 2 * inset) - 4;
    int changed = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            changed += toRgb(drawn.pixel(x, y)) != toRgb(face.pixel(x, y));
    EXPECT_EQ(changed, row.rectangle ? (outline + 1) / 2 : 0);
    EXPECT_EQ(face.pixel(dot), faceAtDot) << "drawn over the face, never into it";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FocusRectangle,
    testing::Values(FocusRow{"tab", Qt::TabFocusReason, FocusRow::Nothing, true},
                    FocusRow{"backtab", Qt::BacktabFocusReason, FocusRow::Nothing, true},
                    FocusRow{"shortcut", Qt::ShortcutFocusReason, FocusRow::Nothing, true},
                    FocusRow{"mouse", Qt::MouseFocusReason, FocusRow::Nothing, false},
                    FocusRow{"other", Qt::OtherFocusReason, FocusRow::Nothing, false},
                    FocusRow{"mouse_then_key", Qt::MouseFocusReason, FocusRow::KeyPress, true},
                    FocusRow{"tab_then_click", Qt::TabFocusReason, FocusRow::MousePress, false}),
    [](const auto& info) { return info.param.name; });

TEST_F(BmpButtonTest, LabelIsBurntIntoBothFacesAfterSampling)
{
    RecordingButton* option = optionButton(QStringLiteral("a, b = b, a"));
    const QImage plain = loadBitmapResource(5037, true);
    int changed = 0, black = 0;
    for (int y = 18; y < 39; ++y) { // below the indicator
        for (int x = 10; x < 80; ++x) {
            const QRgb off = option->FaceImage(myBMPButton::OffFaceIndex).pixel(x, y);
            changed += (off & RGB_MASK) != (plain.pixel(x, y) & RGB_MASK);
            black += toRgb(off) == kBlack;
            ASSERT_EQ(off, option->FaceImage(myBMPButton::OnFaceIndex).pixel(x, y))
                << x << "," << y;
        }
    }
    EXPECT_GT(black, 20);
    EXPECT_GT(changed, black); // the grey and light grey copies too
    EXPECT_EQ(option->FlashArea(), QRect(9, 9, 9, 9));
}

struct ScanRow {
    const char* name;
    QPoint sample;
    QRect expected;
};

class FlashAreaScan : public testing::TestWithParam<ScanRow> {};

// On a 10 x 6 picture with a blue block at x 2..5, y 1..3 on white.
TEST_P(FlashAreaScan, TakesTheRunAndTheFirstDifferentColumnAndRow)
{
    QImage face(10, 6, QImage::Format_RGB32);
    face.fill(Qt::white);
    for (int y = 1; y <= 3; ++y)
        for (int x = 2; x <= 5; ++x)
            face.setPixel(x, y, qRgb(0, 0, 255));
    const ScanRow& row = GetParam();
    EXPECT_EQ(scanFlashArea(face, row.sample, face.pixel(row.sample)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FlashAreaScan,
    testing::Values(ScanRow{"inner_block", {3, 2}, QRect(2, 1, 5, 4)},
                    ScanRow{"run_to_the_right_edge", {8, 2}, QRect(6, 0, 5, 7)},
                    ScanRow{"runs_past_every_edge", {0, 0}, QRect(0, 0, 11, 7)}),
    [](const auto& info) { return info.param.name; });

} // namespace
