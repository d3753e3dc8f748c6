#include "tool_tips.h"
#include "tool_tip_texts.h"

#include <map>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

namespace {

constexpr int kTipWaitMs = 5000;
constexpr int kColumns = 6;
constexpr int kCell = 60; // px

bool isEditField(int id)
{
    return id == 101 || id == 102 || (id >= 116 && id <= 120);
}

QString expectedText(int id)
{
    const std::u16string_view t = toolTipText(id);
    return QString::fromUtf16(t.data(), static_cast<qsizetype>(t.size()));
}

// A stand-in for the main dialog: every control of the table plus the status line and the
// two list boxes, each in its own cell of a grid.
class ToolTipsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int cell = 0;
        const auto place = [&](int id, QWidget* w) {
            w->setGeometry((cell % kColumns) * kCell, (cell / kColumns) * kCell, kCell - 10,
                           kCell - 10);
            controls_[id] = w;
            ++cell;
        };
        for (const ToolTipRow& row : kToolTipTable) {
            if (isEditField(row.controlId))
                place(row.controlId, new QLineEdit(&dialog_));
            else
                place(row.controlId, new QPushButton(&dialog_));
        }
        place(113, new QLabel(QStringLiteral("Status"), &dialog_));
        place(114, new QListWidget(&dialog_));
        place(115, new QListWidget(&dialog_));
        dialog_.resize(kColumns * kCell, (cell / kColumns + 1) * kCell);
        dialog_.show();
        tips_.addTools([this](int id) { return control(id); });
        ASSERT_TRUE(hideTip());
    }
    void TearDown() override { EXPECT_TRUE(hideTip()); }

    QWidget* control(int id)
    {
        const auto it = controls_.find(id);
        return it == controls_.end() || it->first == 113 || it->first == 114 || it->first == 115
            ? nullptr
            : it->second;
    }
    QWidget* anyControl(int id) { return controls_.at(id); }

    static bool hideTip()
    {
        QToolTip::hideText();
        return QTest::qWaitFor([] { return !QToolTip::isVisible(); }, kTipWaitMs);
    }
    // What a resting mouse makes Qt send, delivered at once.
    static void askForTip(QWidget* w)
    {
        const QPoint centre = w->rect().center();
        QHelpEvent event(QEvent::ToolTip, centre, w->mapToGlobal(centre));
        QApplication::sendEvent(w, &event);
    }

    QWidget dialog_;
    ToolTips tips_;
    std::map<int, QWidget*> controls_;
};

TEST_F(ToolTipsTest, EveryControlShowsItsTextOnHoverWhileAnotherWindowIsActive)
{
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_FALSE(dialog_.isActiveWindow());
    ASSERT_EQ(tips_.toolCount(), 21);

    for (const ToolTipRow& row : kToolTipTable) {
        QWidget* w = anyControl(row.controlId);
        const QPoint inWindow = w->mapTo(&dialog_, w->rect().center());
        // Into the control, then a pixel on, where the mouse comes to rest.
        QTest::mouseMove(dialog_.windowHandle(), inWindow);
        QTest::mouseMove(dialog_.windowHandle(), inWindow + QPoint(1, 0));
        const QString expected = expectedText(row.controlId);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return QToolTip::isVisible() && QToolTip::text() == expected; }, kTipWaitMs))
            << "control " << row.controlId << " shows \"" << QToolTip::text().toStdString()
            << "\"";
    }
}

TEST_F(ToolTipsTest, TheThresholdTipKeepsItsPercentSign)
{
    askForTip(anyControl(120));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Ab diesem %-Satz Note 1"));
    askForTip(anyControl(101));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("1. Begriff"));
}

TEST_F(ToolTipsTest, StatusLineAndListBoxesShowNoTip)
{
    for (const int id : {113, 114, 115}) {
        askForTip(anyControl(id));
        EXPECT_FALSE(QToolTip::isVisible()) << "control " << id;
        EXPECT_TRUE(tips_.text(anyControl(id)).isEmpty());
    }
}

TEST_F(ToolTipsTest, RemovalEndsEveryTipAndASecondRemovalDoesNothing)
{
    askForTip(anyControl(102));
    ASSERT_TRUE(QToolTip::isVisible());
    delete anyControl(124); // a control gone before the removal
    controls_.erase(124);

    tips_.removeAll();
    EXPECT_EQ(tips_.toolCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, kTipWaitMs));
    askForTip(anyControl(102));
    askForTip(anyControl(120));
    EXPECT_FALSE(QToolTip::isVisible());

    tips_.removeAll();
    EXPECT_EQ(tips_.toolCount(), 0);
}

TEST_F(ToolTipsTest, RegisteringAgainReplacesTheText)
{
    tips_.addTool(anyControl(101), QStringLiteral("neu"));
    EXPECT_EQ(tips_.toolCount(), 21);
    askForTip(anyControl(101));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("neu"));
}

} // namespace
