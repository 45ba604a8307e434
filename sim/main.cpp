// alvento-sim: serves a simulated communicator module on a pseudo-terminal.
// First stdout line: "PTY <slave path>", then "PID <process id>"; then one
// line per request received ("RX <hex>"), per module event ("CLOCK <digits>",
// "RESTART", "LIFESIGNAL", "TELNET", "GSMROUTE", "BADSUM"; in modem mode
// "MODEM ON", "CMD <command line>", "PHONEBOOK <slot>", "PIN ...", "CSCA <n>",
// "USSD <code>", "CALL ...", "SMS ...", "MODEM SILENT", "MODEM OFF"), per run of
// discarded bytes ("DROP <hex>"), per held-back reply and duplicate copy sent
// ("LATE", "DUPLICATE"), per pulled and restored port ("VANISH",
// "BACK <slave path>"), per failed save ("SAVEFAIL <reason>") and per run of
// bytes sent at a speed the module does not run at ("NOISE <baud> <hex>"),
// and per maintenance event ("PROCESSOR", "FIRMWARE STREAM", "FIRMWARE STREAM
// END", "FIRMWARE LOAD", "FIRMWARE INCOMPLETE <blocks>", "MONITOR ON",
// "MONITOR OFF").

#include "core/example_config.h"
#include "core/legacy_records.h"
#include "core/line_speed.h"
#include "core/memory_file.h"
#include "core/modem_options.h"
#include "core/reply_faults.h"
#include "core/sim_module.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace alvento::sim;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_vanish = 0;
volatile std::sig_atomic_t g_back = 0;
void onStop(int) {
    g_stop = 1;
}
void onVanish(int) {
    g_vanish = 1;
}
void onBack(int) {
    g_back = 1;
}

struct Options {
    ModuleOptions module;
    FaultOptions faults;
    std::string memoryFile;
    bool exampleConfig = false;
    // Sounds streamed to the module are saved here; caller-ID records it starts with.
    std::string soundOut;
    std::vector<std::pair<int, std::string>> callerIds;
    std::string phonebookFile;
    std::string saveFile;
    std::string linkPath;
    std::string recordsFile;
    int lineBaud = 0;
    int delayMs = 0;
    int paceBaud = 0;
    // The reply to the first request at each of these addresses is held back
    // until a request at an address 256, 512 or 768 further on comes in, and
    // goes out just before that request's reply.
    std::vector<std::uint32_t> holdAt;
    int vanishAfter = 0;
    int vanishMs = 500;
    // Maintenance: where the downloaded firmware is saved when the module
    // loads it, the pace of the monitor text, status bytes and the last
    // Contact ID message.
    std::string firmwareOut;
    int monitorMs = 200;
    std::vector<std::pair<int, int>> statusBytes;
    std::string contactIdMessage;
};

// Every option, as --help lists it.
struct OptionHelp {
    const char* option;
    const char* meaning;
};
// clang-format off
constexpr OptionHelp kOptionHelp[] = {
    {"--model 30|50|60|61|70|71|80|90|100", "model code at address 255 (default 71)"},
    {"--version V",               "software version x 10 at address 254 (default 43)"},
    {"--build N",                 "build number at address 252 (default 1)"},
    {"--memory FILE",             "load up to 8192 bytes of memory at start"},
    {"--example-config",          "start from a configured module of the model (70..100)"},
    {"--save FILE",               "keep the memory in FILE after each write and on exit"},
    {"--link PATH",               "symbolic link PATH to the pseudo-terminal"},
    {"--records FILE",            "models 60, 61: their 64-byte records, kept in FILE"},
    {"--line-baud B",             "the module runs at B baud; other speeds are noise"},
    {"--pace-baud B",             "bytes cross the line at B baud, both ways"},
    {"--identify-only",           "never answer the read of 0x00FF"},
    {"--bad-complement",          "every six-byte reply has a wrong complement"},
    {"--drop-every N",            "every Nth reply is lost"},
    {"--corrupt-check-every N",   "every Nth reply has a wrong check or sum"},
    {"--corrupt-complement-every N", "every Nth reply has a wrong complement"},
    {"--split-every N",           "every Nth reply goes out in two halves"},
    {"--duplicate-every N",       "every Nth reply is sent twice"},
    {"--late-every N",            "every Nth reply is held back --late-ms"},
    {"--drop-at A",               "the reply at module address A is lost (repeatable)"},
    {"--late-at A",               "the reply at address A is held back (repeatable)"},
    {"--duplicate-at A",          "the reply at address A is sent twice (repeatable)"},
    {"--at-times K",              "the --*-at faults hit K replies per address (0: all)"},
    {"--drop-write-at A",         "writes to address A are acknowledged, not stored"},
    {"--late-ms MS",              "hold-back of a late reply (default 400)"},
    {"--duplicate-gap-ms MS",     "gap between a reply and its copy (default 10)"},
    {"--delay-ms MS",             "every reply is sent MS later"},
    {"--hold-at A",               "the reply at address A is held until A + 256 is asked"},
    {"--vanish-after N",          "the port vanishes after the Nth request"},
    {"--vanish-ms MS",            "how long the port stays away (default 500)"},
    {"--sound-out FILE",          "sound files streamed to the module are saved here"},
    {"--caller-id RECORD:NUMBER", "caller-ID record 0..303 starts with NUMBER"},
    {"--phonebook FILE",          "the SIM phonebook, kept in FILE"},
    {"--pin PIN",                 "the SIM asks for PIN (4 to 8 digits)"},
    {"--imei DIGITS",             "the modem's IMEI, 15 digits"},
    {"--balance-text TEXT",       "the operator's answer to a balance query"},
    {"--balance-code CODE",       "the service code that asks for it, e.g. *102#"},
    {"--ussd-ms MS",              "delay of the operator's answer (default 300)"},
    {"--modem-silent-after N",    "the modem stops answering after N command lines"},
    {"--processor 10|11",         "processor type named by the processor query"},
    {"--hardware N",              "hardware version byte (default 1)"},
    {"--firmware-version V",      "version run after loading a new firmware (default 43)"},
    {"--load-silent N",           "version queries left unanswered while a firmware loads"},
    {"--firmware-out FILE",       "a downloaded firmware is saved here when loaded"},
    {"--monitor-ms MS",           "pace of the monitor text (default 200)"},
    {"--status I=V",              "live status byte I (0..31) holds V"},
    {"--cid-message DIGITS",      "the last Contact ID message of the status block"},
    {"--status-clock HHMM",       "the module clock of the status block"},
    {"--help",                    "this list"},
};
// clang-format on

void printHelp(std::FILE* to) {
    std::fprintf(to, "usage: alvento-sim [OPTION]...\n"
                     "Serves a simulated communicator module on a pseudo-terminal; the first line\n"
                     "printed is \"PTY <path>\". Options (sim/README.md tells more):\n");
    for (const OptionHelp& h : kOptionHelp)
        std::fprintf(to, "  %-36s %s\n", h.option, h.meaning);
}

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr, "alvento-sim: %s\n", why);
    printHelp(stderr);
    std::exit(2);
}

int toInt(const char* text, int lo, int hi, const char* name) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || errno || v < lo || v > hi)
        usage((std::string("bad value for ") + name).c_str());
    return static_cast<int>(v);
}

Options parse(int argc, char** argv) {
    constexpr int kMany = 1 << 30;
    constexpr int kMaxMs = 600000;
    constexpr int kMaxAddress = 0xFFFF;
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage(("missing value for " + a).c_str());
            return argv[++i];
        };
        auto number = [&](int lo, int hi) { return toInt(value(), lo, hi, a.c_str()); };
        if (a == "--help" || a == "-h") {
            printHelp(stdout);
            std::exit(0);
        } else if (a == "--sound-out") {
            o.soundOut = value();
        } else if (a == "--caller-id") {
            // RECORD:NUMBER, record 0..303 of the caller-ID list.
            const std::string v = value();
            const auto colon = v.find(':');
            if (colon == std::string::npos)
                usage("--caller-id needs RECORD:NUMBER");
            o.callerIds.emplace_back(toInt(v.substr(0, colon).c_str(), 0, 303, "--caller-id"),
                                     v.substr(colon + 1));
        } else if (a == "--model") {
            o.module.model = number(0, 255);
            static constexpr int known[] = {30, 50, 60, 61, 70, 71, 80, 90, 100};
            if (std::find(std::begin(known), std::end(known), o.module.model) == std::end(known))
                usage("unknown model code");
        } else if (a == "--version") {
            o.module.version = number(0, 255);
        } else if (a == "--build") {
            o.module.build = number(0, 255);
        } else if (a == "--memory") {
            o.memoryFile = value();
        } else if (a == "--example-config") {
            o.exampleConfig = true;
        } else if (a == "--save") {
            o.saveFile = value();
        } else if (a == "--link") {
            o.linkPath = value();
        } else if (a == "--records") {
            o.recordsFile = value();
        } else if (a == "--line-baud") {
            o.lineBaud = number(1, 10000000);
        } else if (a == "--identify-only") {
            o.module.identifyOnly = true;
        } else if (a == "--bad-complement") {
            o.faults.badComplement = true;
        } else if (a == "--drop-every") {
            o.faults.dropEvery = number(0, kMany);
        } else if (a == "--corrupt-check-every") {
            o.faults.corruptCheckEvery = number(0, kMany);
        } else if (a == "--corrupt-complement-every") {
            o.faults.corruptComplementEvery = number(0, kMany);
        } else if (a == "--split-every") {
            o.faults.splitEvery = number(0, kMany);
        } else if (a == "--duplicate-every") {
            o.faults.duplicateEvery = number(0, kMany);
        } else if (a == "--late-every") {
            o.faults.lateEvery = number(0, kMany);
        } else if (a == "--drop-at") {
            o.faults.dropAt.push_back(static_cast<std::uint32_t>(number(0, kMaxAddress)));
        } else if (a == "--drop-write-at") {
            o.module.dropWriteAt.push_back(static_cast<std::uint32_t>(number(0, kMaxAddress)));
        } else if (a == "--late-at") {
            o.faults.lateAt.push_back(static_cast<std::uint32_t>(number(0, kMaxAddress)));
        } else if (a == "--duplicate-at") {
            o.faults.duplicateAt.push_back(static_cast<std::uint32_t>(number(0, kMaxAddress)));
        } else if (a == "--at-times") {
            o.faults.atTimes = number(0, kMany);
        } else if (a == "--hold-at") {
            o.holdAt.push_back(static_cast<std::uint32_t>(number(0, kMaxAddress)));
        } else if (a == "--late-ms") {
            o.faults.lateMs = number(0, kMaxMs);
        } else if (a == "--duplicate-gap-ms") {
            o.faults.duplicateGapMs = number(0, kMaxMs);
        } else if (a == "--delay-ms") {
            o.delayMs = number(0, kMaxMs);
        } else if (a == "--pace-baud") {
            o.paceBaud = number(0, 10000000);
        } else if (a == "--vanish-after") {
            o.vanishAfter = number(0, kMany);
        } else if (a == "--vanish-ms") {
            o.vanishMs = number(0, kMaxMs);
        } else if (a == "--processor") {
            o.module.processor = number(0, 255);
        } else if (a == "--hardware") {
            o.module.hardware = number(0, 255);
        } else if (a == "--firmware-version") {
            o.module.firmwareVersion = number(0, 255);
        } else if (a == "--load-silent") {
            o.module.loadSilentQueries = number(0, kMany);
        } else if (a == "--firmware-out") {
            o.firmwareOut = value();
        } else if (a == "--monitor-ms") {
            o.monitorMs = number(1, kMaxMs);
        } else if (a == "--status") {
            // I=V: status byte I (0..31) holds V (0..255).
            const std::string iv = value();
            const auto eq = iv.find('=');
            if (eq == std::string::npos)
                usage("--status needs I=V");
            o.statusBytes.emplace_back(
                toInt(iv.substr(0, eq).c_str(), 0, kStatusSize - 1, "--status"),
                toInt(iv.substr(eq + 1).c_str(), 0, 255, "--status"));
        } else if (a == "--cid-message") {
            o.contactIdMessage = value();
        } else if (a == "--status-clock") {
            o.module.statusClock = value();
            if (o.module.statusClock.size() != 4 ||
                !std::all_of(o.module.statusClock.begin(), o.module.statusClock.end(),
                             [](char c) { return c >= '0' && c <= '9'; }))
                usage("--status-clock needs HHMM");
        } else if (a == "--phonebook") {
            o.phonebookFile = value();
        } else if (a == "--ussd-ms") {
            o.module.modem.ussdDelayMs = number(0, kMaxMs);
        } else if (a == "--modem-silent-after") {
            o.module.modem.silentAfter = number(0, kMany);
        } else if (const auto why = setModemOption(o.module.modem, a, value)) {
            if (!why->empty())
                usage(why->c_str());
        } else {
            usage(("unknown option " + a).c_str());
        }
    }
    return o;
}

std::string hex(const Bytes& bytes) {
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        s += buf;
    }
    return s;
}

void printLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class Line {
  public:
    explicit Line(int paceBaud) {
        if (paceBaud > 0)
            byteTime_ = std::chrono::nanoseconds(10'000'000'000LL / paceBaud);
    }

    void attach(int master) {
        fd_ = master;
        rxDone_ = {};
    }

    // A request is complete only when its last byte could have crossed the
    // line at the paced rate.
    void paceReceived(std::size_t n) {
        if (byteTime_.count() == 0)
            return;
        rxDone_ = std::max(rxDone_, Clock::now()) + byteTime_ * n;
        std::this_thread::sleep_until(rxDone_);
    }

    void send(const std::uint8_t* data, std::size_t n) {
        if (byteTime_.count() == 0) {
            writeAll(data, n);
            return;
        }
        auto next = Clock::now();
        for (std::size_t i = 0; i < n; ++i) {
            writeAll(data + i, 1);
            next += byteTime_;
            std::this_thread::sleep_until(next);
        }
    }

  private:
    // Nobody may be reading the other end; once its queue is full the bytes
    // are lost, as on a real line with the port closed.
    void writeAll(const std::uint8_t* data, std::size_t n) {
        while (n > 0) {
            const ssize_t w = ::write(fd_, data, n);
            if (w > 0) {
                data += w;
                n -= static_cast<std::size_t>(w);
            } else if (w < 0 && errno == EINTR) {
                continue;
            } else if (w < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, 100) <= 0)
                    return;
            } else {
                return;
            }
        }
    }

    int fd_ = -1;
    std::chrono::nanoseconds byteTime_{0};
    Clock::time_point rxDone_{};
};

// The pseudo-terminal pair. Closing the master is pulling the cable: the
// tool's open slave gets end-of-file and EIO, and the slave's device node is
// gone until a new pair is opened.
class Port {
  public:
    ~Port() { close(); }

    bool open() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return fail();
        const char* name = ::ptsname(master_);
        if (!name)
            return fail();
        path_ = name;
        // Holding the slave open keeps the master from seeing a hang-up while
        // the tool has its port closed.
        slave_ = ::open(name, O_RDWR | O_NOCTTY);
        if (slave_ < 0)
            return fail();
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B9600);
        ::tcsetattr(slave_, TCSANOW, &t);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        return true;
    }

    void close() {
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
        slave_ = master_ = -1;
    }

    bool present() const { return master_ >= 0; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& path() const { return path_; }

  private:
    bool fail() {
        const int error = errno;
        close();
        errno = error;
        return false;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Only a symbolic link is ever removed: a file the user keeps at that path is not ours.
void removeLink(const std::string& link) {
    struct stat st {};
    if (!link.empty() && ::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        ::unlink(link.c_str());
}

void placeLink(const std::string& link, const std::string& target) {
    if (link.empty())
        return;
    removeLink(link);
    if (::symlink(target.c_str(), link.c_str()) != 0)
        std::perror("alvento-sim: --link");
}

// A reply on its way out, part by part. Each part keeps its gap to the end
// of the one before, so on a paced line the halves of a split reply and a
// duplicate's copy are still apart by their gap on the wire.
struct Outgoing {
    std::vector<Transmission> parts;
    std::size_t next = 0;
};

} // namespace

int main(int argc, char** argv) {
    const Options opt = parse(argc, argv);

    SimModule module(opt.module);
    for (const auto& [record, number] : opt.callerIds)
        module.setCallerId(record, number);
    if (opt.exampleConfig)
        module.loadMemory(exampleConfiguration(opt.module.model));
    if (!opt.memoryFile.empty()) {
        std::ifstream f(opt.memoryFile, std::ios::binary);
        if (!f)
            usage("cannot read --memory file");
        Bytes image(kMemorySize);
        f.read(reinterpret_cast<char*>(image.data()), kMemorySize);
        image.resize(static_cast<std::size_t>(f.gcount()));
        module.loadMemory(image);
    }
    std::optional<RecordArea> records;
    if (!opt.recordsFile.empty()) {
        records = recordArea(opt.module.model);
        if (!records)
            usage("--records needs a GPS model (60 or 61)");
        // A file that is not there yet starts the records erased.
        std::ifstream f(opt.recordsFile, std::ios::binary);
        if (f) {
            Bytes bytes(records->size());
            f.read(reinterpret_cast<char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
            bytes.resize(static_cast<std::size_t>(f.gcount()));
            loadRecords(module, *records, bytes);
        }
    }
    if (!opt.phonebookFile.empty()) {
        const std::string error = loadPhonebookFile(module.modem(), opt.phonebookFile);
        if (!error.empty())
            usage(("--phonebook " + error).c_str());
    }
    for (const auto& [index, value] : opt.statusBytes)
        module.setStatusByte(index, static_cast<std::uint8_t>(value));
    if (!opt.contactIdMessage.empty())
        module.setContactIdMessage(opt.contactIdMessage);
    ReplyFaults faults(opt.faults);

    Port port;
    if (!port.open()) {
        std::perror("alvento-sim: pseudo-terminal");
        return 1;
    }
    placeLink(opt.linkPath, port.path());

    // The signals are only taken while waiting for the line, so none is lost
    // between looking at the flags and going to sleep.
    sigset_t handled, waitMask;
    sigemptyset(&handled);
    for (int sig : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2})
        sigaddset(&handled, sig);
    ::sigprocmask(SIG_BLOCK, &handled, &waitMask);
    for (int sig : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2})
        sigdelset(&waitMask, sig);
    struct sigaction sa {};
    sa.sa_handler = onStop;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    sa.sa_handler = onVanish;
    ::sigaction(SIGUSR1, &sa, nullptr);
    sa.sa_handler = onBack;
    ::sigaction(SIGUSR2, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    printLine("PTY " + port.path());
    printLine("PID " + std::to_string(::getpid()));

    Line line(opt.paceBaud);
    line.attach(port.master());
    std::multimap<Clock::time_point, Outgoing> queue;
    bool dirty = false;
    bool phonebookDirty = false;
    long requests = 0;
    Clock::time_point lastInput = Clock::now();
    Clock::time_point lastReply{};
    std::optional<Clock::time_point> backAt; // away: when the port returns by itself
    Clock::time_point nextMonitorLine{};

    auto printDropped = [&] {
        const Bytes dropped = module.takeDropped();
        if (!dropped.empty())
            printLine("DROP " + hex(dropped));
    };
    auto saveOne = [&](const std::string& path, std::span<const std::uint8_t> bytes) {
        if (path.empty())
            return true;
        const std::string error = saveMemoryFile(path, bytes);
        if (error.empty())
            return true;
        printLine("SAVEFAIL " + error);
        std::fprintf(stderr, "alvento-sim: cannot save %s: %s\n", path.c_str(), error.c_str());
        return false;
    };
    auto savePhonebook = [&] {
        phonebookDirty = false;
        if (opt.phonebookFile.empty())
            return true;
        const std::string text = module.modem().phonebookText();
        const std::string error = saveMemoryFile(
            opt.phonebookFile,
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        if (error.empty())
            return true;
        printLine("SAVEFAIL " + error);
        std::fprintf(stderr, "alvento-sim: cannot save %s: %s\n", opt.phonebookFile.c_str(),
                     error.c_str());
        return false;
    };
    auto save = [&] {
        const bool memory = saveOne(opt.saveFile, module.memory());
        const bool kept = !records || saveOne(opt.recordsFile, recordBytes(module, *records));
        return memory && kept;
    };
    // The memory stays; what was on the line in either direction is lost.
    auto vanish = [&](std::optional<Clock::time_point> until) {
        if (!port.present())
            return;
        module.lineIdle();
        printDropped();
        queue.clear();
        removeLink(opt.linkPath);
        port.close();
        line.attach(-1);
        backAt = until;
        printLine("VANISH");
    };
    auto comeBack = [&] {
        if (!port.open()) {
            std::perror("alvento-sim: pseudo-terminal");
            return false;
        }
        placeLink(opt.linkPath, port.path());
        line.attach(port.master());
        lastReply = {};
        backAt.reset();
        printLine("BACK " + port.path());
        return true;
    };

    std::size_t soundsSaved = 0;
    int status = 0;
    std::vector<std::pair<std::uint32_t, Bytes>> held; // --hold-at replies not yet sent
    std::vector<std::uint32_t> holdAt = opt.holdAt;    // addresses whose reply is still to hold
    while (!g_stop) {
        if (g_vanish) {
            g_vanish = 0;
            vanish(std::nullopt);
        }
        const bool due = backAt && Clock::now() >= *backAt;
        if (!port.present() && (g_back || due) && !comeBack()) {
            status = 1;
            break;
        }
        g_back = 0;

        auto now = Clock::now();
        while (port.present() && !queue.empty() && queue.begin()->first <= now) {
            Outgoing out = std::move(queue.begin()->second);
            queue.erase(queue.begin());
            const Transmission& part = out.parts[out.next];
            line.send(part.bytes.data(), part.bytes.size());
            now = lastReply = Clock::now();
            if (part.copy)
                printLine("DUPLICATE");
            else if (part.late && out.next == 0)
                printLine("LATE");
            if (++out.next < out.parts.size()) {
                const int gap = out.parts[out.next].atMs - part.atMs;
                queue.emplace(now + milliseconds(gap), std::move(out));
            }
        }
        // A gap of 100 ms inside a request ends it; pending byte writes are
        // saved once the line has been quiet for a moment.
        if (module.hasPartial() && now - lastInput >= milliseconds(100)) {
            module.lineIdle();
            printDropped();
        }
        if (dirty && now - lastInput >= milliseconds(50)) {
            save();
            dirty = false;
        }
        if (phonebookDirty && now - lastInput >= milliseconds(50))
            savePhonebook();

        // In monitor mode the module sends a line of its diagnostic text now and then.
        if (!module.monitorMode()) {
            nextMonitorLine = {};
        } else if (nextMonitorLine == Clock::time_point{}) {
            nextMonitorLine = now + milliseconds(opt.monitorMs);
        } else if (now >= nextMonitorLine && port.present()) {
            const std::string text = module.nextMonitorLine();
            line.send(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
            lastReply = Clock::now();
            nextMonitorLine = now + milliseconds(opt.monitorMs);
        }

        auto wake = now + milliseconds(250);
        if (nextMonitorLine != Clock::time_point{})
            wake = std::min(wake, nextMonitorLine);
        if (!queue.empty())
            wake = std::min(wake, queue.begin()->first);
        if (module.hasPartial())
            wake = std::min(wake, lastInput + milliseconds(100));
        if (dirty || phonebookDirty)
            wake = std::min(wake, lastInput + milliseconds(50));
        if (backAt)
            wake = std::min(wake, *backAt);
        const auto wait = std::max(Clock::duration::zero(), wake - now);
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        const timespec ts{static_cast<time_t>(ns / 1'000'000'000),
                          static_cast<long>(ns % 1'000'000'000)};
        pollfd p{port.master(), POLLIN, 0};
        const int rc = ::ppoll(&p, port.present() ? 1 : 0, &ts, &waitMask);
        if (rc <= 0)
            continue; // time up, or a signal the loop looks at next
        if (!(p.revents & POLLIN)) {
            std::this_thread::sleep_for(milliseconds(10));
            continue;
        }
        std::uint8_t buf[4096];
        const ssize_t n = ::read(port.master(), buf, sizeof buf);
        if (n <= 0) {
            std::this_thread::sleep_for(milliseconds(10));
            continue;
        }
        lastInput = Clock::now();
        // Replies nobody collected for a second were sent while the tool had
        // its port closed; a real line would have lost them.
        if (lastReply != Clock::time_point{} && lastInput - lastReply > std::chrono::seconds(1))
            ::tcflush(port.slave(), TCIFLUSH);
        line.paceReceived(static_cast<std::size_t>(n));
        // The module runs at one speed: what the tool sends at another is noise.
        if (opt.lineBaud > 0) {
            const int toolBaud = lineBaud(port.slave());
            if (toolBaud != opt.lineBaud) {
                printLine("NOISE " + std::to_string(toolBaud) + " " + hex(Bytes(buf, buf + n)));
                continue;
            }
        }

        const auto taken = Clock::now();
        for (Exchange& ex : module.feed(std::span(buf, static_cast<std::size_t>(n)))) {
            printDropped();
            // Bytes for the modem are told by its events (CMD lines).
            if (!ex.modem)
                printLine("RX " + hex(ex.request));
            ++requests;
            dirty = dirty || ex.memoryWritten;
            phonebookDirty = phonebookDirty || ex.phonebookChanged;
            if (ex.transactionEnd && dirty) {
                save();
                dirty = false;
            }
            for (const auto& e : ex.events)
                printLine(e);
            if (std::find(ex.events.begin(), ex.events.end(), "FIRMWARE LOAD") != ex.events.end())
                saveOne(opt.firmwareOut, module.firmware());

            // A held reply released here goes out first, the request's own a
            // moment later, so that the tool sees them apart.
            int afterHeldMs = 0;
            if (ex.address && !ex.reply.empty()) {
                const std::uint32_t address = *ex.address;
                // A held reply goes out as the alias of its address is asked.
                const auto alias = std::find_if(held.begin(), held.end(), [&](const auto& h) {
                    return h.first != address && (h.first & 0xFF) == (address & 0xFF);
                });
                if (alias != held.end()) {
                    if (port.present())
                        queue.emplace(taken, Outgoing{{Transmission{0, alias->second, true}}});
                    held.erase(alias);
                    afterHeldMs = 20;
                }
                const auto hold = std::find(holdAt.begin(), holdAt.end(), address);
                if (hold != holdAt.end()) {
                    holdAt.erase(hold);
                    held.emplace_back(address, std::move(ex.reply));
                    printLine("HOLD " + std::to_string(address));
                    continue;
                }
            }
            const FaultedReply reply = faults.apply(std::move(ex.reply), ex.address);
            std::vector<Transmission> parts =
                faults.schedule(reply, opt.delayMs + ex.delayMs + afterHeldMs);
            if (port.present() && !parts.empty()) {
                const auto due = taken + milliseconds(parts.front().atMs);
                queue.emplace(due, Outgoing{std::move(parts)});
            }
            if (opt.vanishAfter > 0 && requests == opt.vanishAfter)
                vanish(taken + milliseconds(opt.vanishMs));
        }
        printDropped();
        // Each sound whose stream has ended goes to --sound-out.
        const std::size_t ended = module.sounds().size() - (module.soundStreamOpen() ? 1 : 0);
        for (; !opt.soundOut.empty() && soundsSaved < ended; ++soundsSaved) {
            const std::string error = saveSound(opt.soundOut, module.sounds()[soundsSaved]);
            if (!error.empty())
                printLine("SAVEFAIL " + error);
        }
    }

    if (!save())
        status = 1;
    if (phonebookDirty && !savePhonebook())
        status = 1;
    if (port.present())
        removeLink(opt.linkPath);
    port.close();
    return status;
}
