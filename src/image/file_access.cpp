#include "image/file_access.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace FileAccess {

namespace {
// What a refused open of something that is not a regular file reports.
Error accessDenied() {
    return {Problem::AccessDenied, EACCES};
}

// Qt reports some refusals (a folder, an existing file that may not be
// written) without a system error behind them; a failed write without one
// counts as the general input/output error.
Error errorAfter(int code, Problem withoutCode) {
    if (code != 0)
        return errorFromSystem(code);
    return {withoutCode, withoutCode == Problem::Other ? EIO : 0};
}
} // namespace

Error errorFromSystem(int code) {
    switch (code) {
    case 0:
        return {};
    case ENOENT:
    case ENOTDIR:
        return {Problem::NotFound, code};
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return {Problem::AccessDenied, code};
    case ENOSPC:
    case EDQUOT:
        return {Problem::DiskFull, code};
    default:
        return {Problem::Other, code};
    }
}

QString errorText(const Error& error) {
    switch (error.problem) {
    case Problem::None:
        return {};
    case Problem::NotFound:
        return QStringLiteral("File not found");
    case Problem::AccessDenied:
        return QStringLiteral("File access denied");
    case Problem::DiskFull:
        return QStringLiteral("Disk full");
    case Problem::EndOfFile:
        return QStringLiteral("Read beyond end of file");
    case Problem::Other:
        break;
    }
    return QStringLiteral("I/O error %1").arg(error.systemCode);
}

ReadResult readAtMost(const QString& path, qint64 limit) {
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, {Problem::NotFound, ENOENT}};
    if (!info.isFile())
        return {{}, accessDenied()};
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return {{}, errorAfter(errno, Problem::AccessDenied)};
    errno = 0;
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        return {{}, errorAfter(errno, Problem::Other)};
    return {bytes, {}};
}

Error writeWhole(const QString& path, const QByteArray& bytes,
                 const std::function<void()>& beforeReplace) {
    const QFileInfo info(path);
    // As root, moving the new file over a device would replace the device.
    if (info.exists() && !info.isFile())
        return accessDenied();
    QSaveFile file(path);
    errno = 0;
    // Unbuffered, so a write that fails (a full disk) fails here and not in
    // the flush inside commit(), which in Qt 6.4 goes unnoticed and moves the
    // cut-off file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return errorAfter(errno, Problem::AccessDenied);
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const Error e = errorAfter(errno, Problem::Other);
        file.cancelWriting();
        return e;
    }
    if (beforeReplace)
        beforeReplace();
    errno = 0;
    if (!file.commit())
        return errorAfter(errno, Problem::Other);
    return {};
}

} // namespace FileAccess
