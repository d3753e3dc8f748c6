#include "no_inset_style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

namespace {

// A desktop style that sets a line edit's text well inside its frame, as some do.
class InsetStyle : public QProxyStyle {
public:
    InsetStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("fusion"))) {}
    QRect subElementRect(SubElement e, const QStyleOption* o, const QWidget* w) const override
    {
        if (e == SE_LineEditContents) return o->rect.adjusted(6, 5, -6, -5);
        return QProxyStyle::subElementRect(e, o, w);
    }
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override
    {
        if (m == PM_DefaultFrameWidth && qobject_cast<const QLineEdit*>(w) != nullptr) return 3;
        return QProxyStyle::pixelMetric(m, o, w);
    }
};

enum class Look { StyleSheet, NoInset, Plain };

struct FieldRow {
    const char* name;
    const char* text;
    bool enabled;
    bool selected;
};

class NoInsetStyleTest : public testing::TestWithParam<FieldRow> {
protected:
    void SetUp() override { QApplication::setStyle(new InsetStyle); }
    void TearDown() override { QApplication::setStyle(QStringLiteral("fusion")); }

    // A threshold-like field (low, centred, small font) drawn in `look`; the text position a
    // click in its middle gives is stored in cursorAfterClick.
    QImage field(Look look, int* cursorAfterClick)
    {
        const FieldRow& row = GetParam();
        QWidget window;
        window.resize(120, 40);
        auto* e = new QLineEdit(&window);
        e->setGeometry(10, 10, 60, 18);
        e->setAlignment(Qt::AlignCenter);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(16);
        e->setFont(font);
        e->setTextMargins(0, 0, 0, 0);
        e->setText(QString::fromLatin1(row.text));
        if (look == Look::StyleSheet)
            e->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
        if (look == Look::NoInset) {
            noInset_ = std::make_unique<NoInsetLineEditStyle>(new InsetStyle);
            e->setStyle(noInset_.get());
        }
        e->setEnabled(row.enabled);
        if (row.selected) e->selectAll();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) return {};
        QImage image = e->grab().toImage();
        QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(e->width() / 2 + 4, e->height() / 2));
        *cursorAfterClick = e->cursorPosition();
        return image;
    }

private:
    std::unique_ptr<NoInsetLineEditStyle> noInset_;
};

TEST_P(NoInsetStyleTest, DrawsAndHitsAsTheStyleSheetDoes)
{
    int sheetCursor = -1, noInsetCursor = -1, plainCursor = -1;
    const QImage sheet = field(Look::StyleSheet, &sheetCursor);
    const QImage noInset = field(Look::NoInset, &noInsetCursor);
    const QImage plain = field(Look::Plain, &plainCursor);
    ASSERT_FALSE(sheet.isNull());
    EXPECT_EQ(noInset, sheet);
    EXPECT_EQ(noInsetCursor, sheetCursor);
    // The style's inset shows: without either, the text lies elsewhere.
    EXPECT_NE(plain, sheet);
}

INSTANTIATE_TEST_SUITE_P(Fields, NoInsetStyleTest,
                         testing::Values(FieldRow{"Number", "90", true, false},
                                         FieldRow{"Full", "100", true, false},
                                         FieldRow{"Empty", "", true, false},
                                         FieldRow{"Disabled", "75", false, false},
                                         FieldRow{"Selected", "50", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
