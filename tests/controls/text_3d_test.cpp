#include "text_3d.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include "log_font.h"
#include "probe.h"

namespace {

const QString kCaption = QStringLiteral(" KAZ-TRAINER 1.0   ");

// A parent that paints itself red, so that what shows through a label can be told apart from
// what the label paints.
class RedParent : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::red); }
};

class Text3DTest : public testing::Test {
protected:
    void SetUp() override
    {
        parent.resize(640, 400);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    RedParent parent;
    QFont font = logFont(QStringLiteral("Arial"), 16);
};

struct GeometryRow {
    const char* name;
    bool vertical;
    bool framed;
};

class Text3DGeometry : public Text3DTest, public testing::WithParamInterface<GeometryRow> {};

TEST_P(Text3DGeometry, SizesItselfToTheText)
{
    const GeometryRow& row = GetParam();
    const QSize text = my3DText::MeasureText(kCaption, font);
    ASSERT_GT(text.width(), text.height());
    const my3DText label(&parent, 100, 300, kCaption, font,
                         {.vertical = row.vertical, .framed = row.framed, .transparent = true});
    const int frame = row.framed ? 2 : 0;
    const QSize inner = row.vertical ? QSize(text.height() + 2, text.width() + 2)
                                     : QSize(text.width() + 2, text.height() + 2);
    EXPECT_EQ(label.size(), inner + QSize(2 * frame, 2 * frame));
    EXPECT_EQ(label.x(), 100 - frame);
    if (row.vertical)
        EXPECT_EQ(label.geometry().bottom() + 1, 300 + frame); // grows upwards from y
    else
        EXPECT_EQ(label.y(), 300 - frame);
}

INSTANTIATE_TEST_SUITE_P(Rows, Text3DGeometry,
                         testing::Values(GeometryRow{"horizontal", false, false},
                                         GeometryRow{"horizontal_framed", false, true},
                                         GeometryRow{"upright", true, false},
                                         GeometryRow{"upright_framed", true, true}),
                         [](const auto& info) { return info.param.name; });

TEST(Text3DMeasure, IsTheAdvanceByTheCellHeight)
{
    const QFont font = logFont(QStringLiteral("Arial"), 16);
    const QSize one = my3DText::MeasureText(QStringLiteral("W"), font);
    const QSize two = my3DText::MeasureText(QStringLiteral("WW"), font);
    EXPECT_EQ(two.width(), 2 * one.width());
    EXPECT_EQ(one.height(), 16); // the cell height asked for
}

// Counts black pixels and black pixels with a light grey one right after them along the text.
struct Engraving {
    int black = 0;
    int shadowed = 0;
};

Engraving engraving(const QImage& image, QPoint along)
{
    Engraving e;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (toRgb(image.pixel(x, y)) != kBlack) continue;
            ++e.black;
            const QPoint next = QPoint(x, y) + along;
            if (image.valid(next) && toRgb(image.pixel(next)) == kLightGrey) ++e.shadowed;
        }
    }
    return e;
}

TEST_F(Text3DTest, HorizontalTextIsBlackOverALightGreyCopyOneBelow)
{
    font.setStyleStrategy(QFont::NoAntialias);
    const my3DText label(&parent, 10, 10, kCaption, font, {.transparent = true});
    const QImage image = parent.grab(label.geometry()).toImage();
    const Engraving e = engraving(image, QPoint(0, 1));
    EXPECT_GT(e.black, 30);
    EXPECT_GT(e.shadowed, 10);
    for (int x = 0; x < image.width(); ++x) // nothing on the label's top row: the text is at y 1
        ASSERT_EQ(toRgb(image.pixel(x, 0)), kRed) << x;
}

TEST_F(Text3DTest, UprightTextReadsDownwardsWithTheCopyFurtherAlong)
{
    QFont vertical = logFont(QStringLiteral("Arial"), 12, 6);
    vertical.setStyleStrategy(QFont::NoAntialias);
    const my3DText label(&parent, 620, 345, kCaption, vertical,
                         {.vertical = true, .transparent = true});
    const QImage image = parent.grab(label.geometry()).toImage();
    const Engraving e = engraving(image, QPoint(0, 1));
    EXPECT_GT(e.black, 30);
    EXPECT_GT(e.shadowed, 10);
    // Turned clockwise: the letters' tops point right, so the ink lies in the label's width and
    // is spread along its height.
    int top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (toRgb(image.pixel(x, y)) == kBlack) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GT(bottom - top, image.height() / 2);
}

TEST_F(Text3DTest, FramedLabelIsSunken)
{
    my3DText label(&parent, 10, 10, kCaption, font, {.framed = true});
    const QImage image = label.grab().toImage();
    const int w = image.width(), h = image.height();
    EXPECT_EQ(toRgb(image.pixel(0, 0)), kBlack);
    EXPECT_EQ(toRgb(image.pixel(w - 1, h - 1)), kBlack);
    EXPECT_EQ(toRgb(image.pixel(1, 1)), kGrey);
    EXPECT_EQ(toRgb(image.pixel(5, 1)), kGrey);
    EXPECT_EQ(toRgb(image.pixel(w - 2, 5)), kWhite);
    EXPECT_EQ(toRgb(image.pixel(5, h - 2)), kWhite);
}

TEST_F(Text3DTest, TransparentLetsTheParentShowThrough)
{
    const my3DText transparent(&parent, 10, 10, kCaption, font, {.transparent = true});
    const my3DText opaque(&parent, 10, 60, kCaption, font, {});
    const QImage image = parent.grab().toImage();
    EXPECT_EQ(toRgb(image.pixel(transparent.pos())), kRed);
    EXPECT_NE(toRgb(image.pixel(opaque.pos())), kRed);
}

} // namespace
