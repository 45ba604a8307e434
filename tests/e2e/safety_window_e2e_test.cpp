// The configurator window's safety net against the simulator: the send keeps
// a backup of the module as it was, reads back what it wrote, and shows a
// module that did not store a byte; the compare window lists exactly the
// fields that differ.
#include "app/alvento_application.h"
#include "maintenance/status_window.h"
#include "safety/backup_store.h"
#include "safety/compare_window.h"
#include "safety/field_map.h"
#include "safety/restore_window.h"
#include "safety/safety_menu.h"
#include "safety/write_guard.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "ui/mnemonic_groups.h"
#include "workspace/configuration_files.h"
#include "workspace/configurator_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray randomMemory(quint32 seed) {
    QRandomGenerator rng(seed);
    QByteArray m(8192, '\0');
    for (auto& c : m)
        c = static_cast<char>(rng.bounded(256));
    return m;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The fields a compare window lists, as "page / field".
QStringList listedFields(CompareWindow* w) {
    QStringList out;
    QTreeWidget* tree = w->tree();
    for (int p = 0; p < tree->topLevelItemCount(); ++p) {
        QTreeWidgetItem* page = tree->topLevelItem(p);
        for (int f = 0; f < page->childCount(); ++f)
            out << page->text(0) + QStringLiteral(" / ") + page->child(f)->text(0);
    }
    return out;
}

class SafetyWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QStringLiteral("1"));
    }
    void TearDown() override {
        if (app)
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
    }

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
    QString verifyPanel(TAV4Form1* c) {
        return c->findChild<QLabel*>(QStringLiteral("StatusPanelVerify"))->text();
    }
    bool read(TAV4Form1* c) {
        button(c, "BitBtn2")->click();
        return waitUntil([&] { return c->statusPanel(3) == QStringLiteral("Successful readout!"); },
                         60000);
    }
    // Sends and waits for the read-back's outcome.
    bool send(TAV4Form1* c) {
        button(c, "BitBtn1")->click();
        return waitUntil(
            [&] {
                const auto o = c->safetyNet().outcome();
                return o != WriteGuard::Outcome::None && !c->safetyNet().busy() &&
                       !c->engine().busy();
            },
            90000);
    }
    QString backupFolder() const {
        return dir.filePath(QStringLiteral("data/Alvento Configurator/backups"));
    }
    QStringList backups() const {
        return QDir(backupFolder()).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    }

    QTemporaryDir dir;
    std::unique_ptr<AlventoApplication> app;
};

struct Method {
    const char* name;
    int model;
    int version;
};

class SafetyWindowMethods : public SafetyWindow, public ::testing::WithParamInterface<Method> {};

// The backup holds the module as it was just before the send, whatever the
// window held; the send is verified; the module then holds the window's edit.
TEST_P(SafetyWindowMethods, ASendLeavesABackupOfTheModuleBeforeIt) {
    const Method& m = GetParam();
    QByteArray memory = randomMemory(40u + m.model + m.version);
    writeFile(dir.filePath(QStringLiteral("module.bin")), memory);
    memory[252] = 1;
    memory[254] = static_cast<char>(m.version);
    memory[255] = static_cast<char>(m.model);
    PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version),
                "--memory", dir.filePath(QStringLiteral("module.bin")), "--save",
                dir.filePath(QStringLiteral("saved.bin")), "--drop-every", "97"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(123);

    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified)
        << c->safetyNet().report().join('\n').toStdString();
    EXPECT_EQ(verifyPanel(c), QStringLiteral("Verified: the module holds what was sent"));
    const QStringList files = backups();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(QDir(backupFolder()).filePath(files.front()), c->safetyNet().lastBackup());
    const QByteArray backup = readFile(c->safetyNet().lastBackup());
    const int n = m.model == 100 ? 8192 : 1024;
    ASSERT_EQ(backup.size(), n + 768);
    for (int a = 0; a < n; ++a)
        ASSERT_EQ(uint8_t(backup[a]), uint8_t(memory[a])) << "backup byte " << a;
    sim.stop();
    EXPECT_EQ(uint8_t(readFile(dir.filePath(QStringLiteral("saved.bin")))[78]), 123);
}

const Method kMethods[] = {
    {"bytes_model80_v32", 80, 32},
    {"blocks_model71_v43", 71, 43},
    {"records_model100_v43", 100, 43},
};

INSTANTIATE_TEST_SUITE_P(Methods, SafetyWindowMethods, ::testing::ValuesIn(kMethods),
                         [](const auto& info) { return std::string(info.param.name); });

// The module acknowledges the ring time but keeps its old one: the send ends
// as an error naming the field, "Data send successful!" does not stand, and
// the window still holds what the installer set, not the module's byte.
TEST_F(SafetyWindow, AByteTheModuleDidNotStoreIsShownAndTheWindowKeepsItsValue) {
    for (const char* version : {"32", "43"}) {
        SCOPED_TRACE(version);
        PtySim sim(
            {"--model", "71", "--version", version, "--example-config", "--drop-write-at", "78"});
        ASSERT_TRUE(sim.started());
        TAV4Form1* c = open(sim);
        ASSERT_TRUE(read(c));
        const uint8_t before = c->image()[78];
        ASSERT_NE(before, 99);
        c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(99);

        ASSERT_TRUE(send(c));
        EXPECT_TRUE(sim.waitForLine(QStringLiteral("DROPWRITE 78"), 5000));
        EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Differs);
        ASSERT_EQ(c->safetyNet().differences().size(), 1u);
        EXPECT_EQ(c->safetyNet().differences().front().address, 78);
        EXPECT_TRUE(c->statusPanel(3).startsWith(QStringLiteral("ERROR")))
            << c->statusPanel(3).toStdString();
        EXPECT_TRUE(c->statusPanel(3).contains(
            QStringLiteral("Egyéb / Csöngetési idő [sec]: sent 99 but the module holds %1")
                .arg(before)))
            << c->statusPanel(3).toStdString();
        EXPECT_EQ(verifyPanel(c), QStringLiteral("NOT verified: differences!"));
        EXPECT_EQ(c->findChild<QLabel*>(QStringLiteral("StatusPanelVerify"))->toolTip(),
                  c->safetyNet().report().join(QLatin1Char('\n')));
        EXPECT_TRUE(c->safetyNet().report().front().startsWith(
            QStringLiteral("Egyéb / Csöngetési idő [sec]: sent 99")));
        // A language chosen afterwards retells the panel and its list.
        c->menuAction(QStringLiteral("German1"))->trigger();
        EXPECT_EQ(verifyPanel(c), QStringLiteral("NICHT geprüft: Abweichungen!"));
        EXPECT_TRUE(c->safetyNet().report().front().startsWith(
            QStringLiteral("Egyéb / Csöngetési idő [sec]: gesendet 99, aber das Modul enthält")))
            << c->safetyNet().report().front().toStdString();
        EXPECT_EQ(c->findChild<QLabel*>(QStringLiteral("StatusPanelVerify"))->toolTip(),
                  c->safetyNet().report().join(QLatin1Char('\n')));
        c->menuAction(QStringLiteral("Angol1"))->trigger(); // the stored value, for the next case
        // The read-back went to the guard's own image.
        EXPECT_EQ(c->image()[78], 99);
        EXPECT_EQ(c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->value(), 99);
        EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
        app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
    }
}

// With the setting off the send ends as before, and says it was not verified.
TEST_F(SafetyWindow, TheVerifySettingTurnsTheReadBackOff) {
    PtySim sim({"--model", "71", "--version", "43", "--example-config", "--drop-write-at", "78"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    QAction* item = c->menuAction(QStringLiteral("Ellenorzes1"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isChecked());
    item->setChecked(false); // writes "verify" = "0"
    EXPECT_EQ(SettingsStore::ReadString(settingsKeyPath(40), QStringLiteral("verify")),
              QStringLiteral("0"));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(99);
    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::NotVerified);
    EXPECT_EQ(c->statusPanel(3), QStringLiteral("GSM time sync successful"));
    EXPECT_EQ(verifyPanel(c), QStringLiteral("Not verified (turned off)"));
}

// No backup, no send: the folder cannot be made, and the module sees no write.
TEST_F(SafetyWindow, WithoutABackupNothingIsSent) {
    writeFile(dir.filePath(QStringLiteral("data")), "not a folder");
    PtySim sim({"--model", "71", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::BackupFailed);
    EXPECT_TRUE(c->statusPanel(3).startsWith(
        QStringLiteral("The module's backup could not be written; nothing was sent")))
        << c->statusPanel(3).toStdString();
    EXPECT_TRUE(c->statusPanel(3).endsWith(QStringLiteral(": the folder cannot be created")))
        << c->statusPanel(3).toStdString();
    EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
    sim.stop();
    for (const QString& line : sim.lines()) {
        if (!line.startsWith(QLatin1String("RX ")))
            continue;
        const QStringList b = line.mid(3).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        EXPECT_FALSE(b.size() >= 2 && (b[1] == "01" || b[1] == "80" || b[1] == "F6"))
            << line.toStdString();
    }
}

// Window against module: after edits on three pages, the compare lists those
// three fields and nothing else, with the values the pages show.
TEST_F(SafetyWindow, CompareWithTheModuleListsExactlyTheEditedFields) {
    PtySim sim({"--model", "80", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(99);
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit5"))->setValue(7);
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit17"))->setValue(720);

    c->safetyMenu().compareWithModule();
    CompareWindow* w = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] { return (w = c->findChild<CompareWindow*>(QStringLiteral("CompareWindow"))); },
        30000));
    EXPECT_EQ(listedFields(w),
              (QStringList{QStringLiteral("Egyéb / Csöngetési idő [sec]:"),
                           QStringLiteral("Egyéb / Max hivásismétlések száma"),
                           QStringLiteral("Távfelügyelet / Életjel ciklus: [perc]")}));
    QTreeWidgetItem* ring = w->tree()->topLevelItem(0)->child(0);
    EXPECT_EQ(ring->text(1), QStringLiteral("99"));
    EXPECT_EQ(ring->text(2), QString::number(c->image()[78]));
    // The module was only read: the window's image and pages are untouched.
    EXPECT_EQ(c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->value(), 99);
}

// Opening a file offers the comparison with what the window held, before
// anything is sent; the offer's "Yes" shows it.
TEST_F(SafetyWindow, OpeningAFileOffersTheComparison) {
    PtySim sim({"--model", "80", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    const QString path = dir.filePath(QStringLiteral("edited.dat"));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit5"))->setValue(9);
    c->files().chooseFile = [&](const FileDialogRequest&) { return path; };
    ASSERT_TRUE(c->files().saveConfiguration());
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit5"))->setValue(12);
    const int writesBefore = sim.countLines(QStringLiteral("RX "));

    ASSERT_TRUE(c->files().openConfiguration());
    QMessageBox* offer = c->findChild<QMessageBox*>(QStringLiteral("CompareOffer"));
    ASSERT_NE(offer, nullptr);
    offer->button(QMessageBox::Yes)->click();
    CompareWindow* w = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] { return (w = c->findChild<CompareWindow*>(QStringLiteral("CompareWindow"))); }, 5000));
    ASSERT_EQ(listedFields(w), QStringList{QStringLiteral("Egyéb / Max hivásismétlések száma")});
    EXPECT_EQ(w->tree()->topLevelItem(0)->child(0)->text(1), QStringLiteral("12"));
    EXPECT_EQ(w->tree()->topLevelItem(0)->child(0)->text(2), QStringLiteral("9"));
    EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), writesBefore) << "nothing was sent";
}

// The read-back leaves the buttons on: a read the installer starts meanwhile
// replaces it (the send counts as not verified) and takes the port over, and
// the window gets the module's bytes from that read alone.
// Until the read-back has ended the send is not done: "Elküldés" and
// "Olvasás" stay off, success is not said, a read from the menu is refused
// with a message, and closing the window asks first. One bar shows the three
// phases, never going back; the next read clears the verify panel.
TEST_F(SafetyWindow, TheSendIsDoneOnlyWhenItsReadBackHasEnded) {
    PtySim sim({"--model", "80", "--version", "32", "--example-config"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(77);
    QProgressBar* bar = c->findChild<QProgressBar*>(QStringLiteral("kijelzo"));
    std::vector<int> values;
    QObject::connect(bar, &QProgressBar::valueChanged, c, [&](int v) { values.push_back(v); });
    int asked = 0;
    c->askYesNo = [&asked](const QString&) {
        ++asked;
        return false;
    };
    button(c, "BitBtn1")->click();
    ASSERT_TRUE(waitUntil([&] { return c->safetyNet().busy(); }, 5000));
    c->close(); // during the identification or the backup read
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(c->isVisible());
    ASSERT_TRUE(waitUntil(
        [&] {
            return verifyPanel(c) == QStringLiteral("Verify: reading back what was sent...") &&
                   c->safetyNet().busy();
        },
        60000));
    EXPECT_FALSE(button(c, "BitBtn1")->isEnabled());
    EXPECT_FALSE(button(c, "BitBtn2")->isEnabled());
    EXPECT_NE(c->statusPanel(3), QStringLiteral("Data send successful!"));
    EXPECT_TRUE(bar->isVisible());
    c->menuAction(QStringLiteral("Olvass1"))->trigger();
    QStringList shown;
    for (QMessageBox* box : c->findChildren<QMessageBox*>(QStringLiteral("MessageBox")))
        shown << box->text();
    EXPECT_EQ(shown, QStringList{"Data sending in progress, the operation cannot start now!"});
    c->close(); // during the read-back
    EXPECT_EQ(asked, 2);
    ASSERT_TRUE(send(c) || waitUntil([&] { return !c->safetyNet().sendRunning(); }, 60000));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified);
    EXPECT_EQ(c->statusPanel(3), QStringLiteral("Data send successful!"));
    EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
    EXPECT_TRUE(button(c, "BitBtn2")->isEnabled());
    EXPECT_FALSE(bar->isVisible());
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_GT(values.back(), 2 * bar->maximum() / 3) << "the bar reached the check";

    ASSERT_TRUE(read(c));
    EXPECT_EQ(verifyPanel(c), QString());
    EXPECT_EQ(c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->value(), 77)
        << "the module holds what was sent";
}

// The window was set up for one module; another is attached at the send: it
// is identified and refused with a message, and nothing is written to it.
// A port that is not there drops the send at once rather than waiting for
// whatever module appears on it later.
TEST_F(SafetyWindow, ASendToAnotherModuleOrToNoPortIsRefused) {
    PtySim a({"--model", "71", "--version", "43", "--example-config"});
    ASSERT_TRUE(a.started());
    TAV4Form1* c = open(a);
    ASSERT_TRUE(read(c));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(66);
    struct Other {
        const char* model;
        const char* version;
    };
    // The modules stay attached to the end: one that went would be a lost
    // port for whatever the window runs on it then.
    std::vector<std::unique_ptr<PtySim>> others;
    auto shownMessages = [c] {
        QStringList shown;
        for (QMessageBox* box : c->findChildren<QMessageBox*>(QStringLiteral("MessageBox"))) {
            shown << box->text();
            delete box;
        }
        return shown;
    };
    for (const Other o : {Other{"100", "43"}, Other{"71", "32"}, Other{"80", "43"}}) {
        SCOPED_TRACE(std::string(o.model) + " v" + o.version);
        others.push_back(std::make_unique<PtySim>(
            QStringList{"--model", o.model, "--version", o.version, "--example-config"}));
        PtySim& b = *others.back();
        ASSERT_TRUE(b.started());
        ASSERT_TRUE(waitUntil([&] { return !c->engine().state().LinkPortOpen; }, 10000));
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), b.path());
        button(c, "BitBtn1")->click();
        ASSERT_TRUE(waitUntil([&] { return !c->safetyNet().sendRunning(); }, 30000));
        EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::WrongModule);
        const QString expected =
            QStringLiteral("The attached module (ModelCode %1, Sw: ").arg(o.model);
        const QStringList shown = shownMessages();
        ASSERT_EQ(shown.size(), 1) << shown.join('\n').toStdString();
        EXPECT_TRUE(shown.front().startsWith(expected)) << shown.front().toStdString();
        EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
        QTest::qWait(300);
        for (const QString& line : b.lines()) {
            const QStringList bytes = line.mid(3).split(u' ', Qt::SkipEmptyParts);
            const bool write =
                line.startsWith(QLatin1String("RX ")) && bytes.size() > 1 &&
                (bytes[1] == QLatin1String("01") || bytes[1] == QLatin1String("F6") ||
                 bytes[1] == QLatin1String("80") || bytes[1] == QLatin1String("FC"));
            EXPECT_FALSE(write) << line.toStdString();
        }
        EXPECT_TRUE(backups().isEmpty());
    }

    ASSERT_TRUE(waitUntil([&] { return !c->engine().state().LinkPortOpen; }, 10000));
    SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"),
                               dir.filePath(QStringLiteral("no-such-port")));
    button(c, "BitBtn1")->click();
    ASSERT_TRUE(waitUntil([&] { return !c->safetyNet().sendRunning(); }, 10000));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::NoPort);
    EXPECT_EQ(shownMessages(),
              QStringList{QStringLiteral("The port is not available; nothing was sent.")});
    EXPECT_FALSE(c->engine().busy());
    EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
}

// A second send while the first runs is not a second write: one backup, one
// write, verified.
TEST_F(SafetyWindow, ASecondSendDuringASendIsIgnored) {
    PtySim sim({"--model", "71", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(55);
    // The second send goes in as the write's block is acknowledged.
    bool duringWrite = false;
    QObject::connect(c->findChild<QProgressBar*>(QStringLiteral("kijelzo")),
                     &QProgressBar::valueChanged, c, [&](int) {
                         if (!duringWrite &&
                             c->engine().state().LinkCommand == LinkCode::kBlockWrite) {
                             duringWrite = true;
                             c->menuAction(QStringLiteral("Elklds1"))->trigger();
                         }
                     });
    button(c, "BitBtn1")->click();
    c->menuAction(QStringLiteral("Elklds1"))->trigger(); // during the backup read
    ASSERT_TRUE(waitUntil(
        [&] {
            return c->safetyNet().outcome() != WriteGuard::Outcome::None &&
                   !c->safetyNet().busy() && !c->engine().busy();
        },
        60000));
    EXPECT_TRUE(duringWrite);
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified);
    EXPECT_EQ(backups().size(), 1);
    sim.stop();
    EXPECT_EQ(sim.countLines(QStringLiteral("CLOCK ")), 1) << "one write-all";
}

// The module is changed by a send; the backup from before it is restored
// through "Visszaállítás mentésből…": listed with the one field it differs
// in, sent with a backup of its own first, verified, and the module holds
// the backup's settings again, as do the pages.
TEST_F(SafetyWindow, RestoringABackupPutsTheModuleBack) {
    PtySim sim({"--model", "71", "--version", "43", "--example-config", "--save",
                dir.filePath(QStringLiteral("saved.bin"))});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    QAction* item = c->menuAction(QStringLiteral("Visszaallitas1"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(MnemonicGroups::shownText(item), QStringLiteral("Restore from a backup…"));
    RestoreWindow* w = app->restoreWindow();
    QLabel* status = w->findChild<QLabel*>(QStringLiteral("RestoreStatus"));

    // No backup yet: the window says so once it has read the module.
    item->trigger();
    ASSERT_TRUE(waitUntil(
        [&] {
            return status->text() ==
                   QStringLiteral("There is no backup of this module in the backups folder.");
        },
        30000))
        << status->text().toStdString();
    EXPECT_FALSE(w->sendButton()->isEnabled());
    w->close();

    QSpinBox* ring = c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"));
    const int before = ring->value();
    ring->setValue(before == 99 ? 98 : 99);
    ASSERT_TRUE(send(c));
    ASSERT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified);
    ASSERT_EQ(backups().size(), 1);
    const QString backup = c->safetyNet().lastBackup();

    item->trigger();
    ASSERT_TRUE(waitUntil([&] { return w->comparison() != nullptr; }, 30000))
        << status->text().toStdString();
    ASSERT_EQ(w->list()->topLevelItemCount(), 1);
    EXPECT_EQ(w->list()->topLevelItem(0)->text(3), QStringLiteral("1"));
    EXPECT_EQ(listedFields(w->comparison()),
              QStringList{QStringLiteral("Egyéb / Csöngetési idő [sec]:")});
    EXPECT_TRUE(w->isVisible());
    ASSERT_TRUE(w->sendButton()->isEnabled());
    w->sendButton()->click();
    EXPECT_FALSE(w->isVisible());
    // Pressed again while the send runs, it reads nothing and says why.
    ASSERT_TRUE(c->safetyNet().busy());
    item->trigger();
    EXPECT_EQ(status->text(),
              QStringLiteral("An operation is running; the module cannot be read now."));
    EXPECT_EQ(w->list()->topLevelItemCount(), 0);
    w->close();
    ASSERT_TRUE(waitUntil(
        [&] {
            return c->safetyNet().lastBackup() != backup &&
                   c->safetyNet().outcome() != WriteGuard::Outcome::None &&
                   !c->safetyNet().busy() && !c->engine().busy();
        },
        90000));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified)
        << c->safetyNet().report().join('\n').toStdString();
    EXPECT_EQ(ring->value(), before);
    EXPECT_EQ(backups().size(), 2) << "the module as the restore found it";

    sim.stop();
    const QByteArray saved = readFile(dir.filePath(QStringLiteral("saved.bin")));
    ASSERT_EQ(saved.size(), 8192);
    ConfigImage module;
    std::memcpy(module.data(), saved.constData(), 8192);
    const BackupStore::Loaded kept = BackupStore::load(backup, 71);
    ASSERT_TRUE(kept.ok);
    EXPECT_EQ(kept.carriedBytes, 1536);
    EXPECT_EQ(module[78], before);
    EXPECT_TRUE(FieldMap::diff(kept.image, module, 71, 1536).empty());
}

} // namespace

struct DuringSend {
    const char* name;
    const char* version;
    QStringList line;      // the simulator's line options
    const char* quarterRx; // the request a quarter of the way through the write
};

class SafetyWindowDuringSend : public SafetyWindow,
                               public ::testing::WithParamInterface<DuringSend> {};

// A version query from the menu, the status window and a compare with the
// module, started while the send writes, are each refused with a message; the
// write goes on to its end and is verified, and the module holds the edit.
TEST_P(SafetyWindowDuringSend, OperationsStartedDuringTheWriteAreRefusedAndItIsVerified) {
    const DuringSend& d = GetParam();
    PtySim sim(QStringList{"--model", "71", "--version", d.version, "--example-config", "--save",
                           dir.filePath(QStringLiteral("saved.bin"))} +
               d.line);
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(111);
    // Every position goes out, so that the write is long enough to be met.
    c->menuAction(QStringLiteral("TeljesElkuldes1"))->trigger();
    ASSERT_TRUE(sim.waitForLine(QString::fromLatin1(d.quarterRx), 60000));

    c->menuAction(QStringLiteral("GSMsoftververzi1"))->trigger();
    c->menuAction(QStringLiteral("Modulllapotmegjelentse1"))->trigger();
    app->statusWindow()->reject();
    c->safetyMenu().compareWithModule();
    QStringList shown;
    for (QMessageBox* box : c->findChildren<QMessageBox*>(QStringLiteral("MessageBox")))
        shown << box->text();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"Data sending in progress, the comparison cannot start now!",
                                  "Data sending in progress, the operation cannot start now!",
                                  "Data sending in progress, the operation cannot start now!"}));

    ASSERT_TRUE(waitUntil(
        [&] {
            return c->safetyNet().outcome() != WriteGuard::Outcome::None &&
                   !c->safetyNet().busy() && !c->engine().busy();
        },
        120000));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified)
        << c->safetyNet().report().join('\n').toStdString();
    EXPECT_EQ(c->findChildren<CompareWindow*>().size(), 0);
    EXPECT_TRUE(button(c, "BitBtn1")->isEnabled());
    sim.stop();
    EXPECT_EQ(uint8_t(readFile(dir.filePath(QStringLiteral("saved.bin")))[78]), 111);
}

const DuringSend kDuringSend[] = {
    {"bytes", "32", {"--delay-ms", "3"}, "RX 01 01 00 "},
    {"blocks", "43", {"--pace-baud", "9600"}, " F6 00 20 "},
};

INSTANTIATE_TEST_SUITE_P(Methods, SafetyWindowDuringSend, ::testing::ValuesIn(kDuringSend),
                         [](const auto& info) { return std::string(info.param.name); });
