// alvento-sim: serves a simulated communicator module on a pseudo-terminal.
// First stdout line: "PTY <slave path>"; then one line per request received
// ("RX <hex>"), per module event ("CLOCK <digits>", "RESTART", "LIFESIGNAL",
// "TELNET", "GSMROUTE", "BADSUM") and per run of discarded bytes ("DROP <hex>").

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
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace alvento::sim;
using Clock = std::chrono::steady_clock;

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}

struct Options {
    ModuleOptions module;
    FaultOptions faults;
    std::string memoryFile;
    std::string saveFile;
    std::string linkPath;
    int delayMs = 0;
    int paceBaud = 0;
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr,
                 "alvento-sim: %s\n"
                 "usage: alvento-sim [--model 30|50|60|61|70|71|80|90|100] [--version V]\n"
                 "  [--build N] [--memory FILE] [--save FILE] [--link PATH]\n"
                 "  [--identify-only] [--bad-complement] [--drop-every N]\n"
                 "  [--corrupt-check-every N] [--corrupt-complement-every N]\n"
                 "  [--split-every N] [--delay-ms MS] [--pace-baud B]\n",
                 why);
    std::exit(2);
}

int toInt(const char* text, int lo, int hi, const char* name) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi)
        usage((std::string("bad value for ") + name).c_str());
    return static_cast<int>(v);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage(("missing value for " + a).c_str());
            return argv[++i];
        };
        if (a == "--model") {
            o.module.model = toInt(value(), 0, 255, "--model");
            static constexpr int known[] = {30, 50, 60, 61, 70, 71, 80, 90, 100};
            if (std::find(std::begin(known), std::end(known), o.module.model) == std::end(known))
                usage("unknown model code");
        } else if (a == "--version") {
            o.module.version = toInt(value(), 0, 255, "--version");
        } else if (a == "--build") {
            o.module.build = toInt(value(), 0, 255, "--build");
        } else if (a == "--memory") {
            o.memoryFile = value();
        } else if (a == "--save") {
            o.saveFile = value();
        } else if (a == "--link") {
            o.linkPath = value();
        } else if (a == "--identify-only") {
            o.module.identifyOnly = true;
        } else if (a == "--bad-complement") {
            o.faults.badComplement = true;
        } else if (a == "--drop-every") {
            o.faults.dropEvery = toInt(value(), 0, 1 << 30, "--drop-every");
        } else if (a == "--corrupt-check-every") {
            o.faults.corruptCheckEvery = toInt(value(), 0, 1 << 30, "--corrupt-check-every");
        } else if (a == "--corrupt-complement-every") {
            o.faults.corruptComplementEvery =
                toInt(value(), 0, 1 << 30, "--corrupt-complement-every");
        } else if (a == "--split-every") {
            o.faults.splitEvery = toInt(value(), 0, 1 << 30, "--split-every");
        } else if (a == "--delay-ms") {
            o.delayMs = toInt(value(), 0, 600000, "--delay-ms");
        } else if (a == "--pace-baud") {
            o.paceBaud = toInt(value(), 0, 10000000, "--pace-baud");
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

// Written beside the target and renamed over it, so a reader never sees half a file.
void saveMemory(const SimModule& module, const std::string& path) {
    if (path.empty())
        return;
    const std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(module.memory().data()), kMemorySize);
        if (!f)
            return;
    }
    std::rename(tmp.c_str(), path.c_str());
}

class Line {
  public:
    Line(int master, int paceBaud) : fd_(master) {
        if (paceBaud > 0)
            byteTime_ = std::chrono::nanoseconds(10'000'000'000LL / paceBaud);
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

    int fd_;
    std::chrono::nanoseconds byteTime_{0};
    Clock::time_point rxDone_{};
};

int openPty(std::string& slavePath, int& slaveFd) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return -1;
    const char* name = ::ptsname(master);
    if (!name)
        return -1;
    slavePath = name;
    // Holding the slave open keeps the master from seeing a hang-up while the
    // tool has its port closed.
    slaveFd = ::open(name, O_RDWR | O_NOCTTY);
    if (slaveFd < 0)
        return -1;
    termios t{};
    ::tcgetattr(slaveFd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    ::tcsetattr(slaveFd, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

} // namespace

int main(int argc, char** argv) {
    const Options opt = parse(argc, argv);

    SimModule module(opt.module);
    if (!opt.memoryFile.empty()) {
        std::ifstream f(opt.memoryFile, std::ios::binary);
        if (!f)
            usage("cannot read --memory file");
        Bytes image(kMemorySize);
        f.read(reinterpret_cast<char*>(image.data()), kMemorySize);
        image.resize(static_cast<std::size_t>(f.gcount()));
        module.loadMemory(image);
    }
    ReplyFaults faults(opt.faults);

    std::string slavePath;
    int slaveFd = -1;
    const int master = openPty(slavePath, slaveFd);
    if (master < 0) {
        std::perror("alvento-sim: pseudo-terminal");
        return 1;
    }
    if (!opt.linkPath.empty()) {
        struct stat st {};
        if (::lstat(opt.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(opt.linkPath.c_str());
        if (::symlink(slavePath.c_str(), opt.linkPath.c_str()) != 0)
            std::perror("alvento-sim: --link");
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    printLine("PTY " + slavePath);

    Line line(master, opt.paceBaud);
    bool dirty = false;
    Clock::time_point lastReply{};
    auto printDropped = [&] {
        const Bytes dropped = module.takeDropped();
        if (!dropped.empty())
            printLine("DROP " + hex(dropped));
    };

    while (!g_stop) {
        // A gap of 100 ms inside a request ends it; pending byte writes are
        // saved once the line has been quiet for a moment.
        const int timeout = module.hasPartial() ? 100 : dirty ? 50 : 250;
        pollfd p{master, POLLIN, 0};
        const int rc = ::poll(&p, 1, timeout);
        if (rc < 0)
            continue; // EINTR: the loop condition sees the signal
        if (rc == 0) {
            if (module.hasPartial()) {
                module.lineIdle();
                printDropped();
            }
            if (dirty) {
                saveMemory(module, opt.saveFile);
                dirty = false;
            }
            continue;
        }
        if (!(p.revents & POLLIN)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        std::uint8_t buf[4096];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        // Replies nobody collected for a second were sent while the tool had
        // its port closed; a real line would have lost them.
        if (lastReply != Clock::time_point{} && Clock::now() - lastReply > std::chrono::seconds(1))
            ::tcflush(slaveFd, TCIFLUSH);
        line.paceReceived(static_cast<std::size_t>(n));

        for (Exchange& ex : module.feed(std::span(buf, static_cast<std::size_t>(n)))) {
            printDropped();
            printLine("RX " + hex(ex.request));
            dirty = dirty || ex.memoryWritten;
            if (ex.transactionEnd && dirty) {
                saveMemory(module, opt.saveFile);
                dirty = false;
            }
            for (const auto& e : ex.events)
                printLine(e);

            const FaultedReply out = faults.apply(std::move(ex.reply));
            if (out.bytes.empty())
                continue;
            if (opt.delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(opt.delayMs));
            if (out.split > 0) {
                line.send(out.bytes.data(), out.split);
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                line.send(out.bytes.data() + out.split, out.bytes.size() - out.split);
            } else {
                line.send(out.bytes.data(), out.bytes.size());
            }
            lastReply = Clock::now();
        }
        printDropped();
    }

    saveMemory(module, opt.saveFile);
    if (!opt.linkPath.empty())
        ::unlink(opt.linkPath.c_str());
    ::close(slaveFd);
    ::close(master);
    return 0;
}
