#include "help_browser.h"

#include "help_resource.h"

#include <QFile>
#include <QTextDocument>
#include <QUrl>

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    std::optional<std::string> bytes;
    if (name.scheme().isEmpty() && name.host().isEmpty()) {
        const QByteArray path = QFile::encodeName(name.path(QUrl::FullyDecoded));
        bytes = loadHelpResource(
            std::string_view(path.constData(), static_cast<std::size_t>(path.size())), folder_);
    }
    const QByteArray data =
        bytes ? QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())) : QByteArray();
    if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(data);
    return data;
}
