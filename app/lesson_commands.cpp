// The commands on the lesson as a whole: close it (the new-lesson button, and before loading
// or exiting), load one through the open dialog, save it.
#include "rudarud_dia.h"
#include "read_aloud.h"

#include "cp1252.h"
#include "record_session.h"
#include "safe_file.h"
#include "led_line.h"
#include "paper_lesson.h"
#include "platform.h"
#include "foreign_file.h"
#include "table_file.h"
#include "tool_tips.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iostream>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QEventLoop>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

namespace {

const QString kNotFound = QStringLiteral("Datei %1 nicht gefunden");
const QString kWrongFormat = QStringLiteral("Datei %1 nicht im korrekten Format!");
const QString kTooLarge = QStringLiteral("Datei %1 ist zu groß für den Arbeitsspeicher!");
const QString kFileErrorCaption = QStringLiteral("Dateifehler");
const QString kWriteError = QStringLiteral("Datei kann nicht geschrieben werden!");
const QString kWriteErrorCaption = QStringLiteral("Schreibfehler!");
const QString kSettingsNotSaved =
    QStringLiteral("Die geänderten Einstellungen konnten nicht in %1 gespeichert werden.");
const QString kChangedOnDisk =
    QStringLiteral("Die Datei %1 wurde inzwischen verändert. Trotzdem überschreiben?");
const QString kChangedOnDiskCaption = QStringLiteral("Datei verändert");
const QString kRecoveryQuestion = QStringLiteral("Ungesicherte Lektion vom %1 wiederherstellen?");
const QString kRecoveryCaption = QStringLiteral("Wiederherstellen");

// Emptying a lesson counts down visibly in at most this many steps, each shown this long, so
// that 30 entries run down one by one and 100,000 still take well under a second.
constexpr std::uint32_t kRunDownSteps = 40;
constexpr int kRunDownStepMs = 12;
// How long closing a lesson shows the correction of a wrong answer once its flashing stopped.
constexpr int kFeedbackEndPauseMs = 2000;

const QString kImportCaption = QStringLiteral("Tabelle eingelesen");
const QString kForeignImportCaption = QStringLiteral("Vokabeln eingelesen");

const QString kLessonFilter = QStringLiteral("Lektion (*.lsn)");
// The open dialog reads what spreadsheet programs write; the save dialog writes CSV only.
const QString kOpenTableFilter = QStringLiteral("Tabelle (*.csv *.tsv *.txt)");
const QString kSaveTableFilter = QStringLiteral("Tabelle (*.csv)");
// Lessons on paper: a copy to print, as the table is one for spreadsheets.
const QString kSaveWordListFilter = QStringLiteral("Wortliste (*.pdf)");
const QString kSaveTestFilter = QStringLiteral("Test (*.pdf)");
// Files of other trainers, told apart by their content: KVTML, Pauker (packed or not), and the
// text that Anki and Quizlet export.
const QString kOpenForeignFilter =
    QStringLiteral("Andere Vokabelprogramme (*.kvtml *.pau.gz *.pau *.txt)");

// The lesson's own filter comes first and is the one chosen when the dialog opens.
Platform::FileDialogOptions lessonDialogOptions(const QString& fileName, const QString& tableFilter)
{
    Platform::FileDialogOptions options;
    options.fileName = fileName;
    options.filter = kLessonFilter + QStringLiteral(";;") + tableFilter;
    options.defaultSuffix = QStringLiteral("lsn");
    return options;
}

// A file name's bytes as the file dialogs take them (the system's decoding of file names).
QString systemName(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Upper-cases the letters a-z of a file name and nothing else.
QString upperAsciiLetters(QString name)
{
    for (QChar& c : name)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return name;
}

// A file name's bytes as text to show: each part of the path that is UTF-8 as such, any other
// part as Windows-1252, the likely encoding of a name from an old system ("Franz\xF6sisch.lsn"
// shows as "Französisch.lsn" rather than with a replacement character).
QString displayedPath(const std::string& path)
{
    QString shown;
    std::size_t from = 0;
    while (from <= path.size()) {
        std::size_t to = path.find('/', from);
        if (to == std::string::npos) to = path.size();
        const std::string_view part = std::string_view(path).substr(from, to - from);
        const QByteArray bytes(part.data(), static_cast<qsizetype>(part.size()));
        const QString utf8 = QFile::decodeName(bytes);
        shown += QFile::encodeName(utf8) == bytes ? utf8 : fromCp1252(part);
        if (to < path.size()) shown += QLatin1Char('/');
        from = to + 1;
    }
    return QDir::toNativeSeparators(shown);
}

// The message of a failed write: the sentence every such message has, and on a line of its
// own why it failed (errno).
QString writeErrorText(int error)
{
    return kWriteError + QLatin1Char('\n') + QString::fromUtf8(writeFailureText(error));
}

// Shows the window for a moment without taking the user's input. Never shorter than ms: a
// coarse timer, which Qt takes from 2 s on, may end up to 5 % early.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

bool RudarudDia::closeLesson()
{
    // The correction of a wrong answer stays in view a moment after its flashing stops.
    if (exercise().feedbackRunning()) {
        exercise().stopFeedback();
        pause(kFeedbackEndPauseMs);
    }
    settings_.take();
    EntryChain& chain = doc_.chain();
    if (chain.empty()) return true;
    if (doc_.unsaved()) {
        const int answer =
            exclaim(QString::fromUtf8(kSaveLessonQuestion), QString::fromUtf8(kSaveLessonCaption),
                    Platform::Buttons::YesNoCancel);
        if (answer == Platform::IdCancel) return false;
        // Keeping the lesson was asked for: if it could not be saved, it is not thrown away.
        if (answer == Platform::IdYes && !saveLesson()) return false;
    }

    // The count runs down in view while the lists still show the rows; the entries live on
    // meanwhile, since the lists' rows are the entries and a repaint reads them. Then the lists
    // let go of them, and only then are they deleted, with no event handled in between.
    std::uint32_t left = chain.entryCount();
    for (std::uint32_t step = std::min(left, kRunDownSteps); step > 0; --step) {
        const std::uint32_t count = (left + step - 1) / step;
        entryLine_->StepBack(count);
        left -= count;
        showState(left);
        // Repaint now; what the user types meanwhile waits for the main loop.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (step > 1) pause(kRunDownStepMs);
    }
    lists_.clear();
    lists_.add(nullptr);
    doc_.close();
    readAloud_->lessonClosed();
    entryLine_->StartRunning();
    showEntry(chain.firstEntry());
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
        this,
        lessonDialogOptions(systemName(doc_.path()),
                            kOpenTableFilter + QStringLiteral(";;") + kOpenForeignFilter),
        &filter);
    if (chosen.isEmpty()) {
        updateStatus();
        return;
    }
    // A table's name typed while the lesson's type is chosen still names a table, unless the
    // file proves a lesson by its magic field.
    // Another trainer's file is known by its name (an Anki text by its header) likewise.
    const std::string path = QFile::encodeName(chosen).toStdString();
    if (filter == kOpenTableFilter)
        importTableFile(path);
    else if (filter == kOpenForeignFilter || opensAsForeign(path))
        importForeignFile(path);
    else if (opensAsTable(path))
        importTableFile(path);
    else
        loadLessonFile(path);
}

void RudarudDia::importForeignFile(const std::string& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    entryLine_->Reset(kLedOff);
    // As a table, the lesson made from it has no file, and nothing writes over the original.
    const ForeignReadReport report = doc_.importForeign(path, this);
    showEntry(doc_.chain().currentEntry);
    updateStatus();
    QApplication::restoreOverrideCursor();
    const QString shownName = upperAsciiLetters(displayedPath(path));
    switch (report.table.result) {
    case LessonReadResult::NotOpened:
        exclaim(kNotFound.arg(shownName), kFileErrorCaption, Platform::Buttons::Ok);
        return;
    case LessonReadResult::WrongFormat:
        exclaim(kWrongFormat.arg(shownName) + QLatin1Char('\n') + QString::fromUtf8(report.reason),
                kFileErrorCaption, Platform::Buttons::Ok);
        return;
    case LessonReadResult::TooLarge:
        exclaim(kTooLarge.arg(shownName) + QLatin1Char('\n') +
                    QString::fromUtf8(foreignLimitText(doc_.readLimits())),
                kFileErrorCaption, Platform::Buttons::Ok);
        return;
    case LessonReadResult::Read:
        break;
    }
    const bool allTaken = report.table.refusedRows == 0 && report.table.tidiedCells == 0 &&
                          report.moreTranslations == 0 && report.mediaLeftOut == 0;
    Platform::instance().messageBox(this, QString::fromUtf8(foreignReportText(report)),
                                    kForeignImportCaption, Platform::Buttons::Ok,
                                    allTaken ? Platform::Icon::Information
                                             : Platform::Icon::Exclamation);
}

void RudarudDia::importTableFile(const std::string& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    entryLine_->Reset(kLedOff);
    // The lesson made from a table has no file: the next save asks for a lesson file's name,
    // and nothing ever writes over the table.
    const TableReadReport report = doc_.importTable(path, this);
    if (report.result == LessonReadResult::Read) readAloud_->tableRead(path);
    showEntry(doc_.chain().currentEntry);
    updateStatus();
    QApplication::restoreOverrideCursor();
    const QString shownName = upperAsciiLetters(displayedPath(path));
    if (report.result == LessonReadResult::NotOpened) {
        exclaim(kNotFound.arg(shownName), kFileErrorCaption, Platform::Buttons::Ok);
        return;
    }
    if (report.result == LessonReadResult::TooLarge) {
        exclaim(kTooLarge.arg(shownName) + QLatin1Char('\n') +
                    QString::fromUtf8(tableLimitText(doc_.readLimits())),
                kFileErrorCaption, Platform::Buttons::Ok);
        return;
    }
    Platform::instance().messageBox(
        this, QString::fromUtf8(tableReportText(report)), kImportCaption, Platform::Buttons::Ok,
        report.refusedRows == 0 && report.tidiedCells == 0 ? Platform::Icon::Information
                                                           : Platform::Icon::Exclamation);
}

void RudarudDia::loadLessonFile(const std::string& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    entryLine_->Reset(kLedOff);
    // The title and the messages name the file in capitals; it is read and later written under
    // the name it really has, which matters where file names are case-sensitive.
    // The message names the file as it was asked for; the window already shows what is left.
    const QString shownName = upperAsciiLetters(displayedPath(path));
    const LessonReadResult result = doc_.load(path, shownName.toStdString(), this);
    if (result == LessonReadResult::Read) readAloud_->lessonOpened(path);
    if (result != LessonReadResult::NotOpened) showEntry(doc_.chain().currentEntry);
    updateStatus();
    QApplication::restoreOverrideCursor(); // a message box shows the arrow, not the hourglass
    if (result == LessonReadResult::Read) return;
    const QString& text = result == LessonReadResult::NotOpened  ? kNotFound
                          : result == LessonReadResult::TooLarge ? kTooLarge
                                                                 : kWrongFormat;
    exclaim(text.arg(shownName), kFileErrorCaption, Platform::Buttons::Ok);
}

void RudarudDia::beforePairs()
{
    lists_.setVisible(false);
}

void RudarudDia::pairRead(strWort& entry)
{
    // The rows are collected while the entry is at hand: walking the chain again afterwards
    // costs a large lesson a cache miss per entry.
    lists_.collect(&entry);
}

void RudarudDia::afterPairs()
{
    entryLine_->StepForward(static_cast<unsigned>(lists_.addCollected()));
    lists_.setVisible(true);
}

void RudarudDia::readAbandoned()
{
    // The entries counted are gone again; nothing reached the lists or the LED line.
    lists_.dropCollected();
    lists_.setVisible(true);
}

bool RudarudDia::saveLesson()
{
    if (doc_.chain().empty()) return false;
    if (!applyEdit()) return false;
    // Someone else's changes to the file are not written over without asking; No offers
    // another name, and without one the lesson stays unsaved.
    SaveResult result = doc_.save();
    bool copied = false;
    if (result.status == SaveStatus::ChangedOnDisk &&
        exclaim(kChangedOnDisk.arg(QString::fromStdString(doc_.displayName())),
                kChangedOnDiskCaption, Platform::Buttons::YesNo) == Platform::IdYes)
        result = doc_.save(true);
    if (result.status == SaveStatus::NoName || result.status == SaveStatus::ChangedOnDisk) {
        QString filter;
        const QString chosen = Platform::instance().saveFileName(
            this,
            lessonDialogOptions(systemName(doc_.path()),
                                kSaveTableFilter + QStringLiteral(";;") + kSaveWordListFilter +
                                    QStringLiteral(";;") + kSaveTestFilter),
            &filter);
        if (chosen.isEmpty()) return false; // nothing changed, nothing to show again
        const std::string path = QFile::encodeName(chosen).toStdString();
        // A table is a copy for spreadsheet programs and a PDF one to print, not the lesson's
        // file: the lesson keeps its own file name (none) and its unsaved state.
        copied = filter == kSaveTableFilter || filter == kSaveWordListFilter ||
                 filter == kSaveTestFilter;
        if (filter == kSaveWordListFilter || filter == kSaveTestFilter)
            result =
                printLesson(path, chosen,
                            filter == kSaveTestFilter ? PaperKind::TestSheet : PaperKind::WordList);
        else
            result = copied ? doc_.exportTable(path)
                            : doc_.saveAs(path, QDir::toNativeSeparators(chosen).toStdString());
        if (!copied && result.status == SaveStatus::Written) readAloud_->lessonSavedAs(path);
    }
    if (result.status == SaveStatus::WriteFailed)
        exclaim(writeErrorText(result.error), kWriteErrorCaption, Platform::Buttons::Ok);
    showEntry(doc_.chain().currentEntry);
    updateStatus();
    return result.status == SaveStatus::Written && !copied;
}

SaveResult RudarudDia::printLesson(const std::string& path, const QString& chosen, PaperKind kind)
{
    // The pages name the lesson by its file; a lesson without one by the name chosen for the
    // PDF. They are dated today, and a test's questions come in an order of this moment.
    const QString ownName = systemName(doc_.path());
    const PaperHeading heading{
        QFileInfo(ownName.isEmpty() ? chosen : ownName).completeBaseName(), [] {
            const std::tm local =
                Platform::instance().localTime(Platform::instance().calendarTime());
            return QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        }()};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written =
        writeLessonPdf(path, doc_.chain(), kind, heading,
                       static_cast<std::uint64_t>(Platform::instance().calendarTime()));
    const int error = errno;
    QApplication::restoreOverrideCursor();
    return written ? SaveResult{SaveStatus::Written} : SaveResult{SaveStatus::WriteFailed, error};
}

// --- the end of a session and the start after it ------------------------------------------

void RudarudDia::keepSessionState()
{
    exercise().stopFeedback();
    settings_.take();
    recordSession_->finish(false);
    // Nothing may wait for an answer now: what is lost is said where the session keeps it.
    if (!settings_.save())
        std::cerr << "KAZ-TRAINER: Die Einstellungen konnten nicht in " << settings_.config().path()
                  << " gespeichert werden: " << writeFailureText(errno) << '\n';
    const SaveResult kept = doc_.keepForRecovery();
    if (kept.status != SaveStatus::WriteFailed) return;
    const int error = kept.error;
    std::cerr << "KAZ-TRAINER: Die ungesicherte Lektion konnte nicht gesichert werden: "
              << (error == EEXIST ? recoveryFileName(0) + " bis " +
                                        recoveryFileName(kRecoveryNames - 1) + " sind belegt."
                                  : writeFailureText(error))
              << '\n';
}

bool RudarudDia::closeQuery()
{
    if (!closeLesson()) return false;
    // What a session's end kept aside is saved, declined or deleted by now.
    doc_.dropRecovery();
    // The settings are written while a message can still say that it failed.
    if (!settings_.save()) {
        const int error = errno;
        exclaim(kSettingsNotSaved.arg(systemName(settings_.config().path())) + QLatin1Char('\n') +
                    QString::fromUtf8(writeFailureText(error)),
                kWriteErrorCaption, Platform::Buttons::Ok);
    }
    // The answers a fault kept out get their last try, and a message says what is lost.
    recordSession_->finish(true);
    toolTips_->removeAll();
    return true;
}

void RudarudDia::endSession()
{
    sessionEnded_ = true;
    keepSessionState();
}

bool RudarudDia::offerRecovery()
{
    const EntryChain& chain = doc_.chain();
    if (!chain.empty()) return false;
    for (const std::string& name : waitingRecoveryFiles()) {
        const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(name)));
        const std::tm when = Platform::instance().localTime(file.lastModified().toSecsSinceEpoch());
        char date[32];
        std::strftime(date, sizeof date, "%d.%m.%Y %H:%M", &when);
        const bool restore = exclaim(kRecoveryQuestion.arg(QString::fromLatin1(date)),
                                     kRecoveryCaption, Platform::Buttons::YesNo) == Platform::IdYes;
        // Ended while the question was open: unanswered, the file waits for the next start.
        if (sessionEnded_) return false;
        if (restore) {
            // Read as any lesson, then it belongs to no file: the next save asks for a name.
            loadLessonFile(name);
            doc_.forgetFile();
            doc_.setUnsaved(!chain.empty());
            updateStatus();
        }
        std::remove(name.c_str());
        if (restore) return !chain.empty();
    }
    return false;
}

std::string RudarudDia::shownLessonPathCp1252() const
{
    return toCp1252(QString::fromStdString(doc_.displayName()));
}
