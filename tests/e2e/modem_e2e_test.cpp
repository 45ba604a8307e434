// The link engine's modem pass-through on a real serial channel against the
// simulated module and its GSM modem over a pseudo-terminal: the SIM
// phonebook written and read back, the SIM PIN, the SMS centre and balance
// windows, the IMEI, and modems that misbehave.
#include "engine/link_engine.h"
#include "serial/tasyncomm32.h"
#include "support/fake_link.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/balance_window.h"
#include "workspace/sms_centre_window.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

constexpr int kEnglish = 1;
constexpr int kWaitMs = 30000;

// The configurator's engine without its window: the port's receive event
// feeds the engine, a 50 ms timer ticks it.
struct Session {
    explicit Session(const QString& portPath) : engine(port, view, image, config(portPath)) {
        QObject::connect(&port, &TAsynComm32::rxChar,
                         [this](int) { engine.receive(port.readAll()); });
        QObject::connect(&port, &TAsynComm32::portLost, [this] { engine.portLost(); });
        adas.setInterval(50);
        QObject::connect(&adas, &QTimer::timeout, [this] { engine.tick(); });
        adas.start();
    }
    ~Session() { port.close(); }
    static LinkEngineConfig config(const QString& path) {
        LinkEngineConfig c;
        c.language = kEnglish;
        c.portName = [path] { return path; };
        return c;
    }
    bool finish(int ms = kWaitMs) {
        return waitUntil([this] { return !engine.busy(); }, ms);
    }

    TAsynComm32 port;
    RecordingView view;
    ConfigImage image;
    LinkEngine engine;
    QTimer adas;
};

QStringList args(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* a : list)
        out << QString::fromUtf8(a);
    return out;
}

} // namespace

class ModemE2E : public ::testing::Test {
  protected:
    QString phonebookFile() const { return dir.path() + QStringLiteral("/sim.txt"); }
    void writePhonebook(const QByteArray& text) {
        QFile f(phonebookFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray savedPhonebook() {
        QFile f(phonebookFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

// 250 rows go to the SIM (rows without a number skipped, names cut to 12,
// unnamed rows "SIM<n>"), and a read of 250 slots brings back exactly that,
// each entry in the row of its slot.
TEST_F(ModemE2E, PhonebookOf250WrittenThenReadBack) {
    writePhonebook("10\t+3610\t145\tKept ten\n250\t+36250\t145\tLast one\n");
    PtySim sim({QStringLiteral("--phonebook"), phonebookFile(), QStringLiteral("--split-every"),
                QStringLiteral("7")});
    ASSERT_TRUE(sim.started());
    Session s(sim.path());

    std::vector<PhonebookEntry> rows(250);
    std::map<int, std::pair<QString, QString>> expected = {{10, {"+3610", "Kept ten"}},
                                                           {250, {"+36250", "Last one"}}};
    for (int slot = 1; slot <= 250; ++slot) {
        PhonebookEntry& r = rows[static_cast<size_t>(slot - 1)];
        r.slot = slot;
        if (slot % 10 == 0)
            continue; // no number: the SIM keeps what it has there
        r.number = QStringLiteral("+3630%1").arg(slot, 7, 10, QLatin1Char('0'));
        if (slot % 3 == 0)
            r.name = QStringLiteral("Ügyfél száma %1 hosszú név").arg(slot);
        expected[slot] = {r.number,
                          r.name.isEmpty() ? QStringLiteral("SIM%1").arg(slot) : r.name.left(12)};
    }
    s.engine.startPhonebookWrite(rows, 250);
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(s.view.status(), "Phonebook write OK");
    EXPECT_TRUE(s.view.messages.isEmpty());
    EXPECT_EQ(sim.countLines(QStringLiteral("PHONEBOOK ")), 225);
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("MODEM OFF"), 3000));

    s.engine.startPhonebookRead(250);
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(s.view.status(), "GSM phonebook read, ready");
    EXPECT_TRUE(s.view.writeEnabled);
    ASSERT_EQ(s.view.grid.size(), 250u);
    for (int slot = 1; slot <= 250; ++slot) {
        const PhonebookEntry& e = s.view.grid[slot];
        const auto it = expected.find(slot);
        if (it == expected.end()) {
            EXPECT_TRUE(e.number.isEmpty()) << slot;
            continue;
        }
        EXPECT_EQ(e.number, it->second.first) << slot;
        EXPECT_EQ(e.name, it->second.second) << slot;
    }
    EXPECT_EQ(sim.countLines(QStringLiteral("MODEM OFF")), 2);

    // The SIM itself, as the simulator keeps it.
    sim.stop();
    const QList<QByteArray> lines = savedPhonebook().split('\n');
    EXPECT_EQ(lines.size(), 227 + 1); // 225 written, slots 10 and 250 kept, the final newline
    EXPECT_TRUE(savedPhonebook().contains("10\t+3610\t145\tKept ten\n"));
}

// With 100 slots only the first 100 are asked; an empty SIM gives empty rows.
TEST_F(ModemE2E, PhonebookReadOf100AsksOnlyTheFirstHundred) {
    writePhonebook("1\t111\t129\tEgy\n100\t100\t129\tSz\xE1z\n101\t101\t129\tNot asked\n");
    PtySim sim({QStringLiteral("--phonebook"), phonebookFile()});
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    s.engine.startPhonebookRead(100);
    ASSERT_TRUE(s.finish());
    ASSERT_EQ(s.view.grid.size(), 100u);
    EXPECT_EQ(s.view.grid[1].name, "Egy");
    EXPECT_EQ(s.view.grid[100].name, QStringLiteral("Száz"));
    EXPECT_EQ(sim.countLines(QStringLiteral("CMD AT+CPBR=")), 100);
    EXPECT_EQ(sim.countLines(QStringLiteral("CMD AT+CPBR=101")), 0);
}

TEST_F(ModemE2E, PinSwitchOffWithTheRightAndAWrongPin) {
    struct Case {
        const char* typed;
        const char* status;
        int messages;
        int lockLines;
    };
    for (const Case& c :
         {Case{"1234", "PIN CODE OFF", 0, 1}, Case{"4321", "SIM PIN CODE OFF, ERROR", 1, 0}}) {
        SCOPED_TRACE(c.typed);
        PtySim sim(args({"--pin", "1234"}));
        ASSERT_TRUE(sim.started());
        Session s(sim.path());
        ASSERT_TRUE(s.engine.startPinSwitchOff(QString::fromLatin1(c.typed)));
        ASSERT_TRUE(s.finish());
        EXPECT_EQ(s.view.status(), c.status);
        ASSERT_EQ(s.view.messages.size(), c.messages);
        if (c.messages)
            EXPECT_EQ(s.view.messages[0], "PIN CODE ERROR");
        EXPECT_EQ(sim.countLines(QStringLiteral("CMD AT+CPIN=")), 1);
        EXPECT_EQ(sim.countLines(QStringLiteral("CMD AT+CLCK=")), c.lockLines);
        EXPECT_EQ(sim.countLines(QStringLiteral("PIN OFF")), c.lockLines);
        EXPECT_TRUE(sim.waitForLine(QStringLiteral("MODEM OFF"), 3000));
    }
}

TEST_F(ModemE2E, SmsCentreThroughItsWindow) {
    PtySim sim({});
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    TSMSk w(s.engine);
    w.openWindow();
    w.findChild<QPushButton*>(QStringLiteral("vodafoneButton"))->click();
    w.findChild<QPushButton*>(QStringLiteral("setButton"))->click();
    auto* status = w.findChild<QLabel*>(QStringLiteral("statusLabel"));
    ASSERT_TRUE(
        waitUntil([&] { return status->text() == QStringLiteral("Sikeres bejegyzés"); }, kWaitMs))
        << status->text().toStdString();
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("CSCA +36709996500"), 3000));
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("MODEM OFF"), 3000));
    w.findChild<QPushButton*>(QStringLiteral("exitButton"))->click();
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(sim.countLines(QStringLiteral("RX 00 FB 00 00 05 FA")), 1);
}

// The balance window shows the network's text with its accents, short or long.
TEST_F(ModemE2E, BalanceWithAccentsShortAndLong) {
    struct Case {
        const char* name;
        QString networkText;
    };
    const QString shortText = QStringLiteral("Egyenlege: 1000 Ft");
    const QString longText =
        QStringLiteral("Kedves Ügyfelünk! Az Ön egyenlege 12 345 Ft. Érvényes: 2025.12.31. "
                       "Feltöltés: *102# hívásával vagy a www.telekom.hu oldalon. Köszönjük, "
                       "hogy minket választott! Jó beszélgetést kívánunk: T-Mobile");
    for (const Case& c : {Case{"short", shortText}, Case{"long", longText}}) {
        SCOPED_TRACE(c.name);
        PtySim sim({QStringLiteral("--balance-text"), c.networkText,
                    QStringLiteral("--split-every"), QStringLiteral("2")});
        ASSERT_TRUE(sim.started());
        Session s(sim.path());
        TMESS1 w(s.engine);
        w.openAndQuery();
        auto* panel = w.findChild<QLabel*>(QStringLiteral("Panel1"));
        auto* memo = w.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        ASSERT_TRUE(waitUntil(
            [&] { return panel->text() == QStringLiteral("Sikeresen végrehajtva..."); }, kWaitMs))
            << panel->text().toStdString();
        EXPECT_EQ(memo->toPlainText(), c.networkText);
        EXPECT_TRUE(sim.waitForLine(QStringLiteral("USSD *102#"), 3000));
        EXPECT_TRUE(sim.waitForLine(QStringLiteral("MODEM OFF"), 3000));
        w.findChild<QPushButton*>(QStringLiteral("exitButton"))->click();
        ASSERT_TRUE(s.finish());
    }
}

TEST_F(ModemE2E, ImeiAndLeavingModemMode) {
    PtySim sim(args({"--imei", "356938035643809"}));
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    s.engine.startImeiQuery();
    ASSERT_TRUE(s.finish());
    ASSERT_EQ(s.view.messages.size(), 1);
    EXPECT_EQ(s.view.messages[0], "IMEI number: 356938035643809");
    // Out of modem mode: the module's leave acknowledgement, then its status
    // read, and the module answers frames again.
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("MODEM OFF"), 3000));
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("RX 02 02 00 00 FC 03"), 3000));
    s.engine.startVersionQuery(true);
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(s.view.version, "Sw: 4.3");
}

// A test call leaves the module in modem mode; the next operation takes it
// out and enters again.
TEST_F(ModemE2E, AnOperationAfterATestCallFindsItsWay) {
    PtySim sim({});
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    s.engine.startVoiceCallTest(QStringLiteral("+36 30 123 4567"));
    ASSERT_TRUE(s.finish());
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("CALL VOICE +36301234567"), 3000));
    EXPECT_EQ(sim.countLines(QStringLiteral("MODEM OFF")), 0);
    s.engine.startImeiQuery();
    ASSERT_TRUE(s.finish());
    ASSERT_EQ(s.view.messages.size(), 1);
    EXPECT_EQ(s.view.messages[0], "IMEI number: 490154203237518");
    EXPECT_EQ(sim.countLines(QStringLiteral("MODEM ON")), 2);
}

// The modem stops answering half-way through a phonebook read: the read ends
// with a clear status, the module leaves modem mode and answers frames again.
TEST_F(ModemE2E, AModemThatStopsHalfWayThroughAPhonebookRead) {
    writePhonebook("5\t555\t129\tOt\n40\t4040\t129\tNegyven\n");
    // AT, the phonebook selection and 20 slots are answered.
    PtySim sim({QStringLiteral("--phonebook"), phonebookFile(),
                QStringLiteral("--modem-silent-after"), QStringLiteral("22")});
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    s.engine.startPhonebookRead(100);
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(s.view.status(), "The GSM modem does not answer!");
    EXPECT_EQ(s.view.grid.size(), 20u);
    EXPECT_EQ(s.view.grid[5].name, "Ot");
    EXPECT_TRUE(s.view.readEnabled);
    EXPECT_FALSE(s.view.writeEnabled);
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("MODEM SILENT"), 3000));
    EXPECT_TRUE(sim.waitForLine(QStringLiteral("MODEM OFF"), 3000));
    s.engine.startVersionQuery(true);
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(s.view.version, "Sw: 4.3");
}

// Every answer garbled: the module's acknowledgements never check out. The
// engine gives up with a clear status and does not leave the module in modem
// mode.
TEST_F(ModemE2E, GarbledAnswersEndWithAClearStatusAndTheModuleOutOfModemMode) {
    PtySim sim(args({"--corrupt-check-every", "1"}));
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    s.engine.startImeiQuery();
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(s.view.status(), "The module does not enter modem mode!");
    EXPECT_TRUE(s.view.messages.isEmpty());
    sim.stop();
    QString last;
    for (const QString& l : sim.lines())
        if (l == QLatin1String("MODEM ON") || l == QLatin1String("MODEM OFF"))
            last = l;
    EXPECT_EQ(last, "MODEM OFF");
}
