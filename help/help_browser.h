#pragma once

#include <filesystem>

#include <QTextBrowser>

// The pane that shows a topic. It loads what a topic names (images, style sheets) only as
// help_resource.h allows, from the folder of the help file shown; with no folder set, nothing.
// Qt must never go and read a file itself: an image is answered with a picture (the sign for
// a missing image when refused or undecodable), a style sheet with text, anything else with
// bytes; refusals are empty, never a null answer.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;

    void setResourceFolder(std::filesystem::path folder) { folder_ = std::move(folder); }

    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::filesystem::path folder_;
};
