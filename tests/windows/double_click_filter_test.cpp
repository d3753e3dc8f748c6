#include "double_click_filter.h"

#include <gtest/gtest.h>

#include <QLineEdit>
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

// A double click through the window system: press, release, press, release. Qt hands the
// second press to the widget as a double-click event.
TEST_P(DoubleClicks, LeftOnesBecomeASecondPress)
{
    const ClickRow& row = GetParam();
    Recorder target;
    DoubleClickAsPress filter;
    if (row.filtered) target.installEventFilter(&filter);
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

TEST(DoubleClickInField, SelectsNoWordOnlyWhenFiltered)
{
    for (const bool filtered : {true, false}) {
        QLineEdit field("Hallo Welt");
        DoubleClickAsPress filter;
        if (filtered) field.installEventFilter(&filter);
        field.resize(300, 40);
        field.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
        // Inside "Hallo": past the frame and margins (about 6 px), halfway through "Hal".
        const QPoint inHallo(6 + field.fontMetrics().horizontalAdvance("Hal") / 2, 20);
        QTest::mouseDClick(field.windowHandle(), Qt::LeftButton, {}, inHallo);
        EXPECT_EQ(field.selectedText(), filtered ? "" : "Hallo") << "filtered " << filtered;
    }
}

} // namespace
