#pragma once
#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/mount.h>

// Files for tests of what the program reads and saves.

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Writes a file at `path` until its file system has no room left.
inline void fillDisk(const QString& path) {
    QFile filler(path);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'f')) == 4096) {
    }
}

// A small RAM file system mounted on a folder for one test: a disk that fills
// up after a few pages, or a medium that refuses every write even to root.
// Mounting needs the right to mount; without it mounted() is false and the
// test skips.
class TmpfsMount {
  public:
    TmpfsMount(const QString& folder, int kilobytes) : folder_(folder) {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        mounted_ = ::mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", 0,
                           options.constData()) == 0;
    }
    ~TmpfsMount() {
        if (mounted_)
            ::umount2(folder_.toLocal8Bit().constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return mounted_; }

    // From now on every write is refused with EROFS, whoever asks.
    bool makeReadOnly() {
        return ::mount(nullptr, folder_.toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                       nullptr) == 0;
    }

  private:
    QString folder_;
    bool mounted_ = false;
};
