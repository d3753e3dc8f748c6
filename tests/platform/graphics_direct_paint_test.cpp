#include "direct_paint.h"

#include <vector>

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>
#include <QWidget>

namespace {

class PaintRecorder : public QWidget {
public:
    std::vector<QRect> painted;

protected:
    void paintEvent(QPaintEvent* event) override { painted.push_back(event->rect()); }
};

class DirectPaint : public testing::Test {
protected:
    void SetUp() override
    {
        widget.resize(40, 30);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        QCoreApplication::processEvents();
        widget.painted.clear();
    }
    PaintRecorder widget;
};

TEST_F(DirectPaint, PaintsJustTheRectangleAtOnce)
{
    EXPECT_TRUE(repaintNow(widget, QRect(3, 4, 10, 9)));
    ASSERT_EQ(widget.painted.size(), 1u); // before any event is processed
    EXPECT_EQ(widget.painted[0], QRect(3, 4, 10, 9));
}

TEST_F(DirectPaint, ClipsToTheWidget)
{
    EXPECT_TRUE(repaintNow(widget, QRect(30, 20, 50, 50)));
    ASSERT_EQ(widget.painted.size(), 1u);
    EXPECT_EQ(widget.painted[0], QRect(30, 20, 10, 10));
}

TEST_F(DirectPaint, NothingOutsideOrHidden)
{
    EXPECT_FALSE(repaintNow(widget, QRect(50, 50, 5, 5)));
    widget.hide();
    EXPECT_FALSE(repaintNow(widget, QRect(0, 0, 5, 5)));
    EXPECT_TRUE(widget.painted.empty());
}

} // namespace
