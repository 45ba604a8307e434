#include "safety/backup_store.h"

#include "image/config_file.h"
#include "image/file_access.h"
#include "image/image_convert.h"
#include "image/image_extent.h"
#include "image/module_version.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {
constexpr int kCodeRecordModel = 100;
constexpr int kBlockAreaEnd = 1536; // one past the last byte of the six blocks
const QString kExtraSuffix = QStringLiteral(".1024-1535.bin");

QString moduleKey(int modelCode, const QString& account) {
    return QStringLiteral("M%1_A%2").arg(modelCode).arg(account);
}

QString writeProblem(const QString& path, const FileAccess::Error& e) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), FileAccess::errorText(e));
}
} // namespace

QString BackupStore::defaultFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("Alvento Configurator/backups"));
}

BackupStore::BackupStore(QString folder) : folder_(std::move(folder)) {}

QString BackupStore::accountOf(const ConfigImage& module, int modelCode) {
    if (modelCode == kCodeRecordModel)
        return QStringLiteral("none");
    ConfigImage copy = module; // Decode rewrites a few bytes of what it reads
    const DecodeResult r = decodeImage(copy, ImageContext{modelCode, 40, QString()});
    QString account = r.values.remoteMonitoring.account.value_or(QString());
    // Decode shows bytes outside the digit alphabet as 'x'; an erased account
    // is all of them.
    if (account.isEmpty() || account.count(QLatin1Char('x')) == account.size())
        return QStringLiteral("none");
    for (QChar& c : account)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return account;
}

QStringList BackupStore::backupsOf(int modelCode, const QString& account) const {
    const QString pattern = QStringLiteral("*_%1.dat").arg(moduleKey(modelCode, account));
    QStringList names = QDir(folder_).entryList({pattern}, QDir::Files, QDir::Name);
    for (QString& n : names)
        n = QDir(folder_).filePath(n);
    return names;
}

BackupStore::Result BackupStore::save(const ConfigImage& module, int modelCode, int moduleVersion,
                                      const QDateTime& when) {
    Result r;
    if (!QDir().mkpath(folder_)) {
        r.error = QStringLiteral("%1: the folder cannot be created")
                      .arg(QDir::toNativeSeparators(folder_));
        r.folderNotCreated = true;
        return r;
    }
    const QString account = accountOf(module, modelCode);
    const QString stem = QDir(folder_).filePath(QStringLiteral("%1_%2").arg(
        when.toString(QStringLiteral("yyyy-MM-dd_HHmmss-zzz")), moduleKey(modelCode, account)));
    const int imageSize = configFileImageSize(modelCode);
    const QByteArray image(reinterpret_cast<const char*>(module.data()), imageSize);
    const QString path = stem + QStringLiteral(".dat");

    // The extra bytes first: a configuration file without them would look
    // like a whole backup.
    const bool extra = modelCode != kCodeRecordModel && transfersByBlocks(moduleVersion);
    if (extra) {
        const QByteArray rest(reinterpret_cast<const char*>(module.data()) + imageSize,
                              kBlockAreaEnd - imageSize);
        if (const FileAccess::Error e = FileAccess::writeWhole(stem + kExtraSuffix, rest)) {
            r.error = writeProblem(stem + kExtraSuffix, e);
            return r;
        }
    }
    if (const FileAccess::Error e = FileAccess::writeWhole(path, ConfigFile::build(image, {}))) {
        if (extra)
            QFile::remove(stem + kExtraSuffix);
        r.error = writeProblem(path, e);
        return r;
    }
    r.ok = true;
    r.path = path;

    QStringList all = backupsOf(modelCode, account);
    while (all.size() > kKeptPerModule) {
        const QString oldest = all.takeFirst();
        QFile::remove(oldest);
        QString beside = oldest;
        beside.chop(4); // ".dat"
        QFile::remove(beside + kExtraSuffix);
    }
    return r;
}
