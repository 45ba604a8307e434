// Configuration files against a simulated module: a configuration saved by
// the window (or by `alvento read`) and opened again after the module has
// changed puts the module back as it was.
#include "app/alvento_application.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configuration_files.h"
#include "workspace/configurator_window.h"
#include "workspace/installation_panel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
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

// Bytes every send writes whatever the image holds: the cleared scratch
// bytes, the reserved records, the fixed levels and the edition tag.
bool writtenBySend(int i) {
    return i == 120 || i == 121 || (i >= 32 && i <= 39) || (i >= 52 && i <= 63) || i == 102 ||
           i == 111 || i == 112 || (i >= 384 && i <= 390);
}

struct FileCase {
    const char* name;
    int version;
    bool savedByCli; // the file comes from `alvento read`, else from the window
};

const FileCase kCases[] = {
    {"window_by_bytes", 32, false},
    {"window_by_blocks", 43, false},
    {"cli_by_bytes", 32, true},
    {"cli_by_blocks", 43, true},
};

std::ostream& operator<<(std::ostream& os, const FileCase& c) {
    return os << c.name;
}

} // namespace

class ConfigFilesE2E : public ::testing::TestWithParam<FileCase> {
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
    TAV4Form1* open(PtySim& sim) {
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), sim.path());
        AlventoApplication::Options o;
        o.brandCode = 40;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
        TAV4Form1* c = app->configurator();
        EXPECT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 15000));
        c->files().chooseFile = [this](const FileDialogRequest&) { return chosen; };
        c->files().showMessage = [this](const QString& text) { messages << text; };
        return c;
    }
    QPushButton* button(TAV4Form1* c, const char* name) {
        return c->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    bool read(TAV4Form1* c) {
        button(c, "BitBtn2")->click();
        return waitUntil([&] { return c->statusPanel(3) == QStringLiteral("Successful readout!"); },
                         60000);
    }
    QByteArray send(TAV4Form1* c, PtySim& sim, int version) {
        const QString done = version > 32 ? QStringLiteral("GSM time sync successful")
                                          : QStringLiteral("Data send successful!");
        const int clocks = sim.countLines(QStringLiteral("CLOCK "));
        c->showStatus(QString());
        button(c, "BitBtn1")->click();
        EXPECT_TRUE(waitUntil(
            [&] {
                return c->statusPanel(3) == done &&
                       sim.countLines(QStringLiteral("CLOCK ")) > clocks;
            },
            60000));
        QFile saved(path("module-saved.bin"));
        EXPECT_TRUE(saved.open(QIODevice::ReadOnly));
        return saved.readAll();
    }
    int cliRead(PtySim& sim, const QString& out) {
        QProcess p;
        p.start(qEnvironmentVariable("ALVENTO_EXE"),
                {QStringLiteral("read"), QStringLiteral("--port"), sim.path(),
                 QStringLiteral("--out"), out});
        EXPECT_TRUE(p.waitForStarted(5000));
        QElapsedTimer t;
        t.start();
        while (p.state() != QProcess::NotRunning && t.elapsed() < 90000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            sim.lines();
            p.waitForFinished(10);
        }
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(2000);
            return -1;
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    std::unique_ptr<AlventoApplication> app;
    QString chosen;
    QStringList messages;
};

TEST_P(ConfigFilesE2E, OpenedFileSentPutsTheModuleBack) {
    const FileCase& fc = GetParam();
    QByteArray memory = randomMemory(77u + static_cast<quint32>(fc.version));
    memory[79] = 12; // a redial count the window can show, so the file's value is the shown one
    {
        QFile f(path("module.bin"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(memory);
    }
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                QString::number(fc.version), QStringLiteral("--memory"), path("module.bin"),
                QStringLiteral("--save"), path("module-saved.bin")});
    ASSERT_TRUE(sim.started());
    QByteArray module = memory; // the module keeps its own build, version and model bytes
    module[252] = 1;
    module[254] = static_cast<char>(fc.version);
    module[255] = 71;

    const QString file = path("installation.dat");
    if (fc.savedByCli)
        ASSERT_EQ(cliRead(sim, file), 0);

    TAV4Form1* c = open(sim);
    Panel16* panel = c->installationPanel();
    ASSERT_NE(panel, nullptr);

    if (fc.savedByCli && fc.version > 32) {
        // Without a read, the bytes past the file's end would go out empty.
        chosen = file;
        button(c, "BitBtn8")->click();
        ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        const int rx = sim.countLines(QStringLiteral("RX "));
        button(c, "BitBtn1")->click();
        QCoreApplication::processEvents();
        EXPECT_FALSE(c->engine().busy());
        EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), rx);
        bool told = false;
        for (QMessageBox* box : c->findChildren<QMessageBox*>())
            told = told || box->text() == c->files().moduleBytesMessage();
        EXPECT_TRUE(told);
    }

    ASSERT_TRUE(read(c));
    const ConfigFile::InstallationTexts typed = {
        QStringLiteral("Kovács Éva"), QStringLiteral("Fő utca 1."), QStringLiteral("+36301234567"),
        QStringLiteral("Panel X"),    QStringLiteral("GSM-71"),     QStringLiteral("2026.12.10")};
    if (!fc.savedByCli) {
        panel->setTexts(typed);
        chosen = file;
        button(c, "BitBtn7")->click();
        ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        ASSERT_TRUE(QFile::exists(file));
    }

    // Change the module through the window: the SMS code and the redials.
    auto* code = c->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    code->setText(code->text() == QStringLiteral("9876") ? QStringLiteral("6789")
                                                         : QStringLiteral("9876"));
    auto* redials = c->findChild<QSpinBox*>(QStringLiteral("SpinEdit5"));
    redials->setValue(redials->value() == 7 ? 8 : 7);
    panel->setTexts({});
    const QByteArray changed = send(c, sim, fc.version);
    ASSERT_EQ(changed.size(), 8192);
    ASSERT_NE(changed.mid(0, 4), module.mid(0, 4));
    ASSERT_EQ(int(uint8_t(changed[79])), redials->value());

    chosen = file;
    button(c, "BitBtn8")->click();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    if (!fc.savedByCli) {
        EXPECT_EQ(panel->texts(), typed);
    }
    const QByteArray after = send(c, sim, fc.version);
    ASSERT_EQ(after.size(), 8192);
    for (int i = 0; i < 8192; ++i) {
        if (writtenBySend(i))
            continue;
        ASSERT_EQ(static_cast<uint8_t>(after[i]), static_cast<uint8_t>(module[i])) << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ConfigFilesE2E, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
