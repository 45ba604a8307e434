// The command line's safety net around a write: backup first, read-back after.
#include "cli/cli_session.h"

#include "image/module_version.h"
#include "safety/backup_store.h"
#include "safety/safety_settings.h"
#include "safety/write_verify.h"
#include "settings/edition.h"

#include <QDir>
#include <cstdio>

namespace {
// The command line speaks English, as its engine does.
constexpr int kEnglish = 1;

void printLine(FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}
} // namespace

void printBackups(const std::vector<BackupStore::Backup>& backups,
                  const BackupStore::ModuleKey* module) {
    for (const BackupStore::Backup& b : backups)
        printLine(stdout,
                  QStringLiteral("%1  ModelCode %2  account %3  %4%5")
                      .arg(b.taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                      .arg(b.key.modelCode)
                      .arg(b.key.account, QDir::toNativeSeparators(b.path),
                           module && b.otherNumbers(*module)
                               ? QStringLiteral("  (other phone numbers: maybe another module)")
                               : QString()));
}

void CliSession::listBackupsOfModule() {
    reportTransfer("read-all");
    const BackupStore store;
    const BackupStore::ModuleKey key =
        BackupStore::keyOf(image_, modelCode_, engine_->state().ModuleVersion);
    const std::vector<BackupStore::Backup> backups = store.backupsFor(key);
    if (backups.empty())
        printLine(stderr,
                  QStringLiteral("No backups of this module (ModelCode %1, account %2) in %3")
                      .arg(modelCode_)
                      .arg(key.account, QDir::toNativeSeparators(store.folder())));
    printBackups(backups, &key);
    finish(CliExit::kDone);
}

bool CliSession::backupBeforeWrite() {
    BackupStore store;
    const BackupStore::Result r = store.save(image_, modelCode_, engine_->state().ModuleVersion);
    if (!r.ok) {
        fail(CliExit::kBadInput,
             QStringLiteral("the backup of the module cannot be written (%1); nothing was written")
                 .arg(r.error));
        return false;
    }
    printLine(stdout, QStringLiteral("Backup of the module as it was: %1").arg(r.path));
    return true;
}

void CliSession::startVerify() {
    if (!SafetySettings::verifyAfterWrite(settingsKeyPath(buildBrandCode()))) {
        printLine(stdout, QStringLiteral("Not verified (the verify setting is off)"));
        return finish(CliExit::kDone);
    }
    sent_ = image_;
    printLine(stderr, QStringLiteral("Reading back what was written"));
    enterPhase(Phase::Verify);
    engine_->state().Pace = 0;
    engine_->startReadAll();
}

void CliSession::verifyDone() {
    reportTransfer("verify-read");
    const int version = engine_->state().ModuleVersion;
    const auto differences =
        WriteVerify::compare(sent_, image_, modelCode_, version, companyStarred_);
    if (differences.empty()) {
        printLine(stdout, QStringLiteral("Verified: the module holds what was written"));
        return finish(CliExit::kDone);
    }
    printLine(stdout, QStringLiteral("NOT VERIFIED: %1 byte(s) differ from what was written")
                          .arg(differences.size()));
    for (const QString& line :
         WriteVerify::describe(differences, sent_, image_, modelCode_, kEnglish))
        printLine(stdout, QStringLiteral("  ") + line);
    finish(CliExit::kNotVerified);
}
