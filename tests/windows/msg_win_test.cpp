#include "msg_win.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <QTest>

namespace {

constexpr int kWaitMs = 5000;

QFont messageFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(14);
    return font;
}

class MSGWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner_.setGeometry(100, 80, 640, 400);
        owner_.show();
    }
    MSGWin* open(const QString& text, int timeoutMs, const QString& title = QStringLiteral("Titel"))
    {
        return new MSGWin(&owner_, title, text, messageFont(), Qt::red, timeoutMs);
    }
    static bool closes(const QPointer<MSGWin>& w)
    {
        return QTest::qWaitFor([&] { return w.isNull(); }, kWaitMs);
    }

    QWidget owner_;
};

TEST_F(MSGWinTest, WithoutTimeOutItIsAnOrdinaryWindowThatStays)
{
    QPointer<MSGWin> w = open(QStringLiteral("Ergebnis"), -1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::CustomizeWindowHint)) << "close box expected";
    EXPECT_NE(w->minimumSize(), w->maximumSize()) << "sizing border expected";
    w->tick();
    w->tick();
    QApplication::processEvents();
    ASSERT_FALSE(w.isNull());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Titel"));
    EXPECT_EQ(w->remainingSeconds(), 0);
    delete w;
}

struct ShortRow {
    const char* name;
    int timeoutMs;
};

class MSGWinShort : public MSGWinTest, public ::testing::WithParamInterface<ShortRow> {};

TEST_P(MSGWinShort, ClosesAtTheFirstTickWithItsTitle)
{
    QPointer<MSGWin> w = open(QStringLiteral("Kurz"), GetParam().timeoutMs);
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "no sizing border";
    w->tick();
    ASSERT_FALSE(w.isNull()) << "the close is posted, not done inside the tick";
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Titel"));
    EXPECT_TRUE(closes(w));
}

INSTANTIATE_TEST_SUITE_P(Table, MSGWinShort,
    ::testing::Values(ShortRow{"zero", 0}, ShortRow{"ms_999", 999}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MSGWinTest, TwoSecondsShowTimeout1ThenClose)
{
    QPointer<MSGWin> w = open(QStringLiteral("Kein aktuelles Ergebnis verfügbar!"), 2000,
                              QStringLiteral("Übungsergebnis"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Übungsergebnis"));
    w->tick();
    ASSERT_FALSE(w.isNull());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Timeout:1"));
    w->tick();
    EXPECT_TRUE(closes(w));
}

TEST_F(MSGWinTest, ItsOwnTimerCountsDown)
{
    QPointer<MSGWin> w = open(QStringLiteral("x"), 2000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w && w->windowTitle() == "Timeout:1"; }, kWaitMs));
    EXPECT_TRUE(closes(w));
}

TEST_F(MSGWinTest, SeveralWindowsCountOnTheirOwn)
{
    QPointer<MSGWin> first = open(QStringLiteral("eins"), 2000);
    QPointer<MSGWin> second = open(QStringLiteral("zwei"), 3000);
    QPointer<MSGWin> third = open(QStringLiteral("drei"), -1);
    first->tick();
    first->tick();
    EXPECT_TRUE(closes(first));
    ASSERT_FALSE(second.isNull());
    ASSERT_FALSE(third.isNull());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Titel"));
    second->tick();
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Timeout:2"));
    delete second;
    delete third;
}

TEST_F(MSGWinTest, EmptyLineKeepsItsHeight)
{
    QPointer<MSGWin> w = open(QStringLiteral("a\r\rb"), -1);
    const int lineHeight = QFontMetrics(messageFont()).height();
    EXPECT_EQ(w->lines(), (QStringList{"a", " ", "b"}));
    EXPECT_EQ(w->lineHeight(), lineHeight);
    EXPECT_EQ(w->height(), 3 * lineHeight + 10);
    EXPECT_EQ(w->width(), w->widestLine() + w->widestLine() / 8);
    delete w;
}

TEST_F(MSGWinTest, SixtyLinesShowAs49)
{
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("Zeile %1\r").arg(i);
    QPointer<MSGWin> w = open(text, -1);
    EXPECT_EQ(w->lines().size(), 49);
    EXPECT_EQ(w->lines().back(), QStringLiteral("Zeile 48"));
    EXPECT_EQ(w->height(), 49 * w->lineHeight() + 10);
    delete w;
}

TEST_F(MSGWinTest, EmptyTextIsOneBlankLine)
{
    QPointer<MSGWin> w = open(QString(), -1);
    EXPECT_EQ(w->lines(), QStringList{" "});
    EXPECT_EQ(w->height(), w->lineHeight() + 10);
    delete w;
}

TEST_F(MSGWinTest, StandsCentredOverItsOwnersWindow)
{
    QPointer<MSGWin> w = open(QStringLiteral("Mitte\rMitte"), -1);
    const QRect o = owner_.frameGeometry();
    // Centred with the classic 19 px title bar counted into the height.
    EXPECT_LE(std::abs(w->x() + w->width() / 2 - (o.left() + o.width() / 2)), 1);
    EXPECT_LE(std::abs(w->y() + (w->height() + 19) / 2 - (o.top() + o.height() / 2)), 1);
    delete w;
}

TEST_F(MSGWinTest, NeverStandsAtNegativeCoordinates)
{
    owner_.setGeometry(0, 0, 120, 60);
    QString wide(300, QChar(u'W'));
    QPointer<MSGWin> w = open(wide + QStringLiteral("\r\r\r\r\r\r\r"), -1);
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    delete w;
}

TEST_F(MSGWinTest, GoesWithItsOwner)
{
    auto* owner = new QWidget;
    owner->show();
    QPointer<MSGWin> w = new MSGWin(owner, QStringLiteral("t"), QStringLiteral("x"),
                                    messageFont(), Qt::black, -1);
    EXPECT_TRUE(w->isWindow());
    delete owner;
    EXPECT_TRUE(w.isNull());
}

// Whether any pixel in rows [top, bottom) is mostly red: the text colour on the background.
bool hasRedInk(const QImage& image, int top, int bottom)
{
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 160 && c.green() < 100 && c.blue() < 100)
                return true;
        }
    }
    return false;
}

TEST_F(MSGWinTest, DrawsEachLineInItsBandInTheTextColour)
{
    QFont big(QStringLiteral("Liberation Sans"));
    big.setPixelSize(32);
    QPointer<MSGWin> w = new MSGWin(&owner_, QStringLiteral("t"), QStringLiteral("HH\r\rHH"),
                                    big, Qt::red, -1);
    const QImage image = w->grab().toImage();
    const int h = w->lineHeight();
    EXPECT_TRUE(hasRedInk(image, 0, h));
    EXPECT_FALSE(hasRedInk(image, h, 2 * h)) << "the blank line stays empty";
    EXPECT_TRUE(hasRedInk(image, 2 * h, 3 * h));
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1),
              w->palette().color(QPalette::Base));
    delete w;
}

} // namespace
