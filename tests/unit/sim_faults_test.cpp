// The simulator's line faults: which replies are lost, held back or sent
// twice, when each part goes out, the port that is pulled and comes back,
// and a save that cannot leave debris. The wire tests run the real
// executable on its pty.

#include "core/memory_file.h"
#include "core/reply_faults.h"
#include "core/sim_module.h"
#include "support/pty_sim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace alvento::sim;

namespace {

const Bytes kFrame = makeFrame(0xAB, 0x00, 0x4A, 0x12);

// 'o' sent as it is, 'd' lost, 'l' late, '2' sent twice, 'b' late and twice.
char classify(const FaultedReply& r) {
    if (r.bytes.empty())
        return 'd';
    if (r.late && r.duplicate)
        return 'b';
    return r.late ? 'l' : r.duplicate ? '2' : 'o';
}

} // namespace

TEST(SimReplyFaults, EveryNthReplyIsLateDuplicatedOrLost) {
    struct Case {
        FaultOptions faults;
        const char* expect; // replies 1..6
    } cases[] = {
        {{}, "oooooo"},
        {{.duplicateEvery = 1}, "222222"},
        {{.duplicateEvery = 2}, "o2o2o2"},
        {{.duplicateEvery = 3}, "oo2oo2"},
        {{.lateEvery = 2}, "ololol"},
        {{.duplicateEvery = 2, .lateEvery = 3}, "o2l2ob"},
        // a lost reply is neither late nor duplicated
        {{.dropEvery = 2, .duplicateEvery = 2}, "ododod"},
        {{.dropEvery = 3, .lateEvery = 1}, "lldlld"},
    };
    for (const auto& c : cases) {
        ReplyFaults f(c.faults);
        std::string got;
        for (int i = 0; i < 6; ++i) {
            // a request the module does not answer is not a reply
            EXPECT_EQ(classify(f.apply({})), 'd');
            got += classify(f.apply(kFrame, 74));
        }
        EXPECT_EQ(got, c.expect);
    }
}

TEST(SimReplyFaults, TargetedFaultsHitRepliesAtTheirAddresses) {
    constexpr std::optional<std::uint32_t> none;
    struct Case {
        const char* name;
        FaultOptions faults;
        std::vector<std::optional<std::uint32_t>> addresses;
        const char* expect;
    } cases[] = {
        {"first only", {.lateAt = {74}}, {73, 74, 74, 75, 74}, "olooo"},
        {"first two", {.lateAt = {74}, .atTimes = 2}, {73, 74, 74, 75, 74}, "olloo"},
        {"every one", {.lateAt = {74}, .atTimes = 0}, {73, 74, 74, 75, 74}, "ollol"},
        {"late and twice", {.lateAt = {74}, .duplicateAt = {74}}, {74, 74}, "bo"},
        {"twice only", {.duplicateAt = {74}}, {74, 74, 75}, "2oo"},
        {"two addresses", {.lateAt = {74, 80}}, {80, 74, 80, 74}, "lloo"},
        {"each fault its own hit", {.dropAt = {74}, .lateAt = {74}}, {74, 74, 74}, "dlo"},
        {"lost ones counted", {.dropAt = {74}, .atTimes = 2}, {74, 74, 74}, "ddo"},
        {"no address is not address 0", {.lateAt = {0}}, {none, none, 0}, "ool"},
    };
    for (const auto& c : cases) {
        ReplyFaults f(c.faults);
        std::string got;
        for (const auto& a : c.addresses)
            got += classify(f.apply(kFrame, a));
        EXPECT_EQ(got, c.expect) << c.name;
    }

    // silence at the address does not use up its hit
    ReplyFaults f({.lateAt = {74}});
    EXPECT_EQ(classify(f.apply({}, 74)), 'd');
    EXPECT_EQ(classify(f.apply(kFrame, 74)), 'l');
}

TEST(SimReplyFaults, ScheduleSpacesTheParts) {
    struct Part {
        int atMs;
        std::size_t size;
        bool late, copy;
        bool operator==(const Part&) const = default;
    };
    struct Case {
        const char* name;
        bool late, duplicate;
        std::size_t split;
        int delayMs;
        std::vector<Part> expect;
    } cases[] = {
        {"plain", false, false, 0, 0, {{0, 6, false, false}}},
        {"delayed", false, false, 0, 20, {{20, 6, false, false}}},
        {"late", true, false, 0, 0, {{300, 6, true, false}}},
        {"late after delay", true, false, 0, 20, {{320, 6, true, false}}},
        {"twice", false, true, 0, 0, {{0, 6, false, false}, {10, 6, false, true}}},
        {"late and twice", true, true, 0, 5, {{305, 6, true, false}, {315, 6, true, true}}},
        // the copy follows the end of the whole reply
        {"split and twice",
         false,
         true,
         3,
         0,
         {{0, 3, false, false}, {30, 3, false, false}, {40, 6, false, true}}},
    };
    const ReplyFaults f({.lateMs = 300, .duplicateGapMs = 10});
    for (const auto& c : cases) {
        const FaultedReply r{kFrame, c.split, c.late, c.duplicate};
        std::vector<Part> got;
        Bytes joined;
        for (const auto& t : f.schedule(r, c.delayMs)) {
            got.push_back({t.atMs, t.bytes.size(), t.late, t.copy});
            if (t.copy)
                EXPECT_EQ(t.bytes, kFrame) << c.name;
            else
                joined.insert(joined.end(), t.bytes.begin(), t.bytes.end());
        }
        EXPECT_TRUE(got == c.expect) << c.name;
        EXPECT_EQ(joined, kFrame) << c.name;
    }
    EXPECT_TRUE(f.schedule(FaultedReply{}).empty());
}

// The address a fault is aimed at is the one the request carries, in the
// byte order of its own command.
TEST(SimReplyFaults, RequestsNameTheAddressTheyCarry) {
    struct Case {
        int model;
        Bytes request;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {71, makeFrame(0x01, 0x00, 0x10, 0), 0x110},
        {71, makeFrame(0x00, 0x01, 0x4A, 0x5A), 74},
        {71, makeFrame(0x02, 0x02, 0x03, 0), 0x203},
        {71, makeFrame(0x00, 0xF7, 0x50, 0x00), 0x50},
        {71, makeFrame(0x00, 0xF7, 0x20, 0x37), 0x3720},
        {100, makeFrame(0x00, 0x40, 200, 0x00), 200},
        {61, makeFrame(0x00, 0x40, 0x72, 0x40), 0x7240},
        {71, makeFrame(0xA0, 0xFE, 0x00, 0x00), std::nullopt},
        {71, makeFrame(0x00, 0xFF, 0xAA, 0x00), std::nullopt},
    };
    for (const auto& c : cases) {
        ModuleOptions o;
        o.model = c.model;
        SimModule m(o);
        const auto out = m.feed(c.request);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].address, c.address)
            << "model " << c.model << " command " << int(c.request[1]);
    }

    // writes: the block address high byte first, the record number in byte 2
    const Bytes block(256, 1);
    Bytes write = makeFrame(0x00, 0xF6, 0x00, 0x50); // 256 bytes of 1 sum to 0
    write.insert(write.end(), block.begin(), block.end());
    SimModule m71({.model = 71});
    auto out = m71.feed(write);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].address, 0x50u);

    Bytes record = makeFrame(0x00, 0x80, 0x21, 0x00);
    record.insert(record.end(), 32, 2);
    record.push_back(64);
    SimModule m100({.model = 100});
    out = m100.feed(record);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].address, 0x21u);
    EXPECT_FALSE(out[0].reply.empty());
}

namespace {
QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// A folder holding a plain file "file" and an empty folder "adir".
struct SaveFolder {
    QTemporaryDir dir;
    SaveFolder() {
        QFile f(dir.filePath("file"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        EXPECT_TRUE(QDir(dir.path()).mkdir("adir"));
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
};

// Targets that cannot be saved even by root.
const char* const kBadTargets[] = {"missing/mem.bin", "file/mem.bin", "adir"};
} // namespace

TEST(SimMemoryFile, SaveReplacesTheFileWhole) {
    SaveFolder folder;
    Bytes first(kMemorySize, 0x11), second(kMemorySize, 0x22);
    second[100] = 0x33;
    EXPECT_EQ(saveMemoryFile(folder.path("mem.bin"), first), "");
    EXPECT_EQ(saveMemoryFile(folder.path("mem.bin"), second), "");
    QFile f(folder.dir.filePath("mem.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray got = f.readAll();
    EXPECT_EQ(got, QByteArray(reinterpret_cast<const char*>(second.data()), kMemorySize));
    EXPECT_EQ(entries(folder.dir.path()), (QStringList{"adir", "file", "mem.bin"}));
}

TEST(SimMemoryFile, FailedSaveSaysSoAndLeavesNothingBehind) {
    for (const char* target : kBadTargets) {
        SaveFolder folder;
        const QStringList before = entries(folder.dir.path());
        EXPECT_NE(saveMemoryFile(folder.path(target), Bytes(kMemorySize, 0x5A)), "") << target;
        EXPECT_EQ(entries(folder.dir.path()), before) << target;
        EXPECT_TRUE(QFileInfo(folder.dir.filePath("adir")).isDir());
        EXPECT_TRUE(entries(folder.dir.filePath("adir")).isEmpty());
    }
}

namespace {
int openRaw(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

// Collects what the module sends until `want` bytes are in (or time is up).
Bytes receive(int fd, std::size_t want, int limitMs = 5000) {
    Bytes got;
    for (int waited = 0; got.size() < want && waited < limitMs; waited += 20) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            std::uint8_t buf[512];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.insert(got.end(), buf, buf + n);
        }
    }
    return got;
}

Bytes transact(int fd, const Bytes& request, std::size_t want) {
    EXPECT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    return want ? receive(fd, want) : Bytes{};
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes readAt(std::uint8_t a) {
    return makeFrame(0x00, 0x00, a, 0x00);
}
Bytes writeAt(std::uint8_t a, std::uint8_t v) {
    return makeFrame(0x00, 0x01, a, v);
}
Bytes readReply(std::uint8_t a, std::uint8_t v) {
    return makeFrame(0xAB, 0x00, a, v);
}
Bytes writeReply(std::uint8_t a, std::uint8_t v) {
    return makeFrame(0xAB, 0x01, a, v);
}

pid_t pidOf(PtySim& sim) {
    if (!sim.waitForLine("PID ", 5000))
        return 0;
    for (const QString& l : sim.lines())
        if (l.startsWith("PID "))
            return static_cast<pid_t>(l.mid(4).toLong());
    return 0;
}

QString backPath(PtySim& sim) {
    for (const QString& l : sim.lines())
        if (l.startsWith("BACK "))
            return l.mid(5);
    return {};
}
} // namespace

TEST(SimWire, DuplicatedReplyArrivesTwice) {
    const QStringList variants[] = {
        {"--duplicate-every", "2"},
        {"--duplicate-at", "74", "--duplicate-gap-ms", "20"},
    };
    for (const auto& args : variants) {
        SCOPED_TRACE(args.join(' ').toStdString());
        PtySim sim(args);
        ASSERT_TRUE(sim.started());
        const int fd = openRaw(sim.path());
        ASSERT_GE(fd, 0);
        // the first reply goes out once: a copy would land before the next reply
        EXPECT_EQ(transact(fd, readAt(73), 6), readReply(73, 0xFF));
        EXPECT_EQ(transact(fd, writeAt(74, 0x5A), 12),
                  concat({writeReply(74, 0x5A), writeReply(74, 0x5A)}));
        EXPECT_TRUE(sim.waitForLine("DUPLICATE", 2000));
        ::close(fd);
    }
}

// The held-back reply comes after the tool has repeated its request and had
// the repeat answered, and after the next request's reply too.
TEST(SimWire, LateReplyArrivesAfterTheRepeatedRequest) {
    struct Step {
        Bytes request;
        Bytes reply; // answered at once
    };
    struct Case {
        QStringList args;
        std::vector<Step> steps;
        Bytes late; // what follows the steps' replies
    } cases[] = {
        {{"--late-at", "74", "--late-ms", "1500"},
         {{readAt(74), {}},
          {readAt(74), readReply(74, 0xFF)},
          {writeAt(74, 0x33), writeReply(74, 0x33)}},
         readReply(74, 0xFF)},
        // the write of 74 answered late and twice, 10 ms apart
        {{"--late-at", "74", "--late-ms", "1500", "--duplicate-at", "74", "--duplicate-gap-ms",
          "10"},
         {{writeAt(74, 0x11), {}},
          {writeAt(74, 0x11), writeReply(74, 0x11)},
          {readAt(75), readReply(75, 0xFF)}},
         concat({writeReply(74, 0x11), writeReply(74, 0x11)})},
        {{"--late-every", "1", "--late-ms", "1500"}, {{readAt(10), {}}}, readReply(10, 0xFF)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        PtySim sim(c.args);
        ASSERT_TRUE(sim.started());
        const int fd = openRaw(sim.path());
        ASSERT_GE(fd, 0);
        Bytes stream;
        for (const auto& s : c.steps) {
            const Bytes got = transact(fd, s.request, s.reply.size());
            stream.insert(stream.end(), got.begin(), got.end());
        }
        const Bytes late = receive(fd, c.late.size());
        stream.insert(stream.end(), late.begin(), late.end());
        Bytes expected;
        for (const auto& s : c.steps)
            expected.insert(expected.end(), s.reply.begin(), s.reply.end());
        expected.insert(expected.end(), c.late.begin(), c.late.end());
        EXPECT_EQ(stream, expected);
        // the late reply is the last thing printed, after every request taken in
        EXPECT_TRUE(sim.waitForLine("LATE", 2000));
        EXPECT_EQ(sim.countLines("RX "), static_cast<int>(c.steps.size()));
        ::close(fd);
    }
}

// The cable is pulled after a write: the tool's open port fails, the link is
// gone while the module is away, and the port at the link path afterwards is
// a new one that still holds what was written.
TEST(SimWire, VanishingPortComesBackAtTheLinkWithItsMemory) {
    struct Case {
        const char* name;
        QStringList args;
        bool bySignal;
    } cases[] = {
        {"after the second request", {"--vanish-after", "2", "--vanish-ms", "300"}, false},
        {"by signal", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyALV");
        PtySim sim(QStringList{"--link", link} + c.args);
        ASSERT_TRUE(sim.started());
        const pid_t pid = pidOf(sim);
        ASSERT_GT(pid, 0);

        const int fd = openRaw(link);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(transact(fd, writeAt(74, 0x5A), 6), writeReply(74, 0x5A));
        if (c.bySignal) {
            ::kill(pid, SIGUSR1);
        } else {
            // the second request is taken in, its reply never comes
            transact(fd, readAt(74), 0);
        }
        ASSERT_TRUE(sim.waitForLine("VANISH", 5000));
        EXPECT_EQ(sim.countLines("RX "), c.bySignal ? 1 : 2);

        // what the tool's port sees: hang-up, end of input, failed writes
        pollfd p{fd, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 1000), 1);
        EXPECT_TRUE(p.revents & POLLHUP);
        std::uint8_t b;
        EXPECT_LE(::read(fd, &b, 1), 0);
        const Bytes request = readAt(74);
        errno = 0;
        EXPECT_EQ(::write(fd, request.data(), request.size()), -1);
        EXPECT_EQ(errno, EIO);
        ::close(fd);

        if (c.bySignal) {
            struct stat st {};
            EXPECT_NE(::lstat(link.toLocal8Bit().constData(), &st), 0) << "link still there";
            EXPECT_LT(openRaw(link), 0);
            ::kill(pid, SIGUSR2);
        }
        ASSERT_TRUE(sim.waitForLine("BACK ", 5000));
        const QString back = backPath(sim);
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(back).canonicalFilePath());

        const int again = openRaw(link);
        ASSERT_GE(again, 0);
        EXPECT_EQ(transact(again, readAt(74), 6), readReply(74, 0x5A));
        EXPECT_EQ(transact(again, readAt(0xFF), 6), readReply(0xFF, 71));
        ::close(again);
        sim.stop();
        EXPECT_EQ(sim.countLines("VANISH"), 1);
        EXPECT_FALSE(QFileInfo(link).isSymLink());
    }
}

TEST(SimWire, FailedSaveIsReportedAndLeavesNoTemporaryFile) {
    for (const char* target : kBadTargets) {
        SCOPED_TRACE(target);
        SaveFolder folder;
        const QStringList before = entries(folder.dir.path());
        PtySim sim({"--save", QString::fromStdString(folder.path(target))});
        ASSERT_TRUE(sim.started());
        const int fd = openRaw(sim.path());
        ASSERT_GE(fd, 0);
        EXPECT_EQ(transact(fd, writeAt(74, 0x5A), 6), writeReply(74, 0x5A));
        ::close(fd);
        sim.stop(); // saves once more on the way out
        EXPECT_GE(sim.countLines("SAVEFAIL "), 1);
        EXPECT_EQ(entries(folder.dir.path()), before);
        EXPECT_TRUE(entries(folder.dir.filePath("adir")).isEmpty());
    }
}
