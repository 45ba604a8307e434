// The tool against the module simulator over a pseudo-terminal: discovery,
// dispatch and the first request of the window that takes over.
#include "app/alvento_application.h"
#include "discovery/search_window.h"
#include "legacy/legacy_device_window.h"
#include "serial/tasyncomm32.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "startup/language_window.h"
#include "startup/start_window.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configurator_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
const char* kIdentifyRead = "RX 00 00 FF 00 01 FE";
const char* kVersionRead = "RX 00 00 FE 00 02 FD";

} // namespace

class DiscoveryE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QStringLiteral("0"));
    }
    void TearDown() override {
        if (app && app->configurator())
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }
    // The stored port points at the simulator, as an installer's chosen port would.
    void startOn(const QString& pty) {
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), pty);
        AlventoApplication::Options o;
        o.brandCode = 40;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
    }
    QTemporaryDir settings;
    std::unique_ptr<AlventoApplication> app;
};

TEST_F(DiscoveryE2E, EveryModelOpensItsWindowAndTheWindowTakesThePort) {
    struct Case {
        int model;
        const char* window; // objectName of the window that must be shown
        bool versionReadFollows;
    } cases[] = {
        {70, "TAV4Form1", true}, {71, "TAV4Form1", true},    {80, "TAV4Form1", true},
        {90, "TAV4Form1", true}, {100, "TAV4Form1", true},   {50, "TForm5", true},
        {61, "TForm7", true},    {60, "Ttrekkamain", false}, {30, "TForm1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        PtySim sim({QStringLiteral("--model"), QString::number(c.model)});
        ASSERT_TRUE(sim.started());
        startOn(sim.path());
        TForm1* start = app->startWindow();
        TForm8* search = app->searchWindow();
        ASSERT_TRUE(waitUntil([&] { return search->isVisible(); }, 2000));
        ASSERT_TRUE(sim.waitForLine(QString::fromLatin1(kIdentifyRead), 6000));
        QWidget* target = app->window(QString::fromLatin1(c.window));
        ASSERT_TRUE(waitUntil([&] { return !search->isVisible() && target->isVisible(); }, 8000));
        EXPECT_EQ(search->statusPanel(1), QStringLiteral("Gsm: %1").arg(c.model));
        EXPECT_EQ(start->ModelCode(), c.model);
        if (c.model != 30) {
            EXPECT_FALSE(start->isVisible());
            // Closed by the blink timer, or (no blinking for 60) by the send
            // timer once the start window is idle.
            EXPECT_TRUE(waitUntil([&] { return !start->channel()->isOpen(); }, 1000));
        }
        const int versionReadsBefore = sim.countLines(QString::fromLatin1(kVersionRead));
        if (c.versionReadFollows) {
            EXPECT_EQ(versionReadsBefore, 0);
            EXPECT_TRUE(sim.waitForLine(QString::fromLatin1(kVersionRead), 5000));
        }
        if (c.model >= 70) {
            auto* conf = app->configurator();
            EXPECT_EQ(conf->modelCode(), c.model);
            EXPECT_TRUE(
                waitUntil([&] { return conf->statusPanel(2) == QStringLiteral("Sw: 4.3"); }, 5000));
        }
        if (c.model == 50)
            EXPECT_TRUE(waitUntil(
                [&] {
                    return app->converterWindow()->versionText() ==
                           QStringLiteral("szoftver verzio> 1.43");
                },
                5000));
        TearDown();
        SetUp();
    }
}

TEST_F(DiscoveryE2E, ModulesThatAreNotRecognisedKeepTheSearchGoing) {
    struct Case {
        QStringList args;
        const char* gsmPanel;
        bool badCounted;
    } cases[] = {
        {{QStringLiteral("--identify-only")}, "Gsm: ", false},
        {{QStringLiteral("--bad-complement")}, "Gsm: ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gsmPanel);
        PtySim sim(c.args);
        ASSERT_TRUE(sim.started());
        startOn(sim.path());
        TForm8* search = app->searchWindow();
        // Two whole cycles of reads and identify frames: longer
        // than the two seconds a dispatch would follow a recognised model.
        const QString wake = QStringLiteral("RX A0 FE 00 00 62 9D");
        ASSERT_TRUE(waitUntil([&] { return sim.countLines(wake) >= 2 * 4; }, 25000));
        EXPECT_TRUE(search->isVisible());
        EXPECT_FALSE(app->startWindow()->timerAblakStart()->isActive());
        EXPECT_EQ(search->statusPanel(1), QString::fromLatin1(c.gsmPanel));
        EXPECT_NE(search->statusPanel(2), QStringLiteral("TX: 0"));
        EXPECT_EQ(search->statusPanel(4) != QStringLiteral("BAD: 0"), c.badCounted);
        EXPECT_FALSE(app->configurator()->isVisible());
        TearDown();
        SetUp();
    }
}

// The real executable, started as an installer would, finds the module named
// in its settings.
TEST_F(DiscoveryE2E, ToolProcessSendsIdentifyFramesToThePortInItsSettings) {
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71")});
    ASSERT_TRUE(sim.started());
    SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), sim.path());
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settings.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tool.setProcessEnvironment(env);
    tool.start(qEnvironmentVariable("ALVENTO_EXE"), {});
    ASSERT_TRUE(tool.waitForStarted(5000));
    EXPECT_TRUE(sim.waitForLine(QString::fromLatin1(kIdentifyRead), 8000));
    // After the dispatch the configurator asks the module for its version.
    EXPECT_TRUE(sim.waitForLine(QString::fromLatin1(kVersionRead), 8000));
    tool.kill();
    tool.waitForFinished(3000);
}

// The first start on a fresh machine with a module attached: the language
// chooser, then the search window, then the module's window, in that order.
// Nothing reaches the module while the chooser waits.
TEST_F(DiscoveryE2E, FirstStartAsksTheLanguageBeforeTheModuleIsLookedFor) {
    SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"), QString());
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71")});
    ASSERT_TRUE(sim.started());
    startOn(sim.path());
    TForm1* start = app->startWindow();
    TForm10* chooser = app->languageWindow();
    TForm8* search = app->searchWindow();
    TAV4Form1* conf = app->configurator();
    ASSERT_TRUE(waitUntil([&] { return chooser->isVisible(); }, 2000));

    // Let the send timer run many times while the chooser is open.
    start->timerAdas()->setInterval(150);
    QSignalSpy sendTicks(start->timerAdas(), &QTimer::timeout);
    ASSERT_TRUE(waitUntil([&] { return sendTicks.count() >= 8; }, 5000));
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_FALSE(search->isVisible());
    EXPECT_FALSE(conf->isVisible());
    EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), 0);
    EXPECT_EQ(sim.countLines(QStringLiteral("DROP ")), 0);

    chooser->chooseLanguage(1);
    ASSERT_TRUE(waitUntil([&] { return search->isVisible(); }, 2000));
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_FALSE(conf->isVisible());
    EXPECT_EQ(SettingsStore::ReadString(settingsKeyPath(40), QStringLiteral("Language")),
              QStringLiteral("1"));

    ASSERT_TRUE(sim.waitForLine(QString::fromLatin1(kIdentifyRead), 6000));
    ASSERT_TRUE(waitUntil([&] { return conf->isVisible() && !search->isVisible(); }, 8000));
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_FALSE(start->isVisible());
    // One port at a time: the start window has let go, the configurator talks.
    EXPECT_TRUE(waitUntil([&] { return conf->statusPanel(2) == QStringLiteral("Sw: 4.3"); }, 5000));
    EXPECT_FALSE(start->channel()->isOpen());
}

// The adapter is pulled while the search runs and plugged back in: the search
// picks the port up again and the module's window opens as usual.
TEST_F(DiscoveryE2E, ASearchGoesOnWhenThePortComesBack) {
    const QString link = settings.path() + QStringLiteral("/ttyLINK");
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--link"), link,
                QStringLiteral("--vanish-after"), QStringLiteral("1"),
                QStringLiteral("--vanish-ms"), QStringLiteral("1500")});
    ASSERT_TRUE(sim.started());
    startOn(link);
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("VANISH"), 8000));
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("BACK "), 5000));
    TAV4Form1* conf = app->configurator();
    ASSERT_TRUE(waitUntil([&] { return conf->isVisible(); }, 10000));
    EXPECT_TRUE(waitUntil([&] { return conf->statusPanel(2) == QStringLiteral("Sw: 4.3"); }, 5000));
}
