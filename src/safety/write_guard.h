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

// The configurator's safety net around "Elküldés": the attached module is
// identified (version and model bytes) and refused unless it is the module
// the window is set up for; it is then read and kept as a backup, the window's
// image is written over what that read found (only what differs, unless the
// full send was asked for), and the module is read back and compared with
// what was sent.
//
// From the first exchange to the end of the read-back the send owns the
// window's gauge (one bar through backup, write and check), keeps "Elküldés"
// and "Olvasás" off and holds back the engine's success text: an installer
// who sees success may pull the cable, so success is said only once the
// read-back has ended. Operations started on the window's engine meanwhile
// are refused as during the write itself. A send never waits for a port: if
// it cannot be opened, or goes, the send is dropped with a word and nothing
// is written later to whatever module is plugged in next.
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
        WrongModule,  // another module than the window's is attached; nothing was written
        NoPort,       // the port could not be opened or went; nothing more was written
    };

    explicit WriteGuard(Setup setup);
    ~WriteGuard();

    // The send: identification, backup read, backup, write-all, then (when
    // enabled) the read-back. full: every position is written, not only those
    // that differ from what the backup read found.
    void startWrite(bool full = false);
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
    // From the identification to the end of the read-back.
    bool sendRunning() const { return sending_; }

    // The window's gauge, buttons and status while a send runs: the send's
    // own engines report through the window, and these map or hold what they
    // report. gaugePosition: the bar's value for a phase's own value.
    void setPhaseMaximum(int maximum) { phaseMaximum_ = maximum > 0 ? maximum : 1; }
    int gaugePosition(int value) const;
    // true: the text is the write's success, held until the read-back has ended.
    bool holdStatus(const QString& text);
    // An operation has started on the window's engine; the verify panel's
    // outcome of an earlier send is cleared unless it belongs to this send.
    void operationStarted();
    Outcome outcome() const { return outcome_; }
    const std::vector<WriteVerify::Difference>& differences() const { return differences_; }
    QStringList report() const { return report_; }
    QString lastBackup() const { return lastBackup_; }

  private:
    enum class Phase { Idle, Identify, BackupRead, Writing, ReadBack, CompareRead };
    static constexpr int kPhaseSpan = 1000; // the gauge's steps for each phase of a send
    class ReadView;

    void startRead(Phase phase);
    void readFinished();
    void takePortBack();
    void verifyPanel(const char* key, bool failed = false);
    void abandonReadBack();
    // The send ends: buttons on, gauge hidden, the engine free again.
    void endSend(const QString& status);
    void refuseSend(Outcome outcome, const QString& why);
    int gaugePhase() const;
    QString successText();
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
    bool sending_ = false;
    bool fullWrite_ = false;
    int phaseMaximum_ = 1;
    int identifiedModel_ = 0;
    int identifiedVersion_ = 0;
    QString heldSuccess_; // the write's success text, shown once the read-back has ended
};
