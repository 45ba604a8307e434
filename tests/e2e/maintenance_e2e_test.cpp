// The maintenance windows on a real serial channel against the simulated
// module over a pseudo-terminal: the firmware download by blocks and by
// stream (the module keeps what it received and runs the new version after
// the load command), a module that stops acknowledging, the live status of
// ModelCodes 80, 71 and 100, and monitor mode with its fault report.
#include "engine/link_engine.h"
#include "maintenance/firmware_form.h"
#include "maintenance/firmware_window.h"
#include "serial/tasyncomm32.h"
#include "settings/app_context.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 60000;

class View : public LinkView {
  public:
    void showPortName(const QString&) override {}
    void showModuleVersion(const QString& t) override { version = t; }
    void showStatus(const QString&) override {}
    void setGaugeMaximum(int) override {}
    void setGaugeValue(int) override {}
    void setGaugeVisible(bool) override {}
    void setTransferButtonsEnabled(bool) override {}
    void showMessage(const QString& t) override { messages << t; }
    void encode() override {}
    void decode() override {}
    void runPageShowLogic() override {}
    void applyVersionRules() override {}
    void resetOutput2TimeUnit() override {}
    void showTime(const QString&) override {}
    void setTickInterval(int) override {}
    void closeFirmwareWindow() override {
        if (onFirmwareClose)
            onFirmwareClose();
    }
    QString version;
    QStringList messages;
    std::function<void()> onFirmwareClose;
};

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
    View view;
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

// The carried image as the module must hold it: 512 blocks, zeros after it.
QByteArray expectedFirmware(const TFirmware& form) {
    QByteArray bytes = form.image().bytes;
    bytes.append(QByteArray(512 * 256 - bytes.size(), '\0'));
    return bytes;
}

} // namespace

class FirmwareE2E : public ::testing::Test {
  protected:
    QString firmwareOut() const { return dir.path() + QStringLiteral("/firmware.bin"); }

    struct Run {
        std::unique_ptr<Session> session;
        std::unique_ptr<TAV4Form9> window;
        QStringList messages;
    };
    Run open(PtySim& sim, int model) {
        Run run;
        run.session = std::make_unique<Session>(sim.path(), model);
        EXPECT_TRUE(run.session->queryVersion());
        run.window = std::make_unique<TAV4Form9>(run.session->engine);
        run.window->carriedImage = [this]() -> const FirmwareImage::Parsed& {
            return form.image();
        };
        QStringList* messages = &run.messages;
        run.window->showMessage = [messages](const QString& t) { *messages << t; };
        TAV4Form9* w = run.window.get();
        run.session->view.onFirmwareClose = [w] { w->versionAfterLoad(); };
        w->openWindow();
        return run;
    }
    QLabel* label(TAV4Form9* w, const char* name) {
        return w->findChild<QLabel*>(QString::fromLatin1(name));
    }
    QPushButton* button(TAV4Form9* w, const char* name) {
        return w->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    TFirmware form;
};

// Block protocol: 512 block writes from 0x3E00, the load command, and the
// window closes on the new version's answer.
TEST_F(FirmwareE2E, BlockDownloadLeavesTheCarriedImageInTheModule) {
    ASSERT_TRUE(form.image().ok());
    PtySim sim(
        args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
              QStringLiteral("43"), QStringLiteral("--firmware-version"), QStringLiteral("44"),
              QStringLiteral("--firmware-out"), firmwareOut(), QStringLiteral("--split-every"),
              QStringLiteral("5"), QStringLiteral("--load-silent"), QStringLiteral("3")}));
    ASSERT_TRUE(sim.started());
    Run run = open(sim, 71);
    TAV4Form9* w = run.window.get();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    EXPECT_EQ(label(w, "Label2")->text(), QStringLiteral("Processor: J10"));
    EXPECT_EQ(label(w, "Label3")->text(), QStringLiteral("SW:43"));
    EXPECT_EQ(label(w, "Label4")->text(), QStringLiteral("HW:1"));
    EXPECT_EQ(label(w, "Label5")->text(), QStringLiteral("BW:6"));
    EXPECT_FALSE(label(w, "Label6")->isVisible());

    button(w, "Button1")->click();
    ASSERT_TRUE(
        waitUntil([&] { return sim.countLines(QStringLiteral("FIRMWARE LOAD")) == 1; }, kWaitMs));
    EXPECT_EQ(label(w, "Label1")->text(), QStringLiteral("FPGA Download please wait..."));
    EXPECT_EQ(readFile(firmwareOut()), expectedFirmware(form));
    // The module loads and stays silent for three queries; its answer closes the window.
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, kWaitMs));
    EXPECT_EQ(run.session->engine.state().ModuleVersion, 44);
    EXPECT_EQ(run.session->view.version, QStringLiteral("Sw: 4.4"));
    EXPECT_TRUE(run.messages.isEmpty()) << run.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(sim.countLines(QStringLiteral("FIRMWARE INCOMPLETE")), 0);
}

// Stream protocol below version 3.8: a start frame, then raw blocks, each
// answered with its number.
TEST_F(FirmwareE2E, StreamDownloadLeavesTheCarriedImageInTheModule) {
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("70"), QStringLiteral("--version"),
                     QStringLiteral("35"), QStringLiteral("--firmware-out"), firmwareOut()}));
    ASSERT_TRUE(sim.started());
    Run run = open(sim, 70);
    TAV4Form9* w = run.window.get();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    button(w, "Button1")->click();
    ASSERT_TRUE(
        waitUntil([&] { return sim.countLines(QStringLiteral("FIRMWARE LOAD")) == 1; }, kWaitMs))
        << sim.lines()
               .mid(std::max<qsizetype>(0, sim.lines().size() - 8))
               .join(QLatin1Char('\n'))
               .left(3000)
               .toStdString()
        << run.messages.join(QLatin1Char('|')).toStdString()
        << w->findChild<QLabel*>(QStringLiteral("Label1"))->text().toStdString();
    EXPECT_EQ(sim.countLines(QStringLiteral("FIRMWARE STREAM END")), 1);
    EXPECT_EQ(readFile(firmwareOut()), expectedFirmware(form));
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, kWaitMs));
    EXPECT_EQ(run.session->engine.state().ModuleVersion, 43);
}

// Block 5 never acknowledged: thirty transmissions, then "ERROR
// communication!" once and nothing more; the module refuses to load the
// incomplete image.
TEST_F(FirmwareE2E, ModuleThatStopsAcknowledgingGetsTheErrorAfterThirtySends) {
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                     QStringLiteral("43"), QStringLiteral("--drop-at"), QString::number(0x3E05),
                     QStringLiteral("--at-times"), QStringLiteral("0")}));
    ASSERT_TRUE(sim.started());
    Run run = open(sim, 71);
    TAV4Form9* w = run.window.get();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    button(w, "Button1")->click();
    ASSERT_TRUE(waitUntil([&] { return !run.messages.isEmpty(); }, 120000));
    EXPECT_EQ(run.messages, QStringList{QStringLiteral("ERROR communication!")});
    const QRegularExpression block5(QStringLiteral("^RX [0-9A-F]{2} F6 3E 05 "));
    auto sendsOfBlock5 = [&] {
        int n = 0;
        for (const QString& line : sim.lines())
            n += block5.match(line).hasMatch() ? 1 : 0;
        return n;
    };
    EXPECT_EQ(sendsOfBlock5(), 30);
    EXPECT_EQ(sim.countLines(QStringLiteral(" F6 3E 06 ")), 0);
    EXPECT_FALSE(run.session->engine.busy());
    EXPECT_TRUE(w->isVisible());
    // Closing and opening again asks for the processor afresh.
    w->reject();
    w->openWindow();
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    EXPECT_EQ(sendsOfBlock5(), 30);
}

// A malformed image is refused before anything goes to the module.
TEST_F(FirmwareE2E, MalformedImageSendsNothing) {
    PtySim sim(args({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                     QStringLiteral("43")}));
    ASSERT_TRUE(sim.started());
    Run run = open(sim, 71);
    TAV4Form9* w = run.window.get();
    const FirmwareImage::Parsed bad = FirmwareImage::parse("0A1");
    w->carriedImage = [&bad]() -> const FirmwareImage::Parsed& { return bad; };
    ASSERT_TRUE(waitUntil([&] { return button(w, "Button1")->isEnabled(); }, kWaitMs));
    const int requests = sim.countLines(QStringLiteral("RX "));
    button(w, "Button1")->click();
    ASSERT_TRUE(waitUntil([&] { return !run.messages.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(run.messages[0].contains(QStringLiteral("odd number")));
    EXPECT_FALSE(run.session->engine.busy());
    EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), requests);
}
