#include "help_viewer.h"

#include "help_browser.h"
#include "help_pages.h"

#include <QAction>
#include <QDesktopServices>
#include <QListWidget>
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

const char* const kPageStyle = R"(
body { font-size: 11pt; }
h1 { font-size: 17pt; color: #1c4670; margin-bottom: 10px; }
h1.error { color: #a01818; }
h2 { font-size: 13pt; color: #1c4670; margin-top: 14px; }
p { margin-top: 0px; margin-bottom: 8px; }
li { margin-bottom: 3px; }
table { border-collapse: collapse; border-color: #9aa8b8; }
th { background-color: #dde6f0; text-align: left; }
code { font-family: "Liberation Mono", monospace; background-color: #eef1f4; }
.key { font-family: "Liberation Mono", monospace; background-color: #e4e4e4; font-weight: bold; }
.example { font-family: "Liberation Mono", monospace; color: #1a5e1a; }
.note { background-color: #fff6d6; }
)";

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

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

    auto* splitter = new QSplitter(this);
    topicList_ = new QListWidget(splitter);
    topicList_->setWordWrap(true);
    topicList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    topicList_->setStyleSheet(QStringLiteral("QListWidget::item { padding: 3px 4px; }"));
    browser_ = new HelpBrowser(splitter);
    browser_->setOpenLinks(false);
    browser_->document()->setDefaultStyleSheet(QString::fromUtf8(kPageStyle));
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
    resize(kWindowWidth, kWindowHeight);
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
        browser_->setHtml(fromUtf8(loaded_.messagePage));
        setWindowTitle(tr("KAZ-TRAINER – Hilfe"));
        updateNavigation();
        return;
    }
    for (const HelpTopic& topic : loaded_.document.topics) {
        auto* item = new QListWidgetItem(fromUtf8(topic.title), topicList_);
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
    browser_->setHtml(fromUtf8(topicPage(topic)));
    const QString docTitle = loaded_.document.title.empty() ? tr("KAZ-TRAINER – Hilfe")
                                                            : fromUtf8(loaded_.document.title);
    setWindowTitle(docTitle + QStringLiteral(": ") + fromUtf8(topic.title));

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
