// The firmware download, module status and monitor windows on an engine whose
// port is a recorder: what each window shows for the module's answers, what
// its buttons start, and the fault report's checks and byte layout.
#include "engine/link_engine.h"
#include "i18n/message_table.h"
#include "i18n/messages.h"
#include "maintenance/fault_report.h"
#include "maintenance/firmware_form.h"
#include "maintenance/firmware_window.h"
#include "maintenance/monitor_window.h"
#include "maintenance/status_window.h"
#include "serial/memory_frame.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/fake_link.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {

QByteArray frame(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return MemoryFrame::fromHeader(b0, b1, b2, b3).toByteArray();
}

class MaintenanceWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        ctx.keyPath = settingsKeyPath(40);
        ctx.write(QStringLiteral("Language"), QStringLiteral("1"));
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    void makeEngine(int model, int version) {
        LinkEngineConfig c;
        c.modelCode = model;
        c.portName = [] { return QStringLiteral("ttyTEST"); };
        engine = std::make_unique<LinkEngine>(channel, view, image, c);
        engine->state().ModuleVersion = version;
    }
    // Ticks until something is written; the bytes, or empty.
    QByteArray nextWrite(int limit = 200) {
        const size_t before = channel.writes.size();
        for (int i = 0; i < limit && channel.writes.size() == before; ++i)
            engine->tick();
        return channel.writes.size() > before ? channel.writes.back() : QByteArray();
    }
    // Answers a status poll with a block of the given bytes.
    void answerStatus(const std::vector<uint8_t>& block) {
        QByteArray req = nextWrite();
        for (size_t i = 0; i < block.size(); ++i) {
            ASSERT_EQ(req, frame(0x02, 0x02, static_cast<uint8_t>(i), 0));
            const size_t before = channel.writes.size();
            engine->receive(frame(0xAB, 0x02, static_cast<uint8_t>(i), block[i]));
            if (i + 1 < block.size()) {
                ASSERT_GT(channel.writes.size(), before);
                req = channel.writes.back();
            }
        }
    }
    template <class T> T* child(QWidget* w, const char* name) {
        return w->findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    AppContext ctx;
    RecordingChannel channel;
    RecordingView view;
    ConfigImage image;
    std::unique_ptr<LinkEngine> engine;
};

// The firmware window with its boxes answered. As a maker's build has it, it
// carries an image; as the stock tool has it, it carries none and the
// installer opens a file.
enum class Build { Maker, Stock };

struct FirmwareRig {
    FirmwareRig(LinkEngine& engine, const AppContext& ctx, Build build = Build::Maker)
        : window(engine, ctx) {
        window.showMessage = [this](const QString& t) { messages << t; };
        window.askYesNo = [this](const QString& q) {
            questions << q;
            return confirm;
        };
        window.chooseFile = [this](const QString&, const QString&) { return chosen; };
        if (build == Build::Maker) {
            window.carriedImage = [this]() -> const FirmwareImage::Parsed& { return image; };
            image = FirmwareImage::parse(
                QByteArray(FirmwareImage::kImageBytes, '\x5A').toHex().toUpper());
        }
    }
    TAV4Form9 window;
    FirmwareImage::Parsed image;
    QStringList messages;
    QStringList questions;
    bool confirm = true;
    QString chosen; // the open-file dialog's answer
};

QByteArray testFirmwareText() {
    QFile f(QStringLiteral(ALVENTO_TEST_FIRMWARE));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// ---------------------------------------------------------------- firmware

// A newer module keeps its firmware unless the service code is given; the
// same version may be downloaded again.
TEST_F(MaintenanceWindows, FirmwareVersionComparison) {
    const struct {
        int software;
        bool startEnabled;
    } kCases[] = {{44, false}, {43, true}, {38, true}};
    for (const auto& c : kCases) {
        makeEngine(71, 43);
        FirmwareRig rig(*engine, ctx);
        TAV4Form9& w = rig.window;
        w.openWindow();
        EXPECT_EQ(child<QLabel>(&w, "Label3")->text(), QStringLiteral("?"));
        EXPECT_EQ(nextWrite(), QByteArray::fromHex("00F8000008F7"));
        engine->receive(frame(10, 3, static_cast<uint8_t>(c.software), 9));
        EXPECT_EQ(child<QLabel>(&w, "Label2")->text(), QStringLiteral("Processor: J10"));
        EXPECT_EQ(child<QLabel>(&w, "Label3")->text(), QStringLiteral("SW:%1").arg(c.software));
        EXPECT_EQ(child<QLabel>(&w, "Label4")->text(), QStringLiteral("HW:3"));
        EXPECT_EQ(child<QLabel>(&w, "Label5")->text(), QStringLiteral("BW:9"));
        EXPECT_EQ(child<QPushButton>(&w, "Button1")->isEnabled(), c.startEnabled);
        EXPECT_EQ(child<QLabel>(&w, "Label6")->isVisible(), !c.startEnabled);
        EXPECT_EQ(child<QLabel>(&w, "Label6")->text(),
                  QStringLiteral("Nincs elérhető új Firmware!"));
        w.reject();
    }
}

TEST_F(MaintenanceWindows, OldFirmwareNeedsTheServiceCode) {
    makeEngine(71, 45);
    FirmwareRig rig(*engine, ctx);
    TAV4Form9& w = rig.window;
    QString answer = QStringLiteral("1234");
    w.askText = [&](const QString& caption, const QString& prompt) -> std::optional<QString> {
        EXPECT_EQ(caption, QStringLiteral("Activation OLD firmware"));
        EXPECT_EQ(prompt, QStringLiteral("Please enter your activation code"));
        return answer;
    };
    w.openWindow();
    nextWrite();
    engine->receive(frame(10, 1, 45, 0));
    ASSERT_FALSE(child<QPushButton>(&w, "Button1")->isEnabled());
    QAction* old = child<QLabel>(&w, "Label6")->actions().value(0);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->text(), QStringLiteral("Download OLD firmware!"));
    old->trigger();
    EXPECT_FALSE(w.parseTimer()->isActive());
    answer = QString::fromLatin1(TAV4Form9::kServiceCode);
    old->trigger();
    ASSERT_TRUE(w.parseTimer()->isActive());
    w.parseTimer()->stop();
    w.startDownload();
    EXPECT_EQ(engine->state().LinkCommand, LinkCode::kFirmwareStreamStart);
    EXPECT_TRUE(rig.messages.isEmpty());
    w.reject();
    EXPECT_EQ(engine->state().LinkCommand, LinkCode::kIdle);
}

TEST_F(MaintenanceWindows, WrongProcessorOrBadImageSendsNothing) {
    {
        makeEngine(71, 43);
        FirmwareRig rig(*engine, ctx);
        rig.window.openWindow();
        nextWrite();
        engine->receive(frame(11, 1, 43, 0));
        EXPECT_EQ(child<QLabel>(&rig.window, "Label2")->text(), QStringLiteral("Processor: J11"));
        EXPECT_TRUE(rig.window.parseTimer()->isActive()); // parsed and refused
        rig.window.startDownload();
        EXPECT_EQ(rig.messages, QStringList{QStringLiteral("FAULT FIRMWARE")});
        EXPECT_FALSE(engine->busy());
    }
    {
        makeEngine(71, 43);
        FirmwareRig rig(*engine, ctx);
        rig.image = FirmwareImage::parse("0A1G"); // a maker's build with a broken image
        rig.window.openWindow();
        nextWrite();
        engine->receive(frame(10, 1, 43, 0));
        const size_t writes = channel.writes.size();
        rig.window.Button1Click();
        rig.window.startDownload();
        ASSERT_EQ(rig.messages.size(), 1);
        EXPECT_TRUE(rig.messages[0].contains(QStringLiteral("Nothing was sent")));
        EXPECT_FALSE(engine->busy());
        EXPECT_EQ(nextWrite(50), QByteArray());
        EXPECT_EQ(channel.writes.size(), writes);
    }
}

// Opening the window never starts a download, not even for the oldest
// modules whose answer carries no versions: it waits for "Download Start"
// and the confirmation.
TEST_F(MaintenanceWindows, OpeningTheWindowNeverStartsADownload) {
    const struct {
        int version;
        QByteArray answer;
    } kCases[] = {
        {29, QByteArray::fromHex("0A0000000000")},
        {68, QByteArray::fromHex("0A0000000000")},
        {35, frame(10, 1, 35, 0)},
        {43, frame(10, 1, 43, 0)},
    };
    for (const Build build : {Build::Maker, Build::Stock}) {
        for (const auto& c : kCases) {
            SCOPED_TRACE(c.version);
            makeEngine(71, c.version);
            FirmwareRig rig(*engine, ctx, build);
            TAV4Form9& w = rig.window;
            w.openWindow();
            EXPECT_EQ(nextWrite(), QByteArray::fromHex("00F8000008F7"));
            engine->receive(c.answer);
            EXPECT_EQ(child<QLabel>(&w, "Label2")->text(), QStringLiteral("Processor: J10"));
            EXPECT_FALSE(w.parseTimer()->isActive());
            EXPECT_FALSE(engine->busy());
            EXPECT_EQ(nextWrite(), QByteArray());
            EXPECT_TRUE(rig.questions.isEmpty());
            if (build == Build::Stock) {
                // Nothing to download until a file is opened.
                EXPECT_FALSE(child<QPushButton>(&w, "Button1")->isEnabled());
                rig.chosen = QStringLiteral(ALVENTO_TEST_FIRMWARE);
                child<QPushButton>(&w, "openFirmwareFile")->click();
                EXPECT_EQ(nextWrite(), QByteArray());
            }
            // The button and the confirmation start it.
            ASSERT_TRUE(child<QPushButton>(&w, "Button1")->isEnabled());
            child<QPushButton>(&w, "Button1")->click();
            ASSERT_TRUE(w.parseTimer()->isActive());
            w.parseTimer()->stop();
            w.startDownload();
            EXPECT_EQ(rig.questions.size(), 1);
            EXPECT_TRUE(engine->busy());
            // The stream protocol's start frame, or the first block write.
            EXPECT_EQ(nextWrite().size(), c.version < 38 ? 6 : 262);
            EXPECT_EQ(child<QLabel>(&w, "Label1")->text(), QStringLiteral("Memory Download"));
            w.reject();
        }
    }
}

TEST_F(MaintenanceWindows, FirmwareProgressLoadAndFailure) {
    makeEngine(71, 43);
    FirmwareRig rig(*engine, ctx);
    TAV4Form9& w = rig.window;
    w.openWindow();
    nextWrite();
    engine->receive(frame(10, 1, 43, 0));
    w.startDownload();
    QByteArray block = nextWrite();
    EXPECT_EQ(child<QLabel>(&w, "Label1")->text(), QStringLiteral("Memory Download"));
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(child<QLabel>(&w, "Label5")->text(), QStringLiteral("FirmPnt:%1").arg(b));
        engine->receive(block.left(1));
        block = channel.writes.back();
    }
    EXPECT_EQ(child<QProgressBar>(&w, "ProgressBar1")->value(), 3);
    // An activation during the download changes nothing.
    w.FormActivate();
    EXPECT_EQ(engine->state().LinkCommand, LinkCode::kFirmwareBlock);
    EXPECT_EQ(child<QLabel>(&w, "Label5")->text(), QStringLiteral("FirmPnt:3"));
    // The port goes away: the next activation asks for the processor again.
    {
        const QByteArray current = channel.writes.back();
        engine->portLost();
        EXPECT_FALSE(engine->busy());
        w.FormActivate();
        EXPECT_EQ(engine->state().LinkCommand, LinkCode::kProcessorQuery);
        EXPECT_EQ(child<QLabel>(&w, "Label5")->text(), QStringLiteral("?"));
        EXPECT_EQ(nextWrite(), QByteArray::fromHex("00F8000008F7"));
        engine->receive(frame(10, 1, 43, 0));
        w.startDownload();
        block = nextWrite();
        for (int b = 0; b < 3; ++b) {
            engine->receive(block.left(1));
            block = channel.writes.back();
        }
        EXPECT_EQ(block.mid(6), current.mid(6)); // block 3 again, from the start
    }
    int sends = 1;
    while (rig.messages.isEmpty() && !nextWrite(20).isEmpty())
        ++sends;
    EXPECT_EQ(sends, 30);
    for (int i = 0; i < 20 && rig.messages.isEmpty(); ++i)
        engine->tick();
    EXPECT_EQ(rig.messages, QStringList{QStringLiteral("ERROR communication!")});
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MaintenanceWindows, FirmwareLoadRunsTheBarAndVersionClosesTheWindow) {
    makeEngine(71, 43);
    FirmwareRig rig(*engine, ctx);
    TAV4Form9& w = rig.window;
    w.openWindow();
    nextWrite();
    engine->receive(frame(10, 1, 43, 0));
    w.startDownload();
    for (int b = 0; b < 512; ++b)
        engine->receive(nextWrite().left(1));
    EXPECT_EQ(nextWrite(), QByteArray::fromHex("00F9BB004CB3"));
    EXPECT_EQ(child<QLabel>(&w, "Label1")->text(), QStringLiteral("FPGA Download please wait..."));
    EXPECT_EQ(child<QProgressBar>(&w, "ProgressBar1")->value(), 0);
    ASSERT_TRUE(w.timer1()->isActive());
    int ticks = 0;
    for (; ticks < 300 && w.timer1()->isActive(); ++ticks)
        QMetaObject::invokeMethod(w.timer1(), "timeout", Qt::DirectConnection);
    EXPECT_EQ(ticks, 256); // half-seconds: about two minutes
    EXPECT_EQ(child<QProgressBar>(&w, "ProgressBar1")->value(), 256);
    w.versionAfterLoad();
    EXPECT_FALSE(w.isVisible());
}

// The stock tool carries no firmware: the window says so and offers the
// maker's file; it shows what the chosen file holds, asks before the first
// block, and the blocks carry that file's bytes.
TEST_F(MaintenanceWindows, StockToolLoadsTheMakersFileAndAsksFirst) {
    makeEngine(71, 43);
    FirmwareRig rig(*engine, ctx, Build::Stock);
    TAV4Form9& w = rig.window;
    w.openWindow();
    auto* info = child<QLabel>(&w, "firmwareImage");
    auto* open = child<QPushButton>(&w, "openFirmwareFile");
    auto* start = child<QPushButton>(&w, "Button1");
    const QString none =
        QStringLiteral("No firmware is loaded. Open the maker's firmware image file (hex text).");
    EXPECT_EQ(info->text(), none);
    EXPECT_TRUE(open->isVisible());
    EXPECT_EQ(open->text(), QStringLiteral("Open firmware file..."));
    EXPECT_EQ(nextWrite(), QByteArray::fromHex("00F8000008F7"));
    // Newer than any version a file could be compared with: an opened file
    // states none, so nothing is refused as older; the question says so.
    engine->receive(frame(10, 1, 99, 0));
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(child<QLabel>(&w, "Label6")->isVisible());
    // Without a file, even the service code's way finds nothing to send.
    w.Button1Click();
    w.parseTimer()->stop();
    w.startDownload();
    EXPECT_EQ(rig.messages, QStringList{none});
    rig.messages.clear();
    // A cancelled dialog changes nothing.
    open->click();
    EXPECT_EQ(info->text(), none);
    EXPECT_TRUE(rig.messages.isEmpty());

    const QByteArray text = testFirmwareText();
    const QString path = dir.path() + QStringLiteral("/maker image 4%1.hex");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    rig.chosen = path;
    open->click();
    EXPECT_TRUE(rig.messages.isEmpty()) << rig.messages.join(QLatin1Char('|')).toStdString();
    // A "%1" in the file's name stays as it is.
    EXPECT_EQ(info->text(), QStringLiteral("File: maker image 4%1.hex\nFirmware: 131056 bytes (the "
                                           "file ") +
                                QString::number(text.size()) +
                                QStringLiteral(" bytes)\nVersion: not stated in the file"));
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(child<QLabel>(&w, "Label6")->isVisible());

    // No: nothing goes out.
    rig.confirm = false;
    start->click();
    ASSERT_TRUE(w.parseTimer()->isActive());
    w.parseTimer()->stop();
    w.startDownload();
    ASSERT_EQ(rig.questions.size(), 1);
    const QString& q = rig.questions[0];
    EXPECT_TRUE(q.startsWith(QStringLiteral("Download this firmware into the module?")));
    EXPECT_TRUE(q.contains(info->text()));
    EXPECT_TRUE(q.contains(QStringLiteral("Software version of the module: 9.9")));
    EXPECT_TRUE(q.contains(QStringLiteral("does not state its version")));
    EXPECT_FALSE(engine->busy());
    EXPECT_EQ(nextWrite(50), QByteArray());

    // Yes: the blocks carry the file's bytes.
    rig.confirm = true;
    start->click();
    w.parseTimer()->stop();
    w.startDownload();
    EXPECT_EQ(rig.questions.size(), 2);
    const QByteArray image = FirmwareImage::parse(text).bytes;
    ASSERT_EQ(image.size(), FirmwareImage::kImageBytes);
    QByteArray block = nextWrite();
    for (int b = 0; b < 3; ++b) {
        ASSERT_EQ(block.size(), 262);
        EXPECT_EQ(block.mid(6), image.mid(256 * b, 256)) << b;
        engine->receive(block.left(1));
        block = channel.writes.back();
    }
    // While it runs, neither another file nor another start gets in.
    EXPECT_FALSE(open->isEnabled());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(w.loadImageFile(QStringLiteral(ALVENTO_TEST_FIRMWARE)));
    const int32_t sentBlock = engine->state().FirmwareBlock;
    w.Button1Click();
    EXPECT_FALSE(w.parseTimer()->isActive());
    w.startDownload();
    EXPECT_EQ(engine->state().FirmwareBlock, sentBlock);
    EXPECT_EQ(rig.questions.size(), 2);
    // Closing forgets the file: the next module starts from "no firmware".
    w.reject();
    w.openWindow();
    EXPECT_EQ(info->text(), none);
    w.reject();
}

// A yes counts only for what the question showed: not when the window was
// closed meanwhile, nor when another file was opened meanwhile.
TEST_F(MaintenanceWindows, ConfirmationHoldsOnlyForWhatItShowed) {
    const QString other = dir.path() + QStringLiteral("/other.hex");
    {
        QFile f(other);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(testFirmwareText());
    }
    for (const bool closeIt : {true, false}) {
        SCOPED_TRACE(closeIt);
        makeEngine(71, 43);
        FirmwareRig rig(*engine, ctx, Build::Stock);
        TAV4Form9& w = rig.window;
        w.openWindow();
        nextWrite();
        engine->receive(frame(10, 1, 43, 0));
        ASSERT_TRUE(w.loadImageFile(QStringLiteral(ALVENTO_TEST_FIRMWARE)));
        w.askYesNo = [&](const QString&) {
            if (closeIt)
                w.reject();
            else
                EXPECT_TRUE(w.loadImageFile(other));
            return true;
        };
        const size_t writes = channel.writes.size();
        w.startDownload();
        EXPECT_FALSE(w.downloading());
        EXPECT_FALSE(engine->busy());
        EXPECT_EQ(nextWrite(50), QByteArray());
        EXPECT_EQ(channel.writes.size(), writes);
        w.reject();
    }
}

// A file is opened only when it is a regular file of a size a hex image can
// have, and used only when it is a whole image. Anything else is refused
// with a message and leaves the file loaded before as it was.
TEST_F(MaintenanceWindows, ImageFileChecksRefuseAndKeepWhatWasLoaded) {
    const QByteArray good = testFirmwareText();
    ASSERT_EQ(good.count('\n'), 6076);
    QByteArray digits = good;
    digits.replace("\r\n", "");
    ASSERT_EQ(digits.size(), 2 * FirmwareImage::kImageBytes);
    // The longest shape of an image: one digit per line.
    QByteArray perLine;
    for (char c : digits)
        perLine.append(c).append("\r\n");
    ASSERT_LT(perLine.size(), FirmwareImage::kMaxFileBytes);
    QByteArray atBound = perLine;
    atBound.append(QByteArray(FirmwareImage::kMaxFileBytes - perLine.size(), '\n'));

    const QString d = dir.path() + QLatin1Char('/');
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(d + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return d + name;
    };
    write(QStringLiteral("first.hex"), good);
    QDir().mkpath(d + QStringLiteral("folder.hex"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + QStringLiteral("fifo.hex")).constData(), 0600), 0);

    const struct {
        QString path;
        const char* reason;
    } kRefused[] = {
        {write(QStringLiteral("odd.hex"), good + "A"), "odd number of hexadecimal digits (262113)"},
        {write(QStringLiteral("short.hex"), digits.left(1000)),
         "It holds 500 bytes; a module firmware is 131056 bytes"},
        {write(QStringLiteral("long.hex"), good + "00"), "It holds 131057 bytes"},
        {write(QStringLiteral("letter.hex"), "0A\r\nZZ"), "'Z' in line 2"},
        {write(QStringLiteral("binary.bin"), QByteArray("\x01\x02\xFE")), "byte 0xfe in line 1"},
        {write(QStringLiteral("empty.hex"), QByteArray()), "It holds 0 bytes"},
        {write(QStringLiteral("large.hex"), QByteArray(FirmwareImage::kMaxFileBytes + 1, '0')),
         "larger than 1048576 bytes"},
        {d + QStringLiteral("folder.hex"), "is not a regular file"},
        {d + QStringLiteral("fifo.hex"), "is not a regular file"},
        {QStringLiteral("/dev/zero"), "is not a regular file"},
        {d + QStringLiteral("missing.hex"), "cannot be read"},
    };

    makeEngine(71, 43);
    FirmwareRig rig(*engine, ctx, Build::Stock);
    TAV4Form9& w = rig.window;
    w.openWindow();
    nextWrite();
    engine->receive(frame(10, 1, 43, 0));
    ASSERT_TRUE(w.loadImageFile(d + QStringLiteral("first.hex")));
    auto* info = child<QLabel>(&w, "firmwareImage");
    const QString loaded = info->text();
    ASSERT_TRUE(loaded.startsWith(QStringLiteral("File: first.hex\n")));
    for (const auto& c : kRefused) {
        SCOPED_TRACE(c.path.toStdString());
        rig.messages.clear();
        EXPECT_FALSE(w.loadImageFile(c.path));
        ASSERT_EQ(rig.messages.size(), 1);
        EXPECT_TRUE(rig.messages[0].contains(QLatin1String(c.reason)))
            << rig.messages[0].toStdString();
        EXPECT_TRUE(rig.messages[0].contains(c.path)) << rig.messages[0].toStdString();
        EXPECT_TRUE(rig.messages[0].endsWith(QStringLiteral("Nothing was loaded.")));
        EXPECT_EQ(info->text(), loaded);
        EXPECT_TRUE(child<QPushButton>(&w, "Button1")->isEnabled());
    }
    EXPECT_EQ(channel.writes.size(), 1u); // the processor query only

    // The longest shapes of a whole image are taken, up to the bound itself.
    rig.messages.clear();
    for (const auto& [name, bytes] : {std::pair{QStringLiteral("lines.hex"), perLine},
                                      std::pair{QStringLiteral("bound.hex"), atBound}}) {
        ASSERT_TRUE(w.loadImageFile(write(name, bytes)))
            << rig.messages.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(info->text().startsWith(QStringLiteral("File: %1\n").arg(name)));
        EXPECT_TRUE(info->text().contains(QStringLiteral("(the file %1 bytes)").arg(bytes.size())));
    }
    w.reject();
}

// What the window says of the image is in the installer's language.
TEST_F(MaintenanceWindows, FirmwareImageTextsInFourLanguages) {
    int rows = 0;
    for (const MessageRow& row : messageTable()) {
        if (std::strncmp(row.key, "firmware.", 9) != 0)
            continue;
        ++rows;
        const char* texts[] = {row.hu, row.en, row.de, row.sl};
        for (const char* t : texts)
            EXPECT_TRUE(t && *t) << row.key;
        if (std::strcmp(row.key, "firmware.file_filter") != 0)
            EXPECT_EQ(QSet<QString>({QString::fromUtf8(row.hu), QString::fromUtf8(row.en),
                                     QString::fromUtf8(row.de), QString::fromUtf8(row.sl)})
                          .size(),
                      4)
                << row.key;
    }
    EXPECT_GE(rows, 10);

    makeEngine(71, 43);
    const QString bad = dir.path() + QStringLiteral("/bad.hex");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("0A1");
    }
    QSet<QString> seen;
    for (int language = 0; language < 4; ++language) {
        ctx.write(QStringLiteral("Language"), QString::number(language));
        FirmwareRig rig(*engine, ctx, Build::Stock);
        rig.window.openWindow();
        const QString none = child<QLabel>(&rig.window, "firmwareImage")->text();
        EXPECT_EQ(none, message("firmware.none_loaded", language));
        EXPECT_EQ(child<QPushButton>(&rig.window, "openFirmwareFile")->text(),
                  message("firmware.open", language));
        EXPECT_FALSE(rig.window.loadImageFile(bad));
        ASSERT_EQ(rig.messages.size(), 1);
        EXPECT_TRUE(
            rig.messages[0].contains(FirmwareImage::fault(FirmwareImage::parse("0A1"), language)));
        seen << none << rig.messages[0];
        // The window's own fixed texts stay as they are.
        EXPECT_EQ(child<QPushButton>(&rig.window, "Button1")->text(),
                  QStringLiteral("Download Start"));
        rig.window.reject();
    }
    EXPECT_EQ(seen.size(), 8);
}

// Only a maker's build carries an image; the stock build has no firmware
// resource at all.
TEST(FirmwareForm, CarriesAnImageOnlyInAMakersBuild) {
    TFirmware form;
#if ALVENTO_CARRIES_FIRMWARE
    EXPECT_TRUE(form.carries());
    EXPECT_TRUE(form.image().ok());
    EXPECT_FALSE(form.image().bytes.startsWith("ALVENTO PLACEHOLDER"));
#else
    EXPECT_FALSE(form.carries());
    EXPECT_FALSE(form.image().ok());
    EXPECT_FALSE(QFile::exists(QStringLiteral(":/firmware/firmware.hex")));
    EXPECT_FALSE(QDir(QStringLiteral(":/firmware")).exists());
#endif
}

// ---------------------------------------------------------------- status

// The temperature shows only where the model has one (its rule, set at
// dispatch) and the module is new enough to report it.
TEST_F(MaintenanceWindows, StatusTemperatureFollowsModelAndVersion) {
    const struct {
        int version;
        bool hidden;
        bool shown;
    } cases[] = {{43, false, true}, {43, true, false}, {17, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " " << c.hidden);
        makeEngine(71, c.version);
        TAV4Form2 w(*engine, ctx);
        w.setTemperatureHidden(c.hidden);
        w.openWindow();
        if (c.hidden) {
            EXPECT_FALSE(child<QLineEdit>(&w, "Edit3")->isVisible());
            EXPECT_FALSE(child<QLabel>(&w, "Label11")->isVisible());
        }
        std::vector<uint8_t> block(16, 0);
        block[9] = 0x05;
        answerStatus(block);
        EXPECT_EQ(child<QLineEdit>(&w, "Edit3")->isVisible(), c.shown);
        EXPECT_EQ(child<QLabel>(&w, "Label11")->isVisible(), c.shown);
        w.reject();
    }
}

TEST_F(MaintenanceWindows, StatusOfModelCode80) {
    makeEngine(80, 43);
    TAV4Form2 w(*engine, ctx);
    w.openWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Modul status"));
    std::vector<uint8_t> block(16, 0);
    block[0] = 0x0D;        // inputs 1, 3, 4
    block[3] = 5;           // signal
    block[4] = 0x02 | 0x04; // supply, output 1
    block[5] = '1';
    block[6] = '2';
    block[7] = '3';
    block[8] = '4';
    block[9] = 0x85;
    QSignalSpy output1(&w, &TAV4Form2::output1Active);
    answerStatus(block);
    auto colour = [&](const char* name) {
        return child<QLabel>(&w, name)->palette().color(QPalette::Window);
    };
    const QColor grey = w.palette().color(QPalette::Button);
    EXPECT_EQ(colour("Panel1"), QColor(Qt::red));
    EXPECT_EQ(colour("Panel2"), QColor(Qt::green));
    EXPECT_EQ(colour("Panel3"), grey);
    EXPECT_EQ(colour("Panel4"), grey);
    EXPECT_EQ(colour("Panel6"), grey); // supply: not on this model
    EXPECT_EQ(colour("Panel8"), grey);
    EXPECT_EQ(colour("Panel7"), QColor(Qt::red));
    EXPECT_EQ(colour("Panel5"), QColor(Qt::green));
    EXPECT_EQ(output1.count(), 1);
    EXPECT_EQ(child<QProgressBar>(&w, "Gauge1")->value(), 5);
    EXPECT_EQ(child<QProgressBar>(&w, "Gauge1")->property("colour").toString(),
              QStringLiteral("red"));
    EXPECT_EQ(child<QLineEdit>(&w, "Edit3")->text(), QStringLiteral("-5"));
    EXPECT_TRUE(child<QLineEdit>(&w, "Edit3")->isVisible());
    EXPECT_EQ(child<QLineEdit>(&w, "Edit2")->text(), QStringLiteral("Not registered on network"));
    EXPECT_EQ(w.statusPanel(0), QStringLiteral("GSM Time: 12:34"));
    EXPECT_FALSE(child<QLineEdit>(&w, "Edit4")->isVisible());
    EXPECT_FALSE(child<QPushButton>(&w, "Button1")->isVisible());
    // The next block follows after the pace.
    block[3] = 6;
    answerStatus(block);
    EXPECT_EQ(child<QProgressBar>(&w, "Gauge1")->property("colour").toString(),
              QStringLiteral("yellow"));
    w.reject();
    EXPECT_FALSE(engine->busy());
    EXPECT_FALSE(engine->state().StatusReadMode);
}

// The link state is shown, and its timer runs, only while the window is open.
TEST_F(MaintenanceWindows, StatusLinkTimerRunsOnlyWhileTheWindowIsOpen) {
    makeEngine(71, 43);
    TAV4Form2 w(*engine, ctx);
    EXPECT_FALSE(w.timer1()->isActive());
    w.openWindow();
    EXPECT_TRUE(w.timer1()->isActive());
    EXPECT_EQ(w.timer1()->interval(), 1000);
    w.reject();
    EXPECT_FALSE(w.timer1()->isActive());
}

// COM OK while complete blocks come at least every three seconds.
TEST_F(MaintenanceWindows, StatusLinkStateCountsDown) {
    makeEngine(71, 43);
    TAV4Form2 w(*engine, ctx);
    w.openWindow();
    w.timer1()->stop(); // its ticks are given by hand
    w.Timer1Tick();
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("COM ERROR"));
    answerStatus(std::vector<uint8_t>(16, 0x80));
    EXPECT_EQ(w.linkCounter(), 3);
    for (int i = 0; i < 3; ++i) {
        w.Timer1Tick();
        EXPECT_EQ(w.statusPanel(1), QStringLiteral("COM OK")) << i;
    }
    w.Timer1Tick();
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("COM ERROR"));
    EXPECT_EQ(child<QLabel>(&w, "StatusPanel1")->palette().color(QPalette::Window),
              QColor(Qt::red));
}

TEST_F(MaintenanceWindows, StatusTestEndInServiceMode) {
    ctx.write(QStringLiteral("mode"), QStringLiteral("5082613"));
    makeEngine(71, 43);
    TAV4Form2 w(*engine, ctx);
    QSignalSpy pressed(&w, &TAV4Form2::testEndPressed);
    w.openWindow();
    QPushButton* end = child<QPushButton>(&w, "Button1");
    ASSERT_TRUE(end->isVisible());
    EXPECT_EQ(end->text(), QStringLiteral("Tesztelés END"));
    nextWrite();
    end->click();
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(channel.writes.back(), QByteArray::fromHex("00014BBBF906"));
    engine->receive(frame(0xAB, 0x01, 0x4B, 0xBB));
    EXPECT_EQ(w.statusPanel(1), QStringLiteral("REG ok"));
    EXPECT_FALSE(engine->busy());
}

TEST_F(MaintenanceWindows, StatusOfModelCode100ShowsTheLastContactIdMessage) {
    makeEngine(100, 30);
    TAV4Form2 w(*engine, ctx);
    w.openWindow();
    std::vector<uint8_t> block(32, 0);
    const uint8_t digits[] = {5, 2, 7, 9, 1, 8, 1, 1, 3, 10, 10, 1, 10, 10, 3, 1};
    std::copy(std::begin(digits), std::end(digits), block.begin() + 16);
    block[0] = 0x0F;
    answerStatus(block);
    EXPECT_TRUE(child<QLineEdit>(&w, "Edit4")->isVisible());
    EXPECT_EQ(child<QLineEdit>(&w, "Edit4")->text(), QStringLiteral("5279181130010031"));
    EXPECT_EQ(child<QLineEdit>(&w, "Edit7")->text(), QStringLiteral("E130"));
    EXPECT_GE(w.height(), 620);
    EXPECT_EQ(child<QLabel>(&w, "Panel1")->palette().color(QPalette::Window),
              w.palette().color(QPalette::Button));
    EXPECT_TRUE(w.statusPanel(0).isEmpty());
}

// ---------------------------------------------------------------- monitor

TEST_F(MaintenanceWindows, MonitorTextMarksSaveAndDelete) {
    makeEngine(71, 43);
    TAV4Form3 w(*engine, ctx);
    w.clock = [] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); };
    w.openWindow();
    ASSERT_EQ(w.timer1()->interval(), TAV4Form3::kFirstMarkMs);
    w.timer1()->stop(); // its ticks are given by hand
    EXPECT_EQ(nextWrite(), QByteArray::fromHex("00FB010004FB"));
    engine->receive(frame(0xAB, 0xAC, 0, 0));
    engine->receive(QByteArray("MON 1 \xE1rv\r\nMON"));
    engine->receive(QByteArray(" 2\r\n"));
    EXPECT_EQ(w.monitorText(), QString::fromUtf8("MON 1 árv\r\nMON 2\r\n"));
    w.Timer1Tick();
    EXPECT_EQ(w.timer1()->interval(), TAV4Form3::kMarkMs);
    const QStringList lines = w.monitorText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("##########")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("05:06:07")));

    const QString path = dir.path() + QStringLiteral("/monitor.TXT");
    w.askSaveFile = [&] { return path; };
    w.BitBtn2Click();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    EXPECT_TRUE(saved.startsWith("MON 1 \xE1rv\r\nMON 2\r\n##########"));
    EXPECT_TRUE(saved.endsWith("05:06:07\r\n\r\n"));

    child<QPushButton>(&w, "Button1")->click();
    EXPECT_TRUE(w.monitorText().isEmpty());
    w.reject();
    EXPECT_EQ(channel.writes.back(), QByteArray::fromHex("00FB000005FA"));
}

// Hours of text: the oldest lines go, an endless line is broken.
TEST_F(MaintenanceWindows, MonitorTextIsBounded) {
    makeEngine(71, 43);
    TAV4Form3 w(*engine, ctx);
    w.openWindow();
    w.timer1()->stop();
    nextWrite();
    engine->receive(frame(0xAB, 0xAC, 0, 0));
    QByteArray chunk;
    for (int i = 0; i < TAV4Form3::kMaxLines + 500; ++i)
        chunk += "line " + QByteArray::number(i) + "\r\n";
    engine->receive(chunk);
    auto* edit = child<QPlainTextEdit>(&w, "RichEdit1");
    EXPECT_LE(edit->document()->blockCount(), TAV4Form3::kMaxLines);
    const QString kept = w.monitorText();
    EXPECT_GE(kept.section(QLatin1Char(' '), 1, 1).section(QLatin1Char('\r'), 0, 0).toInt(), 500);
    EXPECT_TRUE(kept.endsWith(QStringLiteral("line 20499\r\n")));
    // Long lines: the characters are bounded too.
    child<QPushButton>(&w, "Button1")->click();
    const QByteArray longLine = QByteArray(998, 'y') + "\r\n";
    for (int i = 0; i < 2500; ++i)
        engine->receive(QByteArray::number(i).rightJustified(6, '0') + longLine);
    EXPECT_LE(edit->document()->characterCount(), TAV4Form3::kMaxCharacters);
    EXPECT_GT(edit->document()->characterCount(), TAV4Form3::kMaxCharacters / 2);
    EXPECT_TRUE(w.monitorText().endsWith(QByteArray("002499") + longLine));
    EXPECT_EQ(w.monitorText().section(QStringLiteral("\r\n"), 0, 0).size(), 1004); // whole lines
    child<QPushButton>(&w, "Button1")->click();
    engine->receive(QByteArray(3000, 'z'));
    const QStringList lines = w.monitorText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), TAV4Form3::kMaxLineLength);
    EXPECT_EQ(lines[2].size(), 3000 - 2 * TAV4Form3::kMaxLineLength);
}

TEST_F(MaintenanceWindows, FaultReportChecksBeforeConnecting) {
    makeEngine(71, 43);
    TAV4Form3 w(*engine, ctx);
    QStringList messages;
    w.showMessage = [&](const QString& t) { messages << t; };
    QString imei;
    int asked = 0;
    w.askText = [&](const QString& caption, const QString&) -> std::optional<QString> {
        ++asked;
        return caption == QStringLiteral("File name") ? imei : QStringLiteral("fault");
    };
    // Without a server nothing is asked.
    imei = QStringLiteral("123456789012345");
    w.Button2Click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("No report server is set")));
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(w.reportRunning());

    ctx.write(QStringLiteral("reportserver"), QStringLiteral("reports.example.com"));
    for (const char* bad : {"12345678901234", "1234567890123456", ""}) {
        messages.clear();
        imei = QString::fromLatin1(bad);
        w.Button2Click();
        EXPECT_EQ(messages, QStringList{QStringLiteral("Not valid IMEI number!")}) << bad;
        EXPECT_FALSE(w.reportRunning());
    }
}

TEST(FaultReport, ServerSetting) {
    const struct {
        const char* setting;
        const char* host;
        int port; // 0: refused
    } kCases[] = {
        {"reports.example.com", "reports.example.com", 49000},
        {"10.1.2.3:5000", "10.1.2.3", 5000},
        {" 10.1.2.3 ", "10.1.2.3", 49000},
        {"[::1]:7000", "::1", 7000},
        {"[::1]", "::1", 49000},
        {"::1", "", 0}, // an IPv6 address goes in brackets
        {"host:0", "", 0},
        {"host:70000", "", 0},
        {"host:x", "", 0},
        {":5000", "", 0},
        {"", "", 0},
    };
    for (const auto& c : kCases) {
        const auto s = FaultReport::parseServer(QString::fromLatin1(c.setting));
        if (c.port == 0) {
            EXPECT_FALSE(s.has_value()) << c.setting;
            continue;
        }
        ASSERT_TRUE(s.has_value()) << c.setting;
        EXPECT_EQ(s->host, QString::fromLatin1(c.host));
        EXPECT_EQ(s->port, c.port);
    }
}

TEST(FaultReport, ByteLayout) {
    const QByteArray report =
        FaultReport::build(QStringLiteral("356938035643809"), 43, QString::fromUtf8("nem jelez ő"),
                           QStringLiteral("MON 1\r\nMON 2\r\n"));
    EXPECT_EQ(report, QByteArray("QTX_START356938035643809 Szoftver verzi\xF3:43\nnem jelez \xF5\n"
                                 "MON 1\r\nMON 2\r\nQTX_STOP"));
}
