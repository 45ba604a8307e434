// The SMS centre window `TSMSk` and the balance window `TMESS1` on a link
// engine whose port leads to a scripted module with its modem. The engine is
// ticked by hand; the windows are real widgets.
#include "engine/link_engine.h"
#include "serial/memory_frame.h"
#include "support/fake_link.h"
#include "workspace/balance_window.h"
#include "workspace/sms_centre_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

const QByteArray kModeAck = MemoryFrame::fromHeader(0xAB, 0xAC, 0, 0).toByteArray();
const QByteArray kLeaveFrame = MemoryFrame::fromHeader(0x00, 0xFB, 0, 0).toByteArray();

// Every write to the port is answered at the next tick by `answer`.
struct Rig {
    Rig() : engine(port, view, image, config()) {}
    static LinkEngineConfig config() {
        LinkEngineConfig c;
        c.portName = [] { return QStringLiteral("ttyTEST"); };
        return c;
    }
    // The module answers its frames; the modem echoes each line and answers
    // with `modem`'s text (empty: nothing at all).
    QByteArray answer(const QByteArray& w) {
        if (w.size() == 6 && (static_cast<uint8_t>(w[1]) == 0xFD || w == kLeaveFrame))
            return kModeAck;
        if (w.size() == 6)
            return {};
        QByteArray line = w;
        while (line.endsWith('\r') || line.endsWith('\n'))
            line.chop(1);
        if (line == "AT")
            return w + "\r\nOK\r\n";
        const QByteArray reply = modem ? modem(line) : QByteArray();
        return reply.isEmpty() ? QByteArray() : w + reply;
    }
    void tick() {
        engine.tick();
        while (answered < port.writes.size()) {
            const QByteArray a = answer(port.writes[answered++]);
            if (!a.isEmpty())
                engine.receive(a);
        }
    }
    bool runUntilIdle() {
        for (int i = 0; i < 5000; ++i) {
            tick();
            if (!engine.busy())
                return true;
        }
        return false;
    }
    int count(const QByteArray& w) const {
        return static_cast<int>(std::count(port.writes.begin(), port.writes.end(), w));
    }

    RecordingChannel port;
    RecordingView view;
    ConfigImage image;
    LinkEngine engine;
    std::function<QByteArray(const QByteArray&)> modem;
    size_t answered = 0;
};

template <class T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

QString openMessage(QWidget* w) {
    for (QMessageBox* box : w->findChildren<QMessageBox*>(QStringLiteral("MessageBox")))
        if (box->isVisible())
            return box->text();
    return {};
}

void closeMessages(QWidget* w) {
    for (QMessageBox* box : w->findChildren<QMessageBox*>(QStringLiteral("MessageBox")))
        box->close();
    QApplication::processEvents();
}

} // namespace

TEST(SmsCentreWindow, ControlsAndPresetNumbers) {
    Rig rig;
    TSMSk w(rig.engine);
    w.openWindow();
    EXPECT_EQ(w.windowTitle(), "SMSk");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);
    auto* label = child<QLabel>(&w, "Label1");
    auto* edit = child<QLineEdit>(&w, "Edit1");
    EXPECT_EQ(label->text(), QStringLiteral("SMS központ telefonszáma:"));
    EXPECT_EQ(label->buddy(), edit);
    struct Case {
        const char* button;
        const char* caption;
        const char* number;
    };
    for (const Case& c : {Case{"tmobileButton", "T-Mobile", "+36309888000"},
                          Case{"telenorButton", "Telenor", "+36209300099"},
                          Case{"vodafoneButton", "Vodafone", "+36709996500"}}) {
        auto* b = child<QPushButton>(&w, c.button);
        EXPECT_EQ(b->text(), c.caption);
        b->click();
        EXPECT_EQ(edit->text(), c.number);
    }
    EXPECT_EQ(child<QPushButton>(&w, "setButton")->text(),
              QStringLiteral("Beállítás / Újrainditás"));
    EXPECT_EQ(child<QPushButton>(&w, "exitButton")->text(), QStringLiteral("Kilépés"));
    // Nothing goes to the module for opening the window or choosing a number.
    for (int i = 0; i < 10; ++i)
        rig.tick();
    EXPECT_TRUE(rig.port.writes.empty());
}

TEST(SmsCentreWindow, NumbersThatCannotBeSetAreRefusedWithAMessage) {
    struct Case {
        const char* number;
        const char* message;
    };
    const Case cases[] = {
        {"", "Hiba, nincs megadva a telefonszám"},
        {"   ", "Hiba, nincs megadva a telefonszám"},
        {"+36\"30", "Hiba, hibás telefonszám"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        Rig rig;
        TSMSk w(rig.engine);
        w.openWindow();
        child<QLineEdit>(&w, "Edit1")->setText(QString::fromUtf8(c.number));
        child<QPushButton>(&w, "setButton")->click();
        EXPECT_EQ(openMessage(&w), QString::fromUtf8(c.message));
        EXPECT_TRUE(child<QLabel>(&w, "statusLabel")->text().isEmpty());
        closeMessages(&w);
        for (int i = 0; i < 10; ++i)
            rig.tick();
        EXPECT_TRUE(rig.port.writes.empty());
    }
}

TEST(SmsCentreWindow, SettingTheNumberShowsItsProgressAndResult) {
    struct Case {
        const char* name;
        QByteArray modemAnswer;
        QString status;
    };
    const Case cases[] = {
        {"accepted", "\r\nOK\r\n", QStringLiteral("Sikeres bejegyzés")},
        {"refused", "\r\n+CMS ERROR: 304\r\n",
         QStringLiteral("Sikertelen bejegyzés: A GSM modem hibát jelzett: +CMS ERROR: 304")},
        {"silent", "", QStringLiteral("Sikertelen bejegyzés: A GSM modem nem válaszol!")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.modem = [&](const QByteArray& line) {
            return line.startsWith("AT+CSCA=") ? c.modemAnswer : QByteArray();
        };
        TSMSk w(rig.engine);
        w.openWindow();
        child<QPushButton>(&w, "telenorButton")->click();
        child<QPushButton>(&w, "setButton")->click();
        auto* status = child<QLabel>(&w, "statusLabel");
        EXPECT_EQ(status->text(), QStringLiteral("Beállítás folyamatban!"));
        EXPECT_TRUE(rig.port.writes.empty()); // the next tick sends
        ASSERT_TRUE(rig.runUntilIdle());
        EXPECT_EQ(rig.count("AT+CSCA=\"+36209300099\",145\r\n"),
                  c.name == QByteArray("silent") ? 4 : 1);
        EXPECT_EQ(status->text(), c.status);
        EXPECT_EQ(rig.count(kLeaveFrame), 1);

        // The module is out of modem mode already: closing sends nothing more.
        child<QPushButton>(&w, "exitButton")->click();
        EXPECT_FALSE(w.isVisible());
        for (int i = 0; i < 10; ++i)
            rig.tick();
        EXPECT_EQ(rig.count(kLeaveFrame), 1);
    }
}

TEST(SmsCentreWindow, ClosingWhileTheNumberIsBeingSetLeavesModemMode) {
    Rig rig;
    rig.modem = [](const QByteArray&) { return QByteArray(); }; // a modem that keeps quiet
    TSMSk w(rig.engine);
    w.openWindow();
    child<QPushButton>(&w, "tmobileButton")->click();
    child<QPushButton>(&w, "setButton")->click();
    for (int i = 0; i < 12; ++i)
        rig.tick();
    ASSERT_EQ(rig.count("AT+CSCA=\"+36309888000\",145\r\n"), 1);
    w.close(); // the window's own close button
    EXPECT_FALSE(w.isVisible());
    ASSERT_TRUE(rig.runUntilIdle());
    EXPECT_EQ(rig.count(kLeaveFrame), 1);
    EXPECT_EQ(rig.count("AT+CSCA=\"+36309888000\",145\r\n"), 1);
    EXPECT_EQ(child<QLabel>(&w, "statusLabel")->text(), QStringLiteral("Beállítás folyamatban!"));
}

TEST(BalanceWindow, QueryShowsTheAnswerOnGreen) {
    Rig rig;
    rig.modem = [](const QByteArray& line) {
        return line == "ATD*102#;"
                   ? QByteArray("\r\nOK\r\n\r\n+CUSD: 0,\"Egyenlege: 1000 Ft.\r\n\xC9rv\xE8nyes: "
                                "2025.12.31. K\xF6sz\xF6nj\xFCk!\",15\r\n")
                   : QByteArray();
    };
    TMESS1 w(rig.engine);
    auto* memo = child<QPlainTextEdit>(&w, "Memo1");
    memo->setPlainText(QStringLiteral("an earlier answer"));
    w.openAndQuery();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Ingyenes Egyenleg lekérdezés (csak T-mobile!)"));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);
    auto* panel = child<QLabel>(&w, "Panel1");
    EXPECT_EQ(panel->text(), QStringLiteral("Lekérés folyamatban, kérem várjon"));
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_TRUE(memo->isReadOnly());

    ASSERT_TRUE(rig.runUntilIdle());
    EXPECT_EQ(panel->text(), QStringLiteral("Sikeresen végrehajtva..."));
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::green));
    EXPECT_EQ(memo->toPlainText(),
              QStringLiteral("Egyenlege: 1000 Ft.\nÉrvényes: 2025.12.31. Köszönjük!"));
    EXPECT_EQ(rig.count(kLeaveFrame), 1);
}

TEST(BalanceWindow, AFailedQueryStaysRedAndSaysWhy) {
    struct Case {
        const char* name;
        QByteArray answer;
        QString memo;
    };
    const Case cases[] = {
        {"refused", "\r\n+CME ERROR: 30\r\n",
         QStringLiteral("A GSM modem hibát jelzett: +CME ERROR: 30")},
        {"no such service", "\r\nOK\r\n\r\n+CUSD: 4\r\n",
         QStringLiteral("A hálózat nem küldött egyenleget (+CUSD: 4)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.modem = [&](const QByteArray& line) {
            return line == "ATD*102#;" ? c.answer : QByteArray();
        };
        TMESS1 w(rig.engine);
        w.openAndQuery();
        ASSERT_TRUE(rig.runUntilIdle());
        auto* panel = child<QLabel>(&w, "Panel1");
        EXPECT_EQ(panel->text(), QStringLiteral("Sikertelen lekérdezés"));
        EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::red));
        EXPECT_EQ(child<QPlainTextEdit>(&w, "Memo1")->toPlainText(), c.memo);
        EXPECT_EQ(rig.count(kLeaveFrame), 1);
    }
}

TEST(BalanceWindow, LeavingBeforeTheAnswerEndsTheQuery) {
    Rig rig;
    rig.modem = [](const QByteArray& line) {
        return line == "ATD*102#;" ? QByteArray("\r\nOK\r\n") : QByteArray();
    };
    TMESS1 w(rig.engine);
    w.openAndQuery();
    for (int i = 0; i < 40; ++i)
        rig.tick();
    ASSERT_EQ(rig.count("ATD*102#;\r\n"), 1);
    child<QPushButton>(&w, "exitButton")->click();
    EXPECT_FALSE(w.isVisible());
    ASSERT_TRUE(rig.runUntilIdle());
    EXPECT_EQ(rig.count(kLeaveFrame), 1);
    EXPECT_EQ(rig.count("ATD*102#;\r\n"), 1);
    // The network's answer arriving now changes nothing.
    rig.engine.receive("\r\n+CUSD: 0,\"1000 Ft\",15\r\n");
    EXPECT_EQ(child<QLabel>(&w, "Panel1")->text(),
              QStringLiteral("Lekérés folyamatban, kérem várjon"));
}
