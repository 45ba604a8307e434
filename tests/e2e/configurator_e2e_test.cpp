// The configurator window driving a simulated module: read, send, restart and
// closing while busy, through its buttons.
#include "app/alvento_application.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "startup/start_window.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configurator_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray randomMemory() {
    QByteArray m(8192, '\0');
    auto* rng = QRandomGenerator::global();
    for (auto& c : m)
        c = static_cast<char>(rng->bounded(256));
    return m;
}
} // namespace

class ConfiguratorE2E : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QStringLiteral("1"));
    }
    void TearDown() override {
        if (app)
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }
    // Runs discovery against the simulator until the configurator is up and
    // knows the module's version.
    TAV4Form1* open(PtySim& sim) {
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), sim.path());
        AlventoApplication::Options o;
        o.brandCode = 40;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
        TAV4Form1* c = app->configurator();
        EXPECT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 15000));
        return c;
    }
    QPushButton* button(TAV4Form1* c, const char* name) {
        return c->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QString memFile() const { return dir.path() + QStringLiteral("/module.bin"); }
    QString saveFile() const { return dir.path() + QStringLiteral("/saved.bin"); }

    QTemporaryDir dir;
    std::unique_ptr<AlventoApplication> app;
};

// Version 32 reads and writes byte by byte, 43 in blocks.
TEST_P(ConfiguratorE2E, ReadThenSendThroughTheButtons) {
    const int version = GetParam();
    const QByteArray memory = randomMemory();
    QFile f(memFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(memory);
    f.close();
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                QString::number(version), QStringLiteral("--memory"), memFile(),
                QStringLiteral("--save"), saveFile(), QStringLiteral("--drop-every"),
                QStringLiteral("53"), QStringLiteral("--split-every"), QStringLiteral("7")});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    EXPECT_EQ(c->statusPanel(2), QStringLiteral("Sw: %1.%2").arg(version / 10).arg(version % 10));

    button(c, "BitBtn2")->click();
    EXPECT_FALSE(button(c, "BitBtn1")->isEnabled());
    EXPECT_TRUE(c->findChild<QProgressBar*>(QStringLiteral("kijelzo"))->isVisible());
    ASSERT_TRUE(waitUntil(
        [&] { return c->statusPanel(3) == QStringLiteral("Successful readout!"); }, 60000));
    EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
    const int extent = version > 32 ? 1536 : 1024;
    for (int i = 0; i < extent; ++i) {
        // The module owns its version, build and model bytes; reading clears 120
        // and 121.
        if (i == 252 || i == 254 || i == 255)
            continue;
        const uint8_t expected = (i == 120 || i == 121) ? 0 : static_cast<uint8_t>(memory[i]);
        ASSERT_EQ(c->image()[i], expected) << "byte " << i;
    }
    EXPECT_EQ(c->statusPanel(2), QStringLiteral("Sw: %1.%2.1").arg(version / 10).arg(version % 10));

    // Change the image and send it back.
    for (int i = 512; i < 544; ++i)
        c->image()[i] = static_cast<uint8_t>(i);
    button(c, "BitBtn1")->click();
    const QString done = version > 32 ? QStringLiteral("GSM time sync successful")
                                      : QStringLiteral("Data send successful!");
    ASSERT_TRUE(waitUntil([&] { return c->statusPanel(3) == done; }, 60000));
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("CLOCK "), 2000));
    sim.stop();
    QFile saved(saveFile());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray after = saved.readAll();
    ASSERT_EQ(after.size(), 8192);
    for (int i = 0; i < extent; ++i) {
        if (i == 252 || i == 254 || i == 255)
            continue;
        ASSERT_EQ(static_cast<uint8_t>(after[i]), c->image()[i]) << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, ConfiguratorE2E, ::testing::Values(32, 43));

class ConfiguratorWindowE2E : public ConfiguratorE2E {};

TEST_F(ConfiguratorWindowE2E, RestartAsksFirstAndClosingWhileBusyAsks) {
    PtySim sim({QStringLiteral("--model"), QStringLiteral("80"), QStringLiteral("--version"),
                QStringLiteral("43")});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    QStringList asked;
    bool answer = false;
    c->askYesNo = [&](const QString& q) {
        asked << q;
        return answer;
    };

    c->BitBtn4Click(); // No: nothing is sent
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QStringLiteral("Are you sure to restart the module?"));
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(sim.countLines(QStringLiteral("RESTART")), 0);
    answer = true;
    c->BitBtn4Click();
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("RESTART"), 3000));
    EXPECT_EQ(c->engine().state().LinkCommand, 0);

    // Idle: closing asks nothing. Busy: No keeps the window open.
    c->BitBtn2Click();
    answer = false;
    asked.clear();
    c->close();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QStringLiteral("Operation in progress, are you sure to quit???"));
    EXPECT_TRUE(c->isVisible());
    EXPECT_FALSE(app->ended());
    ASSERT_TRUE(waitUntil([&] { return !c->engine().busy(); }, 20000));
    asked.clear();
    c->close();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(app->ended());
}
