#pragma once

#include "help_command.h"
#include "help_loader.h"
#include "topic_history.h"

#include <filesystem>
#include <optional>

#include <QMainWindow>
#include <QString>

class HelpBrowser;
class QAction;
class QIcon;
class QListWidget;
class QTextBrowser;
class QUrl;

// The trainer's icon, which the help window carries so that task bars show it as part of the
// trainer.
QIcon helpWindowIcon();

// The help window: the list of topics on the left, the shown topic on the right, and Contents,
// Back and Forward above. It shows one help file for its whole life; when the file is missing
// or broken, it shows a message page instead and tries again on the next request.
class HelpViewer : public QMainWindow {
    Q_OBJECT
public:
    // Relative file names are looked up from workingDir, then executableDir (see help_locator.h).
    HelpViewer(std::filesystem::path workingDir, std::filesystem::path executableDir,
               QWidget* parent = nullptr);

    // The request this process was started with: loads its file and shows the contents
    // (force-file) or the topic (context).
    void start(const HelpRequest& request);

    // A request handed on by a later viewer for the same file. Force-file changes nothing when
    // the file is shown already; context shows the topic and brings the window to the front.
    // Either reloads the file when it could not be shown before.
    void execute(const HelpRequest& request);

    // Shows the topic, or the contents with a note in the status line when there is no such
    // topic. Ignored while no file is shown.
    void showTopic(TopicNumber number);
    void showContents();
    void goBack();
    void goForward();

    const LoadedHelp& loaded() const { return loaded_; }
    std::optional<TopicNumber> currentTopic() const { return history_.current(); }
    QTextBrowser* browser() const;
    QListWidget* topicList() const { return topicList_; }
    QAction* backAction() const { return back_; }
    QAction* forwardAction() const { return forward_; }
    QAction* contentsAction() const { return contents_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    // Shows html in the pane and keeps it, to be set again when the palette changes.
    void showPage(const QString& html);
    // Page colours from the pane's palette (help_style.h).
    void applyPageStyle();
    // The preferred size, or less where the screen's free area is smaller.
    void fitToScreen();
    void display(TopicNumber number);
    void followLink(const QUrl& url);
    void updateNavigation();
    void bringToFront();

    std::filesystem::path workingDir_;
    std::filesystem::path executableDir_;
    std::filesystem::path given_;
    LoadedHelp loaded_;
    TopicHistory history_;

    QString page_;

    HelpBrowser* browser_ = nullptr;
    QListWidget* topicList_ = nullptr;
    QAction* contents_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
};
