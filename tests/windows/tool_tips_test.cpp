#include "tool_tips.h"
#include "tool_tip_texts.h"

#include <map>

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
constexpr int kCell = 60; // px, one control per cell of a 6-column grid

// A stand-in for the main dialog: every control of the table, the status line 113 and the
// list boxes 114 and 115, which are not registered.
class ToolTipsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const ToolTipRow& row : kToolTipTable) {
            const bool edit =
                row.controlId <= 102 || (row.controlId >= 116 && row.controlId <= 120);
            place(row.controlId, edit ? static_cast<QWidget*>(new QLineEdit(&dialog_))
                                      : new QPushButton(&dialog_));
        }
        place(113, new QLabel("Status", &dialog_));
        place(114, new QListWidget(&dialog_));
        place(115, new QListWidget(&dialog_));
        dialog_.resize(6 * kCell, 5 * kCell);
        dialog_.show();
        tips_.addTools([this](int id) { return id >= 113 && id <= 115 ? nullptr : controls_[id]; });
    }
    void TearDown() override
    {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, kTipWaitMs));
    }
    void place(int id, QWidget* w)
    {
        const int cell = static_cast<int>(controls_.size());
        w->setGeometry(cell % 6 * kCell, cell / 6 * kCell, kCell - 10, kCell - 10);
        controls_[id] = w;
    }
    // What Qt sends to a control the mouse rests on, delivered at once.
    void askForTip(int id)
    {
        const QPoint centre = controls_[id]->rect().center();
        QHelpEvent event(QEvent::ToolTip, centre, controls_[id]->mapToGlobal(centre));
        QApplication::sendEvent(controls_[id], &event);
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
    for (const ToolTipRow& row : kToolTipTable) {
        const QPoint at = controls_[row.controlId]->geometry().center();
        QTest::mouseMove(dialog_.windowHandle(), at);                // into the control ...
        QTest::mouseMove(dialog_.windowHandle(), at + QPoint(1, 0)); // ... where it rests
        const QString expected = QString::fromUtf16(row.text.data(), row.text.size());
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return QToolTip::isVisible() && QToolTip::text() == expected; }, kTipWaitMs))
            << "control " << row.controlId << " shows " << QToolTip::text().toStdString();
    }
}

TEST_F(ToolTipsTest, TextsAsTheyStandAndNoneForStatusLineAndListBoxes)
{
    askForTip(120);
    EXPECT_EQ(QToolTip::text(), "Ab diesem %-Satz Note 1");
    askForTip(101);
    EXPECT_EQ(QToolTip::text(), "1. Begriff");
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, kTipWaitMs));
    for (const int id : {113, 114, 115}) {
        askForTip(id);
        EXPECT_FALSE(QToolTip::isVisible()) << "control " << id;
    }
}

TEST_F(ToolTipsTest, RemovalEndsEveryTipAndASecondRemovalDoesNothing)
{
    askForTip(102);
    ASSERT_TRUE(QToolTip::isVisible());
    delete controls_[124]; // a control gone before the removal
    controls_.erase(124);
    tips_.removeAll();
    EXPECT_EQ(tips_.toolCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, kTipWaitMs));
    askForTip(102);
    EXPECT_FALSE(QToolTip::isVisible());
    tips_.removeAll();
    EXPECT_EQ(tips_.toolCount(), 0);
}

} // namespace
