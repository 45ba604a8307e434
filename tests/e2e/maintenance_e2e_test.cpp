// The maintenance windows on a real serial channel against the simulated
// module over a pseudo-terminal: the firmware download by blocks and by
// stream (the module keeps what it received and runs the new version after
// the load command), a module that stops acknowledging, the live status of
// ModelCodes 80, 71 and 100, and monitor mode with its fault report.
#include "app/alvento_application.h"
#include "engine/link_engine.h"
#include "maintenance/fault_report.h"
#include "maintenance/firmware_form.h"
#include "maintenance/firmware_window.h"
#include "maintenance/monitor_window.h"
#include "maintenance/status_window.h"
#include "safety/write_guard.h"
#include "serial/tasyncomm32.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/fake_link.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configurator_window.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 60000;

// The configurator's engine without its window: the port's receive event
// feeds the engine, a 50 ms timer ticks it.
struct Session {
    Session(const QString& portPath, int model)
        : engine(port, view, image, config(portPath, model)) {
        QObject::connect(&port, &TAsynComm32::rxChar,
                         [this](int) { engine.receive(port.readAll()); });
        adas.setInterval(50);
        QObject::connect(&adas, &QTimer::timeout, [this] { engine.tick(); });
        adas.start();
    }
    ~Session() { port.close(); }
    static LinkEngineConfig config(const QString& path, int model) {
        LinkEngineConfig c;
        c.modelCode = model;
        c.language = 1;
        c.portName = [path] { return path; };
        return c;
    }
    // The version query every activation of the configurator makes.
    bool queryVersion() {
        engine.startVersionQuery(false);
        return waitUntil([this] { return !engine.busy() && engine.state().ModuleVersion > 0; },
                         kWaitMs);
    }

    TAsynComm32 port;
    RecordingView view;
    ConfigImage image;
    LinkEngine engine;
    QTimer adas;
};

QStringList args(std::initializer_list<QString> list) {
    return QStringList(list);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The tests' image (never one for a module) as the module must hold it after
// a download: 512 blocks, zeros after the image.
QByteArray expectedFirmware() {
    QByteArray bytes = FirmwareImage::parse(readFile(QStringLiteral(ALVENTO_TEST_FIRMWARE))).bytes;
    EXPECT_EQ(bytes.size(), FirmwareImage::kImageBytes);
    bytes.append(QByteArray(512 * 256 - bytes.size(), '\0'));
    return bytes;
}

// The firmware window's boxes answered as an installer would: the open-file
// dialog with `chosen`, every question with yes.
struct Answers {
    void attach(TAV4Form9* w) {
        w->showMessage = [this](const QString& t) { messages << t; };
        w->chooseFile = [this](const QString&, const QString&) { return chosen; };
        w->askYesNo = [this](const QString& q) {
            questions << q;
            return true;
        };
    }
    QString chosen = QStringLiteral(ALVENTO_TEST_FIRMWARE);
    QStringList messages;
    QStringList questions;
};

} // namespace

// The whole tool of edition 40 on the simulator's port, as an installer starts it.
std::unique_ptr<AlventoApplication> startTool(const PtySim& sim) {
    SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), sim.path());
    AlventoApplication::Options o;
    o.brandCode = 40;
    auto app = std::make_unique<AlventoApplication>(o);
    app->start();
    return app;
}

class FirmwareE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        ctx.keyPath = settingsKeyPath(40);
        ctx.write(QStringLiteral("Language"), QStringLiteral("1"));
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QString firmwareOut() const { return dir.path() + QStringLiteral("/firmware.bin"); }

    struct Run {
        std::unique_ptr<Session> session;
        std::unique_ptr<TAV4Form9> window;
        Answers answers;
    };
    // The window as the stock tool has it; the installer opens the tests'
    // image file unless told not to.
    std::unique_ptr<Run> open(PtySim& sim, int model, bool openImage = true) {
        auto run = std::make_unique<Run>();
        run->session = std::make_unique<Session>(sim.path(), model);
        EXPECT_TRUE(run->session->queryVersion());
        run->window = std::make_unique<TAV4Form9>(run->session->engine, ctx);
        TAV4Form9* w = run->window.get();
        run->answers.attach(w);
        run->session->view.onFirmwareClose = [w] { w->versionAfterLoad(); };
        w->openWindow();
        if (openImage)
            button(w, "openFirmwareFile")->click();
        return run;
    }
    QLabel* label(TAV4Form9* w, const char* name) {
        return w->findChild<QLabel*>(QString::fromLatin1(name));
    }
    QPushButton* button(TAV4Form9* w, const char* name) {
        return w->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    AppContext ctx;
};

// Block protocol: 512 block writes from 0x3E00, the load command, and the
// window closes on the new version's answer.
TEST_F(FirmwareE2E, BlockDownloadLeavesTheOpenedImageInTheModule) {
    PtySim sim(
        args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
              QStringLiteral("43"), QStringLiteral("--firmware-version"), QStringLiteral("44"),
              QStringLiteral("--firmware-out"), firmwareOut(), QStringLiteral("--split-every"),
              QStringLiteral("5"), QStringLiteral("--load-silent"), QStringLiteral("3")}));
    ASSERT_TRUE(sim.started());
    auto run = open(sim, 71);
    TAV4Form9* w = run->window.get();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    EXPECT_EQ(label(w, "Label2")->text(), QStringLiteral("Processor: J10"));
    EXPECT_EQ(label(w, "Label3")->text(), QStringLiteral("SW:43"));
    EXPECT_EQ(label(w, "Label4")->text(), QStringLiteral("HW:1"));
    EXPECT_EQ(label(w, "Label5")->text(), QStringLiteral("BW:6"));
    EXPECT_FALSE(label(w, "Label6")->isVisible());

    button(w, "Button1")->click();
    ASSERT_TRUE(
        waitUntil([&] { return sim.countLines(QStringLiteral("FIRMWARE LOAD")) == 1; }, kWaitMs));
    ASSERT_EQ(run->answers.questions.size(), 1);
    EXPECT_TRUE(run->answers.questions[0].contains(QStringLiteral("File: placeholder.hex\n")));
    EXPECT_EQ(label(w, "Label1")->text(), QStringLiteral("FPGA Download please wait..."));
    // The module saves its firmware memory (whole, by a rename) as it loads it.
    ASSERT_TRUE(waitUntil([&] { return readFile(firmwareOut()).size() == 512 * 256; }, kWaitMs));
    EXPECT_EQ(readFile(firmwareOut()), expectedFirmware());
    // The module loads and stays silent for three queries; its answer closes the window.
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, kWaitMs));
    EXPECT_EQ(run->session->engine.state().ModuleVersion, 44);
    EXPECT_EQ(run->session->view.version, QStringLiteral("Sw: 4.4"));
    EXPECT_TRUE(run->answers.messages.isEmpty())
        << run->answers.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(sim.countLines(QStringLiteral("FIRMWARE INCOMPLETE")), 0);
}

// Stream protocol below version 3.8: a start frame, then raw blocks, each
// answered with its number.
TEST_F(FirmwareE2E, StreamDownloadLeavesTheOpenedImageInTheModule) {
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("70"), QStringLiteral("--version"),
                     QStringLiteral("35"), QStringLiteral("--firmware-out"), firmwareOut()}));
    ASSERT_TRUE(sim.started());
    auto run = open(sim, 70);
    TAV4Form9* w = run->window.get();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    button(w, "Button1")->click();
    ASSERT_TRUE(
        waitUntil([&] { return sim.countLines(QStringLiteral("FIRMWARE LOAD")) == 1; }, kWaitMs))
        << sim.lines()
               .mid(std::max<qsizetype>(0, sim.lines().size() - 8))
               .join(QLatin1Char('\n'))
               .left(3000)
               .toStdString()
        << run->answers.messages.join(QLatin1Char('|')).toStdString()
        << w->findChild<QLabel*>(QStringLiteral("Label1"))->text().toStdString();
    EXPECT_EQ(sim.countLines(QStringLiteral("FIRMWARE STREAM END")), 1);
    // The module saves its firmware memory (whole, by a rename) as it loads it.
    ASSERT_TRUE(waitUntil([&] { return readFile(firmwareOut()).size() == 512 * 256; }, kWaitMs));
    EXPECT_EQ(readFile(firmwareOut()), expectedFirmware());
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, kWaitMs));
    EXPECT_EQ(run->session->engine.state().ModuleVersion, 43);
}

// Block 5 never acknowledged: thirty transmissions, then "ERROR
// communication!" once and nothing more; the module refuses to load the
// incomplete image.
TEST_F(FirmwareE2E, ModuleThatStopsAcknowledgingGetsTheErrorAfterThirtySends) {
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                     QStringLiteral("43"), QStringLiteral("--drop-at"), QString::number(0x3E05),
                     QStringLiteral("--at-times"), QStringLiteral("0")}));
    ASSERT_TRUE(sim.started());
    auto run = open(sim, 71);
    TAV4Form9* w = run->window.get();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    button(w, "Button1")->click();
    ASSERT_TRUE(waitUntil([&] { return !run->answers.messages.isEmpty(); }, 120000));
    EXPECT_EQ(run->answers.messages, QStringList{QStringLiteral("ERROR communication!")});
    const QRegularExpression block5(QStringLiteral("^RX [0-9A-F]{2} F6 3E 05 "));
    auto sendsOfBlock5 = [&] {
        int n = 0;
        for (const QString& line : sim.lines())
            n += block5.match(line).hasMatch() ? 1 : 0;
        return n;
    };
    EXPECT_EQ(sendsOfBlock5(), 30);
    EXPECT_EQ(sim.countLines(QStringLiteral(" F6 3E 06 ")), 0);
    EXPECT_FALSE(run->session->engine.busy());
    EXPECT_TRUE(w->isVisible());
    // Closing and opening again asks for the processor afresh, and the file
    // is opened afresh.
    w->reject();
    w->openWindow();
    ASSERT_TRUE(waitUntil(
        [&] { return label(w, "Label2")->text() == QStringLiteral("Processor: J10"); }, kWaitMs));
    EXPECT_FALSE(button(w, "Button1")->isEnabled());
    button(w, "openFirmwareFile")->click();
    EXPECT_TRUE(button(w, "Button1")->isEnabled());
    EXPECT_EQ(sendsOfBlock5(), 30);
}

// A malformed image is refused before anything goes to the module: a file
// when it is opened, a maker's built-in image when the download would start.
TEST_F(FirmwareE2E, MalformedImageSendsNothing) {
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                     QStringLiteral("43")}));
    ASSERT_TRUE(sim.started());
    auto run = open(sim, 71, false);
    TAV4Form9* w = run->window.get();
    ASSERT_TRUE(waitUntil(
        [&] { return label(w, "Label2")->text() == QStringLiteral("Processor: J10"); }, kWaitMs));
    const int requests = sim.countLines(QStringLiteral("RX "));
    run->answers.chosen = dir.path() + QStringLiteral("/odd.hex");
    QFile odd(run->answers.chosen);
    ASSERT_TRUE(odd.open(QIODevice::WriteOnly));
    odd.write(readFile(QStringLiteral(ALVENTO_TEST_FIRMWARE)) + "A");
    odd.close();
    button(w, "openFirmwareFile")->click();
    ASSERT_EQ(run->answers.messages.size(), 1);
    EXPECT_TRUE(run->answers.messages[0].contains(QStringLiteral("odd number")));
    EXPECT_FALSE(button(w, "Button1")->isEnabled());
    // The service code's way finds nothing to send either.
    w->Button1Click();
    ASSERT_TRUE(waitUntil([&] { return run->answers.messages.size() == 2; }, kWaitMs));
    EXPECT_TRUE(run->answers.messages[1].startsWith(QStringLiteral("No firmware is loaded.")));

    const FirmwareImage::Parsed bad = FirmwareImage::parse("0A1");
    w->carriedImage = [&bad]() -> const FirmwareImage::Parsed& { return bad; };
    w->FormActivate();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    const int afterQuery = sim.countLines(QStringLiteral("RX "));
    EXPECT_EQ(afterQuery, requests + 1);
    button(w, "Button1")->click();
    ASSERT_TRUE(waitUntil([&] { return run->answers.messages.size() == 3; }, kWaitMs));
    EXPECT_TRUE(run->answers.messages[2].contains(QStringLiteral("odd number")));
    EXPECT_TRUE(run->answers.messages[2].endsWith(QStringLiteral("Nothing was sent.")));
    EXPECT_TRUE(run->answers.questions.isEmpty());
    EXPECT_FALSE(run->session->engine.busy());
    EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), afterQuery);
    w->reject();
}

// The stock tool, as the installer meets it: the configurator of a module of
// version 2.9 (stream protocol, a processor answer without versions) opens
// the firmware window from its menu. Opening sends nothing but the processor
// query; the tool carries no image and says so; the download starts only
// from the opened file, the button and the confirmation.
TEST_F(FirmwareE2E, StockToolDownloadsOnlyAnOpenedFileAfterTheButton) {
    if (ALVENTO_CARRIES_FIRMWARE)
        GTEST_SKIP() << "this build carries a maker's firmware";
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                     QStringLiteral("29"), QStringLiteral("--firmware-out"), firmwareOut()}));
    ASSERT_TRUE(sim.started());
    auto app = startTool(sim);
    TAV4Form1* c = app->configurator();
    ASSERT_TRUE(waitUntil(
        [&] { return c->isVisible() && !c->engine().busy() && c->engine().state().ModuleVersion; },
        15000));
    ASSERT_EQ(c->engine().state().ModuleVersion, 29);
    EXPECT_FALSE(app->firmwareForm()->carries());
    EXPECT_FALSE(app->firmwareWindow()->carriedImage);
    TAV4Form9* w = app->firmwareWindow();
    Answers answers;
    answers.attach(w);
    c->menuAction(QStringLiteral("Szoftverfrissts1"))->trigger();
    ASSERT_TRUE(w->isVisible());
    ASSERT_TRUE(waitUntil(
        [&] { return label(w, "Label2")->text() == QStringLiteral("Processor: J10"); }, kWaitMs));
    // Time enough for the old way, which started a second after the answer.
    QTest::qWait(2500);
    EXPECT_EQ(sim.countLines(QStringLiteral("FIRMWARE STREAM")), 0);
    EXPECT_EQ(sim.countLines(QStringLiteral("RX 00 FA")), 0);
    EXPECT_FALSE(c->engine().busy());
    EXPECT_EQ(label(w, "firmwareImage")->text(),
              QStringLiteral("No firmware is loaded. Open the maker's firmware image file (hex "
                             "text)."));
    EXPECT_FALSE(button(w, "Button1")->isEnabled());

    button(w, "openFirmwareFile")->click();
    ASSERT_TRUE(button(w, "Button1")->isEnabled());
    EXPECT_EQ(sim.countLines(QStringLiteral("FIRMWARE STREAM")), 0);
    button(w, "Button1")->click();
    ASSERT_TRUE(
        waitUntil([&] { return sim.countLines(QStringLiteral("FIRMWARE LOAD")) == 1; }, kWaitMs))
        << answers.messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(answers.questions.size(), 1);
    EXPECT_TRUE(
        answers.questions[0].contains(QStringLiteral("Software version of the module: 2.9")));
    ASSERT_TRUE(waitUntil([&] { return readFile(firmwareOut()).size() == 512 * 256; }, kWaitMs));
    EXPECT_EQ(readFile(firmwareOut()), expectedFirmware());
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, kWaitMs));
    EXPECT_TRUE(answers.messages.isEmpty())
        << answers.messages.join(QLatin1Char('|')).toStdString();
}

// ---------------------------------------------------------------- status

namespace {
struct StatusCase {
    int model;
    int version;
    QStringList simArgs;
};
} // namespace

class StatusE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        ctx.keyPath = settingsKeyPath(40);
        ctx.write(QStringLiteral("Language"), QStringLiteral("1"));
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    template <class T> T* child(QWidget* w, const char* name) {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    QColor colour(QWidget* w, const char* name) {
        return child<QLabel>(w, name)->palette().color(QPalette::Window);
    }
    QTemporaryDir dir;
    AppContext ctx;
};

// The live block of each kind of module, as the simulated module keeps it.
TEST_F(StatusE2E, StatusOfModelCodes80And71And100) {
    const StatusCase kCases[] = {
        {80, 43,
         args({QStringLiteral("--status"), QStringLiteral("0=13"), QStringLiteral("--status"),
               QStringLiteral("3=17"), QStringLiteral("--status"), QStringLiteral("4=6"),
               QStringLiteral("--status"), QStringLiteral("9=133"),
               QStringLiteral("--status-clock"), QStringLiteral("1234")})},
        {71, 43,
         args({QStringLiteral("--status"), QStringLiteral("0=4"), QStringLiteral("--status"),
               QStringLiteral("1=1"), QStringLiteral("--status"), QStringLiteral("3=25"),
               QStringLiteral("--status"), QStringLiteral("4=16"), QStringLiteral("--status-clock"),
               QStringLiteral("0905")})},
        {100, 30,
         args({QStringLiteral("--status"), QStringLiteral("2=3"), QStringLiteral("--status"),
               QStringLiteral("3=8"), QStringLiteral("--cid-message"),
               QStringLiteral("5279181130010031")})},
    };
    for (const StatusCase& c : kCases) {
        SCOPED_TRACE(c.model);
        PtySim sim(args({QStringLiteral("--model"), QString::number(c.model),
                         QStringLiteral("--version"), QString::number(c.version),
                         QStringLiteral("--split-every"), QStringLiteral("3")}) +
                   c.simArgs);
        ASSERT_TRUE(sim.started());
        Session s(sim.path(), c.model);
        ASSERT_TRUE(s.queryVersion());
        TAV4Form2 w(s.engine, ctx);
        w.openWindow();
        ASSERT_TRUE(
            waitUntil([&] { return !child<QLineEdit>(&w, "Edit2")->text().isEmpty(); }, kWaitMs));
        ASSERT_TRUE(waitUntil([&] { return w.linkCounter() == 3; }, kWaitMs));
        const QColor grey = w.palette().color(QPalette::Button);
        if (c.model == 80) {
            EXPECT_EQ(colour(&w, "Panel1"), QColor(Qt::red));
            EXPECT_EQ(colour(&w, "Panel2"), QColor(Qt::green));
            EXPECT_EQ(colour(&w, "Panel3"), grey);
            EXPECT_EQ(colour(&w, "Panel4"), grey);
            EXPECT_EQ(colour(&w, "Panel6"), grey);
            EXPECT_EQ(colour(&w, "Panel7"), QColor(Qt::red));
            EXPECT_EQ(child<QProgressBar>(&w, "Gauge1")->value(), 17);
            EXPECT_EQ(child<QProgressBar>(&w, "Gauge1")->property("colour").toString(),
                      QStringLiteral("green"));
            EXPECT_EQ(child<QLineEdit>(&w, "Edit3")->text(), QStringLiteral("-5"));
            EXPECT_EQ(w.statusPanel(0), QStringLiteral("GSM Time: 12:34"));
        } else if (c.model == 71) {
            EXPECT_EQ(colour(&w, "Panel3"), QColor(Qt::red));
            EXPECT_EQ(colour(&w, "Panel6"), QColor(Qt::green));
            EXPECT_EQ(colour(&w, "Panel9"), QColor(Qt::red));
            EXPECT_EQ(child<QLineEdit>(&w, "Edit1")->text(), QStringLiteral("MEMORY FAULT"));
            EXPECT_EQ(child<QLineEdit>(&w, "Edit2")->text(),
                      QStringLiteral("Registered on home network"));
            EXPECT_EQ(child<QProgressBar>(&w, "Gauge1")->property("colour").toString(),
                      QStringLiteral("lime"));
            EXPECT_EQ(w.statusPanel(0), QStringLiteral("GSM Time: 09:05"));
        } else {
            EXPECT_EQ(colour(&w, "Panel1"), grey);
            EXPECT_EQ(child<QLineEdit>(&w, "Edit1")->text(),
                      QStringLiteral("SIM Card not inserted"));
            EXPECT_EQ(child<QLineEdit>(&w, "Edit4")->text(), QStringLiteral("5279181130010031"));
            EXPECT_EQ(child<QLineEdit>(&w, "Edit5")->text(), QStringLiteral("5279"));
            EXPECT_EQ(child<QLineEdit>(&w, "Edit6")->text(), QStringLiteral("01003"));
            EXPECT_EQ(child<QLineEdit>(&w, "Edit7")->text(), QStringLiteral("E130"));
            // 32 bytes a block from 512.
            EXPECT_GT(sim.countLines(QStringLiteral("RX 02 02 1F 00")), 0);
        }
        EXPECT_GT(sim.countLines(QStringLiteral("RX 02 02 00 00")), 0);
        w.reject();
        EXPECT_FALSE(s.engine.busy());
    }
}

// The status block lands in the image's first bytes if it shares its buffer:
// a send after a poll would then carry status bytes (4..7 are never rewritten
// by the pages) into the module. Sends before and after a poll must be equal.
TEST_F(StatusE2E, SendAfterStatusPollWritesWhatThePagesHold) {
    QByteArray memory(8192, '\0');
    for (int i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    memory.replace(0, 16, QByteArray(16, '\xEE'));
    const QString memFile = dir.path() + QStringLiteral("/module.bin");
    const QString saveFile = dir.path() + QStringLiteral("/saved.bin");
    QFile f(memFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(memory);
    f.close();
    QStringList simArgs =
        args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
              QStringLiteral("43"), QStringLiteral("--memory"), memFile, QStringLiteral("--save"),
              saveFile});
    for (int i = 0; i < 16; ++i)
        simArgs << QStringLiteral("--status") << QStringLiteral("%1=%2").arg(i).arg(0x40 + i);
    PtySim sim(simArgs);
    ASSERT_TRUE(sim.started());
    auto app = startTool(sim);
    TAV4Form1* c = app->configurator();
    ASSERT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 15000));
    auto button = [&](const char* name) {
        return c->findChild<QPushButton*>(QString::fromLatin1(name));
    };
    button("BitBtn2")->click();
    ASSERT_TRUE(waitUntil(
        [&] { return c->statusPanel(3) == QStringLiteral("Successful readout!"); }, kWaitMs));
    auto send = [&] {
        const int clocks = sim.countLines(QStringLiteral("CLOCK "));
        button("BitBtn1")->click();
        EXPECT_TRUE(waitUntil(
            [&] {
                return !c->engine().busy() && !c->safetyNet().sendRunning() &&
                       sim.countLines(QStringLiteral("CLOCK ")) > clocks;
            },
            kWaitMs));
        // The module has saved its memory by the time it takes the clock
        // (a send with nothing to change leaves it, and its save, as they were).
        return readFile(saveFile);
    };
    const QByteArray before = send();
    ASSERT_EQ(before.size(), 8192);

    const ConfigImage held = c->image();
    TAV4Form2* w = app->statusWindow();
    c->menuAction(QStringLiteral("Modulllapotmegjelentse1"))->trigger();
    ASSERT_TRUE(w->isVisible());
    const int polls = sim.countLines(QStringLiteral("RX 02 02 0F 00"));
    ASSERT_TRUE(waitUntil(
        [&] { return sim.countLines(QStringLiteral("RX 02 02 0F 00")) >= polls + 2; }, kWaitMs));
    w->reject();
    ASSERT_TRUE(waitUntil([&] { return !c->engine().busy(); }, kWaitMs));
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(c->image()[i], held[i]) << "image byte " << i;

    const QByteArray after = send();
    ASSERT_EQ(after.size(), 8192);
    for (int i = 0; i < 8192; ++i)
        ASSERT_EQ(static_cast<uint8_t>(after[i]), static_cast<uint8_t>(before[i])) << "byte " << i;
    for (int i = 0; i < 1536; ++i)
        ASSERT_EQ(static_cast<uint8_t>(after[i]), c->image()[i]) << "byte " << i;
    c->askYesNo = [](const QString&) { return true; };
    app.reset();
}

// ---------------------------------------------------------------- monitor

class MonitorE2E : public StatusE2E {};

TEST_F(MonitorE2E, MonitorTextAndFaultReportReceivedByteForByte) {
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                     QStringLiteral("43"), QStringLiteral("--monitor-ms"), QStringLiteral("40"),
                     QStringLiteral("--status"), QStringLiteral("3=17"), QStringLiteral("--status"),
                     QStringLiteral("0=5")}));
    ASSERT_TRUE(sim.started());
    Session s(sim.path(), 71);
    ASSERT_TRUE(s.queryVersion());
    TAV4Form3 w(s.engine, ctx);
    QStringList messages;
    w.showMessage = [&](const QString& t) { messages << t; };
    w.openWindow();
    w.timer1()->stop(); // no time marks in the text compared
    ASSERT_TRUE(
        waitUntil([&] { return w.monitorText().contains(QStringLiteral("MON 00005")); }, kWaitMs));
    w.reject();
    ASSERT_TRUE(
        waitUntil([&] { return sim.countLines(QStringLiteral("MONITOR OFF")) == 1; }, kWaitMs));
    ASSERT_TRUE(waitUntil([&] { return !s.engine.busy(); }, kWaitMs));
    const QString text = w.monitorText();
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 6);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(lines[i], QStringLiteral("MON %1 IN=5 REG=0 ERR=0 CSQ=17 PWR=00")
                                .arg(i + 1, 5, 10, QLatin1Char('0')));

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    ctx.write(QStringLiteral("reportserver"),
              QStringLiteral("127.0.0.1:%1").arg(server.serverPort()));
    QByteArray received;
    bool closed = false;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* peer = server.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead,
                         [&received, peer] { received += peer->readAll(); });
        QObject::connect(peer, &QTcpSocket::disconnected, [&closed, &received, peer] {
            received += peer->readAll();
            closed = true;
        });
    });
    const QString imei = QStringLiteral("356938035643809");
    w.askText = [&](const QString& caption, const QString&) -> std::optional<QString> {
        return caption == QStringLiteral("File name") ? imei : QString::fromUtf8("nem jelez ő");
    };
    w.Button2Click();
    ASSERT_TRUE(waitUntil([&] { return closed && !messages.isEmpty(); }, kWaitMs));
    EXPECT_EQ(messages, QStringList{QStringLiteral("OK")});
    const QByteArray expected = QByteArray("QTX_START356938035643809 Szoftver verzi\xF3:43\n"
                                           "nem jelez \xF5\n") +
                                text.toLatin1() + QByteArray("QTX_STOP");
    EXPECT_EQ(received, expected);
    EXPECT_EQ(w.monitorText(), text); // the text stays

    // Nobody listens at the address any more: the failure message.
    const quint16 port = server.serverPort();
    server.close();
    ctx.write(QStringLiteral("reportserver"), QStringLiteral("127.0.0.1:%1").arg(port));
    messages.clear();
    w.Button2Click();
    ASSERT_TRUE(waitUntil([&] { return !messages.isEmpty(); }, kWaitMs));
    EXPECT_EQ(messages, QStringList{QStringLiteral("Unsuccessful sending")});
    EXPECT_EQ(w.monitorText(), text);
}
