#pragma once
#include "image/config_image.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Keeps the module's configuration as it was before each write, as a
// configuration file the window's "Megnyitás" and `alvento write` take back.
//
// Files are named <date>_<time>_M<model>_A<account>.dat, so that sorting by
// name is sorting by time and an installer finds a module by its model and
// Contact ID account. Modules of ModelCodes 70..90 from version 3.3 hold
// 1024..1535 beyond what a configuration file carries; those bytes go beside
// it in <same name>.1024-1535.bin.
class BackupStore {
  public:
    // The newest backups kept per module (model and account). A module is
    // written a few times on the day it is installed and then rarely: ten
    // reach back past a day of trial writes, and at under 10 KB each the
    // folder stays small however many modules an installer serves.
    static constexpr int kKeptPerModule = 10;

    // <user data folder>/Alvento Configurator/backups: the window's
    // QStandardPaths::AppDataLocation, and the same folder for the command
    // line, whose application name differs.
    static QString defaultFolder();

    explicit BackupStore(QString folder = defaultFolder());

    struct Result {
        bool ok = false;
        QString path;                  // the configuration file written
        QString error;                 // why not, as the installer should read it (in English)
        bool folderNotCreated = false; // why not: the folder could not be made
    };

    // Saves `module` (the image a complete read of the module gave) for a
    // module of this model and version; then removes the oldest backups of
    // the same module beyond kKeptPerModule. Nothing is removed when the save
    // fails.
    Result save(const ConfigImage& module, int modelCode, int moduleVersion,
                const QDateTime& when = QDateTime::currentDateTime());

    QString folder() const { return folder_; }
    // The configuration files of one module, oldest first.
    QStringList backupsOf(int modelCode, const QString& account) const;

    // The Contact ID account the file name carries: four characters as the
    // "Ügyfélkód:" edit shows them, "none" for a module without one (ModelCode
    // 100 keeps no account in its image).
    static QString accountOf(const ConfigImage& module, int modelCode);

  private:
    QString folder_;
};
