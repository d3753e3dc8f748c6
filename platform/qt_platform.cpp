#include "qt_platform.h"

#include "safe_file.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>

#include <dlfcn.h>
#include <sys/stat.h>

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

namespace {

constexpr auto kHelpViewerName = "kaz-help";
constexpr auto kSoundResourceFolder = ":/sounds/";
// From the installed executable's folder to the sound module's and the data folder.
constexpr auto kModuleFromExecutable = KAZ_MODULE_FROM_BIN;
constexpr auto kDataFromExecutable = KAZ_DATA_FROM_BIN;

// The file named name in folder, its name matched exactly, else ignoring case (names were
// case-blind where these files come from: "ok1.wav" answers "OK1.WAV"); empty when none.
QString findFileIgnoringCase(const QDir& folder, const QString& name)
{
    const QFileInfo exact(folder, name);
    if (exact.isFile()) return exact.absoluteFilePath();
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& candidate : files) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return folder.absoluteFilePath(candidate);
    }
    return {};
}

// A message box with the old system's rules for Escape and the close box: a Yes/No box has
// no way out but its two buttons, every other box leaves through its Cancel or only button.
class KazMessageBox : public QMessageBox {
public:
    KazMessageBox(QWidget* owner, const QString& text, const QString& caption,
                  Platform::Buttons buttons, Platform::Icon icon)
        : QMessageBox(owner), buttons_(buttons)
    {
        setWindowTitle(caption);
        // Texts carry file names; a name with "<" must not be taken for markup.
        setTextFormat(Qt::PlainText);
        setText(text);
        setIcon(toQtIcon(icon));
        switch (buttons) {
        case Platform::Buttons::Ok:
            setStandardButtons(QMessageBox::Ok);
            setDefaultButton(QMessageBox::Ok);
            setEscapeButton(QMessageBox::Ok);
            break;
        case Platform::Buttons::YesNo:
            setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            setDefaultButton(QMessageBox::Yes);
            setWindowFlag(Qt::WindowCloseButtonHint, false);
            break;
        case Platform::Buttons::YesNoCancel:
            setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            setDefaultButton(QMessageBox::Yes);
            setEscapeButton(QMessageBox::Cancel);
            break;
        }
    }

protected:
    // QMessageBox would make the single "No" button the escape button; a Yes/No box has none.
    void keyPressEvent(QKeyEvent* event) override
    {
        if (buttons_ == Platform::Buttons::YesNo && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (buttons_ == Platform::Buttons::YesNo) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    static QMessageBox::Icon toQtIcon(Platform::Icon icon)
    {
        switch (icon) {
        case Platform::Icon::Exclamation:
            return QMessageBox::Warning;
        case Platform::Icon::Information:
            return QMessageBox::Information;
        case Platform::Icon::None:
            break;
        }
        return QMessageBox::NoIcon;
    }

    Platform::Buttons buttons_;
};

// The answer when a box ends without a button (its owner was destroyed meanwhile): the one
// that goes ahead with nothing.
int answerWithoutButton(Platform::Buttons buttons)
{
    switch (buttons) {
    case Platform::Buttons::Ok:
        return Platform::IdOk;
    case Platform::Buttons::YesNo:
        return Platform::IdNo;
    case Platform::Buttons::YesNoCancel:
        return Platform::IdCancel;
    }
    return Platform::IdCancel;
}

// A modal window that closes hands the keyboard back to its owner's window, as a window
// manager does on closing a transient: without one (a bare X server, some kiosk sessions)
// the focus would fall to the root window, and the owner's next click would only activate it.
void reactivateOwner(QWidget* owner)
{
    if (owner == nullptr || !owner->window()->isVisible()) return;
    owner->window()->activateWindow();
}

// A file dialog that closes its popups (the name completion's list) before it closes itself.
// Qt ignores a change of the focus window while a popup is open: a dialog closed by Enter
// with the completion list still up hands the keyboard to its owner's window, but Qt then
// leaves no widget window active, and a screen reader hears no focus at all while the keys
// reach the owner's fields.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void done(int result) override
    {
        for (int i = 0; i < 8; ++i) { // each close takes one popup off Qt's stack
            QWidget* popup = QApplication::activePopupWidget();
            if (popup == nullptr) break;
            popup->close();
        }
        QFileDialog::done(result);
    }
};

// The first extension of a name filter ("Tabelle (*.csv *.tsv)" -> "csv"); empty for "*".
QString firstExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^ )*;]+)"));
    return pattern.match(filter).captured(1);
}

QString runFileDialog(QWidget* owner, const Platform::FileDialogOptions& options,
                      QFileDialog::AcceptMode mode, QString* chosenFilter)
{
    // Heap-allocated and guarded: if the owner goes away while the dialog runs, it takes
    // the dialog with it and we must not delete it a second time.
    QPointer<QFileDialog> dialog =
        new FileDialog(owner, options.caption, options.directory, options.filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(mode);
    // Any name may be typed, as in the old open dialog; a name that does not exist is
    // reported by the caller when it cannot open the file.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(options.defaultSuffix);
    const QString firstFilter = options.filter.section(QStringLiteral(";;"), 0, 0);
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog, firstFilter, suffix = options.defaultSuffix](const QString& filter) {
                         dialog->setDefaultSuffix(filter == firstFilter ? suffix
                                                                        : firstExtension(filter));
                     });
    if (!options.fileName.isEmpty()) dialog->selectFile(options.fileName);
    // A screen reader reads the label "Dateien des Typs:" by itself, not the box beside it:
    // the label's accessible name carries the type chosen; what shows stays as it is.
    auto* typeLabel = dialog->findChild<QLabel*>(QStringLiteral("fileTypeLabel"));
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (typeLabel != nullptr && types != nullptr) {
        const auto name = [typeLabel, types] {
            typeLabel->setAccessibleName(typeLabel->text() + QLatin1Char(' ') +
                                         types->currentText());
        };
        name();
        QObject::connect(types, &QComboBox::currentTextChanged, typeLabel, name);
    }

    const QPointer<QWidget> guardedOwner = owner;
    const int result = dialog->exec();
    reactivateOwner(guardedOwner);
    if (dialog.isNull()) return {};
    QString chosen;
    if (result == QDialog::Accepted) {
        chosen = dialog->selectedFiles().value(0);
        if (chosenFilter != nullptr) *chosenFilter = dialog->selectedNameFilter();
    }
    delete dialog;
    return chosen;
}

// A list that gets the focus is announced by a screen reader as "list with N items" alone:
// Qt tells its current row only when the row changes. Told after the view's own focus event,
// the learner hears which item Enter would take before pressing a key.
class CurrentItemToldOnFocus : public QObject {
public:
    explicit CurrentItemToldOnFocus(QAbstractItemView* view) : QObject(view), view_(view) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            QMetaObject::invokeMethod(
                this, [this] { tell(); }, Qt::QueuedConnection);
        return false;
    }

private:
    void tell()
    {
        if (!view_->hasFocus() || !view_->currentIndex().isValid()) return;
        QAccessibleEvent focus(view_, QAccessible::Focus);
        focus.setChild(view_->currentIndex().row());
        QAccessible::updateAccessibility(&focus);
    }

    QAbstractItemView* view_;
};

} // namespace

std::unique_ptr<Platform> createQtPlatform()
{
    return std::make_unique<QtPlatform>();
}

QtPlatform::QtPlatform(QString helpViewer, QString soundModule, QString soundFolder)
    : helpViewer_(std::move(helpViewer)), soundModule_(std::move(soundModule)),
      soundFolder_(std::move(soundFolder))
{}

QtPlatform::~QtPlatform()
{
    // The player is a child of the application; if the application is gone, so is it.
    delete soundObject_.data();
    delete speechObject_.data();
}

int QtPlatform::messageBox(QWidget* owner, const QString& text, const QString& caption,
                           Buttons buttons, Icon icon)
{
    const QPointer<QWidget> guardedOwner = owner;
    QPointer<KazMessageBox> box = new KazMessageBox(owner, text, caption, buttons, icon);
    box->exec();
    reactivateOwner(guardedOwner);
    if (box.isNull()) return answerWithoutButton(buttons);
    const QMessageBox::StandardButton clicked = box->standardButton(box->clickedButton());
    delete box;
    switch (clicked) {
    case QMessageBox::Ok:
        return IdOk;
    case QMessageBox::Cancel:
        return IdCancel;
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    default:
        return answerWithoutButton(buttons);
    }
}

QString QtPlatform::openFileName(QWidget* owner, const FileDialogOptions& options,
                                 QString* chosenFilter)
{
    return runFileDialog(owner, options, QFileDialog::AcceptOpen, chosenFilter);
}

QString QtPlatform::saveFileName(QWidget* owner, const FileDialogOptions& options,
                                 QString* chosenFilter)
{
    return runFileDialog(owner, options, QFileDialog::AcceptSave, chosenFilter);
}

QStringList QtPlatform::helpArguments(const QString& helpFile, HelpCommand command,
                                      std::uint32_t data)
{
    switch (command) {
    case HelpCommand::ForceFile:
        return {QStringLiteral("--force-file"), helpFile};
    case HelpCommand::ForceFileBeside:
        return {QStringLiteral("--beside"), helpFile};
    case HelpCommand::Context:
        return {QStringLiteral("--context"), QString::number(data), helpFile};
    }
    return {};
}

void QtPlatform::winHelp(const QString& helpFile, HelpCommand command, std::uint32_t data)
{
    const QString viewer = helpViewer_.isEmpty()
                               ? QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                     QLatin1String(kHelpViewerName)
                               : helpViewer_;
    const QFileInfo info(viewer);
    if (!info.isFile() || !info.isExecutable()) return;
    // The viewer outlives us; whether it started is of no concern to the caller.
    QProcess::startDetached(info.absoluteFilePath(), helpArguments(helpFile, command, data));
}

QUrl QtPlatform::soundSource(const QString& fileName, const QString& installedFolder)
{
    if (fileName.isEmpty()) return {};
    const QFileInfo given(fileName);
    if (given.isFile()) return QUrl::fromLocalFile(given.absoluteFilePath());

    QString found = findFileIgnoringCase(given.absoluteDir(), given.fileName());
    // Only a bare name is ours to look up elsewhere; a path names one place.
    if (found.isEmpty() && !installedFolder.isEmpty() && !fileName.contains(QLatin1Char('/')))
        found = findFileIgnoringCase(QDir(installedFolder), fileName);
    if (!found.isEmpty()) return QUrl::fromLocalFile(found);

    const QString resource = QLatin1String(kSoundResourceFolder) + given.fileName();
    if (QFile::exists(resource)) return QUrl(QLatin1String("qrc") + resource);
    return {};
}

QString QtPlatform::installedSoundFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QLatin1String(kDataFromExecutable) + QStringLiteral("/sounds"));
}

QFunctionPointer QtPlatform::moduleFunction(const char* moduleName, const char* symbol)
{
    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    // The file name the build gives a module: "kaz-sound" is "libkaz-sound.so".
    const QString fileName = QStringLiteral("lib%1.so").arg(QLatin1String(moduleName));
    for (const QString& file : {dir + fileName, dir + QLatin1String(kModuleFromExecutable) +
                                                    QLatin1Char('/') + fileName}) {
        if (const QFunctionPointer function = libraryFunction(file, symbol)) return function;
    }
    return nullptr;
}

// The module is opened first through the safe open, which never waits (a FIFO in a module's
// place would block the loader's plain open for ever), and checked as opened to be a regular
// file; only then does the loader open it by its name. (Not by /proc/self/fd/N: the loader
// knows a loaded library by its name, and would hand out an earlier module for the same
// number.)
QFunctionPointer QtPlatform::libraryFunction(const QString& file, const char* symbol)
{
    // By its absolute name: the loader looks a bare name up in the library folders.
    const std::string path = QFile::encodeName(QFileInfo(file).absoluteFilePath()).toStdString();
    std::FILE* opened = openFileForReading(path);
    if (opened == nullptr) return nullptr;
    struct stat status {};
    const bool regular = ::fstat(::fileno(opened), &status) == 0 && S_ISREG(status.st_mode);
    std::fclose(opened);
    if (!regular) return nullptr;
    // A module once loaded stays loaded: its functions are handed out.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return module == nullptr ? nullptr
                             : reinterpret_cast<QFunctionPointer>(::dlsym(module, symbol));
}

SoundPlayer* QtPlatform::loadSoundPlayer()
{
    if (soundObject_) return sound_;
    if (soundModuleTried_) return nullptr;
    soundModuleTried_ = true;
    const auto create = reinterpret_cast<CreateSoundPlayer>(
        soundModule_.isEmpty() ? moduleFunction(kSoundModuleName, kCreateSoundPlayerSymbol)
                               : libraryFunction(soundModule_, kCreateSoundPlayerSymbol));
    if (create == nullptr) return nullptr; // no module: the trainer stays silent
    sound_ = create(QCoreApplication::instance());
    soundObject_ = dynamic_cast<QObject*>(sound_);
    return soundObject_ ? sound_ : nullptr;
}

void QtPlatform::playSound(const QString& fileName)
{
    if (soundObject_) sound_->stop();
    const QUrl source =
        soundSource(fileName, soundFolder_.isEmpty() ? installedSoundFolder() : soundFolder_);
    if (source.isEmpty()) return;
    if (SoundPlayer* player = loadSoundPlayer())
        player->play(source); // a missing device stays silent
}

void QtPlatform::messageBeep()
{
    QApplication::beep();
}

int QtPlatform::chooseItem(QWidget* owner, const QString& caption, const QString& label,
                           const QStringList& items, int preselected)
{
    const QPointer<QWidget> guardedOwner = owner;
    // A list rather than a drop-down box: a screen reader says the item chosen as the arrow
    // keys move in a list, and says nothing in Qt's drop-down box.
    QInputDialog dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(label);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setComboBoxEditable(false);
    dialog.setComboBoxItems(items);
    if (preselected >= 0 && preselected < items.size()) dialog.setTextValue(items[preselected]);
    if (auto* list = dialog.findChild<QListView*>()) { // named by the question, at its item
        list->setAccessibleName(label);
        if (preselected >= 0 && preselected < items.size())
            list->setCurrentIndex(list->model()->index(preselected, 0));
        list->installEventFilter(new CurrentItemToldOnFocus(list));
        // As wide as its widest item (a lesson's whole path), within the screen.
        const QScreen* screen =
            owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
        const int fits = list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                         list->verticalScrollBar()->sizeHint().width();
        list->setMinimumWidth(
            screen != nullptr ? std::min(fits, screen->availableGeometry().width() * 3 / 4) : fits);
    }
    const bool ok = dialog.exec() == QDialog::Accepted;
    const QString chosen = dialog.textValue();
    reactivateOwner(guardedOwner);
    return ok ? static_cast<int>(items.indexOf(chosen)) : -1;
}

void QtPlatform::speechFailed(const QString& reason)
{
    if (speechFault_) speechFault_(reason);
}

SpeechEngine* QtPlatform::loadSpeechEngine()
{
    if (speechObject_) return speech_;
    if (speechModuleTried_) return nullptr;
    speechModuleTried_ = true;
    const auto create = reinterpret_cast<CreateSpeechEngine>(
        moduleFunction(kSpeechModuleName, kCreateSpeechEngineSymbol));
    if (create == nullptr) return nullptr;
    speech_ = create(QCoreApplication::instance(),
                     [this](const QString& reason) { speechFailed(reason); });
    speechObject_ = dynamic_cast<QObject*>(speech_);
    return speechObject_ ? speech_ : nullptr;
}

void QtPlatform::speak(const QString& text, const QString& language)
{
    if (SpeechEngine* engine = loadSpeechEngine())
        engine->say(text, language);
    else
        speechFailed(QStringLiteral("Das Sprachmodul des Trainers fehlt."));
}

void QtPlatform::dropWaitingSpeech()
{
    if (speech_ != nullptr) speech_->dropWaiting();
}

QStringList QtPlatform::speechLanguages(int waitMs)
{
    if (SpeechEngine* engine = loadSpeechEngine()) return engine->languages(waitMs);
    speechFailed(QStringLiteral("Das Sprachmodul des Trainers fehlt."));
    return {};
}

void QtPlatform::setSpeechFaultHandler(std::function<void(const QString& reason)> handler)
{
    speechFault_ = std::move(handler);
}

std::int64_t QtPlatform::calendarTime()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::tm QtPlatform::localTime(std::int64_t calendarSeconds)
{
    const auto t = static_cast<std::time_t>(calendarSeconds);
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}
