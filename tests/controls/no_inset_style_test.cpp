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
        return e == SE_LineEditContents ? o->rect.adjusted(6, 5, -6, -5)
                                        : QProxyStyle::subElementRect(e, o, w);
    }
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override
    {
        return m == PM_DefaultFrameWidth ? 3 : QProxyStyle::pixelMetric(m, o, w);
    }
};

// A low, centred field with text (selected, or disabled), as a threshold field is, under a
// style with an inset, drawn and clicked in its middle as the style sheet "padding: 0px" makes
// it, as the proxy makes it, and as the style alone makes it (which must differ).
TEST(NoInsetLineEditStyle, DrawsAndHitsAsTheStyleSheetDoes)
{
    QApplication::setStyle(new InsetStyle);
    for (const bool selected : {false, true}) {
        std::vector<std::pair<QImage, int>> looks; // style sheet, proxy, style alone
        for (int look = 0; look < 3; ++look) {
            NoInsetLineEditStyle noInset(new InsetStyle);
            QLineEdit field;
            field.setGeometry(10, 10, 60, 18);
            field.setAlignment(Qt::AlignCenter);
            field.setTextMargins(0, 0, 0, 0);
            field.setText(QStringLiteral("100"));
            if (look == 0) field.setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; }"));
            if (look == 1) field.setStyle(&noInset);
            field.setEnabled(selected);
            if (selected) field.selectAll();
            field.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
            const QImage image = field.grab().toImage();
            QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(34, 9));
            looks.emplace_back(image, field.cursorPosition());
        }
        EXPECT_EQ(looks[1], looks[0]) << (selected ? "selected" : "disabled");
        EXPECT_NE(looks[2].first, looks[0].first) << (selected ? "selected" : "disabled");
    }
    QApplication::setStyle(QStringLiteral("fusion"));
}

} // namespace
