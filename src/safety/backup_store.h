#pragma once
#include "image/config_image.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// Keeps the module's configuration as it was before each write, as a
// configuration file the window's "Megnyitás", its restore and `alvento
// write` take back.
//
// Files are named <UTC time>_M<model>_A<account>[_P<digest>].dat, for example
// 2026-03-01T093000-000Z_M71_A1234.dat, so that an installer finds a module
// by its model and Contact ID account. Modules of ModelCodes 70..90 from
// version 3.3 hold 1024..1535 beyond what a configuration file carries; those
// bytes go beside it in <same name>.1024-1535.bin. Backups of the earlier
// format, named by local time (2026-03-01_103000-000_M71_A1234.dat), are
// listed, restored and kept as well.
//
// Which module a backup is of. A read shows no identity of the module itself:
// its own bytes (75 and 123..255) hold its state, software version and build,
// which modules of one model share; the IMEI comes only from a modem command,
// which leaves the modem in pass-through until the module restarts and so
// has no place in a send. What tells one installation from another in what a
// read gives is the Contact ID account, given by the monitoring station. A
// module without one (ModelCode 100, a byte module of 70..90, whose read ends
// before the account, or an erased account) is told apart by the eight phone
// numbers it calls, which belong to the installation's people and change
// seldom after the first day; their digest completes the name. A module whose
// numbers have changed since gets a key of its own, which keeps the older
// backups rather than losing them.
class BackupStore {
  public:
    // At least the newest backups kept per module, and besides every backup
    // younger than kKeptDays. A module is written a few times on the day it is
    // installed and then rarely: ten reach back past a day of trial writes,
    // the days cover a month of them, and at under 10 KB each the folder
    // stays small however many modules an installer serves. The newest backup
    // of a module is never removed.
    static constexpr int kKeptPerModule = 10;
    static constexpr int kKeptDays = 30;

    // <user data folder>/Alvento Configurator/backups: the window's
    // QStandardPaths::AppDataLocation, and the same folder for the command
    // line, whose application name differs.
    static QString defaultFolder();

    explicit BackupStore(QString folder = defaultFolder());

    struct ModuleKey {
        int modelCode = 0;
        QString account;      // as the "Ügyfélkód:" edit shows it; "none" without one
        QString installation; // without an account: digest of the phone numbers
        // "M71_A1234", "M100_Anone_P0123abcd": the name's part after the time.
        QString text() const;
        bool operator==(const ModuleKey&) const = default;
    };
    // The key of the module whose complete read gave `module`.
    static ModuleKey keyOf(const ConfigImage& module, int modelCode, int moduleVersion);

    struct Backup {
        QString path;
        QDateTime taken; // UTC
        ModuleKey key;
        // Taken of a module that called other phone numbers than `module`'s
        // key tells: another module, or this one before its numbers changed.
        bool otherNumbers(const ModuleKey& module) const {
            return !key.installation.isEmpty() && key.installation != module.installation;
        }
    };

    struct Result {
        bool ok = false;
        QString path;                  // the configuration file written
        QString error;                 // why not, as the installer should read it (in English)
        bool folderNotCreated = false; // why not: the folder could not be made
    };

    // Saves `module` (the image a complete read of the module gave) for a
    // module of this model and version; then removes the backups of the same
    // module that are neither among its newest kKeptPerModule nor younger
    // than kKeptDays at `when`. Nothing is removed when the save fails, and
    // never the backup just saved (a clock set back can make it look oldest).
    Result save(const ConfigImage& module, int modelCode, int moduleVersion,
                const QDateTime& when = QDateTime::currentDateTimeUtc());

    QString folder() const { return folder_; }
    // Every backup in the folder, newest first.
    std::vector<Backup> all() const;
    // The backups of one key, newest first.
    std::vector<Backup> backupsOf(const ModuleKey& key) const;
    // What the module of `key` may have been backed up as: the same model and
    // account, whatever phone numbers it called then. Newest first, those
    // with its present numbers (or of the earlier names, which kept none)
    // before the others.
    std::vector<Backup> backupsFor(const ModuleKey& key) const;

    struct Loaded {
        bool ok = false;
        ConfigImage image;
        int carriedBytes = 0; // image bytes 0..carriedBytes-1 come from the backup
        QString error;
    };
    // A backup's image for a module of this model: the configuration file's
    // image and, for ModelCodes 70..90, 1024..1535 from beside it when kept.
    static Loaded load(const QString& path, int modelCode);
    // The 512 bytes 1024..1535 kept beside a configuration file, if they are.
    static std::optional<QByteArray> extraBytesOf(const QString& configFile);

    // The Contact ID account the file name carries: four characters as the
    // "Ügyfélkód:" edit shows them, "none" for a module without one (ModelCode
    // 100 keeps no account in its image, a byte module's read ends before it).
    static QString accountOf(const ConfigImage& module, int modelCode, int moduleVersion);

  private:
    QString folder_;
};
