#include "cli/cli_session.h"

#include "discovery/model_table.h"
#include "image/config_file.h"
#include "image/file_access.h"
#include "image/image_extent.h"
#include "safety/backup_store.h"
#include "settings/edition.h"
#include "settings/settings_store.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kIdentifyTickMs = 150; // the start window's send timer
constexpr int kAdasPendingMs = 50;
constexpr int kSecondTimerMs = 1000;
constexpr int kWatchdogMs = 100;
constexpr int kEnglish = 1;

void printLine(FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

void progress(const QString& text) {
    printLine(stderr, text);
}

QString unitName(TransferUnit unit) {
    switch (unit) {
    case TransferUnit::Bytes:
        return QStringLiteral("bytes");
    case TransferUnit::Blocks:
        return QStringLiteral("blocks");
    case TransferUnit::Records:
        return QStringLiteral("records");
    }
    return {};
}

QString methodOf(const std::vector<ImageRange>& ranges) {
    QStringList parts;
    for (const ImageRange& r : ranges)
        parts << QStringLiteral("%1 %2..%3 by %4")
                     .arg(parts.isEmpty() ? "" : "then ")
                     .arg(r.first)
                     .arg(r.last)
                     .arg(unitName(r.unit));
    return parts.join(QLatin1Char(' ')).trimmed();
}

// As the configurator decides it: a leading '*' lets a byte write send the
// edition tag. An empty "company" is not starred: the window writes the
// edition's default then, but leaves the flag as it was.
bool companyIsStarred() {
    const int brand = buildBrandCode();
    return SettingsStore::ReadString(settingsKeyPath(brand), QStringLiteral("company"))
        .startsWith(QLatin1Char('*'));
}
} // namespace

int CountingChannel::write(const QByteArray& bytes) {
    const int n = port_.write(bytes);
    sent += n;
    if (n > 0 && firstWriteMs < 0 && clock)
        firstWriteMs = clock->elapsed();
    return n;
}

void CountingChannel::restart(const QElapsedTimer* phaseClock) {
    sent = received = 0;
    firstWriteMs = lastReceiveMs = -1;
    clock = phaseClock;
}

CliSession::CliSession(Options options)
    : options_(std::move(options)), channel_(port_),
      view_(progress, [this](int ms) { adas_.setInterval(ms); }) {
    connect(&port_, &TAsynComm32::rxChar, this, &CliSession::onReceived);
    connect(&port_, &TAsynComm32::portLost, this, &CliSession::onPortLost);
    identifyTimer_.setInterval(kIdentifyTickMs);
    connect(&identifyTimer_, &QTimer::timeout, this, &CliSession::onIdentifyTick);
    adas_.setInterval(kSecondTimerMs);
    connect(&adas_, &QTimer::timeout, this, &CliSession::onEngineTick);
    for (QTimer& t : secondTimers_) {
        t.setInterval(kSecondTimerMs);
        connect(&t, &QTimer::timeout, this, &CliSession::onEngineTick);
    }
    watchdog_.setInterval(kWatchdogMs);
    connect(&watchdog_, &QTimer::timeout, this, &CliSession::onWatchdog);
}

CliSession::~CliSession() = default;

int CliSession::run() {
    QTimer::singleShot(0, this, &CliSession::begin);
    loop_.exec();
    return exitCode_;
}

void CliSession::begin() {
    if (options_.command == Command::Write) {
        // One byte more than the largest configuration file tells a longer
        // file without reading all of it; a device or a pipe is not read.
        const FileAccess::ReadResult in =
            FileAccess::readAtMost(options_.file, ConfigFile::kLargestFileSize + 1);
        if (in.error)
            return fail(CliExit::kBadInput,
                        QStringLiteral("cannot read %1: %2")
                            .arg(options_.file, FileAccess::errorText(in.error)));
        fileBytes_ = in.bytes;
        const bool knownSize = fileBytes_.size() == ConfigFile::fileSize(1024) ||
                               fileBytes_.size() == ConfigFile::fileSize(ConfigImage::kSize);
        if (!knownSize)
            return fail(
                CliExit::kBadInput,
                QStringLiteral("%1 has %2%3 bytes; a configuration file has %4 or %5")
                    .arg(options_.file)
                    .arg(fileBytes_.size() > ConfigFile::kLargestFileSize
                             ? QStringLiteral("more than ")
                             : QString())
                    .arg(std::min<qsizetype>(fileBytes_.size(), ConfigFile::kLargestFileSize))
                    .arg(ConfigFile::fileSize(1024))
                    .arg(ConfigFile::fileSize(ConfigImage::kSize)));
        extraBytes_ = BackupStore::extraBytesOf(options_.file);
    }
    if (options_.command == Command::Read) {
        // Checked now so that a path that cannot take the file fails before
        // the module is touched; the file appears only when the readout is
        // complete, and only ever in place of a regular file.
        if (const FileAccess::Error e = FileAccess::checkWritable(options_.file))
            return fail(CliExit::kBadInput, QStringLiteral("cannot create %1: %2")
                                                .arg(options_.file, FileAccess::errorText(e)));
    }
    companyStarred_ = companyIsStarred();

    port_.setDeviceName(options_.port);
    port_.setBaudRate(9600);
    port_.open();
    if (!port_.isOpen())
        return fail(CliExit::kBadInput, QStringLiteral("cannot open port %1").arg(options_.port));

    enterPhase(Phase::Identify);
    progress(QStringLiteral("Searching for a module on %1...").arg(options_.port));
    watchdog_.start();
    identifyTimer_.start();
    // The start window waits three seconds before its first frame; nothing
    // here needs that delay.
    onIdentifyTick();
}

void CliSession::onIdentifyTick() {
    if (phase_ != Phase::Identify)
        return;
    const IdentifyHandshake::Tick t = handshake_.tick();
    if (t.frame)
        port_.write(t.frame->toByteArray());
}

void CliSession::onReceived() {
    const QByteArray bytes = port_.readAll();
    if (bytes.isEmpty())
        return;
    switch (phase_) {
    case Phase::Identify: {
        const IdentifyHandshake::Received r = handshake_.receive(bytes);
        if (r.modelCode)
            modelFound(*r.modelCode);
        return;
    }
    case Phase::Version:
    case Phase::RestoreRead:
    case Phase::Transfer:
    case Phase::Verify:
        channel_.received += bytes.size();
        channel_.lastReceiveMs = phaseClock_.elapsed();
        engine_->receive(bytes);
        afterEngineStep();
        return;
    case Phase::Done:
        return;
    }
}

void CliSession::modelFound(int modelCode) {
    const ModelInfo* info = findModel(modelCode);
    if (!info) {
        // The search window shows such a code and goes on searching.
        progress(
            QStringLiteral("ModelCode %1 is not a known model; still searching").arg(modelCode));
        return;
    }
    const int brand = buildBrandCode();
    if (info->window != DeviceWindow::Configurator)
        return fail(CliExit::kNotServed,
                    QStringLiteral("ModelCode %1 (%2) is configured only in its own device window; "
                                   "the command line serves ModelCodes 70, 71, 80, 90 and 100")
                        .arg(modelCode)
                        .arg(modelLabel3(modelCode, brand)));
    identifyTimer_.stop();
    modelCode_ = modelCode;
    progress(QStringLiteral("Found ModelCode %1 (%2)")
                 .arg(modelCode)
                 .arg(modelStatusName(modelCode, brand)));

    if (options_.command == Command::Write) {
        const int imageSize = configFileImageSize(modelCode);
        if (fileBytes_.size() != ConfigFile::fileSize(imageSize))
            return fail(CliExit::kBadInput,
                        QStringLiteral("%1 has %2 bytes, but a configuration file for ModelCode %3 "
                                       "has %4; nothing was written")
                            .arg(options_.file)
                            .arg(fileBytes_.size())
                            .arg(modelCode)
                            .arg(ConfigFile::fileSize(imageSize)));
    }

    LinkEngineConfig config;
    config.modelCode = modelCode;
    config.companyStarred = companyStarred_;
    config.language = kEnglish;
    config.portName = [port = options_.port] { return port; };
    engine_ = std::make_unique<LinkEngine>(channel_, view_, image_, config);

    // As when the configurator window is activated while idle.
    enterPhase(Phase::Version);
    engine_->startVersionQuery(false);
    adas_.start();
    for (QTimer& t : secondTimers_)
        t.start();
    onEngineTick();
}

void CliSession::onEngineTick() {
    if (!engine_ || phase_ == Phase::Done)
        return;
    engine_->tick();
    afterEngineStep();
}

void CliSession::afterEngineStep() {
    if (phase_ == Phase::Done)
        return;
    const LinkEngineState& s = engine_->state();

    // Any accepted reply moves one of these on; repeats of an unanswered
    // request do not.
    const std::array<qint64, 5> now{s.LinkCommand, s.ImagePos, s.Remaining, s.ModuleAddress,
                                    s.ModuleVersion};
    if (now != fingerprint_) {
        fingerprint_ = now;
        sinceProgress_.restart();
    }
    if (s.LinkCommand != LinkCode::kIdle)
        return;

    switch (phase_) {
    case Phase::Version:
        versionKnown();
        return;
    case Phase::RestoreRead:
        reportTransfer("restore-read");
        if (backupBeforeWrite())
            startTransfer();
        return;
    case Phase::Transfer:
        transferDone();
        return;
    case Phase::Verify:
        verifyDone();
        return;
    case Phase::Identify:
    case Phase::Done:
        return;
    }
}

void CliSession::versionKnown() {
    const int32_t version = engine_->state().ModuleVersion;
    printLine(stdout, QStringLiteral("ModelCode %1 %2 version %3")
                          .arg(modelCode_)
                          .arg(modelStatusName(modelCode_, buildBrandCode()))
                          .arg(versionNumberText(version)));
    const ImageExtent extent = exchangedExtent(modelCode_, version);
    // The version reply leaves Pace counting the ticks an idle port stays
    // open. In the window an installer starts a transfer long after that
    // countdown has run out; here the transfer follows at once and need not
    // wait it out. A transfer that sets its own Pace (blocks) still waits.
    engine_->state().Pace = 0;

    switch (options_.command) {
    case Command::Identify:
        return finish(CliExit::kDone);
    case Command::Read:
    case Command::Backups:
        progress(QStringLiteral("Reading %1").arg(methodOf(extent.read)));
        enterPhase(Phase::Transfer);
        engine_->startReadAll();
        return;
    case Command::Write: {
        // Every write reads the module first, for the backup of what it held.
        // A block write also sends bytes the file does not carry (1024..1535)
        // and bytes the module keeps for itself: it sends back what the module
        // holds there, so a restore changes nothing but the file's settings.
        progress(writeSendsModuleBytes(extent)
                     ? QStringLiteral("Reading the module first to keep its own bytes")
                     : QStringLiteral("Reading the module first for the backup"));
        restoreRead_ = true;
        enterPhase(Phase::RestoreRead);
        engine_->startReadAll();
        return;
    }
    }
}

bool CliSession::writeSendsModuleBytes(const ImageExtent& extent) const {
    const int imageSize = configFileImageSize(modelCode_);
    for (const ImageRange& r : extent.write)
        if (r.unit == TransferUnit::Blocks || r.last >= imageSize)
            return true;
    return false;
}

void CliSession::startTransfer() {
    const int imageSize = configFileImageSize(modelCode_);
    for (int i = 0; i < imageSize; ++i)
        if (!restoreRead_ || !isModuleOwned(i))
            image_[i] = static_cast<uint8_t>(fileBytes_[i]);
    const ImageExtent extent = exchangedExtent(modelCode_, engine_->state().ModuleVersion);
    // A backup of a block module keeps 1024..1535 beside it: a restore puts
    // them back too, rather than sending what the module holds now.
    if (extraBytes_ && imageSize + extraBytes_->size() <= ConfigImage::kSize &&
        writeSendsModuleBytes(extent)) {
        std::memcpy(image_.data() + imageSize, extraBytes_->constData(),
                    size_t(extraBytes_->size()));
        progress(QStringLiteral("Bytes %1..%2 from the file beside it")
                     .arg(imageSize)
                     .arg(imageSize + extraBytes_->size() - 1));
    }
    progress(QStringLiteral("Writing %1").arg(methodOf(extent.write)));
    enterPhase(Phase::Transfer);
    engine_->startWriteAll();
}

void CliSession::transferDone() {
    const ImageExtent extent = exchangedExtent(modelCode_, engine_->state().ModuleVersion);
    if (options_.command == Command::Backups)
        return listBackupsOfModule();
    if (options_.command == Command::Read) {
        reportTransfer("read-all");
        if (options_.imageRead) {
            int bytesRead = 0;
            for (const ImageRange& r : extent.read)
                bytesRead = std::max(bytesRead, r.last + 1);
            options_.imageRead(image_, modelCode_, bytesRead);
        }
        const int imageSize = configFileImageSize(modelCode_);
        const QByteArray image(reinterpret_cast<const char*>(image_.data()), imageSize);
        // The installation texts are the installer's own; a readout has none.
        const QByteArray file = ConfigFile::build(image, {});
        if (const FileAccess::Error e = FileAccess::writeWhole(options_.file, file))
            return fail(
                CliExit::kBadInput,
                QStringLiteral("cannot write %1: %2").arg(options_.file, FileAccess::errorText(e)));
        printLine(stdout, QStringLiteral("Read %1; saved %2 (%3 bytes)")
                              .arg(methodOf(extent.read), options_.file)
                              .arg(file.size()));
        return finish(CliExit::kDone);
    }
    reportTransfer("write-all");
    printLine(stdout, QStringLiteral("Wrote %1 from %2; module clock synchronised")
                          .arg(methodOf(extent.write), options_.file));
    startVerify();
}

void CliSession::enterPhase(Phase phase) {
    phase_ = phase;
    phaseClock_.start();
    sinceProgress_.start();
    channel_.restart(&phaseClock_);
}

void CliSession::reportTransfer(const char* what) {
    // One line a benchmark can read: bytes on the line and where the time went.
    progress(QStringLiteral("transfer %1 sent=%2 received=%3 ms=%4 first_request_ms=%5 "
                            "last_reply_ms=%6")
                 .arg(QLatin1String(what))
                 .arg(channel_.sent)
                 .arg(channel_.received)
                 .arg(phaseClock_.elapsed())
                 .arg(channel_.firstWriteMs)
                 .arg(channel_.lastReceiveMs));
}

void CliSession::onPortLost() {
    if (phase_ == Phase::Done)
        return;
    // Nothing that was under way counts: a read saves no file, and a write may
    // have left the module half written.
    fail(CliExit::kNoAnswer,
         QStringLiteral("the port %1 went away while %2; nothing was completed. Check the cable "
                        "and run the command again")
             .arg(options_.port, phaseName()));
}

void CliSession::onWatchdog() {
    if (phase_ == Phase::Done)
        return;
    if (sinceProgress_.elapsed() < qint64(options_.timeoutSeconds) * 1000)
        return;
    fail(CliExit::kNoAnswer, QStringLiteral("no answer from a module on %1 for %2 s (%3)")
                                 .arg(options_.port)
                                 .arg(options_.timeoutSeconds)
                                 .arg(phaseName()));
}

QString CliSession::phaseName() const {
    switch (phase_) {
    case Phase::Identify:
        return QStringLiteral("searching for the module");
    case Phase::Version:
        return QStringLiteral("asking for the software version");
    case Phase::RestoreRead:
        return QStringLiteral("reading the module before writing");
    case Phase::Verify:
        return QStringLiteral("reading back what was written");
    case Phase::Transfer:
        return options_.command == Command::Write ? QStringLiteral("writing")
                                                  : QStringLiteral("reading");
    case Phase::Done:
        break;
    }
    return {};
}

void CliSession::fail(int exitCode, const QString& message) {
    printLine(stderr, QStringLiteral("error: ") + message);
    finish(exitCode);
}

void CliSession::finish(int exitCode) {
    phase_ = Phase::Done;
    exitCode_ = exitCode;
    identifyTimer_.stop();
    adas_.stop();
    for (QTimer& t : secondTimers_)
        t.stop();
    watchdog_.stop();
    port_.close();
    loop_.quit();
}
