#include "ui/maker_document.h"

#include "i18n/messages.h"
#include "image/file_access.h"
#include "image/file_text.h"
#include "ui/picture.h"

#include <QDir>
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
    const FileAccess::ReadResult read = FileAccess::readAtMost(path, kMaxManualBytes + 1);
    if (read.error || read.bytes.size() > kMaxManualBytes)
        return {};
    const QString t = fromForeignText(read.bytes);
    return t.isNull() ? QStringLiteral("") : t;
}

QString missingText(const QString& path, int language) {
    return message("aux.maker_document_missing", language).arg(QDir::toNativeSeparators(path));
}

} // namespace MakerDocument
