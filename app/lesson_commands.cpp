// The commands on the lesson as a whole: close it (the new-lesson button, and before loading
// or exiting), load one through the open dialog, save it.
#include "rudarud_dia.h"

#include "cp1252.h"
#include "led_line.h"
#include "platform.h"
#include "table_file.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

namespace {

const QString kNotFound = QStringLiteral("Datei %1 nicht gefunden");
const QString kWrongFormat = QStringLiteral("Datei %1 nicht im korrekten Format!");
const QString kFileErrorCaption = QStringLiteral("Dateifehler");
const QString kWriteError = QStringLiteral("Datei kann nicht geschrieben werden!");
const QString kWriteErrorCaption = QStringLiteral("Schreibfehler!");

// Emptying a lesson counts down visibly in at most this many steps, each shown this long, so
// that 30 entries run down one by one and 100,000 still take well under a second.
constexpr std::uint32_t kRunDownSteps = 40;
constexpr int kRunDownStepMs = 12;

const QString kImportCaption = QStringLiteral("Tabelle eingelesen");

const QString kLessonFilter = QStringLiteral("Lektion (*.lsn)");
// The open dialog reads what spreadsheet programs write; the save dialog writes CSV only.
const QString kOpenTableFilter = QStringLiteral("Tabelle (*.csv *.tsv *.txt)");
const QString kSaveTableFilter = QStringLiteral("Tabelle (*.csv)");

// The lesson's own filter comes first and is the one chosen when the dialog opens.
Platform::FileDialogOptions lessonDialogOptions(const QString& fileName, const QString& tableFilter)
{
    Platform::FileDialogOptions options;
    options.fileName = fileName;
    options.filter = kLessonFilter + QStringLiteral(";;") + tableFilter;
    options.defaultSuffix = QStringLiteral("lsn");
    return options;
}

// Upper-cases the letters a-z of a file name and nothing else.
QString upperAsciiLetters(QString name)
{
    for (QChar& c : name)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return name;
}

// Shows the window for a moment without taking the user's input.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

bool RudarudDia::closeLesson()
{
    exercise_.stopFeedback();
    storeOptionFlags();
    readThresholdFields();
    if (chain_.empty()) return true;
    if (unsaved_) {
        const int answer =
            exclaim(QString::fromLatin1(kSaveLessonQuestion),
                    QString::fromLatin1(kSaveLessonCaption), Platform::Buttons::YesNoCancel);
        if (answer == Platform::IdCancel) return false;
        // Keeping the lesson was asked for: if it could not be saved, it is not thrown away.
        if (answer == Platform::IdYes && !saveLesson()) return false;
    }

    const std::uint32_t steps = std::min(chain_.entryCount(), kRunDownSteps);
    for (std::uint32_t step = steps; step > 0; --step) {
        const std::uint32_t count = (chain_.entryCount() + step - 1) / step;
        entryLine_->StepBack(count);
        for (std::uint32_t i = 0; i < count; ++i)
            chain_.deleteLast();
        refreshStatus();
        if (step > 1) pause(kRunDownStepMs);
    }

    fileName_.clear();
    filePath_.clear();
    entryLine_->StartRunning();
    transferBuf_->list1Data = {};
    transferBuf_->list2Data = {};
    {
        const SelectionSync sync(syncingSelection_);
        model_.clear();
    }
    addListRows(nullptr, nullptr);
    unsaved_ = false;
    showEntry(chain_.firstEntry());
    updateStatus();
    return true;
}

void RudarudDia::loadLesson()
{
    if (!closeLesson()) return;
    // The dialog offers the file the lesson came from under its real name: the capitals of
    // the title name no file where names are case-sensitive.
    QString filter;
    const QString chosen = Platform::instance().openFileName(
        this, lessonDialogOptions(filePath_, kOpenTableFilter), &filter);
    if (chosen.isEmpty()) {
        updateStatus();
        return;
    }
    if (filter == kOpenTableFilter)
        importTableFile(chosen);
    else
        loadLessonFile(chosen);
}

void RudarudDia::importTableFile(const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    entryLine_->Reset(kLedOff);
    // The lesson made from a table has no file: the next save asks for a lesson file's name,
    // and nothing ever writes over the table.
    fileName_.clear();
    filePath_.clear();
    const std::optional<TableReadReport> report =
        readTableFile(QFile::encodeName(path).toStdString(), chain_, this);
    if (report && report->rowsTaken > 0) unsaved_ = true;
    showEntry(chain_.currentEntry);
    updateStatus();
    QApplication::restoreOverrideCursor();
    if (!report) {
        exclaim(kNotFound.arg(upperAsciiLetters(QDir::toNativeSeparators(path))), kFileErrorCaption,
                Platform::Buttons::Ok);
        return;
    }
    Platform::instance().messageBox(
        this, QString::fromUtf8(tableReportText(*report)), kImportCaption, Platform::Buttons::Ok,
        report->refused.empty() ? Platform::Icon::Information : Platform::Icon::Exclamation);
}

void RudarudDia::loadLessonFile(const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    entryLine_->Reset(kLedOff);
    // The title and the messages name the file in capitals; it is read and later written under
    // the name it really has, which matters where file names are case-sensitive.
    filePath_ = path;
    fileName_ = upperAsciiLetters(QDir::toNativeSeparators(path));
    switch (readLessonFile(QFile::encodeName(filePath_).toStdString(), chain_, this)) {
    case LessonReadResult::NotOpened:
        exclaim(kNotFound.arg(fileName_), kFileErrorCaption, Platform::Buttons::Ok);
        fileName_.clear();
        filePath_.clear();
        break;
    case LessonReadResult::WrongFormat:
        exclaim(kWrongFormat.arg(fileName_), kFileErrorCaption, Platform::Buttons::Ok);
        fileName_.clear();
        filePath_.clear();
        showEntry(chain_.currentEntry);
        break;
    case LessonReadResult::Read:
        showEntry(chain_.currentEntry);
        break;
    }
    updateStatus();
    QApplication::restoreOverrideCursor();
}

void RudarudDia::beforePairs()
{
    list1_->hide();
    list2_->hide();
    lastBeforeRead_ = chain_.lastEntry();
    pairsRead_ = 0;
}

void RudarudDia::pairRead(strWort& /*entry*/)
{
    ++pairsRead_;
}

void RudarudDia::afterPairs()
{
    entryLine_->StepForward(pairsRead_);
    {
        const SelectionSync sync(syncingSelection_);
        // The rows are made from the chain once reading is over, rather than collected on
        // the way: a second copy of every term is what a large lesson cannot afford.
        strWort* entry = lastBeforeRead_ ? lastBeforeRead_->next : chain_.firstEntry();
        model_.addPairs(pairsRead_, [&entry] {
            const std::pair<std::string_view, std::string_view> pair{entry->term1, entry->term2};
            entry = entry->next;
            return pair;
        });
    }
    list1_->show();
    list2_->show();
}

bool RudarudDia::saveLesson()
{
    if (chain_.empty()) return false;
    if (!applyEdit()) return false;
    const bool nameChosenNow = filePath_.isEmpty();
    if (nameChosenNow) {
        QString filter;
        const QString chosen = Platform::instance().saveFileName(
            this, lessonDialogOptions({}, kSaveTableFilter), &filter);
        if (chosen.isEmpty()) return false;
        if (filter == kSaveTableFilter) return exportTableFile(chosen);
        filePath_ = chosen;
        fileName_ = QDir::toNativeSeparators(chosen);
    }
    const bool written = writeLessonFile(QFile::encodeName(filePath_).toStdString(), chain_) ==
                         LessonWriteResult::Written;
    if (written) {
        unsaved_ = false;
    } else {
        exclaim(kWriteError, kWriteErrorCaption, Platform::Buttons::Ok);
        // A name that could not be written is not the lesson's: with it kept, every later
        // save would try the same place again without asking, and a new lesson could be
        // stored nowhere else.
        if (nameChosenNow) {
            filePath_.clear();
            fileName_.clear();
        }
    }
    showEntry(chain_.currentEntry);
    updateStatus();
    return written;
}

bool RudarudDia::exportTableFile(const QString& path)
{
    // A copy for spreadsheet programs: the lesson keeps its own file name (none) and its
    // unsaved state, as the table is not where the lesson is kept.
    const bool written =
        writeTableFile(QFile::encodeName(path).toStdString(), chain_) == LessonWriteResult::Written;
    if (!written) exclaim(kWriteError, kWriteErrorCaption, Platform::Buttons::Ok);
    showEntry(chain_.currentEntry);
    updateStatus();
    return written;
}
