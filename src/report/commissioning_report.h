#pragma once
#include "image/config_file.h"
#include "image/config_image.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// The commissioning report ("Telepítési jegyzőkönyv") an installer leaves
// with the customer and the alarm company: what was set, on which module,
// when, and whether the module was seen to hold it. An A4 PDF, laid out by
// Qt's own text layout and PDF writer.
//
// Only what the tool knows goes in: a fact it has not read in this run (the
// IMEI, a send, a status poll) is left out rather than guessed.
namespace CommissioningReport {

// The last send of this run, as the safety net ended it.
struct SendResult {
    enum class Check {
        Verified,     // the read-back found every byte that was sent
        Differs,      // it did not; `differences` names the fields
        NotVerified,  // the read-back is turned off
        Abandoned,    // another operation replaced the read-back
        BackupFailed, // nothing was written
    };
    Check check = Check::Verified;
    QString backupFile;      // file name of the backup kept before the write; empty: none
    QStringList differences; // one line per differing field, or the failure
};

// The last live status the status window showed in this run.
struct StatusPoll {
    int signal = 0;       // 0..31
    QString registration; // the network state as the window showed it
};

struct Facts {
    int brandCode = 0;
    int modelCode = 0;
    ConfigImage image;
    // How much of `image` holds settings: a configuration file of ModelCodes
    // 70..90 carries 1024 bytes, so fields beyond them are not known.
    int imageBytes = ConfigImage::kSize;
    ConfigFile::InstallationTexts installation;
    QString imei; // empty: not read in this run
    std::optional<SendResult> lastSend;
    std::optional<StatusPoll> lastStatus;
    QDateTime generated;
};

// The software version x 10 and the build number the image holds at the
// module's own bytes 254 and 252; nothing where the image never came from a
// module (erased bytes).
std::optional<int> moduleVersion(const ConfigImage& image);
int moduleBuild(const ConfigImage& image);

// The report as rich text (the subset of HTML that QTextDocument lays out).
QString html(const Facts& facts, int language);

// The PDF's bytes, A4.
QByteArray pdf(const Facts& facts, int language);

// Writes the PDF to `path`; on failure the reason, in `language`, and false.
// A path that cannot be written is found out before any layout is done.
bool write(const Facts& facts, int language, const QString& path, QString* error);

} // namespace CommissioningReport
