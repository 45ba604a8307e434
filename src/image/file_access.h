#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

// Whole-file reads and writes for the configuration and SIM names files, with
// failures told the way the installer knows them ("File not found", "Disk
// full", ...).
namespace FileAccess {

enum class Problem {
    None,
    NotFound,     // the file or a folder on its path is missing
    AccessDenied, // no permission, a read-only medium, a folder or a device
    DiskFull,
    EndOfFile, // the file is shorter than its kind of file
    Other,     // any other system error; systemCode tells which
};

struct Error {
    Problem problem = Problem::None;
    int systemCode = 0; // errno, when the system reported one

    explicit operator bool() const { return problem != Problem::None; }
};

// The failure as one errno value names it.
Error errorFromSystem(int code);
// "File not found", "File access denied", "Disk full", "Read beyond end of
// file", or "I/O error %d" with the system's code.
QString errorText(const Error& error);

struct ReadResult {
    QByteArray bytes; // at most the limit asked for
    Error error;
};

// Reads at most `limit` bytes from the start of the file, opened for reading
// only, so read-only media and write-protected files open as well. Only
// regular files are read: a folder, device or pipe is refused, as reading it
// could block or never end.
ReadResult readAtMost(const QString& path, qint64 limit);

// Replaces the file with `bytes` so that the old file stays whole until the new
// one is: the bytes go to a file beside it, which takes the old one's place
// only when everything was written. An existing path that is not a regular
// file (a folder, a device) is refused and left alone. `beforeReplace`, when
// set, runs after the bytes are written and before they replace the file.
Error writeWhole(const QString& path, const QByteArray& bytes,
                 const std::function<void()>& beforeReplace = {});

} // namespace FileAccess
