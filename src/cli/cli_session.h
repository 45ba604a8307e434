#pragma once
#include "cli/headless_view.h"
#include "discovery/identify_handshake.h"
#include "engine/link_engine.h"
#include "image/config_image.h"
#include "image/image_extent.h"
#include "safety/backup_store.h"
#include "serial/tasyncomm32.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

// Exit status of the command-line mode.
namespace CliExit {
inline constexpr int kDone = 0;
inline constexpr int kBadInput = 2;  // arguments, files, or a port that cannot be opened
inline constexpr int kNoAnswer = 3;  // the module stopped answering for the timeout
inline constexpr int kNotServed = 4; // a model only its own device window configures
inline constexpr int kNotVerified = 5; // the module does not hold what was written
} // namespace CliExit

// Counts what the engine writes, so a transfer can be set against the time its
// bytes need on the line.
class CountingChannel : public SerialChannel {
  public:
    explicit CountingChannel(TAsynComm32& port) : port_(port) {}
    void setDeviceName(const QString& name) override { port_.setDeviceName(name); }
    QString deviceName() const override { return port_.deviceName(); }
    void setBaudRate(int baud) override { port_.setBaudRate(baud); }
    int baudRate() const override { return port_.baudRate(); }
    void open() override { port_.open(); }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    int write(const QByteArray& bytes) override;

    qint64 sent = 0;
    qint64 received = 0;
    qint64 firstWriteMs = -1; // on the phase clock
    qint64 lastReceiveMs = -1;
    const QElapsedTimer* clock = nullptr;

    void restart(const QElapsedTimer* phaseClock);

  private:
    TAsynComm32& port_;
};

// Backups, one line each: local time, model, account, file; those that
// called other phone numbers than `module` marked (cli_safety.cpp).
void printBackups(const std::vector<BackupStore::Backup>& backups,
                  const BackupStore::ModuleKey* module = nullptr);

// One run of identify, read, write or backups --port: the start window's identify handshake,
// then the configurator's engine for the version query and the transfers.
class CliSession : public QObject {
    Q_OBJECT
  public:
    enum class Command { Identify, Read, Write, Backups };
    struct Options {
        Command command = Command::Identify;
        QString port;
        QString file; // read: file to create; write: file to send
        int timeoutSeconds = 120;
        // read: the whole image as read, before the file (which may carry
        // less of it) is written; `bytesRead` is how far the read reached.
        std::function<void(const ConfigImage& image, int modelCode, int bytesRead)> imageRead;
    };

    explicit CliSession(Options options);
    ~CliSession() override;

    // Runs the event loop until the command ends; returns its exit status.
    int run();

  private:
    enum class Phase { Identify, Version, RestoreRead, Transfer, Verify, Done };

    void begin();
    void onIdentifyTick();
    void onReceived();
    void onEngineTick();
    void onWatchdog();
    void onPortLost();
    void modelFound(int modelCode);
    void afterEngineStep();
    void versionKnown();
    // Whether the write sends bytes that must come from the module itself.
    bool writeSendsModuleBytes(const ImageExtent& extent) const;
    void startTransfer();
    void transferDone();
    // The safety net of a write (cli_safety.cpp): the module's memory as the
    // first read found it goes to the backups folder before anything is
    // written (false: the write must not start, the session has failed);
    // after the write the module is read back and compared.
    bool backupBeforeWrite();
    void startVerify();
    void verifyDone();
    // backups --port: the module has been read; lists what may be its backups.
    void listBackupsOfModule();
    void enterPhase(Phase phase);
    void reportTransfer(const char* what);
    void finish(int exitCode);
    void fail(int exitCode, const QString& message);
    QString phaseName() const;

    QEventLoop loop_;
    Options options_;
    Phase phase_ = Phase::Identify;
    int exitCode_ = CliExit::kDone;

    TAsynComm32 port_;
    CountingChannel channel_;
    HeadlessView view_;
    ConfigImage image_;
    IdentifyHandshake handshake_;
    std::unique_ptr<LinkEngine> engine_;
    int modelCode_ = 0;
    bool companyStarred_ = false;
    bool restoreRead_ = false; // the image holds the module's own bytes before the file's

    // The configurator window ticks its engine from five timers: `adas`
    // (50 ms while a command is pending) and four more at one second. The
    // engine's repeat times are counted in those ticks.
    QTimer adas_;
    std::array<QTimer, 4> secondTimers_;
    QTimer identifyTimer_;
    QTimer watchdog_;

    QElapsedTimer sinceProgress_;
    QElapsedTimer phaseClock_;
    std::array<qint64, 5> fingerprint_{};

    QByteArray fileBytes_; // write: the whole file
    // write: 1024..1535 kept beside a backup of a block module
    std::optional<QByteArray> extraBytes_;
    ConfigImage sent_; // write: the image as the write sent it
};
