#pragma once
#include "engine/link_engine.h"
#include "engine/link_view.h"
#include "image/config_image.h"
#include "image/image_values.h"
#include "safety/write_verify.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The configurator's safety net around "Elküldés": the module is read first
// and kept as a backup, then the window's image is written, then the module
// is read back and compared with what was sent.
//
// The read-back leaves the window's buttons on and its status text standing
// (the write itself succeeded); the verify panel tells the outcome, and a
// difference replaces the status text and is shown in a message. Anything
// the installer starts meanwhile replaces the read-back, which then counts as
// not verified.
//
// The reads run on an engine of their own over the same port, into an image
// of their own: the window's image and pages never see the module's bytes of
// a backup or a read-back, however either ends. While one of these reads runs
// the guard takes the window's ticks and the port's bytes; the port passes
// from engine to engine open as it is.
//
// Why read first rather than trust the window's last read: "as it was" must
// be the module's memory at the moment of the write. Since a read in this
// window the module may have been swapped for another of the same model, or
// changed by another tool or by the installer at the keypad; a file opened
// into the window holds no module at all. Reading again costs one read-all (a
// second and a half by blocks, the same as the write by bytes) and is the
// only backup that is certainly of this module.
class WriteGuard {
  public:
    struct Setup {
        SerialChannel* channel = nullptr;
        LinkEngine* engine = nullptr; // the window's engine, which writes
        ConfigImage* image = nullptr; // the window's image, which is written
        LinkView* view = nullptr;     // the window: status, gauge, buttons, messages
        LinkEngineConfig config;      // port name and start-window gate for the reads
        std::function<int()> language;
        std::function<bool()> companyStarred;
        std::function<bool()> verifyEnabled;
        std::function<QString()> backupFolder; // empty: the default folder
        // The verify panel beside the status text: "checking", "verified",
        // "NOT verified"; failed marks it as a fault.
        std::function<void(const QString& text, bool failed)> showVerify;
    };

    enum class Outcome {
        None,
        Verified,     // the module holds every checked byte that was sent
        Differs,      // it does not; `differences` says where
        NotVerified,  // the verify setting is off
        Abandoned,    // another operation replaced the read-back
        BackupFailed, // nothing was written
    };

    explicit WriteGuard(Setup setup);
    ~WriteGuard();

    // The send: backup read, backup, write-all, then (when enabled) the read-back.
    void startWrite();
    // A read of the module for a comparison, into the guard's own image.
    // `bytesRead`: how much of the image the read filled (its read-all's extent).
    // Refused with a message (false) while a write runs.
    bool readModule(std::function<void(const ConfigImage&, int bytesRead)> done);

    // The window's ticks and received bytes: true when the guard's engine took them.
    bool tick();
    bool receive(const QByteArray& bytes);
    void portLost();
    // The window's engine has finished a write-all (its clock acknowledged).
    void writeAllDone();
    // While the write of a send starts: the module's bytes its backup read has
    // just found, onto which the window puts the fields it shows; otherwise
    // null (a write that is not a send).
    const ConfigImage* sendBase() const { return startingSend_ ? &readImage_ : nullptr; }
    // The fields the window showed when the send's image was made: the
    // read-back must find every one of them in the module.
    void sending(const ImageValues& shown) { shown_ = shown; }
    // The verify panel and the list of differences again, in the language now.
    void applyLanguage();

    bool busy() const { return phase_ != Phase::Idle && phase_ != Phase::Writing; }
    Outcome outcome() const { return outcome_; }
    const std::vector<WriteVerify::Difference>& differences() const { return differences_; }
    QStringList report() const { return report_; }
    QString lastBackup() const { return lastBackup_; }

  private:
    enum class Phase { Idle, BackupRead, Writing, ReadBack, CompareRead };
    class ReadView;

    void startRead(Phase phase);
    void readFinished();
    void takePortBack();
    void verifyPanel(const char* key, bool failed = false);
    void abandonReadBack();
    QStringList differenceReport() const;
    QString text(const char* key) const;

    Setup s_;
    std::unique_ptr<ReadView> readView_;
    ConfigImage readImage_;
    std::unique_ptr<LinkEngine> reader_;
    Phase phase_ = Phase::Idle;
    bool readComplete_ = false;
    bool startingSend_ = false;
    std::optional<ImageValues> shown_;
    QStringList fieldsNotHeld_;
    ConfigImage sent_;
    ConfigImage readBack_; // what the last read-back found
    const char* panelKey_ = nullptr;
    bool panelFailed_ = false;
    Outcome outcome_ = Outcome::None;
    std::vector<WriteVerify::Difference> differences_;
    QStringList report_;
    QString lastBackup_;
    std::function<void(const ConfigImage&, int)> compareDone_;
};
