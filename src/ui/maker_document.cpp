#include "ui/maker_document.h"

#include "i18n/messages.h"
#include "image/file_text.h"
#include "ui/picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace MakerDocument {

namespace {
bool regularFile(const QString& path, qint64 maxBytes) {
    const QFileInfo info(path);
    return info.exists() && info.isFile() && info.size() <= maxBytes;
}
} // namespace

QPixmap picture(const QString& path) {
    // A wiring diagram is a photograph or a drawing of some megabytes at most.
    constexpr qint64 kMaxPictureBytes = 32 * 1024 * 1024;
    if (!regularFile(path, kMaxPictureBytes))
        return {};
    return QPixmap::fromImage(loadJpeg(path));
}

QString text(const QString& path) {
    if (!regularFile(path, kMaxManualBytes))
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.read(kMaxManualBytes + 1);
    if (bytes.size() > kMaxManualBytes)
        return {};
    QString t = fromForeignText(bytes);
    return t.isNull() ? QStringLiteral("") : t;
}

QString missingText(const QString& path, int language) {
    return message("aux.maker_document_missing", language).arg(QDir::toNativeSeparators(path));
}

} // namespace MakerDocument
