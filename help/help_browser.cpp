#include "help_browser.h"

#include "help_resource.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTextDocument>
#include <QUrl>

namespace {

// What an image that may not or cannot be shown looks like: Qt's own sign for a missing
// image, or a blank square where the style has none.
QPixmap missingImage()
{
    QPixmap sign(QStringLiteral(":/qt-project.org/styles/commonstyle/images/file-16.png"));
    if (sign.isNull()) {
        sign = QPixmap(16, 16);
        sign.fill(Qt::transparent);
    }
    return sign;
}

} // namespace

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
    if (type != QTextDocument::ImageResource) return data;
    // Where an image comes back as no picture, Qt loads the name itself, as a path from the
    // working folder: a FIFO there would block the window, and any file the user can read
    // would be shown. So an image is always answered with a picture.
    const QImage image = QImage::fromData(data);
    return image.isNull() ? missingImage() : QPixmap::fromImage(image);
}
