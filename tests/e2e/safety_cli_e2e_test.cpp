// The command line's safety net against the simulator on a pseudo-terminal:
// a write keeps a backup of the module as it was, reads back what it wrote,
// and fails when the module did not store a byte.

#include "safety/field_map.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/alvento_run.h"
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMemorySize = 8192;
constexpr int kTextsSize = 6 * 128;

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray randomBytes(quint32 seed, int n) {
    QRandomGenerator rng(seed);
    QByteArray m(n, '\0');
    for (char& b : m)
        b = static_cast<char>(rng.bounded(256));
    return m;
}

// A module's memory: random bytes with build, version and model at 252, 254, 255.
QByteArray moduleMemory(quint32 seed, int model, int version) {
    QByteArray m = randomBytes(seed, kMemorySize);
    m[252] = 1;
    m[254] = static_cast<char>(version);
    m[255] = static_cast<char>(model);
    return m;
}

int fileImageSize(int model) {
    return model == 100 ? 8192 : 1024;
}

// A configuration file whose every image byte differs from the module's.
QByteArray fileUnlike(const QByteArray& memory, int model) {
    const int n = fileImageSize(model);
    QByteArray image(n, '\0');
    for (int i = 0; i < n; ++i)
        image[i] = static_cast<char>(~memory[i]);
    QByteArray texts(kTextsSize, '\0');
    for (int t = 0; t < 6; ++t)
        texts[128 * t + 1] = ' ';
    return image + texts;
}

class SafetyCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toLocal8Bit());
        setSetting(QStringLiteral("company"), QStringLiteral("PLAIN"));
    }

    void setSetting(const QString& name, const QString& value) {
        SettingsStore::WriteString(settingsKeyPath(buildBrandCode()), name, value);
    }

    QString path(const QString& name) const { return dir_.filePath(name); }
    QString backupFolder() const {
        return dir_.filePath(QStringLiteral("data/Alvento Configurator/backups"));
    }
    QStringList backups(const QString& pattern = QStringLiteral("*.dat")) const {
        return QDir(backupFolder()).entryList({pattern}, QDir::Files, QDir::Name);
    }

    CliRun run(const QStringList& args, PtySim* sim) { return runAlvento(args, {.sim = sim}); }

    QTemporaryDir dir_;
};

struct Method {
    const char* name;
    int model;
    int version;
    int droppedAddress; // a byte the write sends, for the dropped-write case
};

std::ostream& operator<<(std::ostream& os, const Method& m) {
    return os << m.name;
}

const Method kMethods[] = {
    {"bytes_model70_v32", 70, 32, 300},
    {"blocks_model71_v43", 71, 43, 900},
    {"bytes_records_model100_v32", 100, 32, 5000}, // in a code record
    {"blocks_records_model100_v43", 100, 43, 2000},
};

class SafetyCliMethods : public SafetyCli, public ::testing::WithParamInterface<Method> {};

// The backup is the module as it was before the write, byte for byte, and
// the read-back finds what was sent.
TEST_P(SafetyCliMethods, BackupHoldsTheModuleBeforeTheWriteAndTheWriteIsVerified) {
    const Method& m = GetParam();
    const QByteArray memory = moduleMemory(500u + m.model + m.version, m.model, m.version);
    writeFile(path("memory.bin"), memory);
    writeFile(path("in.dat"), fileUnlike(memory, m.model));
    PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version),
                "--memory", path("memory.bin"), "--drop-every", "301"});
    ASSERT_TRUE(sim.started());

    const CliRun r = run({"write", "--port", sim.path(), "--in", path("in.dat")}, &sim);
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("Verified"))) << r.out.toStdString();

    const QStringList files = backups();
    ASSERT_EQ(files.size(), 1) << files.join(' ').toStdString();
    EXPECT_TRUE(r.out.contains(files.front())) << "the backup is named on the terminal";
    EXPECT_TRUE(files.front().contains(QStringLiteral("_M%1_").arg(m.model)));
    const QByteArray backup = readFile(QDir(backupFolder()).filePath(files.front()));
    const int n = fileImageSize(m.model);
    ASSERT_EQ(backup.size(), n + kTextsSize);
    for (int a = 0; a < n; ++a)
        ASSERT_EQ(uint8_t(backup[a]), uint8_t(memory[a])) << "backup byte " << a;

    // Block modules of 70..90 hold 1024..1535 beyond the file: kept beside it.
    const QStringList extra = backups(QStringLiteral("*.1024-1535.bin"));
    if (m.model != 100 && m.version >= 33) {
        ASSERT_EQ(extra.size(), 1);
        EXPECT_EQ(readFile(QDir(backupFolder()).filePath(extra.front())), memory.mid(1024, 512));
    } else {
        EXPECT_TRUE(extra.isEmpty());
    }
}

// Write requests the simulator received, by kind: "byte", "record", "block".
std::map<QString, QStringList> writeRequests(const QStringList& lines) {
    std::map<QString, QStringList> out;
    for (const QString& line : lines) {
        if (!line.startsWith(QLatin1String("RX ")))
            continue;
        const QStringList b = line.mid(3).split(u' ', Qt::SkipEmptyParts);
        if (b.size() == 6 && b[1] == QLatin1String("01"))
            out[QStringLiteral("byte")] << b[0] + b[2];
        else if (b.size() == 39 && b[1] == QLatin1String("80"))
            out[QStringLiteral("record")] << b[2];
        else if (b.size() == 262 && b[1] == QLatin1String("F6"))
            out[QStringLiteral("block")] << b[2] + b[3];
    }
    return out;
}

// A file that differs from the module in the ring time (78) and, for
// ModelCode 100, in one code record byte (5000, record 156): the write sends
// those alone (the byte, its block, its record), and the read-back verifies
// it. With --full every position goes out, and the module ends the same.
TEST_P(SafetyCliMethods, OnlyWhatDiffersIsWrittenUnlessFull) {
    const Method& m = GetParam();
    const QByteArray memory = moduleMemory(900u + m.model + m.version, m.model, m.version);
    writeFile(path("memory.bin"), memory);
    QByteArray file = memory.left(fileImageSize(m.model)) + QByteArray(kTextsSize, '\0');
    std::vector<int> edits{78};
    if (m.model == 100)
        edits.push_back(5000);
    for (int a : edits)
        file[a] = static_cast<char>(~file[a]);
    writeFile(path("in.dat"), file);
    const bool blocks = m.version >= 33;

    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "--full" : "differences");
        PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version),
                    "--memory", path("memory.bin"), "--save", path("saved.bin")});
        ASSERT_TRUE(sim.started());
        QStringList args{"write", "--port", sim.path(), "--in", path("in.dat")};
        if (full)
            args << QStringLiteral("--full");
        const CliRun r = run(args, &sim);
        ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QLatin1String("Verified"))) << r.out.toStdString();
        sim.stop();
        const auto writes = writeRequests(sim.lines());
        auto count = [&writes](const char* kind) {
            const auto it = writes.find(QString::fromLatin1(kind));
            return it == writes.end() ? 0 : int(it->second.size());
        };
        if (!full) {
            EXPECT_EQ(count("byte"), blocks ? 0 : 1);
            EXPECT_EQ(count("block"), blocks ? 1 : 0);
            EXPECT_EQ(count("record"), m.model == 100 ? 1 : 0);
            if (m.model == 100)
                EXPECT_EQ(writes.at(QStringLiteral("record")).front(), QStringLiteral("9C"));
        } else {
            EXPECT_GT(count("byte") + 1000 * count("block"), 1000);
            EXPECT_GT(count("record"), m.model == 100 ? 100 : -1);
        }
        const QByteArray saved = readFile(path("saved.bin"));
        ASSERT_EQ(saved.size(), memory.size());
        for (int a = 0; a < memory.size(); ++a) {
            const bool edited = std::find(edits.begin(), edits.end(), a) != edits.end();
            ASSERT_EQ(uint8_t(saved[a]), uint8_t(edited ? ~memory[a] : memory[a])) << a;
        }
    }
}

// The module acknowledges a write but does not store one byte: the write
// must not end as a success.
TEST_P(SafetyCliMethods, AByteTheModuleDidNotStoreFailsTheWrite) {
    const Method& m = GetParam();
    const QByteArray memory = moduleMemory(700u + m.model + m.version, m.model, m.version);
    writeFile(path("memory.bin"), memory);
    QByteArray file = fileUnlike(memory, m.model);
    writeFile(path("in.dat"), file);
    PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version),
                "--memory", path("memory.bin"), "--drop-write-at",
                QString::number(m.droppedAddress)});
    ASSERT_TRUE(sim.started());

    const CliRun r = run({"write", "--port", sim.path(), "--in", path("in.dat")}, &sim);
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("DROPWRITE %1").arg(m.droppedAddress), 5000));
    EXPECT_EQ(r.exitCode, 5) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("NOT VERIFIED: 1 byte(s)"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QLatin1String("Verified:"))) << r.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Methods, SafetyCliMethods, ::testing::ValuesIn(kMethods),
                         [](const auto& info) { return std::string(info.param.name); });

// The dropped byte is named by its field, with the values as the page shows them.
TEST_F(SafetyCli, TheByteNotStoredIsNamedByItsField) {
    PtySim reader({"--model", "80", "--version", "43", "--example-config"});
    ASSERT_TRUE(reader.started());
    ASSERT_EQ(run({"read", "--port", reader.path(), "--out", path("a.dat")}, &reader).exitCode, 0);
    reader.stop();
    QByteArray file = readFile(path("a.dat"));
    ASSERT_EQ(file.size(), 1024 + kTextsSize);
    file[78] = 77; // "Csöngetési idő [sec]:" on "Egyéb"
    writeFile(path("b.dat"), file);

    PtySim sim({"--model", "80", "--version", "43", "--example-config", "--drop-write-at", "78"});
    ASSERT_TRUE(sim.started());
    const CliRun r = run({"write", "--port", sim.path(), "--in", path("b.dat")}, &sim);
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Egyéb / Csöngetési idő [sec]: sent 77 but the "
                                              "module holds ")))
        << r.out.toStdString();
}

// Turned off, the write ends after the clock as before, and says it was not verified.
TEST_F(SafetyCli, TheVerifySettingTurnsTheReadBackOff) {
    setSetting(QStringLiteral("verify"), QStringLiteral("0"));
    const QByteArray memory = moduleMemory(9, 71, 43);
    writeFile(path("memory.bin"), memory);
    writeFile(path("in.dat"), fileUnlike(memory, 71));
    PtySim sim({"--model", "71", "--version", "43", "--memory", path("memory.bin"),
                "--drop-write-at", "10"});
    ASSERT_TRUE(sim.started());
    const CliRun r = run({"write", "--port", sim.path(), "--in", path("in.dat")}, &sim);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("Not verified"))) << r.out.toStdString();
    EXPECT_FALSE(r.err.contains(QLatin1String("Reading back"))) << r.err.toStdString();
}

// A backup that cannot be written stops the write before anything is sent.
TEST_F(SafetyCli, WithoutABackupNothingIsWritten) {
    // The data folder is a file, so no backups folder can be made below it.
    writeFile(dir_.filePath(QStringLiteral("data")), "not a folder");
    const QByteArray memory = moduleMemory(11, 70, 32);
    writeFile(path("memory.bin"), memory);
    writeFile(path("in.dat"), fileUnlike(memory, 70));
    PtySim sim({"--model", "70", "--version", "32", "--memory", path("memory.bin")});
    ASSERT_TRUE(sim.started());
    const CliRun r = run({"write", "--port", sim.path(), "--in", path("in.dat")}, &sim);
    EXPECT_EQ(r.exitCode, 2) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("backup"))) << r.err.toStdString();
    sim.stop(); // everything it received is printed by the time it has ended
    for (const QString& line : sim.lines()) {
        if (!line.startsWith(QLatin1String("RX ")))
            continue;
        const QStringList b = line.mid(3).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(b.size(), 2);
        // byte write, record write, block write, clock
        EXPECT_FALSE(b[1] == "01" || b[1] == "80" || b[1] == "F6" || b[1] == "FC")
            << line.toStdString();
    }
}

// A file against the module: exactly the fields the file changed, one line
// each, the file's value first; nothing for a file equal to the module.
TEST_F(SafetyCli, DiffOfAFileAndTheModuleListsExactlyTheChangedFields) {
    PtySim sim({"--model", "80", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    ASSERT_EQ(run({"read", "--port", sim.path(), "--out", path("a.dat")}, &sim).exitCode, 0);
    QByteArray file = readFile(path("a.dat"));
    ASSERT_EQ(file.size(), 1024 + kTextsSize);
    ASSERT_NE(uint8_t(file[78]), 77);
    file[78] = 77;                                                // Egyéb: ring time
    file.replace(256 + 32, 6, QByteArray("+3630") + char(0xFF));  // third phone number
    file[97] = static_cast<char>(uint8_t(file[97]) == 9 ? 8 : 9); // DTMF Tx gain
    writeFile(path("b.dat"), file);

    const CliRun same = run({"diff", path("a.dat"), "port:" + sim.path()}, &sim);
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_TRUE(same.out.isEmpty()) << same.out.toStdString();

    const CliRun r = run({"diff", path("b.dat"), "--port", sim.path()}, &sim);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(
        lines[0].startsWith(QStringLiteral("Telefonszámok / 3. telefonszám: \"+3630\" -> ")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Egyéb / Csöngetési idő [sec]: 77 -> ")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Egyéb / DTMF Tx Gain: ")))
        << lines[2].toStdString();
    EXPECT_FALSE(r.out.contains(QLatin1String("ModelCode"))) << "the read's own lines stay off";
}

// Two files of different kinds cannot be compared field by field.
TEST_F(SafetyCli, DiffRefusesFilesOfDifferentModels) {
    writeFile(path("short.dat"), QByteArray(1024 + kTextsSize, '\xFF'));
    writeFile(path("long.dat"), QByteArray(8192 + kTextsSize, '\xFF'));
    writeFile(path("odd.dat"), QByteArray(1000, '\xFF'));
    EXPECT_EQ(run({"diff", path("short.dat"), path("long.dat")}, nullptr).exitCode, 2);
    EXPECT_EQ(run({"diff", path("short.dat"), path("odd.dat")}, nullptr).exitCode, 2);
    EXPECT_EQ(run({"diff", path("short.dat")}, nullptr).exitCode, 2);
    EXPECT_EQ(run({"diff", path("short.dat"), path("short.dat")}, nullptr).exitCode, 0);
}

// ---------------------------------------------------------------- files from outside

constexpr const char* kNotAFile = "not a file but a folder, a device or a pipe";

// What goes in as a configuration file: a device that never ends, a pipe
// nobody writes to, a folder, and a gigabyte. Each is refused with its
// reason before the port is opened, and the module hears nothing.
TEST_F(SafetyCli, AnInputThatIsNoConfigurationFileIsRefusedAndNothingIsSent) {
    ASSERT_EQ(::mkfifo(path("pipe").toLocal8Bit().constData(), 0600), 0);
    QDir().mkpath(path("folder"));
    QFile huge(path("huge.dat"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(1) << 30));
    huge.close();
    struct Case {
        QString in;
        QString message;
    };
    const Case cases[] = {
        {QStringLiteral("/dev/zero"), QString::fromLatin1(kNotAFile)},
        {path("pipe"), QString::fromLatin1(kNotAFile)},
        {path("folder"), QString::fromLatin1(kNotAFile)},
        {path("huge.dat"), QStringLiteral("has more than 8960 bytes; a configuration file has "
                                          "1792 or 8960")},
    };
    PtySim sim({"--model", "71", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    for (const Case& c : cases) {
        QElapsedTimer t;
        t.start();
        const CliRun r = run({"write", "--port", sim.path(), "--in", c.in}, &sim);
        EXPECT_EQ(r.exitCode, 2) << c.in.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << c.in.toStdString() << ": " << r.err.toStdString();
        EXPECT_LT(t.elapsed(), 20000) << c.in.toStdString();
    }
    EXPECT_TRUE(backups().isEmpty());
    sim.stop();
    EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), 0);
}

// What read --out points at: a device node or a folder is not replaced by the
// configuration file; the module is not read for nothing.
TEST_F(SafetyCli, AnOutputThatIsNoRegularFileIsRefusedAndLeftAsItWas) {
    struct Case {
        QString out;
        mode_t kind;
    };
    std::vector<Case> cases{{path("folder"), S_IFDIR}};
    QDir().mkpath(path("folder"));
    ASSERT_EQ(::mkfifo(path("pipe").toLocal8Bit().constData(), 0600), 0);
    cases.push_back({path("pipe"), S_IFIFO});
    // The null device, made afresh here: only root may, and only root could
    // have replaced it.
    if (::mknod(path("null").toLocal8Bit().constData(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        cases.push_back({path("null"), S_IFCHR});
    else
        std::cout << "[ note ] not root: the device node case is left out\n";
    PtySim sim({"--model", "71", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    for (const Case& c : cases) {
        const CliRun r = run({"read", "--port", sim.path(), "--out", c.out}, &sim);
        EXPECT_EQ(r.exitCode, 2) << c.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(kNotAFile)))
            << c.out.toStdString() << ": " << r.err.toStdString();
        struct stat st {};
        ASSERT_EQ(::stat(c.out.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.kind) << c.out.toStdString();
    }
    sim.stop();
    EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), 0);
    EXPECT_EQ(QDir(path("folder")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
}

// ---------------------------------------------------------------- restore

// The module changes after its backup (a write and, beyond what a file
// carries, its remote-monitoring bytes); writing the backup brings its fields
// back, verified, and keeps what the module held before as a backup of its own.
TEST_F(SafetyCli, WritingABackupRestoresTheModuleWithTheBytesKeptBesideIt) {
    const QByteArray memory = moduleMemory(21, 71, 43);
    writeFile(path("memory.bin"), memory);
    writeFile(path("in.dat"), fileUnlike(memory, 71));
    PtySim first({"--model", "71", "--version", "43", "--memory", path("memory.bin"), "--save",
                  path("after.bin")});
    ASSERT_TRUE(first.started());
    ASSERT_EQ(run({"write", "--port", first.path(), "--in", path("in.dat")}, &first).exitCode, 0);
    first.stop();
    ASSERT_EQ(backups().size(), 1);
    const QString backup = QDir(backupFolder()).filePath(backups().front());

    // The same module, its remote-monitoring bytes since changed as well.
    QByteArray changed = readFile(path("after.bin"));
    ASSERT_EQ(changed.size(), kMemorySize);
    changed.replace(1024, 512, randomBytes(22, 512));
    writeFile(path("changed.bin"), changed);
    PtySim sim({"--model", "71", "--version", "43", "--memory", path("changed.bin"), "--save",
                path("restored.bin")});
    ASSERT_TRUE(sim.started());
    const CliRun r = run({"write", "--port", sim.path(), "--in", backup}, &sim);
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("Verified"))) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("Bytes 1024..1535 from the file beside it")))
        << r.err.toStdString();
    sim.stop();
    const QByteArray restored = readFile(path("restored.bin"));
    // The backup's fields come back; the module's own bytes (75, 123..255)
    // and the bytes no field covers stay as the module holds them now.
    auto sendConstant = [](int a) {
        return (a >= 32 && a <= 39) || (a >= 52 && a <= 63) || a == 102 || a == 111 || a == 112 ||
               a == 120 || a == 121 || (a >= 384 && a <= 399);
    };
    for (int a = 0; a < 1536; ++a) {
        const bool moduleOwn = a == 75 || (a >= 123 && a <= 255);
        const bool field = sendConstant(a) || !FieldMap::fieldsAt(a, 71).isEmpty();
        ASSERT_EQ(uint8_t(restored[a]), uint8_t(!moduleOwn && field ? memory[a] : changed[a]))
            << "byte " << a;
    }
    EXPECT_EQ(backups().size(), 2);

    // Both are listed, newest first; with the port, those of that module.
    const CliRun all = run({"backups"}, nullptr);
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    const QStringList lines = all.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << all.out.toStdString();
    EXPECT_TRUE(lines[1].endsWith(backup)) << lines[1].toStdString();
    EXPECT_TRUE(lines[0].contains(QLatin1String("ModelCode 71"))) << lines[0].toStdString();
}

// backups --port reads the module and lists only what may be its backups.
TEST_F(SafetyCli, BackupsOfTheModuleOnAPort) {
    PtySim a({"--model", "80", "--version", "43", "--example-config"});
    ASSERT_TRUE(a.started());
    ASSERT_EQ(run({"read", "--port", a.path(), "--out", path("a.dat")}, &a).exitCode, 0);
    ASSERT_EQ(run({"write", "--port", a.path(), "--in", path("a.dat")}, &a).exitCode, 0);
    const QByteArray other = moduleMemory(23, 80, 43);
    writeFile(path("other.bin"), other);
    PtySim b({"--model", "80", "--version", "43", "--memory", path("other.bin")});
    ASSERT_TRUE(b.started());
    writeFile(path("b.dat"), fileUnlike(other, 80));
    ASSERT_EQ(run({"write", "--port", b.path(), "--in", path("b.dat")}, &b).exitCode, 0);
    ASSERT_EQ(backups().size(), 2);

    const CliRun r = run({"backups", "--port", a.path()}, &a);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // The version line, then the module's backup. Without an account, a
    // backup of the model with other phone numbers may be of this module
    // before they changed: listed after it, and marked.
    ASSERT_GE(lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(lines[1].contains(QLatin1String("ModelCode 80"))) << r.out.toStdString();
    EXPECT_TRUE(lines[1].contains(backupFolder())) << r.out.toStdString();
    EXPECT_FALSE(lines[1].contains(QLatin1String("other phone numbers"))) << r.out.toStdString();
    for (int i = 2; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].endsWith(QLatin1String("(other phone numbers: maybe another module)")))
            << r.out.toStdString();
    // The module's own is the older of the two: listed first all the same.
    const QStringList all =
        run({"backups"}, nullptr).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[1].section(QStringLiteral("  "), 3), lines[1].section(QStringLiteral("  "), 3));
}

} // namespace
