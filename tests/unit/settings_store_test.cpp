#include "settings/edition.h"
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
