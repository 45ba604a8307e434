#include "safety/backup_store.h"

#include "image/config_file.h"
#include "image/file_access.h"
#include "image/image_codecs.h"
#include "image/image_convert.h"
#include "image/image_extent.h"
#include "image/module_version.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>

namespace {
constexpr int kCodeRecordModel = 100;
constexpr int kAccountAddress = 1024;
constexpr int kBlockAreaEnd = 1536; // one past the last byte of the six blocks
constexpr int kPhoneNumberCount = 8;
constexpr int kDigestLength = 8; // hexadecimal digits of the phone numbers' digest
const QString kExtraSuffix = QStringLiteral(".1024-1535.bin");
const QString kNone = QStringLiteral("none");

// Seconds and milliseconds: two sends within a second keep apart, and names
// sort as times.
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd'T'HHmmss-zzz'Z'");
const QString kLocalTimeFormat = QStringLiteral("yyyy-MM-dd_HHmmss-zzz");

// Both formats: <time>_M<model>_A<account>[_P<digest>].dat, the time as UTC
// with 'T' and 'Z', or (earlier) as local time with '_'.
const QRegularExpression& namePattern() {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}(?:T\\d{6}-\\d{3}Z|_\\d{6}-\\d{3}))_M(\\d+)_A(\\w+?)("
                       "?:_P([0-9a-f]{%1}))?"
                       "\\.dat$")
            .arg(kDigestLength));
    return re;
}

QString writeProblem(const QString& path, const FileAccess::Error& e) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), FileAccess::errorText(e));
}

QString extraPathOf(const QString& configFile) {
    QString stem = configFile;
    if (stem.endsWith(QLatin1String(".dat")))
        stem.chop(4);
    return stem + kExtraSuffix;
}

bool newerFirst(const BackupStore::Backup& a, const BackupStore::Backup& b) {
    if (a.taken != b.taken)
        return a.taken > b.taken;
    return a.path > b.path;
}
} // namespace

QString BackupStore::ModuleKey::text() const {
    QString t = QStringLiteral("M%1_A%2").arg(modelCode).arg(account);
    if (!installation.isEmpty())
        t += QStringLiteral("_P") + installation;
    return t;
}

QString BackupStore::defaultFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("Alvento Configurator/backups"));
}

BackupStore::BackupStore(QString folder) : folder_(std::move(folder)) {}

QString BackupStore::accountOf(const ConfigImage& module, int modelCode, int moduleVersion) {
    if (modelCode == kCodeRecordModel)
        return kNone;
    const ImageExtent extent = exchangedExtent(modelCode, moduleVersion);
    const bool read = std::any_of(extent.read.begin(), extent.read.end(), [](const ImageRange& r) {
        return r.first <= kAccountAddress && r.last >= kAccountAddress + 3;
    });
    if (!read)
        return kNone;
    ConfigImage copy = module; // Decode rewrites a few bytes of what it reads
    const DecodeResult r = decodeImage(copy, ImageContext{modelCode, 40, QString()});
    QString account = r.values.remoteMonitoring.account.value_or(QString());
    // Decode shows bytes outside the digit alphabet as 'x'; an erased account
    // is all of them.
    if (account.isEmpty() || account.count(QLatin1Char('x')) == account.size())
        return kNone;
    for (QChar& c : account)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return account;
}

BackupStore::ModuleKey BackupStore::keyOf(const ConfigImage& module, int modelCode,
                                          int moduleVersion) {
    ModuleKey key{modelCode, accountOf(module, modelCode, moduleVersion), QString()};
    if (key.account != kNone)
        return key;
    QByteArray numbers;
    for (int n = 0; n < kPhoneNumberCount; ++n)
        numbers +=
            readPhoneNumber(module, ImageAddress::kPhoneNumbers + n * ImageAddress::kPhoneSlotSize)
                .toLatin1() +
            '\n';
    key.installation = QString::fromLatin1(
        QCryptographicHash::hash(numbers, QCryptographicHash::Sha1).toHex().left(kDigestLength));
    return key;
}

std::vector<BackupStore::Backup> BackupStore::all() const {
    std::vector<Backup> found;
    const QDir dir(folder_);
    for (const QString& name : dir.entryList({QStringLiteral("*.dat")}, QDir::Files)) {
        const QRegularExpressionMatch m = namePattern().match(name);
        if (!m.hasMatch())
            continue;
        const QString time = m.captured(1);
        QDateTime taken;
        if (time.endsWith(QLatin1Char('Z'))) {
            taken = QDateTime::fromString(time, kTimeFormat);
            taken.setTimeSpec(Qt::UTC); // the fields are UTC's
        } else {
            taken = QDateTime::fromString(time, kLocalTimeFormat); // as it was written
        }
        if (!taken.isValid())
            continue;
        found.push_back({dir.filePath(name),
                         taken.toUTC(),
                         {m.captured(2).toInt(), m.captured(3), m.captured(4)}});
    }
    std::sort(found.begin(), found.end(), newerFirst);
    return found;
}

std::vector<BackupStore::Backup> BackupStore::backupsOf(const ModuleKey& key) const {
    std::vector<Backup> mine = all();
    std::erase_if(mine, [&key](const Backup& b) { return !(b.key == key); });
    return mine;
}

std::vector<BackupStore::Backup> BackupStore::backupsFor(const ModuleKey& key) const {
    std::vector<Backup> mine = all();
    std::erase_if(mine, [&key](const Backup& b) {
        return b.key.modelCode != key.modelCode || b.key.account != key.account;
    });
    std::stable_partition(mine.begin(), mine.end(),
                          [&key](const Backup& b) { return !b.otherNumbers(key); });
    return mine;
}

std::optional<QByteArray> BackupStore::extraBytesOf(const QString& configFile) {
    constexpr int kExtraSize = kBlockAreaEnd - ConfigFile::kShortImageSize;
    const FileAccess::ReadResult r =
        FileAccess::readAtMost(extraPathOf(configFile), kExtraSize + 1);
    if (r.error || r.bytes.size() != kExtraSize)
        return std::nullopt;
    return r.bytes;
}

BackupStore::Loaded BackupStore::load(const QString& path, int modelCode) {
    Loaded l;
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, ConfigFile::kLargestFileSize + 1);
    if (read.error) {
        l.error = writeProblem(path, read.error);
        return l;
    }
    const int imageSize = configFileImageSize(modelCode);
    const std::optional<ConfigFile::Content> content = ConfigFile::parse(read.bytes, imageSize);
    if (!content) {
        l.error = QStringLiteral("%1: not a configuration file of ModelCode %2 (%3 bytes)")
                      .arg(QDir::toNativeSeparators(path))
                      .arg(modelCode)
                      .arg(read.bytes.size());
        return l;
    }
    std::memcpy(l.image.data(), content->image.constData(), size_t(imageSize));
    l.carriedBytes = imageSize;
    if (modelCode != kCodeRecordModel)
        if (const std::optional<QByteArray> extra = extraBytesOf(path)) {
            std::memcpy(l.image.data() + imageSize, extra->constData(), size_t(extra->size()));
            l.carriedBytes = kBlockAreaEnd;
        }
    l.ok = true;
    return l;
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
    const ModuleKey key = keyOf(module, modelCode, moduleVersion);
    const QDateTime utc = when.toUTC();
    const QString path = QDir(folder_).filePath(
        QStringLiteral("%1_%2.dat").arg(utc.toString(kTimeFormat), key.text()));
    const int imageSize = configFileImageSize(modelCode);
    const QByteArray image(reinterpret_cast<const char*>(module.data()), imageSize);

    // The extra bytes first: a configuration file without them would look
    // like a whole backup.
    const QString extraPath = extraPathOf(path);
    const bool extra = modelCode != kCodeRecordModel && transfersByBlocks(moduleVersion);
    if (extra) {
        const QByteArray rest(reinterpret_cast<const char*>(module.data()) + imageSize,
                              kBlockAreaEnd - imageSize);
        if (const FileAccess::Error e = FileAccess::writeWhole(extraPath, rest)) {
            r.error = writeProblem(extraPath, e);
            return r;
        }
    }
    if (const FileAccess::Error e = FileAccess::writeWhole(path, ConfigFile::build(image, {}))) {
        if (extra)
            QFile::remove(extraPath);
        r.error = writeProblem(path, e);
        return r;
    }
    r.ok = true;
    r.path = path;

    const QDateTime youngFrom = utc.addDays(-kKeptDays);
    const std::vector<Backup> mine = backupsOf(key);
    for (size_t i = kKeptPerModule; i < mine.size(); ++i) {
        const Backup& b = mine[i];
        if (b.taken > youngFrom || b.path == path)
            continue;
        QFile::remove(b.path);
        QFile::remove(extraPathOf(b.path));
    }
    return r;
}
