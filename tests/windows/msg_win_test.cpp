#include "msg_win.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWindow>

namespace {

constexpr int kWaitMs = 5000;

bool closes(const QPointer<MSGWin>& w)
{
    return QTest::qWaitFor([&] { return w.isNull(); }, kWaitMs);
}

class MSGWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        font_.setPixelSize(14);
        owner_.setGeometry(100, 80, 640, 400);
        owner_.show();
    }
    QPointer<MSGWin> open(const QString& text, int timeoutMs)
    {
        return new MSGWin(&owner_, "Titel", text, font_, Qt::red, timeoutMs);
    }

    QFont font_{"Liberation Sans"};
    QWidget owner_;
};

TEST_F(MSGWinTest, WithoutTimeOutItIsAnOrdinaryWindowThatStays)
{
    QPointer<MSGWin> w = open("Ergebnis", -1);
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::CustomizeWindowHint)) << "close box expected";
    EXPECT_NE(w->minimumSize(), w->maximumSize()) << "sizing border expected";
    w->tick();
    QCoreApplication::processEvents();
    ASSERT_FALSE(w.isNull());
    EXPECT_EQ(w->windowTitle(), "Titel");
    delete w;
}

class MSGWinShort : public MSGWinTest, public ::testing::WithParamInterface<int> {};

TEST_P(MSGWinShort, ClosesAtTheFirstTickWithItsTitle)
{
    QPointer<MSGWin> w = open("Kurz", GetParam());
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "no sizing border";
    w->tick();
    EXPECT_EQ(w->windowTitle(), "Titel");
    EXPECT_TRUE(closes(w));
}

INSTANTIATE_TEST_SUITE_P(Table, MSGWinShort, ::testing::Values(0, 999));

TEST_F(MSGWinTest, TwoSecondsShowTimeout1ThenCloseByItsOwnTimer)
{
    QPointer<MSGWin> w = open("Kein aktuelles Ergebnis verfügbar!", 2000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w && w->windowTitle() == "Timeout:1"; }, kWaitMs));
    EXPECT_TRUE(closes(w));
}

TEST_F(MSGWinTest, SeveralWindowsCountOnTheirOwn)
{
    QPointer<MSGWin> first = open("eins", 2000);
    QPointer<MSGWin> second = open("zwei", 3000);
    first->tick();
    first->tick();
    EXPECT_TRUE(closes(first));
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second->windowTitle(), "Titel");
    second->tick();
    EXPECT_EQ(second->windowTitle(), "Timeout:2");
    delete second;
}

TEST_F(MSGWinTest, AnEmptyLineKeepsItsHeight)
{
    QPointer<MSGWin> w = open("a\r\rb", -1);
    EXPECT_EQ(w->lines(), (QStringList{"a", " ", "b"}));
    EXPECT_EQ(w->lineHeight(), QFontMetrics(font_).height());
    EXPECT_EQ(w->height(), 3 * w->lineHeight() + 10);
    EXPECT_EQ(w->width(), w->widestLine() + w->widestLine() / 8);
    delete w;
}

TEST_F(MSGWinTest, StandsCentredOverItsOwnerButNeverAtNegativeCoordinates)
{
    QPointer<MSGWin> w = open("Mitte\rMitte", -1);
    const QRect o = owner_.frameGeometry();
    EXPECT_LE(std::abs(w->x() + w->width() / 2 - o.center().x()), 1);
    EXPECT_LE(std::abs(w->y() + (w->height() + 19) / 2 - o.center().y()), 1);
    delete w;

    owner_.setGeometry(0, 0, 120, 60);
    w = open(QString(300, 'W') + QString(8, '\r'), -1);
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    delete w;
}

// Whether any pixel in rows [top, bottom) is mostly red: the text colour.
bool hasRedInk(const QImage& image, int top, int bottom)
{
    for (int y = top; y < std::min(bottom, image.height()); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 160 && c.green() < 100 && c.blue() < 100) return true;
        }
    }
    return false;
}

TEST_F(MSGWinTest, DrawsEachLineInItsBand)
{
    font_.setPixelSize(32);
    QPointer<MSGWin> w = open("HH\r\rHH", -1);
    const QImage image = w->grab().toImage();
    const int h = w->lineHeight();
    EXPECT_TRUE(hasRedInk(image, 0, h));
    EXPECT_FALSE(hasRedInk(image, h, 2 * h)) << "the blank line stays empty";
    EXPECT_TRUE(hasRedInk(image, 2 * h, 3 * h));
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1),
              w->palette().color(QPalette::Base));
    delete w;
}

class MSGWinOwned : public MSGWinTest, public ::testing::WithParamInterface<int> {};

// Owned by the main window: in front of it and without a task-bar entry of its own. Under X11
// Qt writes WM_TRANSIENT_FOR only for dialog-type windows.
TEST_P(MSGWinOwned, IsADialogWhoseTransientParentIsTheOwnersWindow)
{
    QPointer<MSGWin> w = open("Ergebnis", GetParam());
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_EQ(w->windowHandle()->transientParent(), owner_.windowHandle());
    EXPECT_EQ(w->windowType(), Qt::Dialog);
    delete w;
}

INSTANTIATE_TEST_SUITE_P(Table, MSGWinOwned, ::testing::Values(-1, 2000));

struct ReadRow {
    const char* name;
    const char* text;
    const char* read;
};

class MSGWinRead : public MSGWinTest, public ::testing::WithParamInterface<ReadRow> {};

TEST_P(MSGWinRead, IsADialogNamedByItsTitleWithItsWholeTextAsOneStaticText)
{
    QPointer<MSGWin> w = open(QString::fromUtf8(GetParam().text), -1);
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(w.data());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->role(), QAccessible::Dialog);
    EXPECT_EQ(dialog->text(QAccessible::Name), "Titel");
    ASSERT_EQ(dialog->childCount(), 1);
    QAccessibleInterface* text = dialog->child(0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->role(), QAccessible::StaticText);
    EXPECT_EQ(text->parent(), dialog);
    EXPECT_EQ(dialog->indexOfChild(text), 0);
    const QString read = QString::fromUtf8(GetParam().read);
    EXPECT_EQ(text->text(QAccessible::Name), read);
    ASSERT_NE(text->textInterface(), nullptr);
    EXPECT_EQ(text->textInterface()->text(0, text->textInterface()->characterCount()), read);
    delete w;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MSGWinRead,
    ::testing::Values(ReadRow{"report", "Auswertung:\r3 Aufgaben\r\rSchwerpunkt: 1",
                              "Auswertung:\n3 Aufgaben\n \nSchwerpunkt: 1"},
                      ReadRow{"table_keeps_its_columns", "Datum  Zeit  NOTE\r06.12. 14:05    2",
                              "Datum  Zeit  NOTE\n06.12. 14:05    2"}),
    [](const auto& info) { return info.param.name; });

TEST_F(MSGWinTest, TextCharactersLieWhereTheyAreDrawn)
{
    QPointer<MSGWin> w = open("ab\rcd\rWxyz", -1);
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(w.data())->child(0)->textInterface();
    const int y = w->lineHeight() * 2;      // the third line's band
    const QRect x = text->characterRect(7); // "ab\ncd\nW" -> 'x'
    const QPoint origin = w->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(x.top(), origin.y() + y);
    EXPECT_EQ(x.height(), w->lineHeight());
    EXPECT_EQ(x.left(), origin.x() + 5 + QFontMetrics(font_).horizontalAdvance("W"));
    EXPECT_EQ(text->offsetAtPoint(x.center()), 7);
    EXPECT_EQ(text->offsetAtPoint(origin + QPoint(1, 1)), -1) << "left of the text";
    EXPECT_EQ(text->offsetAtPoint(origin + QPoint(5, 1)), 0);
    EXPECT_TRUE(text->characterRect(100).isNull());
    delete w;
}

TEST_F(MSGWinTest, TheTextGoesWithItsWindow)
{
    QPointer<MSGWin> w = open("weg", -1);
    QAccessibleInterface* text = QAccessible::queryAccessibleInterface(w.data())->child(0);
    const QAccessible::Id id = QAccessible::uniqueId(text);
    ASSERT_EQ(QAccessible::accessibleInterface(id), text);
    delete w;
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
}

} // namespace

// A table for assistive technology after the text: named by the title, its headers and cells
// each on the line it is drawn on.
TEST_F(MSGWinTest, TextAsATableWithColumnHeaders)
{
    QPointer<MSGWin> w = open("Kopf\r\rzeile 1\rzeile 2", -1);
    w->setTable({"Datum", "Note"}, {{"6.12.", "2"}, {"7.12.", "5"}}, 2);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(w.data());
    ASSERT_EQ(window->childCount(), 2);
    EXPECT_EQ(window->child(0)->role(), QAccessible::StaticText) << "the text stays first";
    QAccessibleInterface* table = window->child(1);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), "Titel");
    EXPECT_EQ(window->indexOfChild(table), 1);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 2);
    EXPECT_EQ(cells->columnCount(), 2);
    EXPECT_EQ(cells->columnDescription(1), "Note");
    EXPECT_EQ(table->childCount(), 6) << "headers and cells";
    struct Cell {
        int row, column;
        const char* text;
    };
    for (const Cell c : {Cell{0, 0, "6.12."}, Cell{0, 1, "2"}, Cell{1, 1, "5"}}) {
        QAccessibleInterface* cell = cells->cellAt(c.row, c.column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->text(QAccessible::Name), c.text);
        EXPECT_EQ(cell->parent(), table);
        EXPECT_EQ(table->indexOfChild(cell), (c.row + 1) * 2 + c.column);
        QAccessibleTableCellInterface* place = cell->tableCellInterface();
        ASSERT_NE(place, nullptr);
        EXPECT_EQ(place->rowIndex(), c.row);
        EXPECT_EQ(place->columnIndex(), c.column);
        const QList<QAccessibleInterface*> headers = place->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1);
        EXPECT_EQ(headers[0]->role(), QAccessible::ColumnHeader);
        EXPECT_EQ(headers[0]->text(QAccessible::Name), c.column == 0 ? "Datum" : "Note");
        EXPECT_EQ(cell->rect().top(), w->mapToGlobal(QPoint(0, (2 + c.row) * w->lineHeight())).y());
    }
    EXPECT_EQ(cells->cellAt(2, 0), nullptr);
    EXPECT_EQ(cells->cellAt(0, 2), nullptr);
    delete w;
}

TEST_F(MSGWinTest, WithoutATableOnlyTheText)
{
    QPointer<MSGWin> w = open("Ergebnis", -1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.data())->childCount(), 1);
    delete w;
}

struct KeyCase {
    const char* name;
    int timeoutMs;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool closes;
};

class MSGWinKeys : public MSGWinTest, public ::testing::WithParamInterface<KeyCase> {};

// A window the user closes goes with the keys that end a dialog; one that closes itself, and
// other keys, leave it.
TEST_P(MSGWinKeys, ClosesByKeyOnlyWithoutTimeOut)
{
    const KeyCase& c = GetParam();
    QPointer<MSGWin> w = open("Ergebnis", c.timeoutMs);
    QTest::keyClick(w.data(), c.key, c.modifiers);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.isNull(), c.closes);
    delete w;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MSGWinKeys,
    ::testing::Values(KeyCase{"escape", -1, Qt::Key_Escape, Qt::NoModifier, true},
                      KeyCase{"enter", -1, Qt::Key_Return, Qt::NoModifier, true},
                      KeyCase{"keypad_enter", -1, Qt::Key_Enter, Qt::KeypadModifier, true},
                      KeyCase{"space", -1, Qt::Key_Space, Qt::NoModifier, true},
                      KeyCase{"tab", -1, Qt::Key_Tab, Qt::NoModifier, false},
                      KeyCase{"ctrl_escape", -1, Qt::Key_Escape, Qt::ControlModifier, false},
                      KeyCase{"timed_escape", 5000, Qt::Key_Escape, Qt::NoModifier, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MSGWinTest, ClosingHandsTheKeyboardBackToTheOwner)
{
    owner_.activateWindow();
    QPointer<MSGWin> w = open("Ergebnis", -1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.data(), kWaitMs)) << "takes the keyboard";
    QTest::keyClick(w.data(), Qt::Key_Escape);
    ASSERT_TRUE(closes(w));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&owner_, kWaitMs));
}
