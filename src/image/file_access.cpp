#include "image/file_access.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileAccess {

namespace {
Error notAFile() {
    return {Problem::NotAFile, 0};
}

// Qt reports some refusals (a folder, an existing file that may not be
// written) without a system error behind them; a failed write without one
// counts as the general input/output error.
Error errorAfter(int code, Problem withoutCode) {
    if (code != 0)
        return errorFromSystem(code);
    return {withoutCode, withoutCode == Problem::Other ? EIO : 0};
}

// What stands at `path` now, following symbolic links: nothing, a regular
// file, or something else. Asked of the path without opening it: opening a
// device can already act on it.
enum class Kind { Missing, Regular, Other };
struct Found {
    Kind kind = Kind::Missing;
    Error error; // when even that cannot be told
};

Found lookAt(const QString& path) {
#if defined(Q_OS_UNIX)
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        const int code = errno;
        if (code == ENOENT)
            return {Kind::Missing, {}};
        return {Kind::Missing, errorFromSystem(code)};
    }
    return {S_ISREG(st.st_mode) ? Kind::Regular : Kind::Other, {}};
#else
    const QFileInfo info(path);
    if (!info.exists())
        return {Kind::Missing, {}};
    return {info.isFile() ? Kind::Regular : Kind::Other, {}};
#endif
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
    case ETXTBSY:
        return {Problem::AccessDenied, code};
    case EISDIR:
        return {Problem::NotAFile, code};
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
    case Problem::NotAFile:
        return QStringLiteral("File access denied: not a file but a folder, a device or a pipe");
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
    const Found found = lookAt(path);
    if (found.error)
        return {{}, found.error};
    if (found.kind == Kind::Missing)
        return {{}, {Problem::NotFound, ENOENT}};
    if (found.kind != Kind::Regular)
        return {{}, notAFile()};
    QFile file;
#if defined(Q_OS_UNIX)
    // The path may have been swapped for a pipe since it was looked at: the
    // open must not wait for a writer, and what was opened is checked again.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {{}, errorAfter(errno, Problem::AccessDenied)};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {{}, notAFile()};
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {{}, {Problem::Other, EIO}};
    }
#else
    file.setFileName(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return {{}, errorAfter(errno, Problem::AccessDenied)};
#endif
    errno = 0;
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        return {{}, errorAfter(errno, Problem::Other)};
    return {bytes, {}};
}

Error checkWritable(const QString& path) {
    const Found found = lookAt(path);
    if (found.error)
        return found.error;
    if (found.kind == Kind::Other)
        return notAFile();
    // The new file is made beside the target: that is what must be possible.
    QSaveFile probe(path);
    errno = 0;
    if (!probe.open(QIODevice::WriteOnly))
        return errorAfter(errno, Problem::AccessDenied);
    probe.cancelWriting();
    return {};
}

Error writeWhole(const QString& path, const QByteArray& bytes,
                 const std::function<void()>& beforeReplace) {
    // As root, moving the new file over a device would replace the device.
    const auto refused = [&path]() -> Error {
        const Found found = lookAt(path);
        if (found.error)
            return found.error;
        return found.kind == Kind::Other ? notAFile() : Error{};
    };
    if (const Error e = refused())
        return e;
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
    // Once more just before the rename: the target may have changed meanwhile.
    if (const Error e = refused()) {
        file.cancelWriting();
        return e;
    }
    errno = 0;
    if (!file.commit())
        return errorAfter(errno, Problem::Other);
    return {};
}

} // namespace FileAccess
