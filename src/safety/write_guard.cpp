#include "safety/write_guard.h"

#include "i18n/messages.h"
#include "image/image_extent.h"
#include "image/module_version.h"
#include "safety/backup_store.h"

#include <QDir>
#include <algorithm>
#include <utility>

namespace {
constexpr int kShownDifferences = 3;

// Read-all and write-all: they turn the transfer buttons off and on themselves.
bool transferCode(int32_t code) {
    return code == LinkCode::kByteRead || code == LinkCode::kByteWrite ||
           code == LinkCode::kRecordWrite || code == LinkCode::kRecordRead ||
           code == LinkCode::kBlockRead || code == LinkCode::kBlockWrite;
}
} // namespace

// The reading engine's view: gauge and port texts go to the window, the
// engine's own read texts are replaced by the guard's, and the buttons stay
// off until the guard has finished.
class WriteGuard::ReadView : public LinkView {
  public:
    explicit ReadView(WriteGuard& guard) : g_(guard) {}
    void showPortName(const QString& name) override { g_.s_.view->showPortName(name); }
    void showModuleVersion(const QString&) override {}
    void showStatus(const QString& text) override {
        // The port problems are worth telling; "readout in progress/done" is not.
        const int lang = g_.s_.language ? g_.s_.language() : 0;
        if (text == message("engine.readout_running", lang) ||
            text == message("engine.readout_done", lang))
            return;
        g_.s_.view->showStatus(text);
    }
    void setGaugeMaximum(int maximum) override { g_.s_.view->setGaugeMaximum(maximum); }
    void setGaugeValue(int value) override { g_.s_.view->setGaugeValue(value); }
    void setGaugeVisible(bool visible) override { g_.s_.view->setGaugeVisible(visible); }
    void setTransferButtonsEnabled(bool enabled) override {
        // A read-back leaves the buttons as the write left them.
        if (!enabled && g_.phase_ != Phase::ReadBack)
            g_.s_.view->setTransferButtonsEnabled(false);
    }
    void showMessage(const QString& text) override { g_.s_.view->showMessage(text); }
    void encode() override {}
    // Called by the engine when its read-all is complete.
    void decode() override { g_.readComplete_ = true; }
    void runPageShowLogic() override {}
    void applyVersionRules() override {}
    void resetOutput2TimeUnit() override {}
    void showTime(const QString& text) override { g_.s_.view->showTime(text); }
    void setTickInterval(int milliseconds) override { g_.s_.view->setTickInterval(milliseconds); }
    void ticksNeeded() override { g_.s_.view->ticksNeeded(); }

  private:
    WriteGuard& g_;
};

WriteGuard::WriteGuard(Setup setup) : s_(std::move(setup)) {
    readView_ = std::make_unique<ReadView>(*this);
    reader_ = std::make_unique<LinkEngine>(*s_.channel, *readView_, readImage_, s_.config);
}

WriteGuard::~WriteGuard() = default;

QString WriteGuard::text(const char* key) const {
    return message(key, s_.language ? s_.language() : 0);
}

void WriteGuard::startRead(Phase phase) {
    LinkEngine& main = *s_.engine;
    reader_->setModelCode(main.modelCode());
    reader_->setLanguage(s_.language ? s_.language() : 0);
    reader_->setModuleVersion(main.state().ModuleVersion);
    // Whatever the window's engine had pending (a version query) is replaced,
    // as any new operation replaces it. A read that replaces one of the
    // guard's own keeps the port as it has it.
    if (!busy())
        main.passLinkTo(*reader_);
    readComplete_ = false;
    phase_ = phase;
    if (phase == Phase::Identify)
        reader_->startIdentify();
    else
        reader_->startReadAll();
}

int WriteGuard::gaugePhase() const {
    switch (phase_) {
    case Phase::Writing:
        return 1;
    case Phase::ReadBack:
        return 2;
    default:
        return 0;
    }
}

int WriteGuard::gaugePosition(int value) const {
    const int v = std::clamp(value, 0, phaseMaximum_);
    // The two bytes of the identification take no share of the bar.
    const int within = phase_ == Phase::Identify ? 0 : kPhaseSpan * v / phaseMaximum_;
    return kPhaseSpan * gaugePhase() + within;
}

bool WriteGuard::holdStatus(const QString& status) {
    if (!sending_ || (phase_ != Phase::Writing && phase_ != Phase::ReadBack))
        return false;
    const int lang = s_.language ? s_.language() : 0;
    if (status != message("engine.send_done", lang) &&
        status != message("engine.clock_sync_done", lang))
        return false;
    heldSuccess_ = status;
    return true;
}

QString WriteGuard::successText() {
    const QString held = std::exchange(heldSuccess_, QString());
    return held.isEmpty() ? text("engine.send_done") : held;
}

void WriteGuard::operationStarted() {
    if (!sending_ && phase_ != Phase::CompareRead)
        verifyPanel(nullptr);
}

void WriteGuard::endSend(const QString& status) {
    sending_ = false;
    s_.engine->setWriteComing(false);
    s_.view->setGaugeVisible(false);
    s_.view->setTransferButtonsEnabled(true);
    if (!status.isNull())
        s_.view->showStatus(status);
}

void WriteGuard::refuseSend(Outcome outcome, const QString& why) {
    phase_ = Phase::Idle;
    takePortBack();
    outcome_ = outcome;
    report_ = {why};
    endSend(why);
    s_.view->showMessage(why);
}

void WriteGuard::takePortBack() {
    reader_->passLinkTo(*s_.engine);
}

void WriteGuard::verifyPanel(const char* key, bool failed) {
    panelKey_ = key;
    panelFailed_ = failed;
    if (s_.showVerify)
        s_.showVerify(key ? text(key) : QString(), failed);
}

void WriteGuard::applyLanguage() {
    switch (outcome_) {
    case Outcome::Verified:
        report_ = {text("safety.verified")};
        break;
    case Outcome::Abandoned:
        report_ = {text("safety.verify_abandoned")};
        break;
    case Outcome::Differs:
        if (shown_)
            fieldsNotHeld_ = WriteVerify::fieldsNotHeld(
                *shown_, sent_, readBack_, s_.engine->modelCode(), s_.engine->state().ModuleVersion,
                s_.companyStarred && s_.companyStarred(), s_.language ? s_.language() : 0);
        report_ = differenceReport();
        break;
    default:
        break;
    }
    if (panelKey_)
        verifyPanel(panelKey_, panelFailed_);
}

QStringList WriteGuard::differenceReport() const {
    QStringList lines = fieldsNotHeld_;
    for (const QString& line :
         WriteVerify::describe(differences_, sent_, readBack_, s_.engine->modelCode(),
                               s_.language ? s_.language() : 0))
        if (!lines.contains(line))
            lines << line;
    return lines;
}

void WriteGuard::abandonReadBack() {
    outcome_ = Outcome::Abandoned;
    report_ = {text("safety.verify_abandoned")};
    verifyPanel("safety.verify_abandoned", true);
}

void WriteGuard::startWrite(bool full) {
    // A second send while one runs (the menu item stays enabled) would cut
    // the write short and back up a half-written module: the first goes on.
    if (sending_ || phase_ == Phase::BackupRead || (phase_ == Phase::Writing && s_.engine->busy()))
        return;
    // Another write (a PSTN send, the caller-ID memory) is not cut short.
    if (s_.engine->refuseWhileWriting())
        return;
    if (phase_ == Phase::ReadBack)
        abandonReadBack();
    verifyPanel(nullptr);
    outcome_ = Outcome::None;
    differences_.clear();
    report_.clear();
    fullWrite_ = full;
    heldSuccess_.clear();
    s_.view->setTransferButtonsEnabled(false);
    s_.view->setGaugeMaximum(3 * kPhaseSpan);
    s_.view->setGaugeValue(0);
    s_.view->setGaugeVisible(true);
    sending_ = true;
    s_.view->showStatus(text("safety.identify_running"));
    startRead(Phase::Identify);
    s_.engine->setWriteComing(true);
}

bool WriteGuard::readModule(std::function<void(const ConfigImage&, int)> done) {
    // A comparison during a send would cut the write short.
    if (sending_ || phase_ == Phase::BackupRead || s_.engine->writeRunning()) {
        s_.view->showMessage(text("safety.compare_busy"));
        return false;
    }
    if (phase_ == Phase::ReadBack)
        abandonReadBack();
    compareDone_ = std::move(done);
    s_.view->setTransferButtonsEnabled(false);
    s_.view->showStatus(text("safety.compare_reading"));
    startRead(Phase::CompareRead);
    return true;
}

bool WriteGuard::tick() {
    if (phase_ == Phase::Writing && sending_ && !s_.engine->busy()) {
        // The write ended without its clock acknowledged (replaced or refused).
        phase_ = Phase::Idle;
        endSend(QString());
        return false;
    }
    if (!busy())
        return false;
    // The window asks the module's version at every activation; that query
    // waits for the guard's read (the read-all tells the version anyway).
    s_.engine->dropActivationQuery();
    if (s_.engine->busy()) {
        const int32_t command = s_.engine->state().LinkCommand;
        // The installer started something else through the window's engine.
        const Phase was = phase_;
        phase_ = Phase::Idle;
        takePortBack();
        if (was == Phase::ReadBack)
            abandonReadBack();
        else if (!transferCode(command))
            s_.view->setTransferButtonsEnabled(true); // a transfer gives them back itself
        if (was == Phase::BackupRead || was == Phase::Identify) {
            s_.engine->setWriteComing(false);
            s_.view->showStatus(QString());
        }
        if (sending_)
            endSend(QString());
        return false;
    }
    reader_->tick();
    if (sending_ && reader_->waitingForPort()) {
        // Waiting would send, minutes later, to whatever module is attached
        // then; the installer sends again when the port is there.
        if (phase_ == Phase::ReadBack) {
            phase_ = Phase::Idle;
            takePortBack();
            abandonReadBack();
            endSend(text("safety.no_port_for_send"));
        } else {
            refuseSend(Outcome::NoPort, text("safety.no_port_for_send"));
        }
        return true;
    }
    if (readComplete_)
        readFinished();
    return true;
}

bool WriteGuard::receive(const QByteArray& bytes) {
    if (!busy())
        return false;
    reader_->receive(bytes);
    if (readComplete_)
        readFinished();
    return true;
}

void WriteGuard::portLost() {
    if (phase_ == Phase::Writing && sending_) {
        // The window's engine says so and gives the buttons back once the
        // send has let go of them.
        phase_ = Phase::Idle;
        outcome_ = Outcome::NoPort;
        endSend(QString());
        return;
    }
    if (!busy())
        return;
    reader_->portLost();
    if (phase_ == Phase::ReadBack)
        abandonReadBack();
    else if (sending_)
        outcome_ = Outcome::NoPort;
    phase_ = Phase::Idle;
    takePortBack();
    if (sending_)
        endSend(QString());
    s_.engine->setWriteComing(false);
    s_.view->setTransferButtonsEnabled(true);
}

void WriteGuard::readFinished() {
    readComplete_ = false;
    const Phase was = phase_;
    phase_ = Phase::Idle;
    takePortBack();
    LinkEngine& main = *s_.engine;

    switch (was) {
    case Phase::Identify: {
        identifiedVersion_ = readImage_[ImageAddress::kModuleVersion];
        identifiedModel_ = readImage_[ImageAddress::kModelCode];
        // The window's pages, its transfer method and extent are those of
        // the module it was set up for; written into another they would put
        // this installation's bytes where that module keeps other things.
        if (identifiedModel_ != main.modelCode() ||
            identifiedVersion_ != main.state().ModuleVersion) {
            refuseSend(Outcome::WrongModule,
                       text("safety.wrong_module")
                           .arg(identifiedModel_)
                           .arg(versionNumberText(identifiedVersion_))
                           .arg(main.modelCode())
                           .arg(versionNumberText(main.state().ModuleVersion)));
            return;
        }
        s_.view->showStatus(text("safety.backup_running"));
        startRead(Phase::BackupRead);
        return;
    }
    case Phase::BackupRead: {
        // The backup read ends just before the write: the module it found is
        // the one written, and it must still be the one identified.
        if (readImage_[ImageAddress::kModelCode] != identifiedModel_ ||
            readImage_[ImageAddress::kModuleVersion] != identifiedVersion_) {
            refuseSend(Outcome::WrongModule,
                       text("safety.wrong_module")
                           .arg(readImage_[ImageAddress::kModelCode])
                           .arg(versionNumberText(readImage_[ImageAddress::kModuleVersion]))
                           .arg(main.modelCode())
                           .arg(versionNumberText(main.state().ModuleVersion)));
            return;
        }
        BackupStore store(s_.backupFolder && !s_.backupFolder().isEmpty()
                              ? s_.backupFolder()
                              : BackupStore::defaultFolder());
        // Named by the module's own model and version, as it just told them.
        const BackupStore::Result r = store.save(readImage_, identifiedModel_, identifiedVersion_);
        if (!r.ok) {
            main.setWriteComing(false);
            outcome_ = Outcome::BackupFailed;
            const QString why = r.folderNotCreated
                                    ? text("safety.backup_folder_not_created")
                                          .arg(QDir::toNativeSeparators(store.folder()))
                                    : r.error;
            report_ = {text("safety.backup_failed").arg(why)};
            endSend(report_.front());
            s_.view->showMessage(report_.front());
            return;
        }
        lastBackup_ = r.path;
        // The module keeps these whatever is sent; a block write carries the
        // module's own, which this read has just seen.
        for (int a : {int(ImageAddress::kModuleOwnedByte), int(ImageAddress::kModuleVersion),
                      int(ImageAddress::kModelCode)})
            (*s_.image)[a] = readImage_[a];
        phase_ = Phase::Writing;
        shown_.reset();
        startingSend_ = true;
        main.startWriteAll(fullWrite_ ? nullptr : &readImage_);
        startingSend_ = false;
        return;
    }
    case Phase::ReadBack: {
        const int model = main.modelCode();
        const int version = main.state().ModuleVersion;
        const bool starred = s_.companyStarred && s_.companyStarred();
        const int language = s_.language ? s_.language() : 0;
        differences_ = WriteVerify::compare(sent_, readImage_, model, version, starred);
        // Each field the window shows is named by its shown value where the
        // module does not hold it.
        fieldsNotHeld_ = shown_ ? WriteVerify::fieldsNotHeld(*shown_, sent_, readImage_, model,
                                                             version, starred, language)
                                : QStringList();
        if (differences_.empty() && fieldsNotHeld_.empty()) {
            outcome_ = Outcome::Verified;
            report_ = {text("safety.verified")};
            verifyPanel("safety.verified");
            endSend(successText());
            return;
        }
        endSend(QString());
        outcome_ = Outcome::Differs;
        readBack_ = readImage_;
        report_ = differenceReport();
        verifyPanel("safety.verify_failed", true);
        const QStringList shown = report_.mid(0, kShownDifferences);
        const QString summary =
            text("safety.not_verified")
                .arg(differences_.size())
                .arg(shown.join(QStringLiteral("; ")) +
                     (report_.size() > kShownDifferences ? QStringLiteral("; ...") : QString()));
        s_.view->showStatus(summary);
        s_.view->showMessage(text("safety.not_verified")
                                 .arg(differences_.size())
                                 .arg(QStringLiteral("\n") + report_.join(QLatin1Char('\n'))));
        return;
    }
    case Phase::CompareRead: {
        s_.view->setGaugeVisible(false);
        s_.view->setTransferButtonsEnabled(true);
        s_.view->showStatus(QString());
        const ImageExtent extent =
            exchangedExtent(main.modelCode(), reader_->state().ModuleVersion);
        if (auto done = std::move(compareDone_))
            done(readImage_, extent.read.back().last + 1);
        return;
    }
    case Phase::Idle:
    case Phase::Writing:
        return;
    }
}

void WriteGuard::writeAllDone() {
    if (phase_ != Phase::Writing)
        return;
    phase_ = Phase::Idle;
    if (s_.verifyEnabled && !s_.verifyEnabled()) {
        outcome_ = Outcome::NotVerified;
        verifyPanel("safety.verify_off");
        endSend(successText());
        return;
    }
    sent_ = *s_.image;
    verifyPanel("safety.verify_running");
    // The clock's "in progress" text would otherwise stand through the check.
    s_.view->showStatus(text("safety.verify_running"));
    startRead(Phase::ReadBack);
    // Nothing may cut the read-back short: it is what proves the send.
    s_.engine->setWriteComing(true);
}
