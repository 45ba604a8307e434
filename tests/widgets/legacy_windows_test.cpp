// The older device windows as a person meets them: dispatch, field rules,
// refusals, menus and helper windows, and layouts that name every input.
#include "app_fixture.h"

#include "discovery/model_table.h"
#include "legacy/converter_help_window.h"
#include "legacy/legacy_device_window.h"
#include "legacy/model30_form.h"
#include "legacy/wiring_window.h"
#include "serial/tasyncomm32.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <functional>

namespace {
template <class T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

QAction* action(QWidget* w, const char* name) {
    return w->findChild<QAction*>(QString::fromLatin1(name));
}
} // namespace

class LegacyWindows : public AppFixture {
  protected:
    // Dispatches a model as if discovery had found it.
    void dispatchModel(int model) {
        startApp(40);
        form1()->handshake().ModelCode = model;
        app->dispatch();
    }
    template <class W> void collect(W* w) {
        w->tell = [this](const QString& t) { messages << t; };
    }
    QStringList messages;
};

// A device window's send timer ticks only while it has work: with nothing
// pending, its port closed and the hold-off spent it stops, and the next
// transfer starts it again.
TEST_F(LegacyWindows, SendTimersStopWhenIdleAndTheNextTransferStartsThem) {
    struct Case {
        int model;
        const char* transfer;
        std::function<void(LegacyDeviceWindow*)> start;
    };
    const Case cases[] = {
        {50, "read", [](LegacyDeviceWindow* w) { w->OlvasasClick(); }},
        {50, "restart",
         [](LegacyDeviceWindow* w) {
             auto* conv = static_cast<TForm5*>(w);
             conv->askYesNo = [](const QString&) { return true; };
             conv->restartClick();
         }},
        {60, "read", [](LegacyDeviceWindow* w) { w->OlvasasClick(); }},
        {61, "read", [](LegacyDeviceWindow* w) { w->OlvasasClick(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + " " + c.transfer);
        dispatchModel(c.model);
        LegacyDeviceWindow* w =
            c.model == 50   ? static_cast<LegacyDeviceWindow*>(app->converterWindow())
            : c.model == 60 ? static_cast<LegacyDeviceWindow*>(app->trekkaWindow())
                            : static_cast<LegacyDeviceWindow*>(app->marloWindow());
        // The windows nobody dispatched stop at their first tick.
        for (LegacyDeviceWindow* other : {static_cast<LegacyDeviceWindow*>(app->converterWindow()),
                                          static_cast<LegacyDeviceWindow*>(app->trekkaWindow()),
                                          static_cast<LegacyDeviceWindow*>(app->marloWindow())}) {
            if (other == w)
                continue;
            other->adasTimer();
            EXPECT_FALSE(other->timerAdas()->isActive()) << other->objectName().toStdString();
        }
        w->timerAdas()->start();
        w->setLinkState(0); // the version read given up
        w->adasTimer();
        EXPECT_FALSE(w->timerAdas()->isActive());
        w->adasTimer(); // a stray tick changes nothing
        EXPECT_FALSE(w->timerAdas()->isActive());
        c.start(w);
        EXPECT_NE(w->linkState(), 0);
        EXPECT_TRUE(w->timerAdas()->isActive());
        EXPECT_EQ(w->timerAdas()->interval(), 350);
        app.reset();
    }
}

TEST_F(LegacyWindows, Model61IsDispatchedToTheMarloWindowReadingItsVersion) {
    EXPECT_TRUE(discoveryDispatches(61));
    const ModelInfo* m = findModel(61);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->pictureIndex, 6); // the GPS panel
    EXPECT_TRUE(m->blink);

    dispatchModel(61);
    TForm7* marlo = app->marloWindow();
    EXPECT_TRUE(marlo->isVisible());
    EXPECT_FALSE(form1()->isVisible());
    EXPECT_EQ(marlo->windowTitle(), QStringLiteral("Alvento_Marlo"));
    EXPECT_EQ(marlo->linkState(), LegacyDeviceWindow::kVersionRead);
    EXPECT_FALSE(child<QPushButton>(marlo, "readButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(marlo, "sendButton")->isEnabled());
    EXPECT_EQ(form1()->label3()->text(), QStringLiteral("AV_GPS_MARLO"));
}

TEST_F(LegacyWindows, Model30FieldRulesWhileTyping) {
    dispatchModel(30);
    ASSERT_TRUE(form1()->isVisible());
    ASSERT_TRUE(form1()->roleActive());
    Model30Form* f = app->model30Form();
    EXPECT_TRUE(child<QPushButton>(f, "readButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(f, "sendButton")->isEnabled());

    auto* box = child<QCheckBox>(f, "CheckBox1");
    auto* field = child<QLineEdit>(f, "Edit2");
    EXPECT_EQ(field->text(), QStringLiteral("FFFFFFFFFFF"));
    EXPECT_FALSE(field->isEnabled());
    box->setChecked(true);
    EXPECT_TRUE(field->isEnabled());
    struct Typed {
        const char* keys;
        const char* kept;
    } typed[] = {{"120", "12A"}, {"12g", "12"}, {"ab0c", "ABAC"}, {"0", "A"}};
    for (const auto& t : typed) {
        field->clear();
        QTest::keyClicks(field, QString::fromLatin1(t.keys));
        EXPECT_EQ(field->text(), QString::fromLatin1(t.kept)) << t.keys;
        EXPECT_EQ(field->cursorPosition(), field->text().size());
    }
    box->setChecked(false);
    EXPECT_FALSE(field->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(f, "CheckBox10")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(f, "CheckBox20")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(f, "ComboBox1")->isEnabled());
    EXPECT_EQ(child<QComboBox>(f, "ComboBox2")->currentText(), QStringLiteral("Kikapcsolva"));

    auto* account = child<QLineEdit>(f, "Edit1");
    EXPECT_FALSE(account->isEnabled());
    child<QRadioButton>(f, "Kezi")->setChecked(true);
    EXPECT_TRUE(account->isEnabled());
    QTest::keyClicks(account, QStringLiteral("a0b"));
    EXPECT_EQ(account->text(), QStringLiteral("ab"));
    QTest::keyClicks(account, QStringLiteral("cde"));
    EXPECT_EQ(account->text(), QStringLiteral("ABCD"));
    child<QRadioButton>(f, "Automatikus")->setChecked(true);
    EXPECT_TRUE(account->text().isEmpty());
    EXPECT_FALSE(account->isEnabled());
}

// Before a read the form has nothing for the heartbeat and events 16 and 17.
TEST_F(LegacyWindows, SendBeforeReadIsRefusedInEveryWindow) {
    dispatchModel(30);
    Model30Form* f = app->model30Form();
    QStringList said;
    f->tell = [&](const QString& t) { said << t; };
    child<QPushButton>(f, "sendButton")->click();
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains(QStringLiteral("Olvasás")));
    EXPECT_EQ(f->linkState(), 0);
    EXPECT_TRUE(child<QPushButton>(f, "sendButton")->isEnabled());

    TForm5* conv = app->converterWindow();
    collect(conv);
    conv->ElkuldesClick();
    TForm7* marlo = app->marloWindow();
    collect(marlo);
    marlo->ElkuldesClick();
    Ttrekkamain* trekka = app->trekkaWindow();
    collect(trekka);
    trekka->ElkuldesClick();
    ASSERT_EQ(messages.size(), 3);
    for (const QString& m : messages)
        EXPECT_TRUE(m.contains(QStringLiteral("Olvasás"))) << m.toStdString();
    EXPECT_EQ(conv->linkState(), 0);
    EXPECT_EQ(marlo->linkState(), 0);
    EXPECT_EQ(trekka->linkState(), 0);
}

TEST_F(LegacyWindows, ConverterCommandsAskFirst) {
    dispatchModel(50);
    TForm5* conv = app->converterWindow();
    EXPECT_TRUE(conv->isVisible());
    EXPECT_EQ(conv->windowTitle(), QStringLiteral("Konverter"));
    EXPECT_EQ(child<QLabel>(conv, "Label3")->text(), QStringLiteral("GPRS to ContacdID konverter"));
    struct Case {
        void (TForm5::*click)();
        const char* question;
        int state;
    } cases[] = {
        {&TForm5::restartClick, "Biztosan újra akarja inditani az átalakitót?", TForm5::kRestart},
        {&TForm5::telnetClick, "Biztosan leállitja az átalakitót és belép TELNET módba?",
         TForm5::kTelnet},
        {&TForm5::gsmRouteClick, "Biztosan leállitja az átalakitót és belép GSM ROUTE módba?",
         TForm5::kGsmRoute},
    };
    for (const auto& c : cases) {
        QString asked;
        conv->askYesNo = [&](const QString& q) {
            asked = q;
            return false;
        };
        conv->setLinkState(0);
        (conv->*c.click)();
        EXPECT_EQ(asked, QString::fromUtf8(c.question));
        EXPECT_EQ(conv->linkState(), 0);
        conv->askYesNo = [](const QString&) { return true; };
        (conv->*c.click)();
        EXPECT_EQ(conv->linkState(), c.state);
    }
    collect(conv);
    action(conv, "Verzio")->trigger();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Verzió: 1.0")});

    // "Reset" puts the sensitivity back to 510.
    auto* spin = child<QSpinBox>(conv, "SpinEdit1");
    spin->setValue(42);
    child<QPushButton>(conv, "ResetButton")->click();
    EXPECT_EQ(spin->value(), 510);
}

TEST_F(LegacyWindows, ConverterHelpShowsEitherTextAndReopensOnTheGuide) {
    dispatchModel(50);
    TForm6* help = app->converterHelp();
    EXPECT_FALSE(help->isVisible());
    action(app->converterWindow(), "Leiras")->trigger();
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isModal());
    EXPECT_FALSE(help->telnetShown());
    const QString guide = child<QPlainTextEdit>(help, "guideText")->toPlainText();
    for (const char* part :
         {"APN", "(Sum of all message digits + S) MOD 15 = 0", "QXZY [4]", "Külső kommunikáció"})
        EXPECT_TRUE(guide.contains(QString::fromUtf8(part))) << part;
    child<QPushButton>(help, "telnetButton")->click();
    EXPECT_TRUE(help->telnetShown());
    const QString telnet = child<QPlainTextEdit>(help, "telnetText")->toPlainText();
    for (const char* part : {"LAN TELNET MODE", "9600,N,1,none", "Conectmode = D6"})
        EXPECT_TRUE(telnet.contains(QString::fromUtf8(part))) << part;
    child<QPushButton>(help, "okButton")->click();
    EXPECT_FALSE(help->isVisible());
    action(app->converterWindow(), "Leiras")->trigger();
    EXPECT_FALSE(help->telnetShown());
    help->close();
}

TEST_F(LegacyWindows, TrekkaWindowAt4800WithItsIpRuleAndPresets) {
    dispatchModel(60);
    Ttrekkamain* t = app->trekkaWindow();
    EXPECT_TRUE(t->isVisible());
    EXPECT_EQ(t->windowTitle(), QStringLiteral("TREKKA konfigurációs lap"));
    EXPECT_EQ(t->linkState(), 0);
    EXPECT_EQ(t->channel()->baudRate(), 4800);
    EXPECT_TRUE(child<QPushButton>(t, "readButton")->isEnabled());
    EXPECT_EQ(t->statusPanel(0), QStringLiteral("TX>0"));
    EXPECT_EQ(t->statusPanel(2), QStringLiteral("Error>0"));
    collect(t);

    auto* ip = child<QLineEdit>(t, "Edit1");
    QTest::keyClicks(ip, QStringLiteral("192.16"));
    EXPECT_EQ(ip->text(), QStringLiteral("192.16"));
    EXPECT_TRUE(messages.isEmpty());
    QTest::keyClicks(ip, QStringLiteral("x"));
    EXPECT_TRUE(ip->text().isEmpty());
    EXPECT_EQ(messages, QStringList{QStringLiteral("Nem megfelelo karakter")});

    // The servers are the settings' own: unset or malformed, an item says so
    // and writes nothing; set, it fills the 15-character form.
    QMenu* servers = t->findChild<QMenu*>(QStringLiteral("IpCimek"));
    ASSERT_NE(servers, nullptr);
    ASSERT_EQ(servers->actions().size(), 2);
    app->context().write(QStringLiteral("trekkaserver2"), QStringLiteral("10.2.300.4"));
    emit servers->aboutToShow();
    for (QAction* a : servers->actions()) {
        EXPECT_FALSE(a->isEnabled());
        EXPECT_TRUE(a->text().contains(QStringLiteral("nincs beállítva")))
            << a->text().toStdString();
    }
    ip->setText(QStringLiteral("192.16"));
    servers->actions()[1]->trigger();
    EXPECT_EQ(ip->text(), QStringLiteral("192.16"));

    app->context().write(QStringLiteral("trekkaserver2"), QStringLiteral("10.2.30.4"));
    emit servers->aboutToShow();
    EXPECT_FALSE(servers->actions()[0]->isEnabled());
    ASSERT_TRUE(servers->actions()[1]->isEnabled());
    EXPECT_EQ(servers->actions()[1]->text(), QStringLiteral("10.2.30.4"));
    servers->actions()[1]->trigger();
    EXPECT_EQ(ip->text(), QStringLiteral("010.002.030.004"));
    EXPECT_TRUE(Trekka::ipProblem(ip->text(), true).isEmpty());

    messages.clear();
    action(t, "Verzio")->trigger();
    EXPECT_EQ(messages, QStringList{QStringLiteral("PC szoftver verzió: 1.0")});
}

TEST_F(LegacyWindows, MarloWiringDiagram) {
    dispatchModel(61);
    TrajzGPS14* rajz = app->wiringDiagram();
    child<QPushButton>(app->marloWindow(), "wiringButton")->click();
    EXPECT_TRUE(rajz->isVisible());
    EXPECT_TRUE(rajz->isModal());
    // No drawing of the tool's own: the maker's picture, or a note in its place.
    EXPECT_FALSE(rajz->hasPicture());
    EXPECT_TRUE(child<QLabel>(rajz, "Image1")->text().contains(QStringLiteral("nincs telepítve")));
    EXPECT_TRUE(child<QLabel>(rajz, "Image1")->text().contains(QStringLiteral("wiring_gps.jpg")));
    child<QPushButton>(rajz, "exitButton")->click();
    EXPECT_FALSE(rajz->isVisible());

    auto* grid = child<QTableWidget>(app->marloWindow(), "StringGrid1");
    EXPECT_EQ(grid->rowCount(), 64);
    EXPECT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Latitude min"));
    EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), QStringLiteral("Longitude max"));
}

// Every input is named by a label (its buddy) or, beside a box that names it,
// by its accessible name; nothing is drawn narrower than it needs.
TEST_F(LegacyWindows, LayoutsNameEveryInputAndClipNothing) {
    startApp(40);
    form1()->handshake().ModelCode = 30;
    app->dispatch();
    QWidget* windows[] = {form1(), app->converterWindow(), app->marloWindow(), app->trekkaWindow()};
    for (QWidget* w : windows) {
        SCOPED_TRACE(w->objectName().toStdString());
        w->show();
        QApplication::processEvents();
        QList<QWidget*> named;
        for (QLabel* l : w->findChildren<QLabel*>())
            if (l->buddy())
                named << l->buddy();
        for (QWidget* input : w->findChildren<QWidget*>()) {
            const bool isInput =
                qobject_cast<QLineEdit*>(input) || qobject_cast<QComboBox*>(input) ||
                qobject_cast<QSpinBox*>(input) || qobject_cast<QTableWidget*>(input);
            // Line edits inside a spin box or combo box belong to it.
            if (!isInput || qobject_cast<QAbstractSpinBox*>(input->parentWidget()) ||
                qobject_cast<QComboBox*>(input->parentWidget()))
                continue;
            EXPECT_TRUE(named.contains(input) || !input->accessibleName().isEmpty())
                << input->objectName().toStdString();
        }
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (!c->isVisible() || !(qobject_cast<QAbstractButton*>(c) || qobject_cast<QLabel*>(c)))
                continue;
            EXPECT_GE(c->width(), c->minimumSizeHint().width()) << c->objectName().toStdString();
            EXPECT_GE(c->height(), c->minimumSizeHint().height()) << c->objectName().toStdString();
        }
    }
}
