#include "control_accessibles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "bmp_button.h"
#include "fake_platform.h"
#include "led_line.h"
#include "led_window.h"
#include "log_font.h"
#include "text_3d.h"

namespace {

struct Recorded {
    QAccessible::Event type;
    QObject* object;
    bool checkedChanged;
};
std::vector<Recorded> recorded;

void record(QAccessibleEvent* event)
{
    const bool checked = event->type() == QAccessible::StateChanged &&
                         static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().checked;
    recorded.push_back({event->type(), event->object(), checked});
}

QAccessibleInterface* accessible(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

class ControlAccessiblesTest : public testing::Test {
protected:
    void SetUp() override
    {
        parent.resize(640, 400);
        parent.show();
        parent.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
        previousHandler = QAccessible::installUpdateHandler(&record);
    }
    void TearDown() override { QAccessible::installUpdateHandler(previousHandler); }

    // Whether assistive technology listens, so that the controls send their events. The
    // offscreen platform has no accessibility; under X with an accessibility bus and
    // QT_LINUX_ACCESSIBILITY_ALWAYS_ON set, Qt turns it on once the bus is connected.
    static bool listen()
    {
        return QAccessible::isActive() ||
               (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") &&
                QTest::qWaitFor(&QAccessible::isActive));
    }
    static long count(QAccessible::Event type, const QObject* object)
    {
        return std::count_if(recorded.begin(), recorded.end(), [&](const Recorded& r) {
            return r.type == type && r.object == object &&
                   (type != QAccessible::StateChanged || r.checkedChanged);
        });
    }
    myBMPButton* button(bool toggles)
    {
        auto* b = toggles ? new myBMPButton(&parent, 5037, 5036,
                                            {.toggles = true,
                                             .samplePoint = {15, 15},
                                             .label = QStringLiteral("ab = AB")})
                          : new myBMPButton(&parent, 5009, 5008);
        b->show();
        return b;
    }

    FakePlatform platform;
    QWidget parent;
    QAccessible::UpdateHandler previousHandler = nullptr;
};

struct ButtonRow {
    const char* name;
    bool toggles;
    bool on;
    const char* accessibleName;
    QAccessible::Role role;
    const char* expectedName;
};

class ButtonAccessible : public ControlAccessiblesTest,
                         public testing::WithParamInterface<ButtonRow> {};

TEST_P(ButtonAccessible, AnswersRoleNameAndCheckedState)
{
    const ButtonRow& row = GetParam();
    myBMPButton* b = button(row.toggles);
    b->SetOn(row.on);
    b->setAccessibleName(QString::fromUtf8(row.accessibleName));
    b->setAccessibleDescription(QStringLiteral("Beschreibung"));

    QAccessibleInterface* iface = accessible(b);
    EXPECT_EQ(iface->role(), row.role);
    EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(row.expectedName));
    EXPECT_EQ(iface->text(QAccessible::Description), QStringLiteral("Beschreibung"));
    EXPECT_EQ(iface->state().checkable, row.toggles);
    EXPECT_EQ(iface->state().checked, row.toggles && row.on);
    EXPECT_FALSE(b->isCheckable()) << "QAbstractButton's own toggling stays off";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ButtonAccessible,
    testing::Values(
        ButtonRow{"command_named", false, false, "Speichern", QAccessible::Button, "Speichern"},
        ButtonRow{"command_on_is_not_checked", false, true, "", QAccessible::Button, ""},
        ButtonRow{"option_off_reads_its_label", true, false, "", QAccessible::CheckBox, "ab = AB"},
        ButtonRow{"option_on_named", true, true, "Groß-/Kleinschreibung vernachlässigen",
                  QAccessible::CheckBox, "Groß-/Kleinschreibung vernachlässigen"}),
    [](const auto& info) { return info.param.name; });

struct ActionRow {
    const char* name;
    bool toggles;
    bool locked;
    QString action;
    bool flips;
};

class ButtonAction : public ControlAccessiblesTest,
                     public testing::WithParamInterface<ActionRow> {};

TEST_P(ButtonAction, ClicksAsTheMouseDoes)
{
    const ActionRow& row = GetParam();
    myBMPButton* b = button(row.toggles);
    b->SetLocked(row.locked);
    QSignalSpy clicks(b, &QAbstractButton::clicked);
    QAccessibleActionInterface* actions = accessible(b)->actionInterface();
    ASSERT_TRUE(actions->actionNames().contains(row.action));
    EXPECT_EQ(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()),
              row.toggles);

    actions->doAction(row.action);
    EXPECT_EQ(b->On(), row.flips) << "flipped by the press";
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks.count() == 1 && !b->isDown(); }));
    EXPECT_EQ(b->On(), row.flips);

    b->setEnabled(false);
    actions->doAction(row.action);
    EXPECT_EQ(b->On(), row.flips) << "a disabled button does nothing";
    EXPECT_FALSE(actions->actionNames().contains(row.action));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ButtonAction,
    testing::Values(
        ActionRow{"toggle", true, false, QAccessibleActionInterface::toggleAction(), true},
        ActionRow{"locked_toggle", true, true, QAccessibleActionInterface::toggleAction(), false},
        ActionRow{"command", false, false, QAccessibleActionInterface::pressAction(), false}),
    [](const auto& info) { return info.param.name; });

struct LedRow {
    const char* name;
    int digits;
    bool clock;
    std::int64_t value;
    const char* shown;
};

class LedWindowAccessible : public ControlAccessiblesTest,
                            public testing::WithParamInterface<LedRow> {};

TEST_P(LedWindowAccessible, ReadsTheShownDigits)
{
    const LedRow& row = GetParam();
    LEDWindow led(&parent, 0, 0, row.digits, false,
                  row.clock ? LEDWindow::Mode::ElapsedClock : LEDWindow::Mode::Counter, row.value);
    led.setAccessibleDescription(QStringLiteral("Note"));
    EXPECT_EQ(led.ShownText(), QString::fromLatin1(row.shown));
    QAccessibleInterface* iface = accessible(&led);
    EXPECT_EQ(iface->role(), QAccessible::StaticText);
    EXPECT_EQ(iface->text(QAccessible::Name), QString::fromLatin1(row.shown));
    EXPECT_EQ(iface->text(QAccessible::Description), QStringLiteral("Note"));
    EXPECT_EQ(iface->childCount(), 0) << "the digit windows are not objects of their own";
    led.setAccessibleName(QStringLiteral("Note"));
    EXPECT_EQ(iface->text(QAccessible::Name),
              QStringLiteral("Note ") + QString::fromLatin1(row.shown));
}

INSTANTIATE_TEST_SUITE_P(Rows, LedWindowAccessible,
                         testing::Values(LedRow{"grade", 1, false, 2, "2"},
                                         LedRow{"counter", 8, false, 1234, "00001234"},
                                         LedRow{"clock", 8, true, 73867, "20:31:07"},
                                         LedRow{"short_clock", 5, true, 73867, "31:07"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ControlAccessiblesTest, LabelsReadTheirTextOrTheNameTheOwnerGives)
{
    my3DText caption(&parent, 10, 300, QStringLiteral(" KAZ-TRAINER 1.0 "),
                     logFont(QStringLiteral("Arial"), 16), {.vertical = true, .transparent = true});
    EXPECT_EQ(accessible(&caption)->role(), QAccessible::StaticText);
    EXPECT_EQ(accessible(&caption)->text(QAccessible::Name), QStringLiteral(" KAZ-TRAINER 1.0 "));
    caption.setAccessibleName(QStringLiteral("Programm"));
    EXPECT_EQ(accessible(&caption)->text(QAccessible::Name), QStringLiteral("Programm"));

    myLEDLine line(&parent, 20, 20, 5033, 10, {.framed = true});
    line.setAccessibleName(QStringLiteral("3 von 10"));
    EXPECT_EQ(accessible(&line)->role(), QAccessible::StaticText);
    EXPECT_EQ(accessible(&line)->text(QAccessible::Name), QStringLiteral("3 von 10"));
}

TEST_F(ControlAccessiblesTest, StatusLineIsAStatusBarNamedByItsText)
{
    QLabel status(&parent);
    QLabel other(&parent);
    presentAsStatusLine(&status);
    status.setText(QStringLiteral("Lektion enthält 3 Aufgaben"));
    other.setText(QStringLiteral("Uhr"));
    EXPECT_EQ(accessible(&status)->role(), QAccessible::StatusBar);
    EXPECT_EQ(accessible(&other)->role(), QAccessible::StaticText);
    status.setText(QStringLiteral("ÜBUNG: 1. Aufgabe"));
    EXPECT_EQ(accessible(&status)->text(QAccessible::Name), QStringLiteral("ÜBUNG: 1. Aufgabe"));
}

// Offscreen nobody listens and the test is skipped; it runs in a session with the
// accessibility bus (QT_QPA_PLATFORM=xcb, QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1).
TEST_F(ControlAccessiblesTest, ChangesAreReportedWhileAssistiveTechnologyListens)
{
    if (!listen())
        GTEST_SKIP() << "no platform accessibility; runs in a session with the accessibility bus";
    myBMPButton* option = button(true);
    myBMPButton* save = button(false);
    LEDWindow grade(&parent, 0, 0, 1, false, LEDWindow::Mode::Counter, 6);
    recorded.clear();
    option->SetOn(true);
    option->SetOn(true); // no change, no event
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(40, 20));
    save->SetOn(true); // a command button has no checked state
    grade.SetValue(3);
    grade.SetValue(13); // shows 3 again
    EXPECT_EQ(count(QAccessible::StateChanged, option), 2);
    EXPECT_EQ(count(QAccessible::StateChanged, save), 0);
    EXPECT_EQ(count(QAccessible::NameChanged, &grade), 1);
}

// The interfaces that stand for a field: ours, and Qt's own line-edit interface that ours
// hands the rest to (reached through the editable-text part, which ours passes on).
std::vector<QAccessible::Id> fieldInterfaces(QLineEdit* field)
{
    QAccessibleInterface* ours = QAccessible::queryAccessibleInterface(field);
    if (ours == nullptr) return {};
    std::vector<QAccessible::Id> ids{QAccessible::uniqueId(ours)};
    if (auto* qt = dynamic_cast<QAccessibleInterface*>(ours->editableTextInterface()))
        ids.push_back(QAccessible::uniqueId(qt));
    return ids;
}

std::size_t stillCached(const std::vector<QAccessible::Id>& ids)
{
    return static_cast<std::size_t>(std::count_if(ids.begin(), ids.end(), [](QAccessible::Id id) {
        return QAccessible::accessibleInterface(id) != nullptr;
    }));
}

// Peak resident memory of this process in KiB (VmHWM), 0 where unknown.
long peakMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

TEST_F(ControlAccessiblesTest, AFieldLeavesNoInterfaceBehindWhenItGoes)
{
    installControlAccessibles();
    auto* field = new QLineEdit(&parent);
    field->setText(QStringLiteral("zwei"));
    const std::vector<QAccessible::Id> ids = fieldInterfaces(field);
    ASSERT_EQ(ids.size(), 2u) << "a field's interface and Qt's behind it";
    EXPECT_NE(ids[0], ids[1]);
    int start = -1, end = -1;
    accessible(field)->textInterface()->attributes(2, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(0, 4)) << "one run over the whole text";
    delete field;
    EXPECT_EQ(stillCached(ids), 0u);
}

// The save dialog's fields, as a screen reader meets them, a thousand times over.
TEST_F(ControlAccessiblesTest, SaveDialogOpenedAThousandTimesKeepsNoFieldInterface)
{
    installControlAccessibles();
    constexpr int kOpenings = 1000;
    std::vector<QAccessible::Id> ids;
    const long before = peakMemoryKiB();
    long halfway = 0;
    for (int i = 0; i < kOpenings; ++i) {
        auto* dialog = new QFileDialog(&parent, QStringLiteral("Speichern unter"));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->show();
        for (QLineEdit* field : dialog->findChildren<QLineEdit*>())
            for (const QAccessible::Id id : fieldInterfaces(field))
                ids.push_back(id);
        dialog->close();
        delete dialog;
        if (i + 1 == kOpenings / 2) halfway = peakMemoryKiB();
    }
    const long after = peakMemoryKiB();
    RecordProperty("peak_memory_before_kib", static_cast<int>(before));
    RecordProperty("peak_memory_after_kib", static_cast<int>(after));
    std::printf("peak memory: %ld KiB before, %ld KiB after %d, %ld KiB after %d save dialogs\n",
                before, halfway, kOpenings / 2, after, kOpenings);
    ASSERT_GE(ids.size(), 2u * kOpenings) << "the save dialog has its file name field";
    EXPECT_EQ(stillCached(ids), 0u) << "of " << ids.size() << " field interfaces";
}

// The text a muted field shows goes unreported, the other field's and the field's own focus
// are reported, and after muting the field reports its text again.
TEST_F(ControlAccessiblesTest, ChangesAreNotReportedForAMutedFieldsText)
{
    if (!listen())
        GTEST_SKIP() << "no platform accessibility; runs in a session with the accessibility bus";
    QLineEdit answer(&parent);
    QLineEdit other(&parent);
    answer.show();
    other.show();
    const auto textEvents = [](const QObject* field) {
        return count(QAccessible::TextInserted, field) + count(QAccessible::TextRemoved, field) +
               count(QAccessible::TextUpdated, field) + count(QAccessible::TextCaretMoved, field);
    };
    recorded.clear();
    muteTextEvents(&answer, true);
    muteTextEvents(&answer, true); // twice: still one mute, undone by one call
    answer.setText(QStringLiteral("one"));
    answer.setText(QStringLiteral("falsch"));
    other.setText(QStringLiteral("eins"));
    answer.setFocus();
    EXPECT_EQ(textEvents(&answer), 0);
    EXPECT_GT(textEvents(&other), 0);
    EXPECT_EQ(count(QAccessible::Focus, &answer), 1);
    muteTextEvents(&answer, false);
    answer.setText(QStringLiteral("two"));
    EXPECT_GT(textEvents(&answer), 0);
    // The handler that was there before is back: nothing stands between it and the events.
    EXPECT_EQ(QAccessible::installUpdateHandler(&record), &record);
}

} // namespace
