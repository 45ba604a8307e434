// The Debian package as an installer gets it: built from this tree with cpack,
// unpacked into a scratch root, its desktop files checked by the desktop's own
// validators, and the installed tool run against the installed simulator.
#include "settings/data_dir.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Failures print paths as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << qPrintable(s) << '"';
}

namespace {
const char* kIdentifyRead = "RX 00 00 FF 00 01 FE";
const char* kVersionRead = "RX 00 00 FE 00 02 FD";
const QString kAppId = QStringLiteral("hu.alvento.Configurator");

struct Outcome {
    int exitCode = -1;
    QString output; // standard output and error together
};

Outcome run(const QString& program, const QStringList& args, const QString& workDir = {}) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    Outcome r;
    if (!p.waitForStarted(10000)) {
        r.output = program + QStringLiteral(": ") + p.errorString();
        return r;
    }
    p.waitForFinished(180000);
    r.output = QString::fromUtf8(p.readAll());
    if (p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    return r;
}
} // namespace

class InstallE2E : public ::testing::Test {
  protected:
    // One package for all cases: cpack into a scratch folder (the build tree is
    // left alone), then dpkg-deb unpacks files and control part separately.
    static void SetUpTestSuite() {
        work = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(work->isValid());
        const QString out = work->path() + QStringLiteral("/out");
        const Outcome pack =
            run(qEnvironmentVariable("ALVENTO_CPACK"),
                {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                 qEnvironmentVariable("ALVENTO_CPACK_CONFIG"), QStringLiteral("-B"), out},
                work->path());
        ASSERT_EQ(pack.exitCode, 0) << qPrintable(pack.output);
        const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
        ASSERT_EQ(debs.size(), 1) << qPrintable(pack.output);
        deb = out + QLatin1Char('/') + debs.first();
        root = work->path() + QStringLiteral("/root");
        control = work->path() + QStringLiteral("/control");
        const Outcome unpack = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root});
        ASSERT_EQ(unpack.exitCode, 0) << qPrintable(unpack.output);
        const Outcome meta = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-e"), deb, control});
        ASSERT_EQ(meta.exitCode, 0) << qPrintable(meta.output);
    }
    static void TearDownTestSuite() { work.reset(); }
    void SetUp() override {
        if (root.isEmpty())
            GTEST_SKIP() << "the package was not built";
    }
    static QString inRoot(const QString& path) { return root + QLatin1Char('/') + path; }

    static inline std::unique_ptr<QTemporaryDir> work;
    static inline QString deb, root, control;
};

TEST_F(InstallE2E, PackageDependsOnTheQtAndJpegRuntimes) {
    const Outcome depends =
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
    ASSERT_EQ(depends.exitCode, 0) << qPrintable(depends.output);
    // Names as they stand in Debian 12; later releases append "t64".
    for (const char* package :
         {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6serialport6", "libjpeg62-turbo"}) {
        const QRegularExpression entry(
            QStringLiteral("(^|,\\s*)%1(t64)?(\\s|,|$)")
                .arg(QRegularExpression::escape(QLatin1String(package))));
        EXPECT_TRUE(entry.match(depends.output.trimmed()).hasMatch())
            << package << " missing from: " << qPrintable(depends.output);
    }
}

TEST_F(InstallE2E, FilesLandWhereTheDesktopLooksAndTheUdevRuleStaysInactive) {
    struct Case {
        QString path;
        bool executable;
    } cases[] = {
        {QStringLiteral("usr/bin/alvento"), true},
        {QStringLiteral("usr/bin/alvento-sim"), true},
        {QStringLiteral("usr/share/applications/%1.desktop").arg(kAppId), false},
        {QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(kAppId), false},
        {QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId), false},
        {QStringLiteral("usr/share/alvento/udev/70-alvento-modemmanager.rules"), false},
    };
    for (const auto& c : cases) {
        const QFileInfo info(inRoot(c.path));
        EXPECT_TRUE(info.isFile()) << qPrintable(c.path);
        EXPECT_EQ(info.isExecutable(), c.executable) << qPrintable(c.path);
    }
    // The rule is for the installer to choose: nothing where udev would read it.
    for (const char* active : {"etc", "lib/udev", "usr/lib/udev"})
        EXPECT_FALSE(QFileInfo::exists(inRoot(QLatin1String(active)))) << active;
    // Nothing of the build tree or the compiled-in pictures is carried along.
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        EXPECT_FALSE(file.endsWith(QLatin1String(".jpg")) || file.endsWith(QLatin1String(".qrc")))
            << qPrintable(file);
    }
    // The tool's own idea of its data folder is the one the package fills.
    EXPECT_EQ(dataDirFor(inRoot(QStringLiteral("usr/bin"))),
              inRoot(QStringLiteral("usr/share/alvento")));
}

// The tests' placeholder firmware would brick a module: no installed file
// holds it, in its raw bytes or as the hex text it is kept in, and the stock
// tool has no firmware resource compiled in at all. Resource data may be
// compressed, but resource names are kept as they are (UTF-16, big-endian).
TEST_F(InstallE2E, PackageCarriesNoPlaceholderFirmware) {
    QFile file(QStringLiteral(ALVENTO_TEST_FIRMWARE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray placeholder = file.readAll();
    const QByteArray marker("ALVENTO PLACEHOLDER FIRMWARE");
    const QByteArray firstLine = placeholder.left(placeholder.indexOf('\r'));
    ASSERT_TRUE(QByteArray::fromHex(firstLine).startsWith("ALVENTO PLACEHOLDER"));
    QByteArray resourceName;
    for (const char c : QByteArray("firmware.hex"))
        resourceName.append('\0').append(c);

    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    ASSERT_TRUE(files.contains(inRoot(QStringLiteral("usr/bin/alvento"))));
    for (const QString& path : files) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(path);
        const QByteArray bytes = f.readAll();
        EXPECT_FALSE(bytes.contains(marker)) << qPrintable(path);
        EXPECT_FALSE(bytes.contains(marker.toHex().toUpper())) << qPrintable(path);
        EXPECT_FALSE(bytes.contains(firstLine)) << qPrintable(path);
#if !ALVENTO_CARRIES_FIRMWARE
        EXPECT_FALSE(bytes.contains(resourceName))
            << qPrintable(path) << " has a firmware resource";
#endif
    }
}

TEST_F(InstallE2E, PostInstallNoteNamesDialoutAndTheRuleThePackageCarries) {
    const QString postinst = control + QStringLiteral("/postinst");
    ASSERT_TRUE(QFileInfo(postinst).isExecutable());
    const Outcome note = run(QStringLiteral("/bin/sh"), {postinst, QStringLiteral("configure")});
    EXPECT_EQ(note.exitCode, 0) << qPrintable(note.output);
    EXPECT_TRUE(note.output.contains(QLatin1String("dialout"))) << qPrintable(note.output);
    EXPECT_TRUE(note.output.contains(QLatin1String("ModemManager"))) << qPrintable(note.output);
    // The copy command must name a file the package really installs.
    const QRegularExpressionMatch copy =
        QRegularExpression(QStringLiteral("cp (/\\S+\\.rules) /etc/udev/rules.d/"))
            .match(note.output);
    ASSERT_TRUE(copy.hasMatch()) << qPrintable(note.output);
    EXPECT_TRUE(QFileInfo(root + copy.captured(1)).isFile()) << qPrintable(copy.captured(1));
    // Upgrades and removals stay quiet.
    const Outcome upgrade =
        run(QStringLiteral("/bin/sh"), {postinst, QStringLiteral("abort-upgrade")});
    EXPECT_EQ(upgrade.exitCode, 0);
    EXPECT_TRUE(upgrade.output.isEmpty()) << qPrintable(upgrade.output);
}

TEST_F(InstallE2E, ShippedDesktopEntryAndMetainfoPassTheValidators) {
    const QString desktop = inRoot(QStringLiteral("usr/share/applications/%1.desktop").arg(kAppId));
    const Outcome entry = run(QStringLiteral("desktop-file-validate"), {desktop});
    EXPECT_EQ(entry.exitCode, 0) << qPrintable(entry.output);
    EXPECT_TRUE(entry.output.trimmed().isEmpty()) << qPrintable(entry.output);

    const QString metainfo =
        inRoot(QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(kAppId));
    const Outcome info =
        run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                             QStringLiteral("--strict"), metainfo});
    EXPECT_EQ(info.exitCode, 0) << qPrintable(info.output);
    // The tree as a software centre reads it: metainfo, desktop entry and icon together.
    const Outcome tree = run(QStringLiteral("appstreamcli"),
                             {QStringLiteral("validate-tree"), QStringLiteral("--no-net"),
                              QStringLiteral("--strict"), root});
    EXPECT_EQ(tree.exitCode, 0) << qPrintable(tree.output);

    // The menu entry starts the installed command and shows the shipped icon.
    QFile file(desktop);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QString exec =
        QRegularExpression(QStringLiteral("(?m)^Exec=(\\S+)")).match(text).captured(1);
    const QString icon =
        QRegularExpression(QStringLiteral("(?m)^Icon=(\\S+)")).match(text).captured(1);
    EXPECT_TRUE(QFileInfo(inRoot(QStringLiteral("usr/bin/") + exec)).isExecutable())
        << qPrintable(exec);
    EXPECT_TRUE(QFileInfo::exists(
        inRoot(QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(icon))))
        << qPrintable(icon);
}

// The installed tool, started from a folder that has nothing to do with the
// build, finds the installed simulator's module and opens its window, which
// then asks for the module's version.
TEST_F(InstallE2E, InstalledToolDispatchesAgainstTheInstalledSimulator) {
    qputenv("ALVENTO_SIM", inRoot(QStringLiteral("usr/bin/alvento-sim")).toUtf8());
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71")});
    ASSERT_TRUE(sim.started());

    QTemporaryDir settings, startDir;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    const QString key = settingsKeyPath(buildBrandCode());
    SettingsStore::WriteString(key, QStringLiteral("Language"), QStringLiteral("0"));
    SettingsStore::WriteString(key, QStringLiteral("comport"), sim.path());
    qunsetenv("XDG_CONFIG_HOME");

    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settings.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("ALVENTO_EXE"));
    env.remove(QStringLiteral("ALVENTO_SIM"));
    tool.setProcessEnvironment(env);
    tool.setWorkingDirectory(startDir.path());
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(inRoot(QStringLiteral("usr/bin/alvento")), {});
    ASSERT_TRUE(tool.waitForStarted(5000));
    EXPECT_TRUE(sim.waitForLine(QString::fromLatin1(kIdentifyRead), 8000));
    EXPECT_TRUE(sim.waitForLine(QString::fromLatin1(kVersionRead), 8000));
    EXPECT_EQ(tool.state(), QProcess::Running);
    tool.kill();
    tool.waitForFinished(3000);
}
