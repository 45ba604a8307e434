// The older modules end to end: discovery finds the simulated module, its
// window reads it, the installer edits through the widgets and sends, and the
// simulator's memory holds exactly what was meant.
#include "app/alvento_application.h"
#include "legacy/legacy_device_window.h"
#include "legacy/model30_form.h"
#include "serial/tasyncomm32.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "startup/start_window.h"
#include "support/pty_sim.h"
#include "support/wait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr int kMemorySize = 8192;
// What the simulator keeps for itself at 252, 254 and 255.
constexpr int kBuild = 1;
constexpr int kVersion = 43;

QByteArray randomBytes(int n, quint32 seed) {
    QRandomGenerator rng(seed);
    QByteArray out(n, '\0');
    for (auto& c : out)
        c = static_cast<char>(rng.bounded(256));
    return out;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

void put(QByteArray& m, int at, const QByteArray& b) {
    m.replace(at, b.size(), b);
}

// The module's memory as the simulator will hold it after loading `m`.
QByteArray asModuleHolds(QByteArray m, int model) {
    m[252] = static_cast<char>(kBuild);
    m[254] = static_cast<char>(kVersion);
    m[255] = static_cast<char>(model);
    return m;
}

template <class T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Replaces a field's text the way typing does.
void retype(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

int writeRequests(PtySim& sim) {
    int n = 0;
    for (const QString& l : sim.lines())
        if (l.startsWith(QLatin1String("RX ")) && l.mid(6, 2) == QLatin1String("01"))
            ++n;
    return n;
}
} // namespace

class LegacyE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QStringLiteral("0"));
    }
    void TearDown() override {
        app.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void writeFile(const char* name, const QByteArray& content) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray readFile(const char* name) {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The simulator with `memory` loaded and saved back to "saved.bin".
    std::unique_ptr<PtySim> simulate(int model, const QByteArray& memory, QStringList extra = {}) {
        writeFile("memory.bin", memory);
        QStringList args = {QStringLiteral("--model"),  QString::number(model),
                            QStringLiteral("--memory"), path("memory.bin"),
                            QStringLiteral("--save"),   path("saved.bin")};
        auto sim = std::make_unique<PtySim>(args + extra);
        EXPECT_TRUE(sim->started());
        return sim;
    }
    // Runs the tool on the simulator's port, as an installer's stored port would.
    void startOn(PtySim& sim, bool trekkaMode = false) {
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), sim.path());
        if (trekkaMode)
            SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("mode"),
                                       QStringLiteral("TREKKA"));
        AlventoApplication::Options o;
        o.brandCode = 40;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
    }
    bool waitShown(QWidget* w) {
        return waitUntil([&] { return w->isVisible(); }, 15000);
    }
    // Ends the simulator so that it saves, and gives the memory it saved.
    QByteArray stopAndRead(PtySim& sim) {
        sim.stop();
        return readFile("saved.bin");
    }

    QTemporaryDir dir;
    std::unique_ptr<AlventoApplication> app;
};

// ---------------------------------------------------------------- model 30

class Model30E2E : public LegacyE2E {
  protected:
    QByteArray memory() {
        QByteArray m = randomBytes(kMemorySize, 30);
        put(m, 0, bytes({0, 181, 2, 0})); // 181 s: no item's period; format 2; manual account
        put(m, 256, bytes({1, 2, 10, 4}));
        put(m, 260, bytes({129, 2, 10, 88, 88, 88, 88, 88, 88, 88, 88})); // event 0 off, "12A"
        put(m, 271, bytes({9, 88, 88, 88, 88, 88, 88, 88, 88, 88, 88}));  // event 1 on, "9"
        put(m, 458, bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));          // tamper alarm
        put(m, 469, bytes({200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));          // tamper restore
        return m;
    }
    Model30Form* open(PtySim& sim) {
        startOn(sim);
        EXPECT_TRUE(waitUntil([&] { return app->startWindow()->roleActive(); }, 15000));
        EXPECT_TRUE(app->startWindow()->isVisible());
        return app->model30Form();
    }
    bool read(Model30Form* f) {
        child<QPushButton>(f, "readButton")->click();
        return waitUntil(
            [&] {
                return f->linkState() == Model30Form::kRead &&
                       child<QPushButton>(f, "readButton")->isEnabled();
            },
            20000);
    }
    bool send(Model30Form* f) {
        child<QPushButton>(f, "sendButton")->click();
        return waitUntil(
            [&] {
                return f->linkState() == Model30Form::kSent &&
                       child<QPushButton>(f, "sendButton")->isEnabled();
            },
            20000);
    }
};

TEST_F(Model30E2E, ReadShowsTheModuleAndSendingItBackChangesNothing) {
    const QByteArray m = memory();
    // Lost replies on the way: the requests are repeated.
    auto sim = simulate(30, m, {QStringLiteral("--drop-every"), QStringLiteral("70")});
    Model30Form* f = open(*sim);
    ASSERT_TRUE(read(f));
    EXPECT_EQ(child<QComboBox>(f, "ComboBox1")->currentText(),
              QStringLiteral("Modul értéke: 181 mp"));
    EXPECT_EQ(child<QComboBox>(f, "ComboBox2")->currentIndex(), 2);
    EXPECT_TRUE(child<QRadioButton>(f, "Kezi")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f, "Edit1")->text(), QStringLiteral("12A4"));
    EXPECT_FALSE(child<QCheckBox>(f, "CheckBox1")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f, "Edit2")->text(), QStringLiteral("12A"));
    EXPECT_TRUE(child<QCheckBox>(f, "CheckBox2")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f, "Edit3")->text(), QStringLiteral("9"));
    EXPECT_TRUE(child<QCheckBox>(f, "CheckBox9")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f, "Edit10")->text(), QStringLiteral("123456789AB"));
    EXPECT_FALSE(child<QCheckBox>(f, "CheckBox19")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f, "Edit20")->text(), QString());
    EXPECT_FALSE(child<QLineEdit>(f, "Edit20")->isEnabled());

    ASSERT_TRUE(send(f));
    EXPECT_GE(writeRequests(*sim), 4 + 246);
    EXPECT_EQ(stopAndRead(*sim), asModuleHolds(m, 30));
}

// After a read the start window waits in its last state; a stray reply that
// comes then must not decode over what the installer has typed since.
TEST_F(Model30E2E, EditsAreWrittenAsTheModuleReadsThemAndAStrayReplyKeepsThem) {
    const QByteArray m = memory();
    auto sim = simulate(30, m,
                        {QStringLiteral("--duplicate-at"), QStringLiteral("510"),
                         QStringLiteral("--duplicate-gap-ms"), QStringLiteral("800")});
    Model30Form* f = open(*sim);
    ASSERT_TRUE(read(f));
    // Event 1: "12A", switched off.
    retype(child<QLineEdit>(f, "Edit3"), QStringLiteral("12A"));
    child<QCheckBox>(f, "CheckBox2")->setChecked(false);
    child<QComboBox>(f, "ComboBox2")->setCurrentIndex(1);
    // Tamper restore switched on with the code "0", which is entered as "A".
    child<QCheckBox>(f, "CheckBox19")->setChecked(true);
    QTest::keyClicks(child<QLineEdit>(f, "Edit20"), QStringLiteral("0"));
    // Back to the automatic account code: the field empties.
    child<QRadioButton>(f, "Automatikus")->setChecked(true);

    // The copy of the last reply arrives now: it renews the hold-off, nothing more.
    ASSERT_TRUE(sim->waitForLine(QStringLiteral("DUPLICATE"), 5000));
    ASSERT_TRUE(waitUntil([&] { return f->holdOff() == 3; }, 3000));
    EXPECT_EQ(f->linkState(), Model30Form::kRead);
    EXPECT_EQ(child<QLineEdit>(f, "Edit3")->text(), QStringLiteral("12A"));
    EXPECT_FALSE(child<QCheckBox>(f, "CheckBox2")->isChecked());
    EXPECT_EQ(child<QLineEdit>(f, "Edit20")->text(), QStringLiteral("A"));
    EXPECT_TRUE(child<QLineEdit>(f, "Edit1")->text().isEmpty());

    ASSERT_TRUE(send(f));
    QByteArray expected = asModuleHolds(m, 30);
    put(expected, 2, bytes({1, 1}));
    put(expected, 256, bytes({88, 88, 88, 88}));
    put(expected, 271, bytes({129, 2, 10, 88, 88, 88, 88, 88, 88, 88, 88}));
    put(expected, 469, bytes({10, 88, 88, 88, 88, 88, 88, 88, 88, 88, 88}));
    EXPECT_EQ(stopAndRead(*sim), expected); // events 16 and 17 (436 ... 457) as they were
}

// ---------------------------------------------------------------- converter

class ConverterE2E : public LegacyE2E {
  protected:
    QByteArray memory(bool apnEnded) {
        QByteArray m = randomBytes(kMemorySize, 50);
        put(m, 0, bytes({1, 2, 3, 88, 88, 88, 88, 88, 88, 88, 88}));      // on, "123"
        put(m, 22, bytes({133, 88, 88, 88, 88, 88, 88, 88, 88, 88, 88})); // off, "5"
        put(m, 106, bytes({1, 2, 3, 4, 1, 2, 1, 0xF4, 0x01}));            // account .. 500
        put(m, 128, apnEnded ? QByteArray("internet\r") : QByteArray(40, 'q'));
        return m;
    }
    TForm5* open(PtySim& sim) {
        startOn(sim);
        TForm5* w = app->converterWindow();
        EXPECT_TRUE(waitShown(w));
        EXPECT_TRUE(
            waitUntil([&] { return child<QPushButton>(w, "readButton")->isEnabled(); }, 10000));
        EXPECT_EQ(w->versionText(), QStringLiteral("szoftver verzio> 1.43"));
        messages.clear();
        w->tell = [this](const QString& t) { messages << t; };
        return w;
    }
    bool idleWithButtons(TForm5* w, int state) {
        return waitUntil(
            [&] {
                return w->linkState() == state && child<QPushButton>(w, "sendButton")->isEnabled();
            },
            20000);
    }
    QStringList messages;
};

TEST_F(ConverterE2E, ReadShowsTheBlockAndSendingItBackChangesNothing) {
    const QByteArray m = memory(false);
    auto sim = simulate(50, m);
    TForm5* w = open(*sim);
    child<QPushButton>(w, "readButton")->click();
    ASSERT_TRUE(idleWithButtons(w, 0));
    EXPECT_TRUE(child<QCheckBox>(w, "CheckBox1")->isChecked());
    EXPECT_EQ(child<QLineEdit>(w, "Edit1")->text(), QStringLiteral("123"));
    EXPECT_FALSE(child<QCheckBox>(w, "CheckBox2")->isChecked());
    EXPECT_EQ(child<QLineEdit>(w, "Edit2")->text(), QStringLiteral("5"));
    EXPECT_EQ(child<QLineEdit>(w, "Edit10")->text(), QStringLiteral("1234"));
    EXPECT_EQ(child<QComboBox>(w, "ComboBox2")->currentIndex(), 1);
    EXPECT_EQ(child<QComboBox>(w, "ComboBox1")->currentIndex(), 2);
    EXPECT_EQ(child<QComboBox>(w, "ComboBox3")->currentIndex(), 1);
    EXPECT_EQ(child<QSpinBox>(w, "SpinEdit1")->value(), 500);
    // No carriage return in the APN area: all 33 bytes show.
    EXPECT_EQ(child<QLineEdit>(w, "Edit3")->text(), QString(33, QLatin1Char('q')));

    child<QPushButton>(w, "sendButton")->click();
    ASSERT_TRUE(idleWithButtons(w, TForm5::kWritten));
    EXPECT_EQ(writeRequests(*sim), 200);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(stopAndRead(*sim), asModuleHolds(m, 50));
}

TEST_F(ConverterE2E, BadInputIsRefusedAndEditsLandAtTheirAddresses) {
    const QByteArray m = memory(true);
    auto sim = simulate(50, m);
    TForm5* w = open(*sim);
    child<QPushButton>(w, "readButton")->click();
    ASSERT_TRUE(idleWithButtons(w, 0));
    EXPECT_EQ(child<QLineEdit>(w, "Edit3")->text(), QStringLiteral("internet"));

    auto* account = child<QLineEdit>(w, "Edit10");
    retype(account, QStringLiteral("12A"));
    child<QPushButton>(w, "sendButton")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Rendszerüzenetek ügyfélazonositó kitoltése kötelező"));
    EXPECT_EQ(account->palette().color(QPalette::Base), QColor(Qt::red));
    QTest::keyClicks(account, QStringLiteral("b"));
    EXPECT_EQ(account->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(account->text(), QStringLiteral("12AB"));

    auto* apn = child<QLineEdit>(w, "Edit3");
    retype(apn, QString(33, QLatin1Char('a')));
    child<QPushButton>(w, "sendButton")->click();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Túl hosszú APN név")));
    apn->setText(QStringLiteral("net.ő")); // pasted: the keyboard helper types ASCII only
    child<QPushButton>(w, "sendButton")->click();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[2].startsWith(QStringLiteral("Az APN név")));
    EXPECT_EQ(writeRequests(*sim), 0);

    retype(apn, QStringLiteral("web"));
    child<QPushButton>(w, "ResetButton")->click();
    child<QCheckBox>(w, "CheckBox2")->setChecked(true);
    child<QComboBox>(w, "ComboBox1")->setCurrentIndex(0);
    child<QCheckBox>(w, "CheckBox12")->setChecked(true);
    retype(child<QLineEdit>(w, "Edit12"), QStringLiteral("0"));
    child<QPushButton>(w, "sendButton")->click();
    ASSERT_TRUE(idleWithButtons(w, TForm5::kWritten));
    EXPECT_EQ(messages.size(), 3);

    QByteArray expected = asModuleHolds(m, 50);
    put(expected, 22, bytes({5}));                                          // switched on
    put(expected, 33, bytes({10, 88, 88, 88, 88, 88, 88, 88, 88, 88, 88})); // "A"
    put(expected, 106, bytes({1, 2, 10, 11}));
    put(expected, 111, bytes({0}));
    put(expected, 113, bytes({254, 1}));     // 510
    put(expected, 128, QByteArray("web\r")); // the rest of "internet" stays
    EXPECT_EQ(stopAndRead(*sim), expected);
}

TEST_F(ConverterE2E, OneShotCommandsGoOutOnceAfterTheQuestion) {
    auto sim = simulate(50, memory(true));
    TForm5* w = open(*sim);
    struct Case {
        void (TForm5::*click)();
        const char* frame;
        const char* event;
    } cases[] = {
        {&TForm5::restartClick, "RX 00 FF AA 00 57 A8", "RESTART"},
        {&TForm5::telnetClick, "RX 00 FE BB 00 47 B8", "TELNET"},
        {&TForm5::gsmRouteClick, "RX 00 FD BB 00 48 B7", "GSMROUTE"},
    };
    for (const auto& c : cases) {
        w->askYesNo = [](const QString&) { return false; };
        (w->*c.click)();
        EXPECT_EQ(w->linkState(), 0);
        w->askYesNo = [](const QString&) { return true; };
        (w->*c.click)();
        ASSERT_TRUE(sim->waitForLine(QString::fromLatin1(c.event), 5000)) << c.event;
        EXPECT_TRUE(waitUntil([&] { return w->linkState() == 0; }, 2000));
        EXPECT_EQ(sim->countLines(QString::fromLatin1(c.frame)), 1);
    }
}

// ---------------------------------------------------------------- Marlo

class MarloE2E : public LegacyE2E {
  protected:
    static void slot(QByteArray& records, int row, int value, std::initializer_list<int> b) {
        put(records, (row / 2) * 64 + (row % 2) * 32 + value * 8, bytes(b));
    }
    void prepare(QByteArray& m, QByteArray& records) {
        m = randomBytes(kMemorySize, 61);
        put(m, 30, QByteArray("+36301234567*"));
        records = randomBytes(32 * 64, 62);
        slot(records, 0, 0, {194, 12, 48, 12, 7, 12, 0, 12});           // 47.1234
        slot(records, 1, 0, {0, 12, 0, 12, 0, 12, 0, 12});              // 0: a fresh module's table
        slot(records, 2, 0, {251, 12, 255, 12, 255, 12, 255, 12});      // -0.0005
        slot(records, 2, 1, {5, 12, 0, 12, 0, 12, 0, 12});              // 0.0005
        slot(records, 63, 3, {255, 255, 255, 255, 255, 255, 255, 255}); // erased
        writeFile("records.bin", records);
    }
    TForm7* open(PtySim& sim) {
        startOn(sim);
        TForm7* w = app->marloWindow();
        EXPECT_TRUE(waitShown(w));
        EXPECT_TRUE(
            waitUntil([&] { return child<QPushButton>(w, "readButton")->isEnabled(); }, 10000));
        EXPECT_EQ(w->versionText(), QStringLiteral("szoftver verzio> 1.43"));
        w->tell = [this](const QString& t) { messages << t; };
        return w;
    }
    bool transferDone(TForm7* w) {
        return waitUntil(
            [&] { return w->linkState() == 0 && child<QPushButton>(w, "sendButton")->isEnabled(); },
            30000);
    }
    QStringList simArgs() { return {QStringLiteral("--records"), path("records.bin")}; }
    QString cell(TForm7* w, int row, int value) {
        return child<QTableWidget>(w, "StringGrid1")->item(row, value)->text();
    }
    QStringList messages;
};

TEST_F(MarloE2E, FoundByDiscoveryReadAndSentBackUnchanged) {
    QByteArray m, records;
    prepare(m, records);
    auto sim = simulate(61, m, simArgs());
    TForm7* w = open(*sim);
    EXPECT_EQ(app->startWindow()->label3()->text(), QStringLiteral("AV_GPS_MARLO"));
    child<QPushButton>(w, "readButton")->click();
    ASSERT_TRUE(transferDone(w));
    EXPECT_EQ(child<QLineEdit>(w, "Edit1")->text(), QStringLiteral("+36301234567"));
    EXPECT_EQ(cell(w, 0, 0), QStringLiteral("47.1234"));
    EXPECT_EQ(cell(w, 1, 0), QStringLiteral("0.0000"));
    EXPECT_EQ(cell(w, 2, 0), QStringLiteral("-0.0005"));
    EXPECT_EQ(cell(w, 2, 1), QStringLiteral("0.0005"));
    EXPECT_EQ(cell(w, 63, 3), QStringLiteral("-0.0001"));
    EXPECT_EQ(w->records(), records);

    child<QPushButton>(w, "sendButton")->click();
    ASSERT_TRUE(transferDone(w));
    EXPECT_TRUE(messages.isEmpty());
    // A tick may repeat a record before its answer is in: at least every record once.
    EXPECT_GE(sim->countLines(QStringLiteral("RX 00 80 ")), 32);
    EXPECT_EQ(stopAndRead(*sim), asModuleHolds(m, 61));
    EXPECT_EQ(readFile("records.bin"), records); // odd bytes and values below a degree too
}

TEST_F(MarloE2E, AValueWithFiveDecimalsIsRefusedAndEditsAreStored) {
    QByteArray m, records;
    prepare(m, records);
    // Now and then a reply has a wrong check or sum: it is asked for again.
    QStringList args = simArgs();
    args << QStringLiteral("--corrupt-check-every") << QStringLiteral("25");
    auto sim = simulate(61, m, args);
    TForm7* w = open(*sim);
    child<QPushButton>(w, "readButton")->click();
    ASSERT_TRUE(transferDone(w));
    ASSERT_EQ(w->records(), records);

    auto* grid = child<QTableWidget>(w, "StringGrid1");
    grid->item(4, 1)->setText(QStringLiteral("47.12345"));
    grid->item(9, 2)->setText(QStringLiteral("abc"));
    child<QPushButton>(w, "sendButton")->click();
    ASSERT_EQ(messages, QStringList{QStringLiteral("hiba GPS ertek")});
    EXPECT_EQ(grid->currentRow(), 4);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(writeRequests(*sim), 0);

    grid->item(4, 1)->setText(QStringLiteral("47.1234"));
    grid->item(9, 2)->setText(QStringLiteral("-0.5000"));
    grid->item(2, 0)->setText(QString()); // empty: 0
    retype(child<QLineEdit>(w, "Edit1"), QStringLiteral("1234567890123456"));
    child<QPushButton>(w, "sendButton")->click();
    ASSERT_TRUE(transferDone(w));
    EXPECT_EQ(messages.size(), 1);

    QByteArray expected = asModuleHolds(m, 61);
    put(expected, 30, QByteArray("1234567890123456")); // 16 characters: no "*"
    EXPECT_EQ(stopAndRead(*sim), expected);
    QByteArray expectedRecords = records;
    slot(expectedRecords, 4, 1, {194, 12, 48, 12, 7, 12, 0, 12});
    slot(expectedRecords, 9, 2, {0x78, 12, 0xEC, 12, 0xFF, 12, 0xFF, 12}); // -5000
    slot(expectedRecords, 2, 0, {0, 12, 0, 12, 0, 12, 0, 12});
    EXPECT_EQ(readFile("records.bin"), expectedRecords);
}

// ---------------------------------------------------------------- TREKKA

class TrekkaE2E : public LegacyE2E {
  protected:
    void prepare(QByteArray& m, QByteArray& record) {
        m = randomBytes(kMemorySize, 60);
        m[15] = 0;
        put(m, 128, QByteArray("internet\xff"));
        put(m, 160, QByteArray("010.000.000.001/09000"));
        record = randomBytes(64, 63);
        const QByteArray ip("192.168.000.001");
        for (int i = 0; i < 15; ++i)
            record[18 + 2 * i] = ip[i];
        writeFile("records.bin", record);
    }
    // The module runs at 4800 baud; "mode" TREKKA makes the search run at it too.
    QStringList simArgs(QStringList extra = {}) {
        return QStringList{QStringLiteral("--line-baud"), QStringLiteral("4800"),
                           QStringLiteral("--records"), path("records.bin")} +
               extra;
    }
    Ttrekkamain* open(PtySim& sim) {
        startOn(sim, true);
        Ttrekkamain* w = app->trekkaWindow();
        EXPECT_TRUE(waitShown(w));
        w->tell = [this](const QString& t) { messages << t; };
        // The tracker servers of "IP cimek" are the installer's settings.
        app->context().write(QStringLiteral("trekkaserver1"), QStringLiteral("10.1.2.3"));
        app->context().write(QStringLiteral("trekkaserver2"), QStringLiteral("172.16.5.40"));
        return w;
    }
    // Opens "IP cimek" (which reads the settings) and picks server `index`.
    void chooseServer(Ttrekkamain* w, int index) {
        QMenu* servers = w->findChild<QMenu*>(QStringLiteral("IpCimek"));
        emit servers->aboutToShow();
        servers->actions()[index]->trigger();
    }
    bool status(Ttrekkamain* w, const char* text) {
        return waitUntil(
            [&] {
                return w->statusPanel(4) == QString::fromUtf8(text) && w->linkState() == 0 &&
                       child<QPushButton>(w, "sendButton")->isEnabled();
            },
            30000);
    }
    QStringList messages;
};

TEST_F(TrekkaE2E, ByteMemoryAt4800ReadAndSentBackUnchanged) {
    QByteArray m, record;
    prepare(m, record);
    auto sim = simulate(60, m, simArgs());
    Ttrekkamain* w = open(*sim);
    EXPECT_EQ(w->channel()->baudRate(), 4800);
    child<QPushButton>(w, "readButton")->click();
    EXPECT_EQ(w->statusPanel(4), QStringLiteral("Olvasás /új/"));
    ASSERT_TRUE(status(w, "Összes adat kiolvasása sikeres!"));
    EXPECT_EQ(w->statusPanel(1), sim->path());
    EXPECT_EQ(child<QLineEdit>(w, "Edit1")->text(), QStringLiteral("010.000.000.001"));
    EXPECT_EQ(child<QLineEdit>(w, "Edit2")->text(), QStringLiteral("09000"));
    EXPECT_EQ(child<QLineEdit>(w, "Edit3")->text(), QStringLiteral("internet"));
    EXPECT_FALSE(child<QCheckBox>(w, "CheckBox1")->isChecked());

    child<QPushButton>(w, "sendButton")->click();
    ASSERT_TRUE(status(w, "Irás OK."));
    EXPECT_EQ(writeRequests(*sim), 255);
    EXPECT_TRUE(w->statusPanel(0).startsWith(QStringLiteral("TX>")));
    EXPECT_GE(w->statusPanel(0).mid(3).toInt(), 255 + 255);
    EXPECT_EQ(sim->countLines(QStringLiteral("NOISE")), 0);
    EXPECT_EQ(stopAndRead(*sim), asModuleHolds(m, 60));
}

TEST_F(TrekkaE2E, BadInputIsRefusedAndEditsLandAtTheirAddresses) {
    QByteArray m, record;
    prepare(m, record);
    auto sim = simulate(60, m, simArgs());
    Ttrekkamain* w = open(*sim);
    child<QPushButton>(w, "readButton")->click();
    ASSERT_TRUE(status(w, "Összes adat kiolvasása sikeres!"));

    auto* ip = child<QLineEdit>(w, "Edit1");
    struct Refusal {
        const char* ip;
        const char* port;
        const char* message;
    } refusals[] = {
        {"1.2.3.4", "09000", "Nem megfelelő hosszúságú a megadott IP cim"},
        {"010.000.0000.01", "09000", "Tizedespont nem megfelelő helyen..."},
        {"256.000.000.001", "09000", "Az IP cim számcsoportjai 000 és 255 közöttiek lehetnek."},
        {"010.000.000.001", "9000", "Nem megfelelő hosszúságú a megadott PORT cim"},
        {"010.000.000.001", "99999", "A PORT cim 00001 és 65535 közötti szám lehet."},
    };
    for (const auto& r : refusals) {
        messages.clear();
        retype(ip, QString::fromLatin1(r.ip));
        retype(child<QLineEdit>(w, "Edit2"), QString::fromLatin1(r.port));
        child<QPushButton>(w, "sendButton")->click();
        EXPECT_EQ(messages, QStringList{QString::fromUtf8(r.message)}) << r.ip << " " << r.port;
    }
    EXPECT_EQ(writeRequests(*sim), 0);

    messages.clear();
    chooseServer(w, 0);
    retype(child<QLineEdit>(w, "Edit2"), QStringLiteral("05001"));
    const QString apn(32, QLatin1Char('z'));
    retype(child<QLineEdit>(w, "Edit3"), apn);
    child<QCheckBox>(w, "CheckBox1")->setChecked(true);
    child<QPushButton>(w, "sendButton")->click();
    ASSERT_TRUE(status(w, "Irás OK."));
    EXPECT_TRUE(messages.isEmpty());

    QByteArray expected = asModuleHolds(m, 60);
    expected[15] = 1;
    put(expected, 128, apn.toLatin1()); // 32 characters: no end byte, the IP after it intact
    put(expected, 160, QByteArray("010.001.002.003/05001"));
    EXPECT_EQ(stopAndRead(*sim), expected);
}

TEST_F(TrekkaE2E, OlderFirmwareRecordWithItsSum) {
    QByteArray m, record;
    prepare(m, record);
    // Every second reply has a wrong check or sum.
    auto sim = simulate(60, m, simArgs({QStringLiteral("--corrupt-check-every"), "2"}));
    Ttrekkamain* w = open(*sim);
    w->setWavecom(true);
    const QString recordRead = QStringLiteral("RX 00 40 62 00 5E A1");
    for (int i = 0; i < 2; ++i) {
        child<QPushButton>(w, "readButton")->click();
        EXPECT_EQ(w->statusPanel(4), QStringLiteral("Olvasás /régi/"));
        ASSERT_TRUE(status(w, "Összes adat kiolvasása sikeres!"));
    }
    EXPECT_EQ(child<QLineEdit>(w, "Edit1")->text(), QStringLiteral("192.168.000.001"));
    // A reply that answers right after a good one is the spoiled one: counted, asked again.
    EXPECT_GE(w->errorCount(), 1);
    EXPECT_EQ(w->errorCount(), sim->countLines(recordRead) - 2);
    EXPECT_EQ(w->statusPanel(2), QStringLiteral("Error>%1").arg(w->errorCount()));

    chooseServer(w, 1);
    child<QPushButton>(w, "sendButton")->click();
    EXPECT_EQ(w->statusPanel(4), QStringLiteral("írás /régi/"));
    ASSERT_TRUE(status(w, "Irás OK."));
    EXPECT_EQ(sim->countLines(QStringLiteral("NOISE")), 0);
    sim->stop();
    QByteArray expected = record;
    const QByteArray ip("172.016.005.040");
    for (int i = 0; i < 15; ++i)
        expected[18 + 2 * i] = ip[i];
    EXPECT_EQ(readFile("records.bin"), expected);
}

// A module at 4800 baud does not understand a search at 9600.
TEST_F(TrekkaE2E, AtNineThousandSixHundredTheModuleHearsOnlyNoise) {
    QByteArray m, record;
    prepare(m, record);
    auto sim = simulate(60, m, simArgs());
    startOn(*sim); // "mode" is not TREKKA
    ASSERT_TRUE(sim->waitForLine(QStringLiteral("NOISE 9600"), 8000));
    ASSERT_TRUE(waitUntil([&] { return sim->countLines(QStringLiteral("NOISE")) >= 8; }, 10000));
    EXPECT_EQ(sim->countLines(QStringLiteral("RX ")), 0);
    EXPECT_FALSE(app->startWindow()->timerAblakStart()->isActive());
    EXPECT_FALSE(app->trekkaWindow()->isVisible());
}
