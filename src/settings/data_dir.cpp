#include "settings/data_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// ALVENTO_DATA_FROM_BINDIR: the install layout's way from the binary folder to
// the data folder ("../share/alvento" for the usual layout), so any prefix,
// including a package unpacked into a scratch root, works.
// ALVENTO_BUILD_TREE and ALVENTO_SOURCE_DATA_DIR: where this binary was built
// and the source assets, used only while the binary still sits in that tree.
#ifndef ALVENTO_DATA_FROM_BINDIR
#define ALVENTO_DATA_FROM_BINDIR "../share/alvento"
#endif

namespace {
QString canonicalOrClean(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

[[maybe_unused]] bool isInside(const QString& dir, const QString& root) {
    const QString d = canonicalOrClean(dir);
    const QString r = canonicalOrClean(root);
    return d == r || d.startsWith(r + QLatin1Char('/'));
}
} // namespace

QString dataDirFor(const QString& applicationDir) {
    const QString installed =
        QDir::cleanPath(applicationDir + QStringLiteral("/" ALVENTO_DATA_FROM_BINDIR));
    // An install staged inside the build folder still has its own data folder.
    if (QFileInfo(installed).isDir())
        return installed;
#if defined(ALVENTO_BUILD_TREE) && defined(ALVENTO_SOURCE_DATA_DIR)
    if (isInside(applicationDir, QStringLiteral(ALVENTO_BUILD_TREE)))
        return QDir::cleanPath(QStringLiteral(ALVENTO_SOURCE_DATA_DIR));
#endif
    return installed;
}

QString dataDir() {
    return dataDirFor(QCoreApplication::applicationDirPath());
}

QString dataPath(const QString& relative) {
    return QDir::cleanPath(dataDir() + QLatin1Char('/') + relative);
}
