// The configurator's link engine driven through every operation it runs (the
// transfers, version, clock, restart, life signal, and the modem pass-through
// with its text answers), with the module's replies delivered whole, split,
// with a byte flipped, doubled, late, lost, cut short or replaced by the
// fuzzer's own bytes, between ticks, lost ports and refused opens. The module's
// side is the simulator's core (memory, protocol and GSM modem), so every
// reply that comes from it is the module's true answer to the request.
//
// Input: byte 0 picks the operation, byte 1 the module (model, version, the
// company setting, whether a command is already pending, whether the SIM asks
// for a PIN). The rest is a stream of steps (see the switch below).
//
// Checked on every step: RxCount and Pace within bounds, the counters of the
// running command within the command's range, every request a well-formed
// frame or modem command line that fits TxBuffer, no request while idle or
// with the port closed, the gauges within their maximum, phonebook slots
// within the SIM. At the end: the image changed only where the operations
// started may change it. While every reply handed over was the module's
// answer to the request on the wire (possibly split, flipped or lost), also:
// the image holds the module's bytes where it changed, a completed read holds
// the module's memory, a completed write left the module holding the image,
// and the clock frame carried the PC's time.
//
// A reply doubled at once (the copy right behind the original) is held to the
// module's bytes like any other; a late reply, or a copy that comes later,
// ends those last checks for the run: a block reply carries no address, so a
// copy of block k that turns up long after, when block k + 1 has been asked
// for on a quiet line, cannot be told from block k + 1.
//
// With ALVENTO_FUZZ_STRICT set, the run also ends on a clean line (every reply
// whole and in time, one byte at a time), and the running operation must then
// reach its end. That makes each execution about three times slower, so the
// long campaigns run without it.

#include "core/sim_module.h"
#include "engine/link_engine.h"
#include "fuzz_input.h"
#include "i18n/messages.h"
#include "image/image_extent.h"
#include "serial/memory_frame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <span>
#include <vector>

namespace {

constexpr int kLanguage = 1;
// Engine steps (ticks and receive events) one input may take: enough for the
// longest operation with faults on the way (a byte write-all of ModelCode 100
// is some 1300 exchanges), and a bound on the time one execution takes.
constexpr int kMaxSteps = 6000;
// Steps of the clean line at the end in strict mode: more than the longest
// operation needs from its start.
constexpr int kCleanTailSteps = 20000;
const bool kStrict = std::getenv("ALVENTO_FUZZ_STRICT") != nullptr;
constexpr int kModels[] = {70, 71, 80, 90, 100};
constexpr int kVersions[] = {0, 27, 28, 32, 33, 43};
const QDateTime kNow(QDate(2024, 2, 29), QTime(23, 59, 58));

enum Operation {
    ReadAll,
    WriteAll,
    VersionFromMenu,
    VersionOnActivation,
    Restart,
    ClockSync,
    LifeSignal,
    PstnSend,
    // Modem pass-through: the module's GSM modem answers text.
    PhonebookRead,
    PhonebookWrite,
    PinSwitchOff,
    SmsCentre,
    BalanceQuery,
    DataCallTest,
    VoiceCallTest,
    SmsTest,
    ImeiQuery,
    LeaveModemMode,
    kOperationCount
};

class FuzzChannel : public SerialChannel {
  public:
    void setDeviceName(const QString& n) override { name_ = n; }
    QString deviceName() const override { return name_; }
    void setBaudRate(int b) override { baud_ = b; }
    int baudRate() const override { return baud_; }
    void open() override { opened = !refuseOpen; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    int write(const QByteArray& bytes) override {
        FUZZ_CHECK(opened); // a request into a closed port is silently lost
        writes.push_back(bytes);
        return static_cast<int>(bytes.size());
    }

    bool opened = false;
    bool refuseOpen = false;
    std::vector<QByteArray> writes;

  private:
    QString name_;
    int baud_ = 0;
};

class FuzzView : public LinkView {
  public:
    void showPortName(const QString&) override {}
    void showModuleVersion(const QString&) override {}
    void showStatus(const QString& t) override {
        status = t;
        if (onStatus)
            onStatus(t);
    }
    void setGaugeMaximum(int m) override { gaugeMax = m; }
    void setGaugeValue(int v) override {
        gaugeValue = v;
        FUZZ_CHECK(v >= 0 && v <= gaugeMax);
    }
    void setGaugeVisible(bool) override {}
    void setTransferButtonsEnabled(bool) override {}
    void showMessage(const QString&) override {}
    void encode() override {}
    void decode() override {
        if (onDecode)
            onDecode();
    }
    void runPageShowLogic() override {}
    void applyVersionRules() override {}
    void resetOutput2TimeUnit() override {}
    void showTime(const QString&) override {}
    void setTickInterval(int) override {}
    void showPhonebookSlot(const PhonebookEntry& e) override {
        FUZZ_CHECK(e.slot >= 1 && e.slot <= phonebookEnd);
    }
    void setPhonebookGaugeMaximum(int m) override { phonebookGaugeMax = m; }
    void setPhonebookGaugeValue(int v) override { FUZZ_CHECK(v >= 0 && v <= phonebookGaugeMax); }

    QString status;
    int phonebookEnd = 250;
    int phonebookGaugeMax = 0;
    int gaugeMax = 0, gaugeValue = 0;
    std::function<void()> onDecode;
    std::function<void(const QString&)> onStatus;
};

uint8_t sum8(const QByteArray& b, int from, int n) {
    unsigned s = 0;
    for (int i = 0; i < n; ++i)
        s += static_cast<uint8_t>(b[from + i]);
    return static_cast<uint8_t>(s);
}

// A command line for the modem: text, then CR (CR LF), or the SMS text
// ended by Ctrl-Z. A control byte inside it would end the line early.
bool isCommandLine(const QByteArray& r) {
    QByteArrayView body(r);
    if (body.endsWith("\r\n"))
        body.chop(2);
    else if (body.endsWith('\r') || body.endsWith('\x1A'))
        body.chop(1);
    else
        return false;
    return std::all_of(body.begin(), body.end(),
                       [](char c) { return static_cast<uint8_t>(c) >= 0x20; });
}

// Every request the engine writes has one of its known shapes.
void checkRequest(const QByteArray& r) {
    FUZZ_CHECK(r.size() <= LinkEngineState::kTxSize);
    if (r.size() < 6 || validateFrame(r) != FrameCheck::Valid) {
        FUZZ_CHECK(isCommandLine(r));
        return;
    }
    const uint8_t cmd = static_cast<uint8_t>(r[1]);
    switch (r.size()) {
    case 6:
        break;
    case 18: // clock: header, then twelve digits
        FUZZ_CHECK(cmd == 0xFC);
        for (int i = 6; i < 18; ++i)
            FUZZ_CHECK(r[i] >= '0' && r[i] <= '9');
        break;
    case 39: // record write: 32 bytes and their sum
        FUZZ_CHECK(cmd == 0x80 && static_cast<uint8_t>(r[38]) == sum8(r, 6, 32));
        break;
    case 262: // block write: the data sum in byte 0
        FUZZ_CHECK(cmd == 0xF6 && static_cast<uint8_t>(r[0]) == sum8(r, 6, 256));
        break;
    default:
        FUZZ_CHECK(isCommandLine(r));
    }
}

struct Harness {
    int model = 70;
    int version = 0;
    bool starred = false;
    bool gateOpen = true;

    FuzzChannel channel;
    FuzzView view;
    std::unique_ptr<ConfigImage> image = std::make_unique<ConfigImage>();
    std::unique_ptr<ConfigImage> initial = std::make_unique<ConfigImage>();
    std::unique_ptr<LinkEngine> engine;
    std::unique_ptr<alvento::sim::SimModule> module;

    std::deque<QByteArray> replies; // answered, not yet handed to the engine
    QByteArray lastDelivered;
    int stepsAtDelivery = -1; // engine steps taken when it was handed over whole
    // Every reply handed over so far was the module's answer to the request
    // then on the wire.
    bool trusted = true;

    // What the operations started so far may change in the image.
    int readLast = -1; // bytes 0..readLast
    bool ownedMayChange = false;
    Operation current = kOperationCount;
    int readRangeLast = -1; // of the running read-all
    bool writeByBlocks = false;

    void setUp(FuzzInput& in) {
        const uint8_t m = in.byte();
        model = kModels[m % 5];
        version = kVersions[m / 5 % 6];
        starred = m / 30 % 2;
        const bool pending = m / 60 % 2;

        alvento::sim::ModuleOptions options;
        options.model = model;
        options.version = version;
        options.modem.pin = m / 120 % 2 ? "1234" : "";
        options.modem.ussdDelayMs = 0;
        module = std::make_unique<alvento::sim::SimModule>(options);
        module->modem().loadPhonebook("1\t+36301234567\t145\tAnna\n2\t06201112222\t129\tBela\n"
                                      "100\t123\t129\tX\n");
        // Module memory and image differ in every byte, so any byte moved is seen.
        static const auto patterns = [] {
            std::pair<ConfigImage, ConfigImage> p;
            for (int i = 0; i < ConfigImage::kSize; ++i) {
                p.first[i] = static_cast<uint8_t>(i * 31 + 7 + i / 256);
                p.second[i] = static_cast<uint8_t>(p.first[i] ^ 0x5A);
            }
            return p;
        }();
        module->loadMemory(patterns.first.bytes);
        *image = patterns.second;
        *initial = *image;

        LinkEngineConfig config;
        config.modelCode = model;
        config.companyStarred = starred;
        config.language = kLanguage;
        config.portName = [] { return QStringLiteral("FUZZ"); };
        config.clock = [] { return kNow; };
        config.startWindowIdleClosed = [this] { return gateOpen; };
        engine = std::make_unique<LinkEngine>(channel, view, *image, config);
        engine->state().ModuleVersion = version;

        view.onDecode = [this] { readCompleted(); };
        view.onStatus = [this](const QString& t) { statusShown(t); };
        if (pending) {
            // An activation's version query is under way, its port open: the
            // operation then sends at once.
            engine->startVersionQuery(false);
            tick();
        }
    }

    void start(int which, FuzzInput& in) {
        const LinkEngineState& s = engine->state();
        const auto next = static_cast<Operation>(which % kOperationCount);
        // Some starts may leave what runs alone: an activation asks only while
        // idle, leaving modem mode does nothing outside it, and a PIN or SMS
        // centre number that is no such thing starts nothing.
        const Operation before = current;
        // Nothing starts while a write runs: the engine refuses it.
        const bool refused = engine->writeRunning();
        current = next;
        switch (current) {
        case ReadAll:
            readRangeLast = model == 100                         ? ConfigImage::kSize - 1
                            : transfersByBlocks(s.ModuleVersion) ? 1535
                                                                 : 1023;
            readLast = std::max(readLast, readRangeLast);
            engine->startReadAll();
            break;
        case WriteAll:
            writeByBlocks = transfersByBlocks(s.ModuleVersion);
            ownedMayChange = true;
            engine->startWriteAll();
            break;
        case VersionFromMenu:
            engine->startVersionQuery(true);
            break;
        case VersionOnActivation:
            if (engine->busy())
                current = before;
            engine->startVersionQuery(false);
            break;
        case Restart:
            engine->startRestart();
            break;
        case ClockSync:
            engine->startClockSync();
            break;
        case LifeSignal:
            engine->startLifeSignal();
            break;
        case PstnSend:
            engine->startPstnSend();
            break;
        case PhonebookRead:
            view.phonebookEnd = in.byte() & 1 ? 250 : 100;
            engine->startPhonebookRead(view.phonebookEnd);
            break;
        case PhonebookWrite: {
            view.phonebookEnd = in.byte() & 1 ? 250 : 100;
            std::vector<PhonebookEntry> rows(in.byte() % 6);
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i] = {static_cast<int>(i) + 1, text(in), text(in)};
            engine->startPhonebookWrite(rows, view.phonebookEnd);
            break;
        }
        case PinSwitchOff:
            if (!engine->startPinSwitchOff(in.byte() & 1 ? QStringLiteral("1234") : text(in)))
                current = before;
            break;
        case SmsCentre:
            if (!engine->startSmsCentre(in.byte() & 1 ? QStringLiteral("+36 30 999-9999")
                                                      : text(in)))
                current = before;
            break;
        case BalanceQuery:
            engine->startBalanceQuery();
            break;
        case DataCallTest:
            engine->startDataCallTest(text(in));
            break;
        case VoiceCallTest:
            engine->startVoiceCallTest(text(in));
            break;
        case SmsTest:
            engine->startSmsTest(text(in));
            break;
        case ImeiQuery:
            engine->startImeiQuery();
            break;
        case LeaveModemMode:
            engine->leaveModemMode();
            if (engine->state().LinkCommand != LinkCode::kModeLeave)
                current = before;
            break;
        case kOperationCount:
            break;
        }
        if (refused)
            current = before;
        afterStep();
    }

    // Text typed by the user: any bytes, read as Latin-1.
    static QString text(FuzzInput& in) { return QString::fromLatin1(in.bytes(in.byte() % 24)); }

    int steps = 0;

    void tick() {
        ++steps;
        const bool idle = !engine->busy();
        engine->tick();
        if (idle)
            FUZZ_CHECK(channel.writes.empty());
        afterStep();
    }

    void receive(const QByteArray& bytes) {
        // The engine hears only what arrives while its port is open.
        if (!channel.opened || bytes.isEmpty())
            return;
        ++steps;
        const bool idle = !engine->busy();
        engine->receive(bytes);
        if (idle)
            FUZZ_CHECK(channel.writes.empty());
        afterStep();
    }

    void receiveByteByByte(const QByteArray& bytes) {
        for (char b : bytes)
            receive(QByteArray(1, b));
    }

    // Strict mode: from here on the line is clean, and the operation must end.
    // Not when stray bytes have made the engine take another version than the
    // module's: it then asks in a way this module does not answer.
    void cleanLineToTheEnd() {
        if (engine->state().ModuleVersion != version)
            return;
        channel.refuseOpen = false;
        gateOpen = true;
        // Answers to earlier requests still on their way are lost: handed over
        // now they would be late ones.
        while (replies.size() > 1)
            replies.pop_front();
        for (int i = 0; i < kCleanTailSteps && engine->busy(); ++i) {
            if (replies.empty()) {
                tick();
                continue;
            }
            receiveByteByByte(takeReply(false));
        }
        FUZZ_CHECK(!engine->busy() || !"the operation does not end on a clean line");
    }

    // The next answer on the line. Handing over a reply to an earlier request
    // than the latest one on the wire is a late reply.
    QByteArray takeReply(bool handedOver = true) {
        if (replies.empty())
            return {};
        if (replies.size() > 1 && handedOver)
            trusted = false;
        QByteArray r = replies.front();
        replies.pop_front();
        return r;
    }

    void afterStep() {
        for (const QByteArray& request : channel.writes) {
            checkRequest(request);
            const auto* p = reinterpret_cast<const uint8_t*>(request.constData());
            for (auto& ex : module->feed(std::span(p, static_cast<size_t>(request.size()))))
                if (!ex.reply.empty())
                    replies.emplace_back(reinterpret_cast<const char*>(ex.reply.data()),
                                         static_cast<qsizetype>(ex.reply.size()));
        }
        channel.writes.clear();
        checkState();
    }

    void checkState() const {
        const LinkEngineState& s = engine->state();
        FUZZ_CHECK(s.RxCount >= 0 && s.RxCount <= LinkEngineState::kRxSize);
        FUZZ_CHECK(s.Pace >= 0 && s.Pace <= 300); // the balance query waits longest
        FUZZ_CHECK(s.TxLength >= 0 && s.TxLength <= LinkEngineState::kTxSize);
        switch (s.LinkCommand) {
        case LinkCode::kByteRead:
        case LinkCode::kByteWrite:
            FUZZ_CHECK(s.ImagePos == s.ModuleAddress);
            FUZZ_CHECK(s.ImagePos >= 0 && s.ImagePos < 1024);
            FUZZ_CHECK(s.Remaining > 0 && s.ImagePos + s.Remaining <= 1024);
            break;
        case LinkCode::kRecordRead:
            FUZZ_CHECK(s.ImagePos >= 0 && s.ImagePos < 256);
            break;
        case LinkCode::kRecordWrite:
            FUZZ_CHECK(s.Remaining >= 32 && s.Remaining < 256);
            break;
        case LinkCode::kBlockRead:
            FUZZ_CHECK(s.ImagePos >= 0 && s.ImagePos < 96 && s.ImagePos % 16 == 0);
            break;
        case LinkCode::kBlockFence:
            FUZZ_CHECK(s.ImagePos == 96);
            break;
        case LinkCode::kBlockWrite:
            FUZZ_CHECK(s.ImagePos >= 0 && s.ImagePos < 6);
            break;
        case LinkCode::kPhonebookSelectForRead:
        case LinkCode::kPhonebookRead:
        case LinkCode::kPhonebookSelectForWrite:
        case LinkCode::kPhonebookWrite:
            FUZZ_CHECK(s.PhonebookEnd == 100 || s.PhonebookEnd == 250);
            FUZZ_CHECK(s.PhonebookIndex >= 1 && s.PhonebookIndex <= s.PhonebookEnd + 1);
            break;
        case LinkCode::kModemEnter:
        case LinkCode::kModemCheck:
        case LinkCode::kPinSend:
        case LinkCode::kPinWait:
        case LinkCode::kPinLockOff:
        case LinkCode::kPinLockOffWait:
        case LinkCode::kSmsCentre:
        case LinkCode::kModeLeave:
        case LinkCode::kBalanceQuery:
        case LinkCode::kDataCallTest:
        case LinkCode::kVoiceCallTest:
        case LinkCode::kSmsTestHeader:
        case LinkCode::kSmsTestText:
        case LinkCode::kImeiQuery:
        case LinkCode::kIdle:
        case LinkCode::kVersionQuery:
        case LinkCode::kClockSync:
        case LinkCode::kRestart:
        case LinkCode::kLifeSignal:
            break;
        default:
            FUZZ_CHECK(!"a command no operation started");
        }
    }

    // The view's decode runs when a read-all is complete.
    FUZZ_NO_COVERAGE void readCompleted() {
        FUZZ_CHECK(current == ReadAll);
        if (!trusted)
            return;
        FUZZ_CHECK(std::memcmp(image->data(), module->memory().data(),
                               static_cast<size_t>(readRangeLast + 1)) == 0);
    }

    FUZZ_NO_COVERAGE void statusShown(const QString& text) {
        static const QString sendDone = message("engine.send_done", kLanguage);
        static const QString clockDone = message("engine.clock_sync_done", kLanguage);
        const bool sent = text == sendDone;
        const bool clock = text == clockDone;
        if (!trusted || !(sent || clock))
            return;
        // The clock frame the module took carried the PC's time, with the
        // date only for modules that keep one.
        const int32_t v = engine->state().ModuleVersion;
        FUZZ_CHECK(module->clockDigits() == (v >= 28 ? "240229235958" : "111111235958"));
        if (current != WriteAll)
            return;
        const int last = writeByBlocks ? 1535 : model == 100 ? ConfigImage::kSize - 1 : 1023;
        // The module's memory is the image, except where it keeps its own
        // bytes and where a byte write does not go.
        ConfigImage expected = *image;
        const auto& memory = module->memory();
        for (int i = 0; i < 1024; ++i) {
            const bool kept = i == alvento::sim::kBuildAddress ||
                              i == alvento::sim::kVersionAddress ||
                              i == alvento::sim::kModelAddress;
            if (kept || (!writeByBlocks && skippedOnByteWrite(i, starred)))
                expected[i] = memory[static_cast<size_t>(i)];
        }
        FUZZ_CHECK(std::memcmp(expected.data(), memory.data(), static_cast<size_t>(last + 1)) == 0);
    }

    FUZZ_NO_COVERAGE void finish() const {
        if (std::memcmp(image->data(), initial->data(), ConfigImage::kSize) == 0)
            return;
        for (int i = 0; i < ConfigImage::kSize; ++i) {
            if ((*image)[i] == (*initial)[i])
                continue;
            const bool owned = i == ImageAddress::kModuleOwnedByte ||
                               i == ImageAddress::kModuleVersion || i == ImageAddress::kModelCode;
            FUZZ_CHECK(i <= readLast || (ownedMayChange && owned));
            if (trusted)
                FUZZ_CHECK((*image)[i] == module->memory()[static_cast<size_t>(i)]);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Harness h;
    const uint8_t first = in.byte();
    h.setUp(in);
    h.start(first, in);

    while (!in.done() && h.steps < kMaxSteps) {
        const uint8_t op = in.byte();
        const uint8_t arg = op >> 4;
        switch (op & 0x0F) {
        case 0: // a tick
        case 1:
            h.tick();
            break;
        case 2: // several ticks: a reply that is slow or never comes
            for (int i = 0; i <= arg * 2; ++i)
                h.tick();
            break;
        case 3: // the next reply, whole
            h.lastDelivered = h.takeReply();
            h.receive(h.lastDelivered);
            h.stepsAtDelivery = h.steps;
            break;
        case 4: // a stretch of plain work: each reply whole, ticks while none is due
            for (int i = 0; i < (arg + 1) * 8; ++i) {
                if (h.replies.empty()) {
                    h.tick();
                    continue;
                }
                h.lastDelivered = h.takeReply();
                h.receive(h.lastDelivered);
                h.stepsAtDelivery = h.steps;
            }
            break;
        case 5: {          // the next reply in two pieces, perhaps with a tick between
            if (arg & 2) { // or one byte at a time
                h.lastDelivered = h.takeReply();
                h.receiveByteByByte(h.lastDelivered);
                h.stepsAtDelivery = h.steps;
                break;
            }
            const QByteArray r = h.takeReply();
            const qsizetype cut = r.isEmpty() ? 0 : in.byte() % r.size();
            h.receive(r.left(cut));
            if (arg & 1)
                h.tick();
            h.receive(r.mid(cut));
            h.lastDelivered = r;
            h.stepsAtDelivery = h.steps;
            break;
        }
        case 6: { // the next reply with one byte changed on the line
            QByteArray r = h.takeReply();
            if (!r.isEmpty()) {
                const qsizetype at = in.byte() % r.size();
                r[at] = static_cast<char>(r[at] ^ (in.byte() | 1));
            }
            h.receive(r);
            break;
        }
        case 7: // the last reply once more: at once, or late
            if (h.steps != h.stepsAtDelivery)
                h.trusted = false;
            h.receive(h.lastDelivered);
            break;
        case 8: // the next reply is lost
            h.takeReply(false);
            break;
        case 9: { // the next reply cut short, or with bytes after it
            QByteArray r = h.takeReply();
            h.trusted = false;
            if (arg & 1)
                r += in.bytes(in.byte() % 8 + 1);
            else
                r.truncate(r.isEmpty() ? 0 : in.byte() % r.size());
            h.receive(r);
            break;
        }
        case 10: // bytes of the fuzzer's own
            h.trusted = false;
            h.receive(in.bytes(arg * 20 + in.byte() % 20));
            break;
        case 11: // a long run of the fuzzer's own bytes
            h.trusted = false;
            h.receive(in.bytes(static_cast<size_t>(in.byte()) * 4));
            break;
        case 12: // the user starts another operation
            h.start(in.byte(), in);
            break;
        case 13: // the adapter is pulled; what was on the line is gone
            h.engine->portLost();
            h.replies.clear();
            h.afterStep();
            break;
        case 14: // the port will not open, or opens again
            h.channel.refuseOpen = arg & 1;
            break;
        case 15: // the start window still holds the port, or lets it go
            h.gateOpen = arg & 1;
            break;
        }
    }
    if (kStrict)
        h.cleanLineToTheEnd();
    h.finish();
    return 0;
}
