#pragma once

#include "bmp_button.h"
#include "config.h"
#include "cp1252.h"
#include "entry_chain.h"
#include "fake_platform.h"
#include "file_bytes.h"
#include "led_line.h"
#include "qt_printers.h"
#include "rudarud_app.h"
#include "rudarud_dia.h"
#include "temp_dir.h"
#include "tool_tips.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <fstream>
#include <memory>

// A main window of its own in a fresh working folder, with the scripted platform and a fixed
// clock, for every test.
// The dialog's controls, reached by object name as the dialog names them.
inline QLineEdit* field(const RudarudDia* dia, int id)
{
    return dia->findChild<QLineEdit*>(QStringLiteral("field%1").arg(id));
}
inline QLineEdit* thresholdField(const RudarudDia* dia, int index) // 0 = grade 1
{
    return field(dia, IdThreshold1 - index);
}
inline QListView* listBox(const RudarudDia* dia, int id)
{
    return dia->findChild<QListView*>(QStringLiteral("list%1").arg(id));
}
inline QLabel* statusLine(const RudarudDia* dia)
{
    return dia->findChild<QLabel*>(QStringLiteral("status%1").arg(IdStatus));
}
inline myLEDLine* entryLine(const RudarudDia* dia)
{
    return dia->findChild<myLEDLine*>(QStringLiteral("entryLine"));
}
inline ToolTips* toolTips(const RudarudDia* dia)
{
    // ToolTips has no meta-object of its own: found by name, not by type.
    return static_cast<ToolTips*>(dia->findChild<QObject*>(QStringLiteral("toolTips")));
}

class DialogTest : public ::testing::Test {
protected:
    DialogTest() : previousFolder_(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(dir.path().string()));
        config = std::make_unique<Config>(dir.file("DODADIZE.CFG"));
        makeWindow();
    }
    ~DialogTest() override
    {
        frame.reset();
        EXPECT_EQ(platform.unusedAnswers(), 0u) << "answers queued for questions never asked";
        config.reset();
        QDir::setCurrent(previousFolder_);
    }

    void makeWindow()
    {
        frame = std::make_unique<MainFrame>(*config);
        frame->show();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        dia = frame->dialog();
    }

    QLineEdit* field(int id) const { return ::field(dia, id); }
    QString fieldText(int id) const { return field(id)->text(); }
    QString status() const { return statusLine(dia)->text(); }
    bool visible(int id) const { return dia->button(id)->isVisible(); }

    void type(int id, const QString& text)
    {
        field(id)->setFocus();
        QTest::keyClicks(field(id), text);
    }
    void key(int id, Qt::Key k) { QTest::keyClick(field(id), k); }
    // Types both terms at the new-entry position and confirms with Enter twice.
    void addEntry(const QString& first, const QString& second)
    {
        type(IdTerm1, first);
        key(IdTerm1, Qt::Key_Return);
        type(IdTerm2, second);
        key(IdTerm2, Qt::Key_Return);
    }
    void clear(int id)
    {
        field(id)->setFocus();
        field(id)->selectAll();
        QTest::keyClick(field(id), Qt::Key_Delete);
    }
    std::string writeLesson(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir.file(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Loads a file through the load button and the (scripted) open dialog.
    void load(const std::string& path)
    {
        platform.openAnswers.push_back(QString::fromStdString(path));
        dia->command(IdLoad);
    }
    QStringList listColumn(int column) const
    {
        QStringList out;
        for (int r = 0; r < dia->listModel().rowCount(); ++r)
            out << fromCp1252(column == 0 ? dia->listModel().firstText(r)
                                          : dia->listModel().secondText(r));
        return out;
    }
    int selectedRow(int listId) const
    {
        // A list without the focus has no current row (only the focused control reports focus).
        const QModelIndexList rows = listBox(dia, listId)->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    std::vector<std::pair<std::string, std::string>> chainPairs() const
    {
        std::vector<std::pair<std::string, std::string>> out;
        for (const strWort* e = dia->document().chain().firstEntry(); e; e = e->next)
            out.emplace_back(e->term1, e->term2);
        return out;
    }
    QStringList messageTexts() const
    {
        QStringList out;
        for (const auto& m : platform.messages)
            out << m.text;
        return out;
    }

    TempDir dir;
    FakePlatform platform;
    std::unique_ptr<Config> config;
    std::unique_ptr<MainFrame> frame;
    RudarudDia* dia = nullptr;

private:
    QString previousFolder_;
};
