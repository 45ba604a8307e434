#include "settings/data_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

// Failures print paths as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << qPrintable(s) << '"';
}

namespace {
const QString kSourceAssets = QDir::cleanPath(QStringLiteral(TEST_SOURCE_ASSETS));

void makeDirs(const QString& root, const QStringList& dirs) {
    for (const QString& d : dirs)
        ASSERT_TRUE(QDir().mkpath(root + QLatin1Char('/') + d)) << qPrintable(d);
}
} // namespace

// Binaries outside the build tree: the data folder is always reached from the
// binary's own folder, whatever the prefix, and whether or not it exists yet.
TEST(DataDir, InstalledBinaryUsesTheShareFolderBesideItsPrefix) {
    struct Case {
        const char* name;
        QStringList dirs;
        const char* binDir;
        const char* expected;
    } cases[] = {
        {"package unpacked into a scratch root",
         {"root/usr/bin", "root/usr/share/alvento"},
         "root/usr/bin",
         "root/usr/share/alvento"},
        {"local prefix", {"opt/bin", "opt/share/alvento"}, "opt/bin", "opt/share/alvento"},
        {"data folder not there yet", {"bare/bin"}, "bare/bin", "bare/share/alvento"},
        {"folder given with a trailing slash", {"slash/bin"}, "slash/bin/", "slash/share/alvento"},
    };
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    // The source assets must never be the answer for an installed binary.
    ASSERT_TRUE(QDir(kSourceAssets).exists());
    for (const auto& c : cases) {
        makeDirs(tmp.path(), c.dirs);
        EXPECT_EQ(dataDirFor(tmp.path() + QLatin1Char('/') + QLatin1String(c.binDir)),
                  tmp.path() + QLatin1Char('/') + QLatin1String(c.expected))
            << c.name;
    }
}

TEST(DataDir, BinaryInTheBuildTreeUsesTheSourceAssets) {
    // This test binary is itself in the build tree.
    const QString here = QCoreApplication::applicationDirPath();
    EXPECT_EQ(dataDirFor(here), kSourceAssets);
    EXPECT_EQ(dataDir(), kSourceAssets);
    EXPECT_EQ(dataPath(QStringLiteral("cid/codes.txt")),
              kSourceAssets + QStringLiteral("/cid/codes.txt"));
    EXPECT_EQ(dataPath(QStringLiteral("firmware.hex")),
              kSourceAssets + QStringLiteral("/firmware.hex"));
}

// An install staged below the build folder has a data folder of its own and
// uses it; a folder that merely starts with the build folder's name is not in
// the build tree.
TEST(DataDir, BuildTreeIsRecognisedByFolderNotByName) {
    QTemporaryDir staged(QStringLiteral(TEST_BUILD_DIR "/data_dir_test-XXXXXX"));
    ASSERT_TRUE(staged.isValid());
    makeDirs(staged.path(), {QStringLiteral("bin"), QStringLiteral("share/alvento")});
    EXPECT_EQ(dataDirFor(staged.path() + QStringLiteral("/bin")),
              staged.path() + QStringLiteral("/share/alvento"));

    QTemporaryDir sibling(QStringLiteral(TEST_BUILD_DIR "-data_dir_test-XXXXXX"));
    ASSERT_TRUE(sibling.isValid());
    makeDirs(sibling.path(), {QStringLiteral("bin")});
    EXPECT_EQ(dataDirFor(sibling.path() + QStringLiteral("/bin")),
              sibling.path() + QStringLiteral("/share/alvento"));
}

// Whatever folder the desktop starts the tool in, and whatever lies there,
// the answer stays the same.
TEST(DataDir, CurrentDirectoryPlaysNoPart) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    makeDirs(tmp.path(), {QStringLiteral("cwd/bin"), QStringLiteral("cwd/share/alvento"),
                          QStringLiteral("cwd/bin/assets"), QStringLiteral("cwd/bin/share/alvento"),
                          QStringLiteral("elsewhere/bin")});
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tmp.path() + QStringLiteral("/cwd/bin")));
    const QString installed = dataDirFor(tmp.path() + QStringLiteral("/elsewhere/bin"));
    const QString own = dataDir();
    QDir::setCurrent(before);
    EXPECT_EQ(installed, tmp.path() + QStringLiteral("/elsewhere/share/alvento"));
    EXPECT_EQ(own, kSourceAssets);
}
