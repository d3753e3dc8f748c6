#include "double_click_filter.h"

#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Counts the presses and double clicks that reach it.
class Recorder : public QWidget {
public:
    int presses = 0;
    int doubleClicks = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void mouseDoubleClickEvent(QMouseEvent*) override { ++doubleClicks; }
};

struct ClickRow {
    const char* name;
    Qt::MouseButton button;
    bool filtered;
    int presses;
    int doubleClicks;
};

class DoubleClicks : public ::testing::TestWithParam<ClickRow> {};

// A real double click through the window system: press, release, press, release in quick
// succession. Qt hands the second press to the widget as a double-click event.
TEST_P(DoubleClicks, LeftOnesBecomeTwoPresses)
{
    const ClickRow& row = GetParam();
    Recorder target;
    DoubleClickAsPress filter;
    if (row.filtered)
        target.installEventFilter(&filter);
    target.resize(100, 40);
    target.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&target));

    QTest::mouseDClick(target.windowHandle(), row.button, {}, QPoint(50, 20));
    EXPECT_EQ(target.presses, row.presses);
    EXPECT_EQ(target.doubleClicks, row.doubleClicks);
}

INSTANTIATE_TEST_SUITE_P(Table, DoubleClicks,
    ::testing::Values(ClickRow{"left_filtered", Qt::LeftButton, true, 2, 0},
                      ClickRow{"left_unfiltered", Qt::LeftButton, false, 1, 1},
                      ClickRow{"right_passes", Qt::RightButton, true, 1, 1},
                      ClickRow{"middle_passes", Qt::MiddleButton, true, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct FieldRow {
    const char* name;
    bool filtered;
    const char* selected;
};

class DoubleClickInField : public ::testing::TestWithParam<FieldRow> {};

TEST_P(DoubleClickInField, SelectsNoWordWhenFiltered)
{
    QLineEdit field(QStringLiteral("Hallo Welt"));
    DoubleClickAsPress filter;
    if (GetParam().filtered)
        field.installEventFilter(&filter);
    field.resize(300, 40);
    field.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));

    // Inside "Hallo": past the frame and margins, halfway through "Hal".
    const int frameAndMargin = 6; // px
    const QPoint inHallo(frameAndMargin + field.fontMetrics().horizontalAdvance(QStringLiteral("Hal")) / 2,
                         field.height() / 2);
    QTest::mouseDClick(field.windowHandle(), Qt::LeftButton, {}, inHallo);
    EXPECT_EQ(field.selectedText(), QString::fromUtf8(GetParam().selected));
}

INSTANTIATE_TEST_SUITE_P(Table, DoubleClickInField,
    ::testing::Values(FieldRow{"filtered", true, ""}, FieldRow{"unfiltered", false, "Hallo"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DoubleClickOnButton, IsTwoPressesAndTwoClicks)
{
    QPushButton button(QStringLiteral("Weiter"));
    DoubleClickAsPress filter;
    button.installEventFilter(&filter);
    button.resize(100, 40);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QSignalSpy pressed(&button, &QPushButton::pressed);
    QSignalSpy clicked(&button, &QPushButton::clicked);

    QTest::mouseDClick(button.windowHandle(), Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_EQ(pressed.count(), 2);
    EXPECT_EQ(clicked.count(), 2);
}

} // namespace
