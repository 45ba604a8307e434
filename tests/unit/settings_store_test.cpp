#include "settings/app_context.h"
#include "settings/edition.h"
#include "settings/presets.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", dir.path().toUtf8()); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, KeyPathsBecomeIniFilesPerEdition) {
    struct Case {
        int brand;
        const char* file;
    } cases[] = {{40, "GSM/NORVIK.ini"}, {41, "GSM/Telvaro.ini"}, {50, "Dravik/Dravik.ini"},
                 {1, "GSM/KESTRIN.ini"}, {10, "GSM/KESTRIN.ini"}, {20, "GSM/KESTRIN.ini"},
                 {30, "GSM/KESTRIN.ini"}};
    for (const auto& c : cases)
        EXPECT_EQ(SettingsStore::locationOf(settingsKeyPath(c.brand)),
                  dir.path() + QLatin1Char('/') + QLatin1String(c.file));
    EXPECT_EQ(SettingsStore::locationOf(QString::fromLatin1(kLegacyKeyPath)),
              dir.path() + QStringLiteral("/vorlund/AlventoRead.ini"));
}

TEST_F(SettingsStoreTest, ReadsWhatWasWrittenAndEmptyWhenMissing) {
    const QString key = settingsKeyPath(40);
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("comport")), QString());
    SettingsStore::WriteString(key, QStringLiteral("comport"), QStringLiteral("\\\\.\\COM17"));
    SettingsStore::WriteString(key, QStringLiteral("Language"), QStringLiteral("2"));
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("comport")),
              QStringLiteral("\\\\.\\COM17"));
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("Language")), QStringLiteral("2"));
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("mode")), QString());
    // Another edition's key is a different store.
    EXPECT_EQ(SettingsStore::ReadString(settingsKeyPath(41), QStringLiteral("Language")),
              QString());
}

TEST_F(SettingsStoreTest, PreSeededFileIsReadAndChangesOnDiskAreSeenAtOnce) {
    QDir().mkpath(dir.path() + QStringLiteral("/GSM"));
    QFile f(dir.path() + QStringLiteral("/GSM/NORVIK.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\ncomport=/dev/ttyUSB0\nLanguage=1\n");
    f.close();
    const QString key = settingsKeyPath(40);
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("comport")),
              QStringLiteral("/dev/ttyUSB0"));
    // Nothing is cached: another program's change is read by the next call.
    // (It comes a moment later, as an editor's save would; the file's time
    // stamp is what tells a changed file of the same size.)
    QThread::msleep(20);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[General]\ncomport=/dev/ttyACM0\nLanguage=3\n");
    f.close();
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("comport")),
              QStringLiteral("/dev/ttyACM0"));
}

TEST_F(SettingsStoreTest, UnwritableFolderLosesWritesSilently) {
    if (geteuid() == 0) {
        // root writes anywhere; use a path below a plain file instead, which no
        // one can create a folder under.
        QFile blocker(dir.path() + QStringLiteral("/GSM"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
    } else {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    const QString key = settingsKeyPath(40);
    SettingsStore::WriteString(key, QStringLiteral("Language"), QStringLiteral("1"));
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("Language")), QString());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Addresses the maker supplies come only from the settings: nothing is
// offered until a value is set, and a malformed one is never used.
TEST_F(SettingsStoreTest, PresetsComeOnlyFromWellFormedSettings) {
    struct Ip {
        const char* text;
        const char* normal; // nullptr: refused
    } ips[] = {{"10.1.2.3", "10.1.2.3"},
               {"010.001.002.003", "10.1.2.3"},
               {"255.255.255.255", "255.255.255.255"},
               {"256.1.1.1", nullptr},
               {"1.2.3", nullptr},
               {"1.2.3.4.5", nullptr},
               {"1..2.3", nullptr},
               {"a.b.c.d", nullptr},
               {"1.2.3.0004", nullptr},
               {"", nullptr},
               {" 1.2.3.4", nullptr}};
    for (const auto& c : ips) {
        const auto got = Presets::ipv4(QString::fromLatin1(c.text));
        if (c.normal)
            EXPECT_EQ(got, QString::fromLatin1(c.normal)) << c.text;
        else
            EXPECT_EQ(got, std::nullopt) << c.text;
    }
    EXPECT_EQ(Presets::paddedIpv4(QStringLiteral("10.2.30.4")), QStringLiteral("010.002.030.004"));

    AppContext ctx;
    ctx.keyPath = settingsKeyPath(40);
    Presets::ServerPair p = Presets::varonetApn(ctx, 63);
    EXPECT_FALSE(p.usable());
    EXPECT_EQ(p.missing, (QStringList{"varonetapn", "varonetserver"}));
    EXPECT_FALSE(Presets::trekkaServer(ctx, 0));

    ctx.write(QStringLiteral("varonetapn"), QStringLiteral("apn.example"));
    ctx.write(QStringLiteral("varonetserver"), QStringLiteral("10.1.2.300"));
    EXPECT_EQ(Presets::varonetApn(ctx, 63).missing, QStringList{"varonetserver"});
    ctx.write(QStringLiteral("varonetserver"), QStringLiteral(" 10.1.2.3 "));
    p = Presets::varonetApn(ctx, 63);
    EXPECT_TRUE(p.usable());
    EXPECT_EQ(p.first, QStringLiteral("apn.example"));
    EXPECT_EQ(p.second, QStringLiteral("10.1.2.3"));
    // An access point the module cannot keep between its quotes, or too long.
    for (const char* bad : {"a\"b", "a,b", "has space", "árvíz"}) {
        ctx.write(QStringLiteral("varonetapn"), QString::fromUtf8(bad));
        EXPECT_FALSE(Presets::varonetApn(ctx, 63).usable()) << bad;
    }
    ctx.write(QStringLiteral("varonetapn"), QString(64, QLatin1Char('a')));
    EXPECT_FALSE(Presets::varonetApn(ctx, 63).usable());

    ctx.write(QStringLiteral("trekkaserver2"), QStringLiteral("192.168.1.20"));
    EXPECT_EQ(Presets::trekkaServer(ctx, 1), QStringLiteral("192.168.1.20"));
    EXPECT_FALSE(Presets::trekkaServer(ctx, 0));
}
