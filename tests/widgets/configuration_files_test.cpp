#include "cli/headless_view.h"
#include "engine/link_engine.h"
#include "image/config_file.h"
#include "serial/tasyncomm32.h"
#include "support/test_files.h"
#include "workspace/configuration_files.h"
#include "workspace/installation_panel.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QTreeView>
#include <deque>
#include <gtest/gtest.h>

namespace {

QByteArray imageBytes(const ConfigImage& image, int count = ConfigImage::kSize) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), count);
}

void fillImage(ConfigImage& image, int seed) {
    for (int i = 0; i < ConfigImage::kSize; ++i)
        image[i] = static_cast<uint8_t>((i * 13 + seed) & 0xFF);
}

QString repeated(int length) {
    QString s;
    for (int i = 0; i < length; ++i)
        s += QChar(u'A' + i % 26);
    return s;
}

// The configurator's side of the file commands, as the window wires it.
class ConfigurationFilesTest : public ::testing::Test {
  protected:
    ConfigurationFilesTest() {
        files = new ConfigurationFiles(image, panel, &panel);
        files->modelCode = [this] { return model; };
        files->language = [this] { return language; };
        files->busy = [this] { return busy; };
        files->encode = [this] { ++encodes; };
        files->decode = [this] {
            ++decodes;
            // A window may mark every decode as a read; a file load is not one.
            files->moduleImageRead();
        };
        files->chooseFile = [this](const FileDialogRequest& r) {
            requests.push_back(r);
            if (answers.empty())
                return QString();
            const QString path = answers.front();
            answers.pop_front();
            return path;
        };
        files->showMessage = [this](const QString& text) { messages << text; };
        files->setStartDirectory(dir.path());
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    bool saveAs(const QString& file) {
        answers.push_back(file);
        return files->saveConfiguration();
    }
    bool open(const QString& file) {
        answers.push_back(file);
        return files->openConfiguration();
    }

    QTemporaryDir dir;
    ConfigImage image;
    Panel16 panel;
    ConfigurationFiles* files = nullptr;
    int model = 70;
    int language = 0;
    bool busy = false;
    int encodes = 0;
    int decodes = 0;
    std::deque<QString> answers;
    std::vector<FileDialogRequest> requests;
    QStringList messages;
};

} // namespace

TEST_F(ConfigurationFilesTest, SavedFileOpensAgainWithImageAndTexts) {
    struct Case {
        int model;
        int imageSize;
        int fileSize;
    };
    for (const Case c : {Case{70, 1024, 1792}, Case{90, 1024, 1792}, Case{100, 8192, 8960}}) {
        model = c.model;
        fillImage(image, c.model);
        const QByteArray saved = imageBytes(image, c.imageSize);
        const ConfigFile::InstallationTexts texts{
            QStringLiteral("Kovács Árpád"), QStringLiteral("Győr, Fő utca 1."),
            QStringLiteral("+36301234567"), repeated(128),
            QStringLiteral("Alvento GSM"),  QStringLiteral("2024.09.03 12:00:00")};
        panel.setTexts(texts);
        const QString file = path(QStringLiteral("model%1.dat").arg(c.model));
        ASSERT_TRUE(saveAs(file)) << messages.join('|').toStdString();
        const QByteArray bytes = readFile(file);
        ASSERT_EQ(bytes.size(), c.fileSize);
        EXPECT_EQ(bytes.left(c.imageSize), saved);
        // Code page 1250: Á is 0xC1, ő 0xF5.
        EXPECT_EQ(ConfigFile::recordText(bytes.mid(c.imageSize, 128)), QByteArray("Kov\xE1"
                                                                                  "cs \xC1rp\xE1"
                                                                                  "d"));
        EXPECT_EQ(ConfigFile::recordText(bytes.mid(c.imageSize + 128, 128)),
                  QByteArray("Gy\xF5r, F\xF5 utca 1."));

        // Something else in the window, then the file again.
        fillImage(image, c.model + 1);
        const QByteArray beyond = imageBytes(image).mid(c.imageSize);
        panel.setTexts({});
        const int decodesBefore = decodes;
        ASSERT_TRUE(open(file)) << messages.join('|').toStdString();
        EXPECT_EQ(decodes, decodesBefore + 1);
        EXPECT_EQ(imageBytes(image, c.imageSize), saved);
        // Bytes the file does not hold stay as they were.
        EXPECT_EQ(imageBytes(image).mid(c.imageSize), beyond);
        ConfigFile::InstallationTexts expected = texts;
        expected[3] = repeated(127); // a 128th character has no room in the file
        EXPECT_EQ(panel.texts(), expected);
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(ConfigurationFilesTest, EmptyTextsAreSavedAsOneSpaceAndShowIt) {
    ASSERT_TRUE(saveAs(path("empty.dat")));
    const QByteArray bytes = readFile(path("empty.dat"));
    ASSERT_EQ(bytes.size(), 1792);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bytes.mid(1024 + 128 * i, 128), QByteArray("\0 ", 2) + QByteArray(126, '\0'))
            << i;
    for (const QString& t : panel.texts())
        EXPECT_EQ(t, QStringLiteral(" "));
}

TEST_F(ConfigurationFilesTest, SaveEncodesFirstEvenWhenTheDialogIsCancelled) {
    EXPECT_FALSE(files->saveConfiguration());
    EXPECT_EQ(encodes, 1);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
    EXPECT_FALSE(files->openConfiguration());
    EXPECT_EQ(decodes, 0);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ConfigurationFilesTest, AFileThatDoesNotFitChangesNothing) {
    writeFile(path("ok70.dat"), QByteArray(1792, 'a'));
    writeFile(path("ok100.dat"), QByteArray(8960, 'b'));
    writeFile(path("empty.dat"), {});
    writeFile(path("cut.dat"), QByteArray(1791, 'c'));
    writeFile(path("image-only.dat"), QByteArray(1024, 'd'));
    writeFile(path("cut100.dat"), QByteArray(5000, 'e'));
    writeFile(path("long.dat"), QByteArray(1793, 'f'));
    writeFile(path("huge.dat"), QByteArray(100000, 'g'));
    struct Case {
        const char* file;
        int model;
        const char* firstLine; // of the message
        const char* mentions;  // somewhere in the message
    };
    const Case cases[] = {
        {"empty.dat", 70, "Read beyond end of file", "0 bytes"},
        {"cut.dat", 70, "Read beyond end of file", "1791 bytes"},
        {"image-only.dat", 70, "Read beyond end of file", "1792 bytes"},
        {"cut100.dat", 100, "Read beyond end of file", "8960 bytes"},
        // A file of the other kind: saved with another model.
        {"ok70.dat", 100, "Read beyond end of file", "ModelCode 70 to 90"},
        {"ok100.dat", 70, "This is not a configuration file of this module.", "ModelCode 100"},
        {"ok100.dat", 80, "This is not a configuration file of this module.", "1792 bytes"},
        {"long.dat", 71, "This is not a configuration file of this module.", "1793 bytes"},
        {"huge.dat", 100, "This is not a configuration file of this module.",
         "longer than 8960 bytes"},
        {"missing.dat", 70, "File not found", "nothing has changed"},
        {"ok70.dat/x.dat", 70, "File not found", "nothing has changed"},
        {".", 70, "File access denied: not a file but a folder, a device or a pipe",
         "nothing has changed"},
    };
    language = 1;
    fillImage(image, 5);
    const ConfigImage before = image;
    const ConfigFile::InstallationTexts texts{"a", "b", "c", "d", "e", "f"};
    panel.setTexts(texts);
    for (const Case& c : cases) {
        model = c.model;
        messages.clear();
        EXPECT_FALSE(open(path(QString::fromLatin1(c.file)))) << c.file;
        ASSERT_EQ(messages.size(), 1) << c.file;
        EXPECT_EQ(messages[0].section(u'\n', 0, 0), QString::fromLatin1(c.firstLine)) << c.file;
        EXPECT_TRUE(messages[0].contains(QString::fromLatin1(c.mentions)))
            << c.file << ": " << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QStringLiteral("nothing has changed"))) << c.file;
        EXPECT_EQ(image.bytes, before.bytes) << c.file;
        EXPECT_EQ(panel.texts(), texts) << c.file;
        EXPECT_EQ(decodes, 0) << c.file;
        EXPECT_FALSE(files->imageNeedsModuleBytes(43)) << c.file;
    }
    // German and Slovenian have their own words.
    const struct {
        int language;
        const char* firstLine;
        const char* mentions;
    } kLanguages[] = {
        {2, "Das ist keine Konfigurationsdatei dieses Moduls.", "nichts hat sich geändert"},
        {3, "To ni konfiguracijska datoteka tega modula.", "nič se ni spremenilo"},
    };
    model = 71;
    for (const auto& l : kLanguages) {
        language = l.language;
        messages.clear();
        EXPECT_FALSE(open(path("long.dat")));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].section(u'\n', 0, 0), QString::fromUtf8(l.firstLine));
        EXPECT_TRUE(messages[0].contains(QString::fromUtf8(l.mentions)))
            << messages[0].toStdString();
    }
    language = 1;
    // The file that fits opens.
    model = 70;
    EXPECT_TRUE(open(path("ok70.dat")));
    EXPECT_EQ(imageBytes(image, 1024), QByteArray(1024, 'a'));
}

TEST_F(ConfigurationFilesTest, NoFileCommandWhileATransferRuns) {
    writeFile(path("ok.dat"), QByteArray(1792, 'a'));
    writeFile(path("names.sim"), "2\r\n1\r\nA\r\n");
    const ConfigImage before = image;
    busy = true;
    answers = {path("ok.dat"), path("new.dat"), path("names.sim"), path("new.sim")};
    EXPECT_FALSE(files->openConfiguration());
    EXPECT_FALSE(files->saveConfiguration());
    EXPECT_FALSE(files->openSimNames());
    EXPECT_FALSE(files->saveSimNames(2, {}));
    EXPECT_TRUE(requests.empty()); // not even a dialog
    EXPECT_EQ(messages.size(), 4);
    for (const QString& m : messages)
        EXPECT_TRUE(m.contains(QStringLiteral("Adatátvitel van folyamatban"))) << m.toStdString();
    EXPECT_EQ(encodes, 0);
    EXPECT_EQ(decodes, 0);
    EXPECT_EQ(image.bytes, before.bytes);
    EXPECT_FALSE(QFile::exists(path("new.dat")));
    EXPECT_FALSE(QFile::exists(path("new.sim")));

    busy = false;
    messages.clear();
    EXPECT_TRUE(files->openConfiguration());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ConfigurationFilesTest, OnlyTheVersionQueryLeavesTheFilesFree) {
    TAsynComm32 port; // never opened: nothing goes out
    HeadlessView view([](const QString&) {}, [](int) {});
    ConfigImage engineImage;
    LinkEngineConfig config;
    config.modelCode = 70;
    LinkEngine engine(port, view, engineImage, config);
    EXPECT_FALSE(ConfigurationFiles::transferRunning(engine));
    // Repeated for as long as no module answers.
    engine.startVersionQuery(false);
    EXPECT_TRUE(engine.busy());
    EXPECT_FALSE(ConfigurationFiles::transferRunning(engine));
    engine.startReadAll();
    EXPECT_TRUE(ConfigurationFiles::transferRunning(engine));
    engine.startWriteAll();
    EXPECT_TRUE(ConfigurationFiles::transferRunning(engine));
}

TEST_F(ConfigurationFilesTest, FailedSavesKeepTheEarlierFile) {
    const QByteArray earlier = QByteArray(1792, 'o');
    writeFile(path("plain"), "x");
    language = 1;
    struct Case {
        QString file;
        const char* firstLine;
    };
    std::vector<Case> cases{
        {path("plain/inside.dat"), "File not found"},
        {path("nowhere/x.dat"), "File not found"},
        {dir.path(), "File access denied: not a file but a folder, a device or a pipe"},
    };
    TmpfsMount medium(path("medium"), 64);
    TmpfsMount disk(path("disk"), 16);
    if (medium.mounted() && disk.mounted()) {
        writeFile(path("medium/config.dat"), earlier);
        ASSERT_TRUE(medium.makeReadOnly());
        cases.push_back({path("medium/config.dat"), "File access denied"});
        cases.push_back({path("medium/new.dat"), "File access denied"});
        writeFile(path("disk/config.dat"), earlier);
        fillDisk(path("disk/filler"));
        cases.push_back({path("disk/config.dat"), "Disk full"});
    } else {
        std::cout << "[ note ] no small file systems: read-only and full-disk cases left out\n";
    }
    for (const Case& c : cases) {
        panel.setTexts({});
        messages.clear();
        EXPECT_FALSE(saveAs(c.file)) << c.file.toStdString();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].section(u'\n', 0, 0), QString::fromLatin1(c.firstLine))
            << c.file.toStdString();
        EXPECT_TRUE(messages[0].contains(QStringLiteral("any earlier file is unchanged")));
        if (QFileInfo(c.file).isFile())
            EXPECT_EQ(readFile(c.file), earlier) << c.file.toStdString();
        // The edits show what they showed.
        EXPECT_EQ(panel.texts()[0], QString()) << c.file.toStdString();
    }
    if (disk.mounted())
        EXPECT_EQ(QDir(path("disk")).entryList(QDir::Files).size(), 2);
}

TEST_F(ConfigurationFilesTest, ASaveKilledHalfWayLeavesTheEarlierFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString file = path("config.dat");
    const QByteArray earlier(1792, 'o');
    writeFile(file, earlier);
    fillImage(image, 9);
    files->beforeReplace = [] { std::_Exit(3); };
    EXPECT_EXIT(
        {
            saveAs(file);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(readFile(file), earlier);
    files->beforeReplace = nullptr;
    ASSERT_TRUE(saveAs(file));
    EXPECT_EQ(readFile(file).left(1024), imageBytes(image, 1024));
}

TEST_F(ConfigurationFilesTest, AFileOnAReadOnlyMediumOpens) {
    TmpfsMount medium(path("medium"), 64);
    if (!medium.mounted())
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    writeFile(path("medium/config.dat"), QByteArray(1792, 'r'));
    ASSERT_TRUE(medium.makeReadOnly());
    EXPECT_TRUE(open(path("medium/config.dat"))) << messages.join('|').toStdString();
    EXPECT_EQ(imageBytes(image, 1024), QByteArray(1024, 'r'));
}

TEST_F(ConfigurationFilesTest, DialogsStartInTheStartFolderAndFollowTheLastFile) {
    QDir(dir.path()).mkpath(QStringLiteral("a/b"));
    writeFile(path("a/b/names.sim"), "2\r\n");
    // Cancelled dialogs change nothing.
    files->saveConfiguration();
    files->openSimNames();
    answers = {path("a/config.dat")};
    files->saveConfiguration();
    answers = {path("a/b/names.sim")};
    files->openSimNames();
    files->saveSimNames(1, {});
    files->openConfiguration();
    struct Expected {
        bool save;
        const char* objectName;
        QStringList filters;
        const char* suffix;
        QString directory;
    };
    const QStringList dat{QStringLiteral("Save File (*.dat)")};
    const QStringList datAll{QStringLiteral("Save File (*.dat)"), QStringLiteral("All (*)")};
    const QStringList sim{QStringLiteral("SIM nevek (*.sim)")};
    const Expected expected[] = {
        {true, "SaveDialog1", dat, "dat", dir.path()},
        {false, "OpenDialog2", sim, "sim", dir.path()},
        {true, "SaveDialog1", dat, "dat", dir.path()},
        {false, "OpenDialog2", sim, "sim", path("a")},
        {true, "SaveDialog2", sim, "sim", path("a/b")},
        {false, "OpenDialog1", datAll, "dat", path("a/b")},
    };
    ASSERT_EQ(requests.size(), std::size(expected));
    for (size_t i = 0; i < requests.size(); ++i) {
        const FileDialogRequest& r = requests[i];
        EXPECT_EQ(r.save, expected[i].save) << i;
        EXPECT_EQ(r.objectName, QString::fromLatin1(expected[i].objectName)) << i;
        EXPECT_EQ(r.nameFilters, expected[i].filters) << i;
        EXPECT_EQ(r.defaultSuffix, QString::fromLatin1(expected[i].suffix)) << i;
        EXPECT_EQ(r.directory, expected[i].directory) << i;
    }
}

TEST_F(ConfigurationFilesTest, TheRealDialogOpensWhereAskedAndAddsTheExtension) {
    writeFile(path("existing.dat"), "old");
    struct Case {
        const char* typed;
        const char* chosen;
    };
    // An existing file is taken without a question.
    for (const Case c : {Case{"new", "new.dat"}, Case{"existing.dat", "existing.dat"}}) {
        QString seenDirectory;
        QString seenName;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seenDirectory = dialog->directory().absolutePath();
            seenName = dialog->objectName();
            dialog->selectFile(QString::fromLatin1(c.typed));
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, with its checks
        });
        const QString chosen = runFileDialog(&panel, {true,
                                                      QStringLiteral("SaveDialog1"),
                                                      {QStringLiteral("Save File (*.dat)")},
                                                      QStringLiteral("dat"),
                                                      dir.path()});
        EXPECT_EQ(seenName, QStringLiteral("SaveDialog1"));
        EXPECT_EQ(seenDirectory, QDir(dir.path()).absolutePath());
        EXPECT_EQ(chosen, QDir(dir.path()).absoluteFilePath(QString::fromLatin1(c.chosen)));
    }
}

// Backups listed newest first: the order is the files' dates, not their
// names; without the request the dialog keeps its order by name.
TEST_F(ConfigurationFilesTest, NewestFirstListsTheFilesByDateNewestAtTheTop) {
    const QDateTime now = QDateTime::currentDateTime();
    const struct {
        const char* name;
        int ageDays;
    } kFiles[] = {{"a.dat", 30}, {"b.dat", 1}, {"c.dat", 7}};
    for (const auto& f : kFiles) {
        writeFile(path(f.name), "x");
        QFile file(path(f.name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(now.addDays(-f.ageDays), QFileDevice::FileModificationTime));
    }
    const struct {
        bool newestFirst;
        QStringList order;
    } kCases[] = {
        {true, {"b.dat", "c.dat", "a.dat"}},
        {false, {"a.dat", "b.dat", "c.dat"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.newestFirst);
        FileDialogRequest request;
        request.objectName = QStringLiteral("OpenDialog3");
        request.nameFilters = {QStringLiteral("Configuration (*.dat)")};
        request.directory = dir.path();
        request.newestFirst = c.newestFirst;
        QFileDialog dialog(&panel);
        setUpFileDialog(dialog, request);
        if (c.newestFirst) {
            EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
            EXPECT_EQ(dialog.viewMode(), QFileDialog::Detail);
        }
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(view, nullptr);
        auto shownOrder = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int r = 0; r < view->model()->rowCount(root); ++r)
                names << view->model()->index(r, 0, root).data().toString();
            return names;
        };
        // The folder is read in the background; its files come in one by one.
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownOrder() == c.order; }, 5000))
            << shownOrder().join(u' ').toStdString();
    }
}

// ---------------------------------------------------------------------------
// Short files and the block write

TEST_F(ConfigurationFilesTest, AShortFileNeedsTheModulesOwnBytesBeforeABlockWrite) {
    writeFile(path("short.dat"), QByteArray(1792, 's'));
    writeFile(path("full.dat"), QByteArray(8960, 'f'));
    enum Read { Never, BeforeOpen, AfterOpen };
    struct Case {
        int model;
        int version;
        const char* file; // nullptr: none opened
        Read read;
        bool needs;
    };
    const Case cases[] = {
        {70, 43, "short.dat", Never, true},
        {90, 33, "short.dat", Never, true},
        // A byte write sends 0..1023, all of them from the file.
        {70, 32, "short.dat", Never, false},
        {80, 20, "short.dat", Never, false},
        {70, 43, "short.dat", BeforeOpen, false},
        {70, 43, "short.dat", AfterOpen, false},
        {100, 43, "full.dat", Never, false},
        {100, 30, "full.dat", Never, false},
        {70, 43, nullptr, Never, false},
    };
    for (const Case& c : cases) {
        ConfigurationFiles fresh(image, panel, &panel);
        fresh.modelCode = [&c] { return c.model; };
        fresh.chooseFile = [&](const FileDialogRequest&) {
            return path(QString::fromLatin1(c.file));
        };
        fresh.showMessage = [this](const QString& text) { messages << text; };
        // Wired as a window might: every decode reports a read.
        fresh.decode = [&fresh] { fresh.moduleImageRead(); };
        if (c.read == BeforeOpen)
            fresh.moduleImageRead();
        if (c.file)
            ASSERT_TRUE(fresh.openConfiguration()) << messages.join('|').toStdString();
        if (c.read == AfterOpen)
            fresh.moduleImageRead();
        EXPECT_EQ(fresh.imageNeedsModuleBytes(c.version), c.needs)
            << c.model << " v" << c.version << " " << (c.file ? c.file : "-") << " read " << c.read;
    }
    language = 1;
    EXPECT_TRUE(files->moduleBytesMessage().contains(QStringLiteral("1024 to 1535")));
}

// ---------------------------------------------------------------------------
// SIM names files

TEST_F(ConfigurationFilesTest, SimNamesSaveAndOpenAgain) {
    std::vector<SimNamesFile::Row> rows(250);
    rows[0] = {QStringLiteral("+36301234567"), QStringLiteral("Kovács Éva")};
    rows[249] = {QStringLiteral("06201112222"), QStringLiteral("Utolsó")};
    answers = {path("names.sim")};
    ASSERT_TRUE(files->saveSimNames(251, rows));
    const QByteArray bytes = readFile(path("names.sim"));
    EXPECT_TRUE(bytes.startsWith("251\r\n+36301234567\r\nKov\xE1"
                                 "cs \xC9va\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 501);

    answers = {path("names.sim")};
    const auto content = files->openSimNames();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->rowCount, 251);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), content->rows.begin()));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ConfigurationFilesTest, SimNamesFilesThatAreRefused) {
    writeFile(path("word.sim"), "abc\r\n1\r\nA\r\n");
    writeFile(path("empty.sim"), "");
    writeFile(path("long-line.sim"), QByteArray(5000, 'x') + "\r\n");
    QByteArray tooMany = "2\r\n";
    for (int i = 0; i < 501; ++i)
        tooMany += "n\r\n";
    writeFile(path("too-many.sim"), tooMany);
    writeFile(path("huge.sim"), "2\r\n" + QByteArray(2 << 20, '\n'));
    struct Case {
        const char* file;
        QString message;
    };
    const QString notSim = QStringLiteral(
        "This is not a SIM names file: it has more than 501 lines. The grid has not changed.");
    const Case cases[] = {
        {"word.sim", QStringLiteral("'abc' is not a valid integer value")},
        {"empty.sim", QStringLiteral("'' is not a valid integer value")},
        {"long-line.sim",
         QStringLiteral("'%1...' is not a valid integer value").arg(QString(64, u'x'))},
        {"too-many.sim", notSim},
        {"huge.sim", notSim},
        {"missing.sim", QStringLiteral("File not found")},
    };
    language = 1;
    for (const Case& c : cases) {
        messages.clear();
        answers = {path(QString::fromLatin1(c.file))};
        EXPECT_FALSE(files->openSimNames()) << c.file;
        EXPECT_EQ(messages, QStringList{c.message}) << c.file;
    }
}

TEST_F(ConfigurationFilesTest, SimNamesFileWithLfAndMissingLines) {
    writeFile(path("short.sim"), "3\n+3630\nAnna\n+3620\n");
    answers = {path("short.sim")};
    const auto content = files->openSimNames();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->rowCount, 3);
    EXPECT_EQ(content->rows[0], (SimNamesFile::Row{"+3630", "Anna"}));
    EXPECT_EQ(content->rows[1], (SimNamesFile::Row{"+3620", ""}));
    for (size_t r = 2; r < content->rows.size(); ++r)
        EXPECT_EQ(content->rows[r], SimNamesFile::Row{}) << r;
}

// ---------------------------------------------------------------------------
// Installation panel

// A document exported from the window loads back as the file it came from
// would; nothing is asked when the model takes every field.
TEST_F(ConfigurationFilesTest, ExportedDocumentImportsBackAsItWas) {
    for (const int m : {80, 100}) {
        model = m;
        const int n = m == 100 ? 8192 : 1024;
        fillImage(image, m);
        image[254] = 43;
        image[255] = static_cast<uint8_t>(m);
        const QByteArray exported = imageBytes(image, n);
        const ConfigFile::InstallationTexts texts{
            QStringLiteral("Kovács Árpád"), QString(), QString(), QString(), QString(), QString()};
        panel.setTexts(texts);
        answers.push_back(path(QStringLiteral("m%1.json").arg(m)));
        ASSERT_TRUE(files->exportConfiguration()) << messages.join('|').toStdString();
        EXPECT_EQ(requests.back().objectName, QStringLiteral("SaveDialog4"));

        fillImage(image, m + 1);
        image[254] = 43;
        image[255] = static_cast<uint8_t>(m);
        panel.setTexts({});
        int asked = 0;
        files->confirm = [&](const QString&) { return ++asked, true; };
        const int decodedBefore = decodes;
        answers.push_back(path(QStringLiteral("m%1.json").arg(m)));
        ASSERT_TRUE(files->importConfiguration()) << messages.join('|').toStdString();
        EXPECT_EQ(requests.back().objectName, QStringLiteral("OpenDialog4"));
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(imageBytes(image, n), exported);
        EXPECT_EQ(panel.texts()[0], texts[0]);
        EXPECT_EQ(decodes, decodedBefore + 1);
    }
}

// Another model's document: what this model cannot take is listed and the
// installer decides; declined, or a bad document, changes nothing.
TEST_F(ConfigurationFilesTest, ImportListsWhatCannotBeCarriedAndChangesNothingWhenDeclined) {
    model = 71;
    fillImage(image, 3);
    image[254] = 43;
    image[255] = 71;
    answers.push_back(path(QStringLiteral("m71.json")));
    ASSERT_TRUE(files->exportConfiguration());

    model = 100;
    fillImage(image, 9);
    const QByteArray before = imageBytes(image);
    QString question;
    files->confirm = [&](const QString& q) {
        question = q;
        return false;
    };
    answers.push_back(path(QStringLiteral("m71.json")));
    EXPECT_FALSE(files->importConfiguration());
    EXPECT_TRUE(question.contains(QString::fromUtf8("nem vihető át: Sebesség / SMS szöveg")))
        << question.toStdString();
    EXPECT_EQ(imageBytes(image), before);

    QFile bad(path(QStringLiteral("bad.json")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("{\"product\": \"Alvento Configurator\", \"fields\": [");
    bad.close();
    answers.push_back(bad.fileName());
    EXPECT_FALSE(files->importConfiguration());
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.back().contains(QStringLiteral("line 1")))
        << messages.back().toStdString();
    EXPECT_EQ(imageBytes(image), before);

    files->confirm = [](const QString&) { return true; };
    answers.push_back(path(QStringLiteral("m71.json")));
    EXPECT_TRUE(files->importConfiguration());
    EXPECT_NE(imageBytes(image), before);
    EXPECT_EQ(image[255], static_cast<uint8_t>(before[255])) << "the module's own bytes stay";
}

TEST(Panel16, SixLabelledEditsOf128CharactersAndTwoButtons) {
    Panel16 panel;
    EXPECT_EQ(panel.objectName(), QStringLiteral("Panel16"));
    struct Field {
        const char* edit;
        const char* label;
        const char* caption;
    };
    const Field fields[] = {
        {"Edit2", "Label58", "Ügyfél név:"},         {"Edit3", "Label59", "Telepítési cím:"},
        {"Edit4", "Label60", "GSM telefonszám:"},    {"Edit5", "Label61", "Riasztóközpont típusa:"},
        {"Edit6", "Label62", "GSM átjelző típusa:"}, {"Edit7", "Label63", "Telepítés dátuma:"},
    };
    for (int i = 0; i < 6; ++i) {
        auto* edit = panel.findChild<QLineEdit*>(QString::fromLatin1(fields[i].edit));
        auto* label = panel.findChild<QLabel*>(QString::fromLatin1(fields[i].label));
        ASSERT_TRUE(edit && label) << fields[i].edit;
        EXPECT_EQ(panel.edit(i), edit);
        EXPECT_EQ(label->text(), QString::fromUtf8(fields[i].caption));
        EXPECT_EQ(label->buddy(), edit);
        EXPECT_EQ(edit->maxLength(), 128);
    }
    auto* save = panel.findChild<QPushButton*>(QStringLiteral("BitBtn7"));
    auto* open = panel.findChild<QPushButton*>(QStringLiteral("BitBtn8"));
    ASSERT_TRUE(save && open);
    EXPECT_EQ(save->text(), QStringLiteral("Mentés"));
    EXPECT_EQ(open->text(), QStringLiteral("Megnyitás"));

    // Typing stops at 128 characters.
    panel.show();
    QTest::keyClicks(panel.edit(0), repeated(130));
    EXPECT_EQ(panel.edit(0)->text(), repeated(128));

    // Tab goes down the edits, then to the buttons.
    QWidget* w = panel.edit(0);
    std::vector<QWidget*> order;
    for (int i = 0; i < 7; ++i) {
        w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        order.push_back(w);
    }
    const std::vector<QWidget*> expected{panel.edit(1), panel.edit(2), panel.edit(3), panel.edit(4),
                                         panel.edit(5), save,          open};
    EXPECT_EQ(order, expected);
}

TEST(Panel16, ButtonsAskForSaveAndOpen) {
    Panel16 panel;
    QSignalSpy saves(&panel, &Panel16::saveRequested);
    QSignalSpy opens(&panel, &Panel16::openRequested);
    QTest::mouseClick(panel.saveButton(), Qt::LeftButton);
    EXPECT_EQ(saves.count(), 1);
    EXPECT_EQ(opens.count(), 0);
    QTest::mouseClick(panel.openButton(), Qt::LeftButton);
    EXPECT_EQ(opens.count(), 1);
    EXPECT_EQ(saves.count(), 1);
}

TEST(Panel16, DefaultsFillOnlyAnEmptyTypeAndDate) {
    struct Case {
        ConfigFile::InstallationTexts before;
        ConfigFile::InstallationTexts after;
    };
    const Case cases[] = {
        {{}, {"", "", "", "", "NORVIK", "2024.09.03 12:00:00"}},
        {{"a", "b", "c", "d", "", ""}, {"a", "b", "c", "d", "NORVIK", "2024.09.03 12:00:00"}},
        // A text already there, even a saved space, stays.
        {{"", "", "", "", "Saját", " "}, {"", "", "", "", "Saját", " "}},
        {{"", "", "", "", "", "tegnap"}, {"", "", "", "", "NORVIK", "tegnap"}},
    };
    for (const Case& c : cases) {
        Panel16 panel;
        panel.setTexts(c.before);
        panel.fillEmptyTexts(QStringLiteral("NORVIK"), QStringLiteral("2024.09.03 12:00:00"));
        EXPECT_EQ(panel.texts(), c.after);
    }
}

TEST(Panel16, SystemDateAndTimeHaveSecondsAndNoZone) {
    const QDateTime when(QDate(2024, 9, 3), QTime(7, 5, 9), Qt::UTC);
    const QString text = systemDateTimeText(when);
    EXPECT_TRUE(text.endsWith(QStringLiteral("05:09"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("3"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("UTC"))) << text.toStdString();
}
