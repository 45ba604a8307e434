// Changing the language while the configurator talks to a simulated module:
// the transfer goes on undisturbed, and what a send writes does not depend on
// the language the window shows.
#include "app/alvento_application.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configurator_window.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class LanguagesE2E : public ::testing::Test {
  protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", dir.path().toUtf8()); }
    void TearDown() override {
        if (app)
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }
    QString path(const char* name) const { return dir.path() + QLatin1Char('/') + name; }

    QTemporaryDir dir;
    std::unique_ptr<AlventoApplication> app;
};

TEST_F(LanguagesE2E, LanguageChangesDuringAReadLeaveTheReadAndTheSendAlone) {
    QByteArray memory(8192, '\0');
    QRandomGenerator random(5);
    for (auto& c : memory)
        c = static_cast<char>(random.bounded(256));
    QFile f(path("module.bin"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(memory);
    f.close();
    // Bytes cross the line at 2400 baud (a block then takes about a second,
    // well inside the engine's wait for it), so the switches come while blocks
    // are on their way however slowly this machine redraws the window in
    // another language.
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                QStringLiteral("43"), QStringLiteral("--memory"), path("module.bin"),
                QStringLiteral("--save"), path("saved.bin"), QStringLiteral("--pace-baud"),
                QStringLiteral("2400")});
    ASSERT_TRUE(sim.started());
    QByteArray module = memory;
    module[252] = 1;
    module[254] = 43;
    module[255] = 71;

    const QString key = settingsKeyPath(40);
    SettingsStore::WriteString(key, QStringLiteral("Language"), QStringLiteral("0"));
    SettingsStore::WriteString(key, QStringLiteral("comport"), sim.path());
    AlventoApplication::Options o;
    o.brandCode = 40;
    app = std::make_unique<AlventoApplication>(o);
    app->start();
    TAV4Form1* c = app->configurator();
    ASSERT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 60000));
    auto* gauge = c->findChild<QProgressBar*>(QStringLiteral("kijelzo"));
    auto choose = [&](const char* item) { c->menuAction(QString::fromLatin1(item))->trigger(); };

    c->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
    // Each switch comes while blocks are still on their way.
    ASSERT_TRUE(waitUntil([&] { return gauge->value() >= 1; }, 20000));
    choose("German1");
    EXPECT_TRUE(c->engine().busy());
    ASSERT_TRUE(waitUntil([&] { return gauge->value() >= 3; }, 20000));
    choose("Angol1");
    choose("Sloven1");
    EXPECT_TRUE(c->engine().busy());
    // The read ends with its text in the language chosen last (looked for as
    // soon as it stands: the window may ask the module's version right after).
    ASSERT_TRUE(waitUntil(
        [&] { return c->statusPanel(3) == QStringLiteral("Odčitavanje uspešno!"); }, 60000))
        << c->statusPanel(3).toStdString();
    ASSERT_TRUE(waitUntil([&] { return !c->engine().busy(); }, 60000));
    EXPECT_EQ(SettingsStore::ReadString(key, QStringLiteral("Language")), QStringLiteral("3"));
    for (int i = 0; i < 1536; ++i) {
        const uint8_t expected = (i == 120 || i == 121) ? 0 : static_cast<uint8_t>(module[i]);
        ASSERT_EQ(c->image()[i], expected) << "byte " << i;
    }

    // After the read: the module's texts stay, and an untouched send gives
    // the module its own memory back but for the bytes every send writes.
    const QString moduleText = c->findChild<QLineEdit*>(QStringLiteral("riasztas"))->text();
    choose("German1");
    EXPECT_EQ(c->findChild<QLineEdit*>(QStringLiteral("riasztas"))->text(), moduleText);
    const int clocks = sim.countLines(QStringLiteral("CLOCK "));
    c->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    ASSERT_TRUE(waitUntil(
        [&] { return !c->engine().busy() && sim.countLines(QStringLiteral("CLOCK ")) > clocks; },
        60000));
    sim.stop();
    QFile saved(path("saved.bin"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray after = saved.readAll();
    ASSERT_EQ(after.size(), 8192);
    QByteArray expected = module;
    expected[120] = expected[121] = 0;
    expected.replace(32, 8, QByteArray(8, '\0'));
    expected.replace(52, 12, QByteArray(12, '\0'));
    expected[102] = expected[111] = expected[112] = 7;
    expected.replace(384, 7, QByteArray("NORVIK\xFF"));
    for (int i = 0; i < 8192; ++i)
        ASSERT_EQ(static_cast<uint8_t>(after[i]), static_cast<uint8_t>(expected[i]))
            << "byte " << i;
}
