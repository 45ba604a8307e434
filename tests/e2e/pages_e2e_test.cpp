// The configurator's pages against a simulated module: a read shows the
// module's configuration, a send without edits leaves the module's memory as it
// was, and an edit through the widgets changes exactly its own bytes.
#include "app/alvento_application.h"
#include "safety/write_guard.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configurator_window.h"
#include "workspace/pages/page_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

struct Module {
    int model;
    int version;
    bool example; // the simulator's realistic configuration, else random bytes
};

std::string describe(const Module& m) {
    return "model " + std::to_string(m.model) + " v" + std::to_string(m.version) +
           (m.example ? " example" : " random");
}

QByteArray randomMemory(quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray m(8192, '\0');
    for (auto& c : m)
        c = static_cast<char>(random.bounded(256));
    // Texts with the module's letter bytes and other high bytes.
    const QByteArray text("\xE0rv\xE8z \xF2ra \xEC \xE1\xE9\xF5\xFB\x80\xFF");
    for (int slot : {512, 544, 768, 800, 864, 896, 992, 1280})
        m.replace(slot, text.size(), text);
    // Number 2 is edited; it holds a number before, so no list follows the edit.
    m.replace(272, 11, QByteArray("0611111111\xFF"));
    return m;
}

void put(QByteArray& memory, int address, const QByteArray& bytes) {
    memory.replace(address, bytes.size(), bytes);
}

std::string differences(const QByteArray& actual, const QByteArray& expected, int extent) {
    std::ostringstream out;
    int shown = 0;
    for (int i = 0; i < extent && shown < 12; ++i)
        if (actual[i] != expected[i]) {
            out << " [" << i << "] is " << int(uint8_t(actual[i])) << " not "
                << int(uint8_t(expected[i])) << ";";
            ++shown;
        }
    return out.str();
}

void typeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

} // namespace

class PagesE2EBase : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QStringLiteral("0"));
    }
    void TearDown() override {
        finish();
        qunsetenv("XDG_CONFIG_HOME");
    }
    void finish() {
        if (app)
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
        sim.reset();
        QFile::remove(saved());
    }

    // Starts the module and the tool; returns the module's memory as it starts.
    QByteArray start(const Module& m, const QString& company = QString()) {
        QStringList args{QStringLiteral("--model"),   QString::number(m.model),
                         QStringLiteral("--version"), QString::number(m.version),
                         QStringLiteral("--save"),    saved()};
        QByteArray memory;
        if (m.example) {
            args << QStringLiteral("--example-config");
            memory = exampleMemory(m.model);
        } else {
            memory = randomMemory(static_cast<quint32>(m.model * 100 + m.version));
            if (prepare)
                prepare(memory);
            QFile f(dir.path() + QStringLiteral("/module.bin"));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(memory);
            f.close();
            args << QStringLiteral("--memory") << f.fileName();
        }
        sim = std::make_unique<PtySim>(args);
        EXPECT_TRUE(sim->started());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), sim->path());
        if (!company.isEmpty())
            SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("company"), company);
        AlventoApplication::Options o;
        o.brandCode = 40;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
        c = app->configurator();
        EXPECT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 15000));
        // The simulator keeps its own build, version and model bytes.
        memory[252] = 1;
        memory[254] = static_cast<char>(m.version);
        memory[255] = static_cast<char>(m.model);
        started_ = memory;
        return memory;
    }
    QByteArray started_; // the module's memory as the simulator started with it

    QString saved() const { return dir.path() + QStringLiteral("/saved.bin"); }

    // The simulator's example memory, as a simulator saves it on its way out.
    QByteArray exampleMemory(int model) {
        const QString file = dir.path() + QStringLiteral("/example.bin");
        {
            PtySim once({QStringLiteral("--model"), QString::number(model),
                         QStringLiteral("--example-config"), QStringLiteral("--save"), file});
            EXPECT_TRUE(once.started());
        }
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    template <class W> W* control(const char* name) {
        W* w = c->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* button) { control<QPushButton>(button)->click(); }

    void readAll() {
        click("BitBtn2");
        ASSERT_TRUE(waitUntil(
            [&] { return c->statusPanel(3) == QStringLiteral("Összes adat kiolvasása sikeres!"); },
            120000))
            << c->statusPanel(3).toStdString();
    }

    // Sends and waits until the module has stored it all (the clock frame ends every send).
    QByteArray sendAll() {
        const int clocks = sim->countLines(QStringLiteral("CLOCK "));
        click("BitBtn1");
        // The send has ended once its read-back has: only then are the
        // buttons on again for the next one.
        EXPECT_TRUE(waitUntil(
            [&] {
                return sim->countLines(QStringLiteral("CLOCK ")) > clocks && !c->engine().busy() &&
                       !c->safetyNet().sendRunning();
            },
            120000))
            << c->statusPanel(3).toStdString();
        QFile f(saved());
        // The simulator saves after a write of data: a send that had nothing
        // to change wrote only the clock, and the module is as it started.
        if (!f.exists())
            return started_;
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    // Changes the random memory before the module starts with it.
    std::function<void(QByteArray&)> prepare;
    QTemporaryDir dir;
    std::unique_ptr<PtySim> sim;
    std::unique_ptr<AlventoApplication> app;
    TAV4Form1* c = nullptr;
};

class PagesE2E : public PagesE2EBase, public ::testing::WithParamInterface<Module> {};

TEST_P(PagesE2E, ReadSendUntouchedThenEditThroughTheWidgets) {
    const Module m = GetParam();
    SCOPED_TRACE(describe(m));
    const bool blocks = m.version > 32;
    const int extent = blocks ? 1536 : 1024;
    QByteArray module = start(m);
    ASSERT_EQ(module.size(), 8192);
    readAll();

    // Untouched: only what every send writes. The example is a configuration
    // this tool would have written, so nothing at all changes there.
    QByteArray expected = module;
    if (!m.example) {
        expected[120] = expected[121] = 0;
        put(expected, 32, QByteArray(8, '\0'));
        put(expected, 52, QByteArray(12, '\0'));
        expected[102] = expected[111] = expected[112] = 7;
        if (blocks) // a block carries the edition tag; a byte write leaves it out
            put(expected, 384, QByteArray("NORVIK\xFF"));
    }
    QByteArray after = sendAll();
    ASSERT_EQ(after.size(), 8192);
    EXPECT_TRUE(after == expected) << "untouched send:" << differences(after, expected, 8192);

    // Edits through the widgets.
    expected = after;
    auto* number = control<QLineEdit>("MaskEdit2");
    number->clear();
    QTest::keyClicks(number, QStringLiteral("+36301112222"));
    put(expected, 272, QByteArray("+36301112222\xFF"));
    auto* header = control<QLineEdit>("Edit12");
    header->selectAll();
    typeText(header, QStringLiteral("Fő út 1. á"));
    const QByteArray headerBytes("F\xF5 \xFAt 1. \xE0\xFF");
    if (m.model == 100)
        put(expected, 896, headerBytes);
    else if (blocks) // a byte write reaches 0..1023 only
        put(expected, 1280, headerBytes);
    if (m.model != 100) {
        control<QComboBox>("ComboBox2")->setCurrentIndex(5);
        expected[12] = static_cast<char>((uint8_t(expected[12]) & 0x80) | 5);
        auto* text = control<QLineEdit>("riasztas");
        text->selectAll();
        typeText(text, QStringLiteral("Hátsó ajtó őrzés"));
        put(expected, 512, QByteArray("H\xE0ts\xF2 ajt\xF2 \xF5rz\xE8s\xFF"));
        // Timed mode, 2 minutes. The mode byte is written only when the mode changes.
        auto* mode = control<QComboBox>("ComboKi1");
        if (mode->currentIndex() != 0)
            expected[64] = static_cast<char>(uint8_t(expected[64]) & 0x0E);
        mode->setCurrentIndex(0);
        control<QComboBox>("KI1SECMIN")->setCurrentIndex(1);
        control<QSpinBox>("SpinKI1")->setValue(2);
        put(expected, 65, QByteArray("\x00\x78", 2));
    }
    after = sendAll();
    EXPECT_TRUE(after.left(extent) == expected.left(extent))
        << "edited send:" << differences(after, expected, extent);
    EXPECT_TRUE(after.mid(extent) == expected.mid(extent)) << "beyond what a send writes";
}

class PagesExampleE2E : public PagesE2E {};

// What the module holds is what the pages show.
TEST_P(PagesExampleE2E, TheExampleShowsOnThePages) {
    const Module m = GetParam();
    start(m);
    readAll();
    EXPECT_EQ(control<QLineEdit>("MaskEdit1")->text(), QStringLiteral("+36301234567"));
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("4826"));
    EXPECT_TRUE(control<QCheckBox>("CheckEgyeb2")->isChecked());
    EXPECT_EQ(control<QComboBox>("ComboBox11")->currentIndex(), 1);
    EXPECT_EQ(control<QSpinBox>("SpinEdit5")->value(), 5);
    if (m.model == 100) {
        EXPECT_EQ(control<QLineEdit>("Edit12")->text(), QStringLiteral("Kovács iroda"));
        return;
    }
    EXPECT_EQ(control<QLineEdit>("riasztas")->text(), QStringLiteral("Bejárati ajtó nyitva"));
    EXPECT_EQ(control<QLineEdit>("riasztas2")->text(), QStringLiteral("Mozgásérzékelő riasztás"));
    EXPECT_EQ(control<QComboBox>("ComboBox2")->currentIndex(), 3);
    EXPECT_TRUE(control<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(control<TargetCheckList>("SMSst1")->targets(),
              (TargetList{true, true, false, false, false, false, false, false}));
    EXPECT_EQ(control<QSpinBox>("SpinKI1")->value(), 5);
    EXPECT_TRUE(control<QCheckBox>("CheckBox11")->isChecked());
    EXPECT_EQ(control<QSpinBox>("SpinEdit1")->value(), 7);
    EXPECT_EQ(control<QSpinBox>("SpinEdit2")->value(), 9);
    EXPECT_EQ(control<QLineEdit>("riasztas11")->text(), QStringLiteral("Életjel: minden rendben"));
    if (m.model == 90) {
        EXPECT_EQ(control<QSpinBox>("SpinEdit8")->value(), 90);
        EXPECT_EQ(control<QSpinBox>("SpinEdit9")->value(), 8);
        EXPECT_TRUE(control<QCheckBox>("GPSbit0")->isChecked());
        EXPECT_TRUE(control<QCheckBox>("GPSbit1")->isChecked());
        EXPECT_EQ(control<QLineEdit>("riasztas5")->text(), QStringLiteral("Sebességtúllépés"));
        EXPECT_EQ(control<QLineEdit>("riasztas6")->text(), QStringLiteral("Emelés érzékelve"));
        EXPECT_EQ(control<TargetCheckList>("VOICEst6")->targets(),
                  (TargetList{false, true, true, false, false, false, false, false}));
    }
    if (m.model == 70) {
        EXPECT_EQ(control<QLineEdit>("MaskEdit5")->text(), QStringLiteral("0036301234567890"));
        EXPECT_EQ(control<QComboBox>("ComboBox20")->currentText(), QStringLiteral("11,5V"));
        EXPECT_FALSE(control<QCheckBox>("CheckBox10")->isChecked());
        EXPECT_EQ(control<QSpinBox>("SpinEdit6")->value(), 45);
        EXPECT_EQ(control<QLineEdit>("Edit12")->text(),
                  QStringLiteral("Kovács lakás, Fő utca 12."));
    }
}

std::string moduleName(const ::testing::TestParamInfo<Module>& info) {
    const Module& m = info.param;
    return "Model" + std::to_string(m.model) + "V" + std::to_string(m.version) +
           (m.example ? "Example" : "Random");
}

INSTANTIATE_TEST_SUITE_P(Modules, PagesE2E,
                         ::testing::Values(Module{70, 43, true}, Module{80, 30, true},
                                           Module{100, 43, true}, Module{70, 43, false},
                                           Module{80, 30, false}, Module{100, 43, false}),
                         moduleName);
INSTANTIATE_TEST_SUITE_P(Modules, PagesExampleE2E,
                         ::testing::Values(Module{70, 43, true}, Module{71, 43, true},
                                           Module{80, 30, true}, Module{90, 43, true},
                                           Module{100, 43, true}),
                         moduleName);

// A starred company makes the send write the edition tag, byte writes included.
TEST_F(PagesE2EBase, AStarredCompanyWritesTheEditionTag) {
    for (int version : {30, 43}) {
        SCOPED_TRACE(version);
        const QByteArray module = start(Module{80, version, true}, QStringLiteral("*ACME"));
        readAll();
        const QByteArray after = sendAll();
        QByteArray expected = module;
        put(expected, 384, QByteArray("ACME\xFF"));
        EXPECT_TRUE(after == expected) << differences(after, expected, 8192);
        finish();
    }
}

// The reporting pages through their widgets: a read sent back untouched
// changes nothing they hold, and an edit of the account, a receiver number,
// the access point or a Contact ID name changes exactly its bytes.
TEST_F(PagesE2EBase, ReportingEditsChangeExactlyTheirBytes) {
    for (int model : {70, 100}) {
        SCOPED_TRACE(model);
        // ModelCode 100: code row 1 holds "E130" named "Betores" for numbers 1 and 2.
        prepare = [](QByteArray& m) {
            put(m, 32 * 48, QByteArray("\x01\x01\x03\x0A\x03\x00", 6) + "Betores\xFF");
        };
        QByteArray module = start(Module{model, 43, false});
        readAll();
        QByteArray expected = sendAll(); // the untouched send is checked by the test above
        if (model == 70) {
            auto* account = control<QLineEdit>("CIDUGYFEL");
            account->selectAll();
            QTest::keyClicks(account, QStringLiteral("4070"));
            put(expected, 1024, QByteArray("\x04\x0A\x07\x0A"));
            auto* receiver = control<QLineEdit>("TAV1");
            receiver->selectAll();
            QTest::keyClicks(receiver, QStringLiteral("+36309998888"));
            put(expected, 1248, QByteArray("+36309998888\xFF"));
        } else {
            auto* choice = control<QComboBox>("ComboBox14");
            choice->setCurrentIndex(2);
            emit choice->activated(2); // "Egyéni APN"
            auto* apn = control<QLineEdit>("Edit10");
            apn->selectAll();
            QTest::keyClicks(apn, QStringLiteral("internet.test"));
            put(expected, 640, QByteArray("\"internet.test\",\"\",\"\"\xFF"));
            auto* names = control<QTableWidget>("StringGrid3");
            ASSERT_EQ(names->item(0, 0)->text(), QStringLiteral("E130"));
            names->item(0, 1)->setText(QStringLiteral("Bejarati ajto"));
            put(expected, 32 * 48 + 6, QByteArray("Bejarati ajto\xFF"));
        }
        const QByteArray after = sendAll();
        EXPECT_TRUE(after == expected) << differences(after, expected, 8192);
        finish();
    }
    prepare = nullptr;
}
