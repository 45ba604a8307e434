// The configurator window's upload controls against the simulated module:
// "PSTN send", the voice uploads of "Hangok", the caller-ID memory page and
// the service buttons, all through their buttons.
#include "support/pty_sim.h"
#include "support/wait.h"
#include "widgets/pages_fixture.h"
#include "workspace/pages/caller_id_memory_page.h"
#include "workspace/pages/reporting_pages.h"
#include "workspace/upload_controls.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

constexpr int kWaitMs = 60000;

QString fixture(const char* name) {
    return QStringLiteral(ALVENTO_UPLOADS_DATA "/") + QString::fromLatin1(name);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class UploadsWindowE2E : public PagesFixture {
  protected:
    // A window of the model on the simulator's port, its version as the
    // module's answer would set it.
    TAV4Form1* openOn(PtySim& sim, int model, int version) {
        open(model, version);
        ctx.portOverride = sim.path();
        return window.get();
    }
    bool idle() const {
        return waitUntil([this] { return !window->engine().busy(); }, kWaitMs);
    }
    QStringList requests(PtySim& sim) const {
        QStringList rx;
        for (const QString& l : sim.lines())
            if (l.startsWith(QLatin1String("RX ")))
                rx << l.mid(3);
        return rx;
    }
    QTemporaryDir dir;
};

// "PSTN send" writes the two line gains as the spin edits show them, touched
// or not, and nothing else; then the clock, whose answer ends it.
TEST_F(UploadsWindowE2E, PstnSendWritesBytes94And95ThenTheClock) {
    struct Case {
        int rx, tx; // 0: left as the window shows it (20 and 5)
    };
    for (const Case c : {Case{0, 0}, Case{33, 7}}) {
        SCOPED_TRACE(c.rx);
        const QString saved = dir.filePath(QStringLiteral("saved%1.bin").arg(c.rx));
        PtySim sim({QStringLiteral("--model"), QStringLiteral("100"), QStringLiteral("--version"),
                    QStringLiteral("43"), QStringLiteral("--save"), saved});
        ASSERT_TRUE(sim.started());
        openOn(sim, 100, 43);
        if (c.rx) {
            control<QSpinBox>("SpinEdit11")->setValue(c.rx);
            control<QSpinBox>("SpinEdit12")->setValue(c.tx);
        }
        control<QSpinBox>("SpinEdit13")->setValue(60); // not sent
        control<QPushButton>("Button5")->click();
        EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled());
        ASSERT_TRUE(idle());
        EXPECT_EQ(window->statusPanel(3), QStringLiteral("Adatküldés sikeres!"));
        EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled());
        sim.stop();
        const int rx = c.rx ? c.rx : 20, tx = c.rx ? c.tx : 5;
        const QStringList rq = requests(sim);
        ASSERT_EQ(rq.size(), 3) << rq.join(u'|').toStdString();
        EXPECT_TRUE(rq[0].startsWith(
            QStringLiteral("00 01 5E %1").arg(rx, 2, 16, QLatin1Char('0')).toUpper()))
            << rq[0].toStdString();
        EXPECT_TRUE(rq[1].startsWith(
            QStringLiteral("00 01 5F %1").arg(tx, 2, 16, QLatin1Char('0')).toUpper()))
            << rq[1].toStdString();
        EXPECT_TRUE(rq[2].startsWith(QStringLiteral("00 FC 00 00 04 FB"))) << rq[2].toStdString();
        const QByteArray memory = readAll(saved);
        ASSERT_EQ(memory.size(), 8192);
        for (int i = 0; i < 8192; ++i) {
            if (i == 94 || i == 95 || i == 252 || i == 254 || i == 255)
                continue;
            ASSERT_EQ(uint8_t(memory[i]), 0xFF) << "byte " << i;
        }
        EXPECT_EQ(uint8_t(memory[94]), rx);
        EXPECT_EQ(uint8_t(memory[95]), tx);
        window.reset();
    }
}

// A file chosen on "Hangok" goes to its input's sound when "Feltöltés" is
// pressed; the gauge shows while it runs.
TEST_F(UploadsWindowE2E, HangokUploadsTheChosenFile) {
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                QStringLiteral("43"), QStringLiteral("--sound-out"), dir.path()});
    ASSERT_TRUE(sim.started());
    openOn(sim, 71, 43);
    showPage("TabSheet22");
    SoundFilesPage* page = pages().soundFilesPage();
    page->chooseFile = [] { return fixture("tone.wav"); };
    page->pickFile(2);
    ASSERT_EQ(page->file(2), fixture("tone.wav"));
    control<QPushButton>("Button10")->click();
    EXPECT_TRUE(control<QProgressBar>("Gauge1")->isVisibleTo(window.get()));
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("SOUND END 0500 BLOCKS 8"), kWaitMs));
    ASSERT_TRUE(idle());
    EXPECT_FALSE(control<QProgressBar>("Gauge1")->isVisibleTo(window.get()));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("sound-0500.blocks"))).size(), 8 * 256);
    EXPECT_TRUE(takeMessages().isEmpty());
}

// The service buttons upload the fixed siren and DTMF files from the system's
// temporary folder, each turning its indicator red first; a missing file is
// reported and nothing goes out.
TEST_F(UploadsWindowE2E, ServiceButtonsUploadSirenAndDtmf) {
    qputenv("TMPDIR", dir.path().toUtf8());
    ASSERT_EQ(UploadControls::sirenFile(), dir.filePath(QStringLiteral("foszirena.wav")));
    ASSERT_TRUE(QFile::copy(fixture("boundary.wav"), UploadControls::sirenFile()));
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                QStringLiteral("43"), QStringLiteral("--sound-out"), dir.path()});
    ASSERT_TRUE(sim.started());
    openOn(sim, 71, 43);
    ctx.write(QStringLiteral("mode"), QString::fromLatin1(TAV4Form1::kServiceCode));
    window->FormActivate();
    ASSERT_TRUE(idle()); // the activation's version query
    control<QPushButton>("Button7")->click();
    EXPECT_EQ(backgroundOf(control("Panel30")), QColor(Qt::red));
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("SOUND END 0F00 BLOCKS 3 BYTES 512"), kWaitMs));
    ASSERT_TRUE(idle());
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("sound-0F00.blocks"))).right(256),
              QByteArray(256, '\xFF'));

    const int before = static_cast<int>(requests(sim).size());
    control<QPushButton>("Button13")->click();
    EXPECT_EQ(backgroundOf(control("Panel29")), QColor(Qt::red));
    const QStringList shown = takeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("dtmf.wav")));
    EXPECT_FALSE(window->engine().busy());
    EXPECT_EQ(requests(sim).size(), before);

    // A pipe in its place would hold the window until someone wrote to it.
    ASSERT_EQ(::mkfifo(UploadControls::dtmfFile().toLocal8Bit().constData(), 0600), 0);
    control<QPushButton>("Button13")->click();
    const QStringList refused = takeMessages();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].contains(QStringLiteral("not a file but a folder, a device or a pipe")))
        << refused[0].toStdString();
    EXPECT_FALSE(window->engine().busy());
    EXPECT_EQ(requests(sim).size(), before);
    qunsetenv("TMPDIR");
}

// The caller-ID page: a read fills the grid from the module, edits are
// written, and a read into a fresh window shows exactly them.
TEST_F(UploadsWindowE2E, CallerIdGridWrittenAndReadBack) {
    PtySim sim({QStringLiteral("--model"), QStringLiteral("100"), QStringLiteral("--version"),
                QStringLiteral("50"), QStringLiteral("--caller-id"),
                QStringLiteral("288:+36209876543")});
    ASSERT_TRUE(sim.started());
    openOn(sim, 100, 50);
    EXPECT_TRUE(window->pageVisible(QStringLiteral("TabSheet23")));
    EXPECT_FALSE(window->pageVisible(QStringLiteral("TabSheet15")));
    showPage("TabSheet23");
    CallerIdMemoryPage* page = window->uploads()->callerIdPage();
    control<QPushButton>("BitBtn18")->click();
    EXPECT_FALSE(control<QPushButton>("BitBtn19")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("BitBtn2")->isEnabled());
    EXPECT_TRUE(control<QProgressBar>("ProgressBar2")->isVisibleTo(window.get()));
    ASSERT_TRUE(idle());
    EXPECT_EQ(page->number(288), QStringLiteral("+36209876543")); // row 289
    EXPECT_EQ(page->number(0), QString());
    EXPECT_TRUE(control<QPushButton>("BitBtn19")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("BitBtn2")->isEnabled());
    EXPECT_FALSE(control<QProgressBar>("ProgressBar2")->isVisibleTo(window.get()));

    QTableWidget* grid = page->grid();
    grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("+36301234567")));
    grid->setItem(150, 1, new QTableWidgetItem(QStringLiteral("0036301234567890"))); // cut to 14
    grid->item(288, 1)->setText(QString());
    grid->setItem(303, 1, new QTableWidgetItem(QStringLiteral("112")));
    EXPECT_EQ(page->number(150), QStringLiteral("00363012345678"));
    control<QPushButton>("BitBtn19")->click();
    ASSERT_TRUE(idle());

    std::vector<QString> written;
    for (int k = 0; k < CallerIdMemory::kRecords; ++k)
        written.push_back(page->number(k));
    window.reset();
    openOn(sim, 100, 50);
    control<QPushButton>("BitBtn18")->click();
    ASSERT_TRUE(idle());
    CallerIdMemoryPage* fresh = window->uploads()->callerIdPage();
    for (int k = 0; k < CallerIdMemory::kRecords; ++k)
        ASSERT_EQ(fresh->number(k), written[size_t(k)]) << "record " << k;
    EXPECT_EQ(fresh->number(303), QStringLiteral("112"));
    EXPECT_EQ(fresh->number(288), QString());
}

// The port goes away in the middle of a caller-ID read: the engine ends it,
// and the page gives its buttons and the transfer buttons back, gauge hidden.
TEST_F(UploadsWindowE2E, LostPortGivesTheCallerIdButtonsBack) {
    PtySim sim({QStringLiteral("--model"), QStringLiteral("100"), QStringLiteral("--version"),
                QStringLiteral("50"), QStringLiteral("--vanish-after"), QStringLiteral("3"),
                QStringLiteral("--vanish-ms"), QStringLiteral("60000")});
    ASSERT_TRUE(sim.started());
    openOn(sim, 100, 50);
    showPage("TabSheet23");
    control<QPushButton>("BitBtn18")->click();
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("VANISH"), kWaitMs));
    ASSERT_TRUE(idle());
    for (const char* b : {"BitBtn1", "BitBtn2", "BitBtn18", "BitBtn19"})
        EXPECT_TRUE(control(b)->isEnabled()) << b;
    EXPECT_FALSE(control<QProgressBar>("ProgressBar2")->isVisibleTo(window.get()));
    EXPECT_FALSE(window->statusPanel(3).isEmpty());
}
