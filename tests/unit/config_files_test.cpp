#include "image/config_file.h"
#include "image/file_access.h"
#include "image/sim_names_file.h"
#include "support/test_files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b += static_cast<char>(v);
    return b;
}

QByteArray imageOf(int size) {
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return image;
}

QList<QByteArray> linesOf(const QByteArray& file) {
    QList<QByteArray> lines = file.split('\n');
    lines.removeLast(); // after the last line end
    return lines;
}

} // namespace

// ---------------------------------------------------------------------------
// Configuration file

TEST(ConfigFile, BothKindsOfFileKeepImageAndTextsInPlace) {
    struct Case {
        int imageSize;
        int fileSize;
    };
    for (const Case c : {Case{1024, 1792}, Case{8192, 8960}}) {
        const QByteArray image = imageOf(c.imageSize);
        const ConfigFile::Texts texts{"Kovács", "Fő utca 1", "+36301234567", "", "Alvento", "x"};
        const QByteArray file = ConfigFile::build(image, texts);
        ASSERT_EQ(file.size(), c.fileSize);
        EXPECT_EQ(file.left(c.imageSize), image);
        // The communicator type record, byte for byte.
        const QByteArray record = file.mid(c.imageSize + 4 * 128, 128);
        EXPECT_EQ(record, QByteArray(1, '\0') + "Alvento" + QByteArray(120, '\0'));
        // An empty text is saved as one space.
        EXPECT_EQ(file.mid(c.imageSize + 3 * 128, 3), QByteArray("\0 \0", 3));

        const auto content = ConfigFile::parse(file, c.imageSize);
        ASSERT_TRUE(content);
        EXPECT_EQ(content->image, image);
        EXPECT_EQ(content->texts[0], QByteArray("Kovács"));
        EXPECT_EQ(content->texts[3], QByteArray(" "));
        EXPECT_EQ(content->texts[5], QByteArray("x"));
        EXPECT_EQ(ConfigFile::imageSizeOfFile(c.fileSize), c.imageSize);
    }
}

TEST(ConfigFile, SizeTellsWhetherAFileFitsTheModule) {
    using F = ConfigFile::Fit;
    struct Case {
        qsizetype fileSize;
        int imageSize;
        F fit;
    };
    const Case cases[] = {
        {1792, 1024, F::Exact},      {8960, 8192, F::Exact},
        {8960, 1024, F::OtherModel}, // saved with ModelCode 100, opened with 70..90
        {1792, 8192, F::OtherModel}, // and the other way round
        {0, 1024, F::Short},         {0, 8192, F::Short},
        {1791, 1024, F::Short},      {1024, 1024, F::Short}, // the image alone
        {8959, 8192, F::Short},      {1793, 1024, F::Long},
        {8959, 1024, F::Long},       {8961, 8192, F::Long},
        {8961, 1024, F::Long},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConfigFile::fitOf(c.fileSize, c.imageSize), c.fit)
            << c.fileSize << " for " << c.imageSize;
        EXPECT_EQ(ConfigFile::parse(QByteArray(c.fileSize, 'a'), c.imageSize).has_value(),
                  c.fit == F::Exact)
            << c.fileSize;
    }
    EXPECT_FALSE(ConfigFile::imageSizeOfFile(1793));
    EXPECT_FALSE(ConfigFile::imageSizeOfFile(0));
}

TEST(ConfigFile, ATextKeepsAtMost127Characters) {
    struct Case {
        int length;
        int stored;
    };
    for (const Case c : {Case{126, 126}, Case{127, 127}, Case{128, 127}, Case{300, 127}}) {
        QString text;
        for (int i = 0; i < c.length; ++i)
            text += QChar(u'a' + i % 26);
        ConfigFile::InstallationTexts in;
        in[1] = text;
        const QByteArray file =
            ConfigFile::build(QByteArray(1024, '\0'), ConfigFile::textsToBytes(in));
        const QByteArray record = file.mid(1024 + 128, 128);
        EXPECT_EQ(record[0], '\0');
        EXPECT_EQ(record.mid(1, c.stored), text.left(c.stored).toLatin1()) << c.length;
        // A shorter text ends with a zero; 127 characters fill the record.
        EXPECT_EQ(record.mid(1 + c.stored), QByteArray(127 - c.stored, '\0')) << c.length;

        const auto back = ConfigFile::textsFromBytes(ConfigFile::parse(file, 1024)->texts);
        EXPECT_EQ(back[1], text.left(127)) << c.length;
    }
}

TEST(ConfigFile, TextsAreCodePage1250ByteForByte) {
    struct Case {
        const char* text;
        QByteArray bytes;
    };
    const Case cases[] = {
        // Unlike texts in the image, á é í ó keep their own code page bytes.
        {"Árvíztűrő tükörfúrógép",
         bytesOf({0xC1, 'r', 'v',  0xED, 'z', 't',  0xFB, 'r',  0xF5, ' ',  't',
                  0xFC, 'k', 0xF6, 'r',  'f', 0xFA, 'r',  0xF3, 'g',  0xE9, 'p'})},
        {"ŐŰ čšž ÁÉ", bytesOf({0xD5, 0xDB, ' ', 0xE8, 0x9A, 0x9E, ' ', 0xC1, 0xC9})},
        {"2024.09.03 12:00:00", QByteArray("2024.09.03 12:00:00")},
        // Not in the code page: stored as a question mark.
        {"漢", QByteArray("?")},
        {"a😀b€", bytesOf({'a', '?', 'b', 0x80})},
        // A control character the page has is kept as it is.
        {"a\x1A", bytesOf({'a', 0x1A})},
    };
    for (const Case& c : cases) {
        ConfigFile::InstallationTexts in;
        in[0] = QString::fromUtf8(c.text);
        const QByteArray file =
            ConfigFile::build(QByteArray(1024, '\0'), ConfigFile::textsToBytes(in));
        EXPECT_EQ(ConfigFile::recordText(file.mid(1024, 128)), c.bytes) << c.text;
    }
    // Whatever bytes a file holds come back as the same bytes when it is saved
    // again, including those the code page leaves undefined.
    ConfigFile::Texts raw;
    for (int i = 0; i < ConfigFile::kTextCount; ++i)
        for (int b = 1 + i * 42; b < 1 + (i + 1) * 42 && b < 256; ++b)
            raw[size_t(i)] += static_cast<char>(b);
    const auto strings = ConfigFile::textsFromBytes(raw);
    EXPECT_EQ(ConfigFile::textsToBytes(strings), raw);
}

// ---------------------------------------------------------------------------
// SIM names file

TEST(SimNamesFile, AlwaysWritesTheCountAnd250PairsWithCrLf) {
    const std::vector<SimNamesFile::Row> rows{{"+36301234567", "Kovács Éva"}};
    const QByteArray file = SimNamesFile::build(2, rows);
    ASSERT_TRUE(file.endsWith("\r\n"));
    const QList<QByteArray> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 501);
    for (const QByteArray& line : lines)
        EXPECT_TRUE(line.endsWith('\r'));
    EXPECT_EQ(lines[0], "2\r");
    EXPECT_EQ(lines[1], "+36301234567\r");
    EXPECT_EQ(lines[2], QByteArray("Kov\xE1"
                                   "cs \xC9va\r"));
    // The 249 pairs beyond the grid are empty lines.
    for (int i = 3; i < 501; ++i)
        EXPECT_EQ(lines[i], "\r") << i;
}

TEST(SimNamesFile, RowsBeyond250AreNotStoredAndLineBreaksBecomeSpaces) {
    std::vector<SimNamesFile::Row> rows(260);
    for (int i = 0; i < 260; ++i)
        rows[size_t(i)] = {QString::number(i + 1), QStringLiteral("N%1").arg(i + 1)};
    rows[4].name = QStringLiteral("two\r\nlines");
    rows[5].number = QStringLiteral("12\n34");
    rows[6].name = QStringLiteral("Ő 漢");
    const QByteArray file = SimNamesFile::build(261, rows);
    const QList<QByteArray> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 501);
    EXPECT_EQ(lines[0], "261\r");
    EXPECT_EQ(lines[10], "two  lines\r");
    EXPECT_EQ(lines[11], "12 34\r");
    EXPECT_EQ(lines[14], "\xD5 ?\r");
    EXPECT_EQ(lines[499], "250\r");
    EXPECT_EQ(lines[500], "N250\r");

    const auto back = SimNamesFile::parse(file);
    ASSERT_EQ(back.problem, SimNamesFile::Problem::None);
    EXPECT_EQ(back.content.rowCount, 251);
    EXPECT_EQ(back.content.rows[4].name, QStringLiteral("two  lines"));
    EXPECT_EQ(back.content.rows[249], (SimNamesFile::Row{"250", "N250"}));
}

TEST(SimNamesFile, FirstLineMustBeAnIntegerAndSetsTheRowCount) {
    using P = SimNamesFile::Problem;
    struct Case {
        QByteArray firstLine;
        P problem;
        int rowCount;
    };
    const Case cases[] = {
        {"251", P::None, 251},
        {"2", P::None, 2},
        {" 12 ", P::None, 12},
        {"+3", P::None, 3},
        // A grid keeps its header row and has no row beyond the last SIM slot.
        {"1", P::None, 1},
        {"0", P::None, 1},
        {"-4", P::None, 1},
        {"252", P::None, 251},
        {"2147483647", P::None, 251},
        {"abc", P::NotAnInteger, 0},
        {"", P::NotAnInteger, 0},
        {"12abc", P::NotAnInteger, 0},
        {"1.5", P::NotAnInteger, 0},
        {"0x10", P::NotAnInteger, 0},
        {"99999999999", P::NotAnInteger, 0},
        {"Kov\xE1"
         "cs",
         P::NotAnInteger, 0},
    };
    for (const Case& c : cases) {
        const auto p = SimNamesFile::parse(c.firstLine + "\r\n111\r\nA\r\n");
        EXPECT_EQ(p.problem, c.problem) << c.firstLine.constData();
        if (c.problem == P::None) {
            EXPECT_EQ(p.content.rowCount, c.rowCount) << c.firstLine.constData();
            EXPECT_EQ(p.content.rows[0], (SimNamesFile::Row{"111", "A"}));
        } else {
            // Latin-1 and code page 1250 agree on every byte used here.
            EXPECT_EQ(p.firstLine, QString::fromLatin1(c.firstLine));
        }
    }
    // An empty file has an empty first line.
    const auto empty = SimNamesFile::parse(QByteArray());
    EXPECT_EQ(empty.problem, P::NotAnInteger);
    EXPECT_EQ(empty.firstLine, QString());
}

TEST(SimNamesFile, LineEndsMissingLinesAndTheLineLimit) {
    using P = SimNamesFile::Problem;
    std::vector<SimNamesFile::Row> rows(250);
    for (int i = 0; i < 250; ++i)
        rows[size_t(i)] = {QStringLiteral("+3630%1").arg(i), QStringLiteral("Név %1").arg(i)};
    const QByteArray crlf = SimNamesFile::build(251, rows);
    QByteArray lf = crlf;
    lf.replace("\r\n", "\n");
    QByteArray noLastEnd = crlf;
    noLastEnd.chop(2);
    struct Case {
        const char* what;
        QByteArray file;
        P problem;
        int filledRows; // rows that come back as saved; the others are empty
    };
    const Case cases[] = {
        {"CR LF", crlf, P::None, 250},
        {"LF", lf, P::None, 250},
        {"no end after the last line", noLastEnd, P::None, 250},
        {"empty lines after the 501st", crlf + "\r\n\r\n\n", P::None, 250},
        {"a 502nd line with text", crlf + "x\r\n", P::TooManyLines, 0},
        {"a 502nd line without its end", crlf + "x", P::TooManyLines, 0},
        {"text after empty lines", crlf + "\r\n\r\nx\r\n", P::TooManyLines, 0},
        // Cut after the name of row 10: the rest reads as empty.
        {"cut after row 10",
         crlf.left(crlf.indexOf("+3630"
                                "10\r\n")),
         P::None, 10},
        {"the count alone", "251\r\n", P::None, 0},
    };
    for (const Case& c : cases) {
        const auto p = SimNamesFile::parse(c.file);
        EXPECT_EQ(p.problem, c.problem) << c.what;
        if (c.problem != P::None)
            continue;
        EXPECT_EQ(p.content.rowCount, 251) << c.what;
        for (int r = 0; r < 250; ++r)
            EXPECT_EQ(p.content.rows[size_t(r)],
                      r < c.filledRows ? rows[size_t(r)] : SimNamesFile::Row{})
                << c.what << " row " << r + 1;
    }
    // A CR on its own is no line end, and a cell cannot keep it.
    const auto lone = SimNamesFile::parse("3\r\n12\r34\r\nA\rB\r\n");
    EXPECT_EQ(lone.content.rows[0], (SimNamesFile::Row{"12 34", "A B"}));
}

// ---------------------------------------------------------------------------
// Reading and writing whole files

constexpr const char* kNotAFile = "File access denied: not a file but a folder, a device or a pipe";

class FileAccessTest : public ::testing::Test {
  protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(FileAccessTest, ReadFailuresAreNamedAsTheInstallerKnowsThem) {
    writeFile(path("plain.dat"), "12345");
    ASSERT_EQ(::mkfifo(path("pipe").toLocal8Bit().constData(), 0600), 0);
    struct Case {
        QString path;
        const char* text;
    };
    const Case cases[] = {
        {path("missing.dat"), "File not found"},
        {path("plain.dat/inside.dat"), "File not found"},
        // A folder, a pipe (it would block) or a device (it would never end).
        {dir_.path(), kNotAFile},
        {path("pipe"), kNotAFile},
        {QStringLiteral("/dev/zero"), kNotAFile},
        {path("zero-link"), kNotAFile},
    };
    ASSERT_EQ(::symlink("/dev/zero", path("zero-link").toLocal8Bit().constData()), 0);
    for (const Case& c : cases) {
        const auto r = FileAccess::readAtMost(c.path, 100);
        EXPECT_EQ(FileAccess::errorText(r.error), QString::fromLatin1(c.text))
            << c.path.toStdString();
        EXPECT_TRUE(r.bytes.isEmpty());
    }
    const auto r = FileAccess::readAtMost(path("plain.dat"), 3);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.bytes, "123");
    EXPECT_EQ(FileAccess::readAtMost(path("plain.dat"), 100).bytes, "12345");
}

// A gigabyte (sparse, so it costs no disk) is read only as far as asked.
TEST_F(FileAccessTest, AHugeFileIsReadOnlyAsFarAsItsKindReaches) {
    QFile huge(path("huge.dat"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(1) << 30));
    huge.close();
    const auto r = FileAccess::readAtMost(path("huge.dat"), ConfigFile::kLargestFileSize + 1);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.bytes.size(), ConfigFile::kLargestFileSize + 1);
}

TEST_F(FileAccessTest, OtherSystemErrorsShowTheirCode) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {ENOENT, "File not found"}, {EACCES, "File access denied"}, {EROFS, "File access denied"},
        {ENOSPC, "Disk full"},      {EDQUOT, "Disk full"},          {EIO, "I/O error 5"},
        {EFBIG, "I/O error 27"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileAccess::errorText(FileAccess::errorFromSystem(c.code)),
                  QString::fromLatin1(c.text))
            << c.code;
    EXPECT_EQ(FileAccess::errorText({FileAccess::Problem::EndOfFile, 0}),
              QStringLiteral("Read beyond end of file"));
}

TEST_F(FileAccessTest, SavingReplacesTheFileOrLeavesItAsItWas) {
    writeFile(path("old.dat"), "old contents");
    ASSERT_EQ(::mkfifo(path("pipe").toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(FileAccess::writeWhole(path("old.dat"), "new"));
    EXPECT_EQ(readFile(path("old.dat")), "new");
    EXPECT_FALSE(FileAccess::writeWhole(path("fresh.dat"), QByteArray(1792, 'z')));
    EXPECT_EQ(readFile(path("fresh.dat")), QByteArray(1792, 'z'));

    struct Case {
        QString path;
        const char* text;
    };
    const Case cases[] = {
        // A folder on the path is a regular file.
        {path("old.dat/x.dat"), "File not found"},
        {path("nowhere/x.dat"), "File not found"},
        {dir_.path(), kNotAFile},
        {path("pipe"), kNotAFile},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileAccess::errorText(FileAccess::writeWhole(c.path, "x")),
                  QString::fromLatin1(c.text))
            << c.path.toStdString();
        EXPECT_EQ(FileAccess::errorText(FileAccess::checkWritable(c.path)),
                  QString::fromLatin1(c.text))
            << c.path.toStdString();
    }
    EXPECT_FALSE(FileAccess::checkWritable(path("old.dat")));
    EXPECT_FALSE(FileAccess::checkWritable(path("not-yet.dat")));
    EXPECT_FALSE(QFileInfo::exists(path("not-yet.dat"))) << "the check leaves nothing behind";
    // The pipe is still a pipe, not a file put in its place.
    struct stat st {};
    ASSERT_EQ(::stat(path("pipe").toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::System).size(), 3);
}

TEST_F(FileAccessTest, AFullDiskLeavesTheOldFileWhole) {
    TmpfsMount disk(path("disk"), 16);
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    const QString target = path("disk/config.dat");
    const QByteArray old(1792, 'o');
    writeFile(target, old);
    fillDisk(path("disk/filler"));
    for (int size : {1792, 8960}) {
        const FileAccess::Error e = FileAccess::writeWhole(target, QByteArray(size, 'n'));
        EXPECT_EQ(FileAccess::errorText(e), QStringLiteral("Disk full")) << size;
        EXPECT_EQ(readFile(target), old) << size;
    }
    EXPECT_EQ(QDir(path("disk")).entryList(QDir::Files).size(), 2);
}

TEST_F(FileAccessTest, AReadOnlyMediumRefusesSavesButOpensForReading) {
    TmpfsMount medium(path("medium"), 64);
    if (!medium.mounted())
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    const QString target = path("medium/config.dat");
    writeFile(target, "saved earlier");
    ASSERT_TRUE(medium.makeReadOnly());
    for (const QString& p : {target, path("medium/new.dat")})
        EXPECT_EQ(FileAccess::errorText(FileAccess::writeWhole(p, "x")),
                  QStringLiteral("File access denied"))
            << p.toStdString();
    EXPECT_EQ(readFile(target), "saved earlier");
    const auto r = FileAccess::readAtMost(target, 100);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.bytes, "saved earlier");
}

TEST_F(FileAccessTest, ASaveKilledBeforeItsEndLeavesTheEarlierFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString target = path("config.dat");
    writeFile(target, "earlier");
    // The process dies with every new byte written but the file not yet replaced.
    EXPECT_EXIT(
        {
            FileAccess::writeWhole(target, QByteArray(8960, 'n'), [] { std::_Exit(3); });
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(readFile(target), "earlier");
    // Nothing left behind stands in the way of the next save.
    EXPECT_FALSE(FileAccess::writeWhole(target, "later"));
    EXPECT_EQ(readFile(target), "later");
}
