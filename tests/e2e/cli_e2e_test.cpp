// The real alvento executable against the real module simulator on a
// pseudo-terminal: read, write, refusals and silence, with replies lost,
// corrupted and split on the way.

#include "safety/field_map.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/alvento_run.h"
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int kMemorySize = 8192;
constexpr int kTextsSize = 6 * 128;
constexpr int kBuildNumber = 1; // the simulator's default build at address 252

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A module memory as the simulator will hold it: random bytes, with its
// build number, version and model at 252, 254 and 255.
QByteArray moduleMemory(quint32 seed, int model, int version) {
    QRandomGenerator rng(seed);
    QByteArray m(kMemorySize, '\0');
    for (char& b : m)
        b = static_cast<char>(rng.bounded(256));
    m[252] = static_cast<char>(kBuildNumber);
    m[254] = static_cast<char>(version);
    m[255] = static_cast<char>(model);
    return m;
}

// Bytes of one request the simulator reported ("RX 00 01 4B ...").
QList<uint8_t> requestBytes(const QString& line) {
    QList<uint8_t> bytes;
    for (const QString& h : line.mid(3).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        bytes << static_cast<uint8_t>(h.toUInt(nullptr, 16));
    return bytes;
}

// Whether the simulator saw any request that changes its memory or clock:
// byte write (0x01), record write (0x80), block write (0xF6), clock (0xFC).
bool sawWrite(PtySim& sim) {
    for (const QString& line : sim.lines()) {
        if (!line.startsWith(QLatin1String("RX ")))
            continue;
        const auto b = requestBytes(line);
        if (b.size() >= 2 && (b[1] == 0x01 || b[1] == 0x80 || b[1] == 0xF6 || b[1] == 0xFC))
            return true;
    }
    return false;
}

class CliE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // The tool's settings live here for the test, not in the user's.
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toLocal8Bit());
        setCompany(QStringLiteral("PLAIN"));
    }

    void setCompany(const QString& company) {
        SettingsStore::WriteString(settingsKeyPath(buildBrandCode()), QStringLiteral("company"),
                                   company);
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    CliRun run(const QStringList& args, PtySim* sim = nullptr, int limitMs = 90000,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        return runAlvento(args, {sim, limitMs, env, std::nullopt});
    }

    QTemporaryDir dir_;
};

struct Faults {
    int drop, corruptCheck, split;
    QStringList args() const {
        return {QStringLiteral("--drop-every"),          QString::number(drop),
                QStringLiteral("--corrupt-check-every"), QString::number(corruptCheck),
                QStringLiteral("--split-every"),         QString::number(split)};
    }
};

struct TransferCase {
    const char* name;
    int model;
    int version;
    Faults faults; // every Nth reply lost, with a wrong check, in two halves
};

std::ostream& operator<<(std::ostream& os, const TransferCase& c) {
    return os << c.name;
}

// Fault periods suit each method's number of replies: a lost block costs a
// repeat about two seconds later, a lost byte a quarter of a second.
const TransferCase kReadCases[] = {
    {"bytes_model70_v32", 70, 32, {97, 89, 7}},     {"bytes_model80_v32", 80, 32, {83, 101, 11}},
    {"blocks_model71_v43", 71, 43, {4, 5, 3}},      {"blocks_model90_v33", 90, 33, {5, 4, 2}},
    {"records_model100_v43", 100, 43, {37, 41, 5}}, {"records_model100_v32", 100, 32, {43, 31, 9}},
};

class CliRead : public CliE2E, public ::testing::WithParamInterface<TransferCase> {};

TEST_P(CliRead, FileHoldsTheModuleImageThenSixTextRecords) {
    const TransferCase& c = GetParam();
    const QByteArray memory = moduleMemory(1000u + c.model + c.version, c.model, c.version);
    writeFile(path("memory.bin"), memory);
    PtySim sim(QStringList{"--model", QString::number(c.model), "--version",
                           QString::number(c.version), "--memory", path("memory.bin")} +
               c.faults.args());
    ASSERT_TRUE(sim.started());

    const CliRun r = run({"read", "--port", sim.path(), "--out", path("out.dat")}, &sim);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("ModelCode %1 ").arg(c.model)))
        << r.out.toStdString();
    EXPECT_TRUE(
        r.out.contains(QStringLiteral(" version %1.%2").arg(c.version / 10).arg(c.version % 10)))
        << r.out.toStdString();
    EXPECT_FALSE(sawWrite(sim));

    const int imageSize = c.model == 100 ? 8192 : 1024;
    const QByteArray file = readFile(path("out.dat"));
    ASSERT_EQ(file.size(), imageSize + kTextsSize);
    for (int i = 0; i < imageSize; ++i)
        ASSERT_EQ(uint8_t(file[i]), uint8_t(memory[i])) << "image byte " << i;
    // A readout carries no installation texts: each record holds what an
    // empty field is saved as, one space after the reserved byte.
    QByteArray emptyRecord(128, '\0');
    emptyRecord[1] = ' ';
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(file.mid(imageSize + 128 * t, 128), emptyRecord) << "text record " << t;
}

INSTANTIATE_TEST_SUITE_P(Methods, CliRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    TransferCase transfer;
    bool starred; // "company" begins with '*': the edition tag is sent byte by byte
};

std::ostream& operator<<(std::ostream& os, const WriteCase& c) {
    return os << c.transfer.name;
}

const WriteCase kWriteCases[] = {
    {{"bytes_model70_v32", 70, 32, {97, 89, 7}}, false},
    {{"bytes_model80_v32_starred", 80, 32, {83, 101, 11}}, true},
    {{"blocks_model90_v33", 90, 33, {7, 5, 3}}, false},
    {{"bytes_then_records_model100_v32_starred", 100, 32, {89, 71, 13}}, true},
    {{"blocks_model100_v43", 100, 43, {13, 11, 3}}, false},
};

// Which module addresses a write-all sends from the image, as the module
// sees them; everything else must keep the module's own value. A block write
// sends 75, 254 and 255 too, but with the module's own values.
std::set<int> writtenAddresses(int model, int version, bool starred) {
    std::set<int> s;
    if (version >= 33) {
        for (int a = 0; a < 1536; ++a)
            if (a != 75 && a != 254 && a != 255)
                s.insert(a);
        // ModelCode 100's Contact ID code names follow the blocks as records 48..208.
        if (model == 100)
            for (int a = 1536; a < 32 * 209; ++a)
                s.insert(a);
        return s;
    }
    for (int a = 0; a < 1024; ++a) {
        const bool moduleOwned = a == 75 || a == 254 || a == 255;
        const bool editionTag = a >= 384 && a <= 399;
        if (!moduleOwned && !(editionTag && !starred))
            s.insert(a);
    }
    if (model == 100)
        for (int a = 1024; a < kMemorySize; ++a)
            s.insert(a);
    return s;
}

// Bytes every write sends the same whatever the pages show, as a file holds them.
bool sendConstant(int a) {
    return (a >= 32 && a <= 39) || (a >= 52 && a <= 63) || a == 102 || a == 111 || a == 112 ||
           a == 120 || a == 121 || (a >= 384 && a <= 399);
}

class CliWrite : public CliE2E, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(CliWrite, ModuleTakesTheFileImageAndKeepsWhatIsNotWritten) {
    const WriteCase& w = GetParam();
    const TransferCase& c = w.transfer;
    if (w.starred)
        setCompany(QStringLiteral("*ACME"));
    const QByteArray memory = moduleMemory(2000u + c.model + c.version, c.model, c.version);
    writeFile(path("memory.bin"), memory);

    // Every image byte of the file differs from the module's, so each
    // position shows whether it was written.
    const int imageSize = c.model == 100 ? 8192 : 1024;
    QByteArray file(imageSize, '\0');
    for (int i = 0; i < imageSize; ++i)
        file[i] = static_cast<char>(~memory[i]);
    QByteArray texts;
    for (int t = 0; t < 6; ++t) {
        QByteArray record(128, '\0');
        record.replace(1, 6, QByteArray("text ") + char('1' + t));
        texts += record;
    }
    writeFile(path("in.dat"), file + texts);

    PtySim sim(QStringList{"--model", QString::number(c.model), "--version",
                           QString::number(c.version), "--memory", path("memory.bin"), "--save",
                           path("saved.bin")} +
               c.faults.args());
    ASSERT_TRUE(sim.started());
    const CliRun r = run({"write", "--port", sim.path(), "--in", path("in.dat")}, &sim);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("CLOCK "), 5000))
        << "a write-all ends with the clock";
    sim.stop();

    const QByteArray saved = readFile(path("saved.bin"));
    ASSERT_EQ(saved.size(), kMemorySize);
    const std::set<int> written = writtenAddresses(c.model, c.version, w.starred);
    for (int a = 0; a < kMemorySize; ++a) {
        // The module keeps its build number, version and model whatever is sent.
        const bool keptByModule = a == 252 || a == 254 || a == 255;
        // Written positions beyond the file's image are sent back as the
        // module held them; so are the module's own bytes (75, 123..255) and
        // every byte no field of the model covers.
        const bool fromFile = written.count(a) && !keptByModule && a < imageSize &&
                              !(a == 75 || (a >= 123 && a <= 255)) &&
                              (sendConstant(a) || !FieldMap::fieldsAt(a, c.model).isEmpty());
        const uint8_t expected = fromFile ? uint8_t(file[a]) : uint8_t(memory[a]);
        ASSERT_EQ(uint8_t(saved[a]), expected)
            << "address " << a << (written.count(a) ? " (written)" : " (kept)");
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, CliWrite, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.transfer.name); });

// A file that does not fit the attached model is refused before the module
// is written to.
struct RefusalCase {
    const char* name;
    int model;
    int version;
    int fileSize;
};

const RefusalCase kRefusals[] = {
    {"model100_file_of_1792", 100, 43, 1792},
    {"model71_file_of_8960", 71, 43, 8960},
    {"model70_file_of_8960_bytes_method", 70, 32, 8960},
    {"model70_file_of_1791", 70, 32, 1791},
    {"model80_empty_file", 80, 43, 0},
};

class CliRefusal : public CliE2E, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CliRefusal, WrongSizeFileIsRefusedWithNothingWritten) {
    const RefusalCase& c = GetParam();
    writeFile(path("in.dat"), QByteArray(c.fileSize, '\x11'));
    PtySim sim({"--model", QString::number(c.model), "--version", QString::number(c.version)});
    ASSERT_TRUE(sim.started());
    const CliRun r =
        run({"write", "--port", sim.path(), "--in", path("in.dat"), "--timeout", "10"}, &sim);
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("error:"))) << r.err.toStdString();
    sim.stop(); // everything it received is printed by the time it has ended
    EXPECT_FALSE(sawWrite(sim));
}

INSTANTIATE_TEST_SUITE_P(Files, CliRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliE2E, ModelsOfTheOlderWindowsAreNotServed) {
    for (int model : {30, 50, 60, 61}) {
        SCOPED_TRACE(model);
        PtySim sim({"--model", QString::number(model)});
        ASSERT_TRUE(sim.started());
        const CliRun r = run({"identify", "--port", sim.path(), "--timeout", "10"}, &sim);
        EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("ModelCode %1").arg(model)))
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

TEST_F(CliE2E, IdentifyReportsModelAndVersion) {
    PtySim sim({"--model", "100", "--version", "38", "--drop-every", "2"});
    ASSERT_TRUE(sim.started());
    const CliRun r = run({"identify", "--port", sim.path()}, &sim);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << r.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QLatin1String("ModelCode 100 "))) << r.out.toStdString();
    EXPECT_TRUE(lines[0].endsWith(QLatin1String(" version 3.8"))) << r.out.toStdString();
    EXPECT_FALSE(sawWrite(sim));
}

// Nobody answering, or a module that never answers the model read: the
// command gives up after its timeout, and a read leaves no file behind.
TEST_F(CliE2E, SilentPortGivesUpAfterTheTimeout) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString silent = QString::fromLocal8Bit(::ptsname(master));
    PtySim identifyOnly({"--identify-only"});
    ASSERT_TRUE(identifyOnly.started());

    for (const QString& port : {silent, identifyOnly.path()}) {
        SCOPED_TRACE(port.toStdString());
        QFile::remove(path("never.dat"));
        const CliRun r = run({"read", "--port", port, "--out", path("never.dat"), "--timeout", "2"},
                             &identifyOnly, 30000);
        EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_FALSE(QFile::exists(path("never.dat")));
    }
    ::close(master);
}

struct ArgumentCase {
    const char* name;
    QStringList args;
};

TEST_F(CliE2E, BadArgumentsAreRefused) {
    writeFile(path("in.dat"), QByteArray(1792, '\0'));
    const ArgumentCase cases[] = {
        {"no port", {"identify"}},
        {"read without --out", {"read", "--port", "/dev/null"}},
        {"write without --in", {"write", "--port", "/dev/null"}},
        {"--out on write", {"write", "--port", "/dev/null", "--in", path("in.dat"), "--out", "x"}},
        {"--in on read", {"read", "--port", "/dev/null", "--out", "x", "--in", path("in.dat")}},
        {"timeout not a number", {"identify", "--port", "/dev/null", "--timeout", "soon"}},
        {"timeout zero", {"identify", "--port", "/dev/null", "--timeout", "0"}},
        {"unknown option", {"identify", "--port", "/dev/null", "--baud", "9600"}},
        {"extra word", {"identify", "now", "--port", "/dev/null"}},
        {"missing input file", {"write", "--port", "/dev/null", "--in", path("absent.dat")}},
        {"port that does not exist", {"identify", "--port", path("no-such-port")}},
        {"unwritable output", {"read", "--port", "/dev/null", "--out", path("no/such/dir/x.dat")}},
    };
    for (const ArgumentCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r = run(c.args, nullptr, 20000);
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String("error:"))) << r.err.toStdString();
    }
}

// On a machine without a display, everything but the windows answers on the
// terminal; starting the windows there says why it cannot.
TEST_F(CliE2E, WithoutADisplayTheToolAnswersOnTheTerminal) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    struct Case {
        const char* name;
        QStringList args;
        int exitCode;
        const char* out; // expected on standard output ("" = nothing particular)
        const char* err; // expected on standard error
    };
    const Case cases[] = {
        {"help", {"--help"}, 0, "usage: alvento [--port NAME]", ""},
        {"short help", {"-h"}, 0, "alvento identify --port PORT", ""},
        {"version", {"--version"}, 0, "alvento 0.", ""},
        {"unknown command", {"frobnicate"}, 2, "", "unknown command \"frobnicate\""},
        {"unknown option", {"--baud", "9600"}, 2, "", "error:"},
        {"windows", {}, 1, "", "no display"},
        {"windows on a port", {"--port", "/dev/null"}, 1, "", "no display"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r = run(c.args, nullptr, 20000, env);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromLatin1(c.out))) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.err))) << r.err.toStdString();
    }
}

// A module that answers one write twice (the copy a little later, after the
// tool has skipped the module's own positions) gets every other position
// written, and the run ends with success only then.
TEST_F(CliE2E, ARepeatedAnswerNextToSkippedBytesDoesNotHideAnUnwrittenByte) {
    struct Case {
        int address; // the write answered twice
        int gapMs;   // between the answer and its copy
        bool late;   // the answer comes after the tool has repeated its request
    };
    const Case cases[] = {{74, 10, false}, {74, 10, true}, {122, 60, false}, {383, 400, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const QByteArray memory = moduleMemory(77u + c.address, 70, 32);
        writeFile(path("memory.bin"), memory);
        QByteArray file(1024, '\0');
        for (int i = 0; i < 1024; ++i)
            file[i] = static_cast<char>(~memory[i]);
        writeFile(path("in.dat"), file + QByteArray(kTextsSize, '\0'));
        QStringList args{"--model",
                         "70",
                         "--version",
                         "32",
                         "--memory",
                         path("memory.bin"),
                         "--save",
                         path("saved.bin"),
                         "--duplicate-at",
                         QString::number(c.address),
                         "--duplicate-gap-ms",
                         QString::number(c.gapMs)};
        if (c.late)
            args += {"--late-at", QString::number(c.address), "--late-ms", "300"};
        PtySim sim(args);
        ASSERT_TRUE(sim.started());
        const CliRun r = run({"write", "--port", sim.path(), "--in", path("in.dat")}, &sim);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_TRUE(sim.waitForLine(QStringLiteral("DUPLICATE"), 5000));
        sim.stop();
        const QByteArray saved = readFile(path("saved.bin"));
        ASSERT_EQ(saved.size(), kMemorySize);
        for (int a : writtenAddresses(70, 32, false))
            // The file's fields go out; the module's other bytes stay its own.
            if (a != 75 && (a < 123 || a > 255) && !FieldMap::fieldsAt(a, 70).isEmpty())
                ASSERT_EQ(uint8_t(saved[a]), uint8_t(file[a])) << "address " << a;
    }
}

// Answers held back until the address 256 further on is asked for, and sent
// just before its answer (a byte answer names only the low byte of its
// address): the read takes none of them for that address, and the file is
// the module's memory.
TEST_F(CliE2E, LateByteAnswersAreNotTakenForTheAddressTheyAlias) {
    const QByteArray memory = moduleMemory(4242u, 70, 32);
    writeFile(path("memory.bin"), memory);
    PtySim sim({"--model", "70", "--version", "32", "--memory", path("memory.bin"), "--hold-at",
                "10", "--hold-at", "300", "--hold-at", "600"});
    ASSERT_TRUE(sim.started());
    const CliRun r = run({"read", "--port", sim.path(), "--out", path("out.dat")}, &sim);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(sim.countLines(QStringLiteral("LATE")), 3);
    const QByteArray out = readFile(path("out.dat"));
    ASSERT_GE(out.size(), 1024);
    for (int a = 0; a < 1024; ++a)
        ASSERT_EQ(uint8_t(out[a]), uint8_t(memory[a])) << "address " << a;
}

// Every answer to block 5 comes twice on a line that runs at its speed, the
// copy landing in what follows (the write after the backup read, the clock
// after the write): the write is verified, and the backup is the module as
// it was. The write is a full one: block 5 lies beyond the file and would
// otherwise not be written at all.
TEST_F(CliE2E, BlockAnswersTwiceAroundAWriteDoNotSpoilItsBackupOrItsVerify) {
    const QByteArray memory = moduleMemory(777u, 71, 43);
    writeFile(path("memory.bin"), memory);
    QByteArray file(1024, '\0');
    for (int i = 0; i < 1024; ++i)
        file[i] = static_cast<char>(memory[i] ^ 0x5A);
    writeFile(path("in.dat"), file + QByteArray(kTextsSize, '\0'));
    PtySim sim({"--model", "71", "--version", "43", "--memory", path("memory.bin"),
                "--duplicate-at", "80", "--at-times", "0", "--pace-baud", "9600"});
    ASSERT_TRUE(sim.started());
    const CliRun r =
        run({"write", "--port", sim.path(), "--in", path("in.dat"), "--full"}, &sim, 120000);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("Verified"))) << r.out.toStdString();
    EXPECT_GE(sim.countLines(QStringLiteral("DUPLICATE")), 2);
    const qsizetype at = r.out.indexOf(QLatin1String("Backup of the module as it was: "));
    ASSERT_GE(at, 0) << r.out.toStdString();
    const QString backupPath = r.out.mid(at).section(QLatin1String(": "), 1).section('\n', 0, 0);
    const QByteArray backup = readFile(backupPath.trimmed());
    ASSERT_GE(backup.size(), 1024) << backupPath.toStdString();
    for (int a = 0; a < 1024; ++a)
        ASSERT_EQ(uint8_t(backup[a]), uint8_t(memory[a])) << "backup byte " << a;
}

// The adapter is pulled in the middle of a transfer: the command ends at once
// with its own message and exit status, writes no file, and the next run
// (the adapter back) succeeds.
TEST_F(CliE2E, APulledPortEndsTheCommandAndTheNextRunSucceeds) {
    struct Case {
        const char* name;
        const char* command;
        int version;
        int vanishAfter; // requests before the port goes
    };
    const Case cases[] = {
        {"read by bytes", "read", 32, 200},
        {"read by blocks", "read", 43, 4},
        {"write by bytes", "write", 32, 300},
        {"write by blocks", "write", 43, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray memory = moduleMemory(55u + c.version, 71, c.version);
        writeFile(path("memory.bin"), memory);
        writeFile(path("in.dat"), QByteArray(1024 + kTextsSize, '\x5A'));
        QFile::remove(path("out.dat"));
        const QString link = path("ttyLINK");
        PtySim sim({"--model", "71", "--version", QString::number(c.version), "--memory",
                    path("memory.bin"), "--link", link, "--vanish-after",
                    QString::number(c.vanishAfter), "--vanish-ms", "1500"});
        ASSERT_TRUE(sim.started());
        const bool reads = QLatin1String(c.command) == QLatin1String("read");
        const QStringList args{c.command, "--port", link, reads ? "--out" : "--in",
                               path(reads ? "out.dat" : "in.dat")};
        const CliRun lost = run(args, &sim, 30000);
        EXPECT_EQ(lost.exitCode, 3) << lost.err.toStdString();
        EXPECT_TRUE(lost.err.contains(QLatin1String("went away"))) << lost.err.toStdString();
        EXPECT_FALSE(lost.out.contains(QLatin1String("Read ")));
        EXPECT_FALSE(lost.out.contains(QLatin1String("Wrote ")));
        EXPECT_FALSE(QFile::exists(path("out.dat")));

        ASSERT_TRUE(sim.waitForLine(QStringLiteral("BACK "), 5000));
        const CliRun again = run(args, &sim, 90000);
        EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    }
}

} // namespace
