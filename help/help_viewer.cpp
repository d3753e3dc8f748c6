#include "help_viewer.h"

#include "help_browser.h"
#include "help_pages.h"
#include "help_style.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QIcon>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

namespace {

constexpr int kWindowWidth = 860;  // px
constexpr int kWindowHeight = 620; // px
constexpr int kListWidth = 270;    // px
constexpr int kStatusNoteMs = 8000;

// Room the window manager takes around the window (title bar, borders), px: the window is kept
// this much smaller than the free screen area, so that it fits with its frame.
constexpr WindowSize kFrameAllowance{16, 48};

Rgb rgb(const QColor& colour)
{
    return {colour.red(), colour.green(), colour.blue()};
}

} // namespace

// Outside any namespace, as Q_INIT_RESOURCE needs; the icons live in this static library.
static void initHelpIcons()
{
    Q_INIT_RESOURCE(help_icons);
}

QIcon helpWindowIcon()
{
    static const bool registered = (initHelpIcons(), true);
    (void)registered;
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/kaz-help/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

HelpViewer::HelpViewer(std::filesystem::path workingDir, std::filesystem::path executableDir,
                       QWidget* parent)
    : QMainWindow(parent), workingDir_(std::move(workingDir)),
      executableDir_(std::move(executableDir))
{
    auto* toolbar = addToolBar(tr("Navigation"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    contents_ = toolbar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("Inhalt"));
    back_ = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Zurück"));
    forward_ = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Vorwärts"));
    contents_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);
    connect(contents_, &QAction::triggered, this, &HelpViewer::showContents);
    connect(back_, &QAction::triggered, this, &HelpViewer::goBack);
    connect(forward_, &QAction::triggered, this, &HelpViewer::goForward);
    // Escape closes the viewer, as it closes the trainer's other windows.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    auto* splitter = new QSplitter(this);
    topicList_ = new QListWidget(splitter);
    topicList_->setWordWrap(true);
    topicList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    topicList_->setStyleSheet(QStringLiteral("QListWidget::item { padding: 3px 4px; }"));
    browser_ = new HelpBrowser(splitter);
    browser_->setOpenLinks(false);
    applyPageStyle();
    browser_->installEventFilter(this);
    browser_->document()->setDocumentMargin(14);
    splitter->addWidget(topicList_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kListWidth, kWindowWidth - kListWidth});
    setCentralWidget(splitter);

    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);
    connect(topicList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr) showTopic(item->data(Qt::UserRole).toUInt());
    });

    statusBar();
    fitToScreen();
    setWindowIcon(helpWindowIcon());
    setWindowTitle(tr("KAZ-TRAINER – Hilfe"));
    updateNavigation();
}

QTextBrowser* HelpViewer::browser() const
{
    return browser_;
}

void HelpViewer::start(const HelpRequest& request)
{
    given_ = std::filesystem::path(request.file);
    load();
    if (request.action == HelpAction::Context) showTopic(request.topic);
}

void HelpViewer::execute(const HelpRequest& request)
{
    const bool reloaded = loaded_.status != LoadedHelp::Status::Ok;
    if (reloaded) load();
    if (request.action == HelpAction::Context) {
        showTopic(request.topic);
        bringToFront();
    } else if (reloaded) {
        bringToFront();
    }
}

void HelpViewer::load()
{
    loaded_ = loadHelp(given_, workingDir_, executableDir_);
    history_.clear();
    const QSignalBlocker blocker(topicList_);
    topicList_->clear();
    // A message page has no topics to list; the list comes back with a usable file.
    topicList_->setVisible(loaded_.status == LoadedHelp::Status::Ok);
    browser_->setResourceFolder(loaded_.status == LoadedHelp::Status::Ok
                                    ? loaded_.path.parent_path()
                                    : std::filesystem::path());
    if (loaded_.status != LoadedHelp::Status::Ok) {
        showPage(QString::fromStdString(loaded_.messagePage));
        setWindowTitle(tr("KAZ-TRAINER – Hilfe"));
        updateNavigation();
        return;
    }
    for (const HelpTopic& topic : loaded_.document.topics) {
        auto* item = new QListWidgetItem(QString::fromStdString(topic.title), topicList_);
        item->setData(Qt::UserRole, topic.number);
    }
    display(loaded_.document.contents);
}

void HelpViewer::showTopic(TopicNumber number)
{
    if (loaded_.status != LoadedHelp::Status::Ok) return;
    if (findHelpTopic(loaded_.document, number) == nullptr) {
        statusBar()->showMessage(
            tr("Thema %1 gibt es in dieser Hilfedatei nicht; angezeigt wird der Inhalt.")
                .arg(number),
            kStatusNoteMs);
        number = loaded_.document.contents;
    }
    display(number);
}

void HelpViewer::showContents()
{
    if (loaded_.status == LoadedHelp::Status::Ok) display(loaded_.document.contents);
}

void HelpViewer::goBack()
{
    if (history_.canGoBack()) {
        history_.back();
        display(*history_.current());
    }
}

void HelpViewer::goForward()
{
    if (history_.canGoForward()) {
        history_.forward();
        display(*history_.current());
    }
}

void HelpViewer::display(TopicNumber number)
{
    const HelpTopic& topic = topicOrContents(loaded_.document, number);
    history_.visit(topic.number);
    showPage(QString::fromStdString(topicPage(topic)));
    const QString docTitle = loaded_.document.title.empty()
                                 ? tr("KAZ-TRAINER – Hilfe")
                                 : QString::fromStdString(loaded_.document.title);
    setWindowTitle(docTitle + QStringLiteral(": ") + QString::fromStdString(topic.title));

    const QSignalBlocker blocker(topicList_);
    for (int row = 0; row < topicList_->count(); ++row) {
        if (topicList_->item(row)->data(Qt::UserRole).toUInt() == topic.number) {
            topicList_->setCurrentRow(row);
            break;
        }
    }
    updateNavigation();
}

void HelpViewer::followLink(const QUrl& url)
{
    if (const auto number = topicFromLink(url.toString().toStdString())) {
        showTopic(*number);
        return;
    }
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
}

void HelpViewer::updateNavigation()
{
    const bool ok = loaded_.status == LoadedHelp::Status::Ok;
    contents_->setEnabled(ok);
    back_->setEnabled(ok && history_.canGoBack());
    forward_->setEnabled(ok && history_.canGoForward());
}

void HelpViewer::bringToFront()
{
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void HelpViewer::showPage(const QString& html)
{
    page_ = html;
    browser_->setHtml(page_);
}

void HelpViewer::applyPageStyle()
{
    const QPalette& p = browser_->palette();
    const PagePalette palette{rgb(p.color(QPalette::Base)), rgb(p.color(QPalette::Text)),
                              rgb(p.color(QPalette::Link)), rgb(p.color(QPalette::Highlight))};
    browser_->document()->setDefaultStyleSheet(
        QString::fromStdString(helpPageStyle(pageColours(palette))));
}

void HelpViewer::fitToScreen()
{
    const QScreen* shownOn = screen();
    const QSize available = shownOn != nullptr ? shownOn->availableGeometry().size()
                                               : QSize(kWindowWidth, kWindowHeight);
    const WindowSize size = fitWindowSize({kWindowWidth, kWindowHeight},
                                          {available.width(), available.height()}, kFrameAllowance);
    resize(size.width, size.height);
}

bool HelpViewer::eventFilter(QObject* watched, QEvent* event)
{
    // A new palette (the desktop switched to a dark scheme, say) recolours the page shown; the
    // default style sheet applies when a page is set, so the page is set again.
    if (watched == browser_ && event->type() == QEvent::PaletteChange) {
        applyPageStyle();
        if (!page_.isEmpty()) {
            const int scrolled = browser_->verticalScrollBar()->value();
            browser_->setHtml(page_);
            browser_->verticalScrollBar()->setValue(scrolled);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
