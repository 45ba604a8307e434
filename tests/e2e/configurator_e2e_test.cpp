// The configurator window driving a simulated module: read, send, restart and
// closing while busy, through its buttons.
#include "app/alvento_application.h"
#include "i18n/messages.h"
#include "i18n/mnemonics.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "startup/start_window.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configurator_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <signal.h>
#include <vector>

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
    TAV4Form1* open(PtySim& sim, const QString& port = QString()) {
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"),
                                   port.isEmpty() ? sim.path() : port);
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

// Version 32 reads and writes byte by byte, 43 in blocks. A send without edits
// gives the module back its own memory, but for the bytes every send writes.
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
    // The module keeps its own build, version and model bytes whatever the file says.
    QByteArray module = memory;
    module[252] = 1;
    module[254] = static_cast<char>(version);
    module[255] = 71;
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
        // Reading clears 120 and 121; everything else is the module's, texts included.
        const uint8_t expected = (i == 120 || i == 121) ? 0 : static_cast<uint8_t>(module[i]);
        ASSERT_EQ(c->image()[i], expected) << "byte " << i;
    }
    EXPECT_EQ(c->statusPanel(2), QStringLiteral("Sw: %1.%2.1").arg(version / 10).arg(version % 10));

    const QString done = version > 32 ? QStringLiteral("GSM time sync successful")
                                      : QStringLiteral("Data send successful!");
    auto send = [&] {
        const int clocks = sim.countLines(QStringLiteral("CLOCK "));
        button(c, "BitBtn1")->click();
        EXPECT_TRUE(waitUntil(
            [&] {
                return c->statusPanel(3) == done &&
                       sim.countLines(QStringLiteral("CLOCK ")) > clocks;
            },
            60000));
        QFile saved(saveFile());
        EXPECT_TRUE(saved.open(QIODevice::ReadOnly));
        return saved.readAll();
    };

    // Untouched: the reserved records, the fixed levels, the cleared scratch
    // bytes and, in a block, the edition tag; nothing else.
    QByteArray expected = module;
    expected[120] = expected[121] = 0;
    expected.replace(32, 8, QByteArray(8, '\0'));
    expected.replace(52, 12, QByteArray(12, '\0'));
    expected[102] = expected[111] = expected[112] = 7;
    if (version > 32)
        expected.replace(384, 7, QByteArray("NORVIK\xFF"));
    QByteArray after = send();
    ASSERT_EQ(after.size(), 8192);
    for (int i = 0; i < 8192; ++i)
        ASSERT_EQ(static_cast<uint8_t>(after[i]), static_cast<uint8_t>(expected[i]))
            << "untouched send, byte " << i;

    // Change the image and send it again; the image also differs from the
    // module at its own bytes and (for the byte write, company not starred) at
    // the edition tag, which must not reach the module.
    const QByteArray before = after;
    for (int i = 512; i < 544; ++i)
        c->image()[i] = static_cast<uint8_t>(i);
    std::vector<int> keptByModule{75, 252, 254, 255};
    if (version <= 32)
        for (int i = 384; i < 400; ++i)
            keptByModule.push_back(i);
    for (int i : keptByModule)
        c->image()[i] = static_cast<uint8_t>(~before[i]);
    after = send();
    sim.stop();
    ASSERT_EQ(after.size(), 8192);
    for (int i = 0; i < extent; ++i) {
        const bool kept =
            std::find(keptByModule.begin(), keptByModule.end(), i) != keptByModule.end();
        const uint8_t expectedByte = kept ? static_cast<uint8_t>(before[i]) : c->image()[i];
        ASSERT_EQ(static_cast<uint8_t>(after[i]), expectedByte) << "byte " << i;
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

    c->BitBtn4Click(); // No: nothing is stored, so nothing can be sent
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QStringLiteral("Are you sure to restart the module?"));
    EXPECT_NE(c->engine().state().LinkCommand, LinkCode::kRestart);
    EXPECT_FALSE(c->engine().awaitingReply());
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

// The adapter is pulled while the window reads or sends: the status says so,
// nothing reports success, the buttons come back, and once the adapter is back
// the next operation runs to its end.
TEST_P(ConfiguratorE2E, APulledPortEndsTheOperationAndTheNextOneSucceeds) {
    const int version = GetParam();
    const QString link = dir.path() + QStringLiteral("/ttyLINK");
    // Six blocks at full speed are over before the port can be pulled: the
    // block module answers at line speed here, as a real one does.
    QStringList args{QStringLiteral("--model"),   QStringLiteral("71"),
                     QStringLiteral("--version"), QString::number(version),
                     QStringLiteral("--link"),    link};
    if (version > 32)
        args << QStringLiteral("--pace-baud") << QStringLiteral("9600");
    PtySim sim(args);
    ASSERT_TRUE(sim.started());
    SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), link);
    TAV4Form1* c = open(sim, link);
    auto* gauge = c->findChild<QProgressBar*>(QStringLiteral("kijelzo"));
    const QString lost = QStringLiteral(
        "The serial port was lost (cable unplugged?). Plug it in again and restart the operation!");
    const QString done = version > 32 ? QStringLiteral("GSM time sync successful")
                                      : QStringLiteral("Data send successful!");
    for (const char* which : {"BitBtn2", "BitBtn1"}) {
        SCOPED_TRACE(which);
        button(c, which)->click();
        ASSERT_TRUE(waitUntil([&] { return gauge->value() >= 1; }, 20000));
        sim.signal(SIGUSR1);
        ASSERT_TRUE(sim.waitForLine(QStringLiteral("VANISH"), 5000));
        ASSERT_TRUE(waitUntil([&] { return c->statusPanel(3) == lost; }, 5000))
            << c->statusPanel(3).toStdString();
        EXPECT_FALSE(c->engine().busy());
        EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
        EXPECT_TRUE(button(c, "BitBtn2")->isEnabled());
        EXPECT_FALSE(gauge->isVisible());

        const int backs = sim.countLines(QStringLiteral("BACK "));
        sim.signal(SIGUSR2);
        ASSERT_TRUE(
            waitUntil([&] { return sim.countLines(QStringLiteral("BACK ")) > backs; }, 5000));
        button(c, which)->click();
        const QString success = QLatin1String(which) == QLatin1String("BitBtn2")
                                    ? QStringLiteral("Successful readout!")
                                    : done;
        ASSERT_TRUE(waitUntil([&] { return c->statusPanel(3) == success; }, 60000))
            << c->statusPanel(3).toStdString();
    }
}

// Alt with the letter the read button shows reads the module, as a click does:
// a key press on the window, with the installer's focus wherever it is.
TEST_F(ConfiguratorWindowE2E, AltLetterOfTheReadButtonReadsTheModule) {
    SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                               QStringLiteral("0"));
    const QByteArray memory = randomMemory();
    QFile f(memFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(memory);
    f.close();
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                QStringLiteral("43"), QStringLiteral("--memory"), memFile()});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    QApplication::setActiveWindow(c);
    ASSERT_TRUE(QTest::qWaitForWindowActive(c));
    QPushButton* read = button(c, "BitBtn2");
    ASSERT_EQ(Mnemonics::plain(read->text()), QStringLiteral("Olvasás"));
    const QChar letter = Mnemonics::letterOf(read->text());
    ASSERT_FALSE(letter.isNull());
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : c;
    QTest::keyClick(focus, Qt::Key(letter.toUpper().unicode()), Qt::AltModifier);
    ASSERT_TRUE(
        waitUntil([&] { return c->statusPanel(3) == message("engine.readout_done", 0); }, 60000));
    for (int i = 0; i < 1536; ++i) {
        // Reading clears 120 and 121; the module keeps its own build, version and model.
        if (i == 120 || i == 121 || i == 252 || i == 254 || i == 255)
            continue;
        ASSERT_EQ(c->image()[i], static_cast<uint8_t>(memory[i])) << "byte " << i;
    }
}
