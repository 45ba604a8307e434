#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

// Whole-file reads and writes for every file the tool takes from or leaves
// for the installer (configuration, SIM names, sound and text files,
// backups), with failures told the way the installer knows them ("File not
// found", "Disk full", ...).
//
// Such a path may name anything: a folder, a device (/dev/zero never ends, a
// serial port changes its lines when opened), a pipe that blocks until
// someone writes, or a file of a gigabyte. Only regular files are opened, and
// only as many bytes as the kind of file can have are read; a write replaces
// only a regular file.
namespace FileAccess {

enum class Problem {
    None,
    NotFound,     // the file or a folder on its path is missing
    AccessDenied, // no permission or a read-only medium
    NotAFile,     // a folder, a device, a pipe or a socket
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
// file", or "I/O error %d" with the system's code; a path that is no regular
// file says so after "File access denied".
QString errorText(const Error& error);

struct ReadResult {
    QByteArray bytes; // at most the limit asked for
    Error error;
};

// Reads at most `limit` bytes from the start of the file, opened for reading
// only, so read-only media and write-protected files open as well. Only a
// regular file is opened at all; callers ask for one byte more than their
// kind of file can hold, to tell a longer file.
ReadResult readAtMost(const QString& path, qint64 limit);

// Whether `path` may be written by writeWhole: it is a regular file or
// nothing, and a file can be created in its folder. Nothing is left behind.
// For a command that must fail before it starts work whose result it would
// then have nowhere to put.
Error checkWritable(const QString& path);

// Replaces the file with `bytes` so that the old file stays whole until the new
// one is: the bytes go to a file beside it, which takes the old one's place
// only when everything was written. An existing path that is not a regular
// file (a folder, a device, a pipe) is refused and left alone. `beforeReplace`,
// when set, runs after the bytes are written and before they replace the file.
Error writeWhole(const QString& path, const QByteArray& bytes,
                 const std::function<void()>& beforeReplace = {});

} // namespace FileAccess
