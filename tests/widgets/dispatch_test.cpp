#include "app_fixture.h"

#include "discovery/search_window.h"
#include "maintenance/status_window.h"
#include "serial/tasyncomm32.h"
#include "ui/widgets.h"
#include "workspace/configurator_window.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class SearchWindowTest : public AppFixture {
  protected:
    TForm8* openSearch(int brand, const QString& language) {
        seed(brand, QStringLiteral("Language"), language);
        startApp(brand);
        form1()->startTimer();
        TForm8* s = app->searchWindow();
        EXPECT_TRUE(s->isVisible());
        return s;
    }
    bool shown(TForm8* s, const char* name) {
        return !s->control(QString::fromLatin1(name))->isHidden();
    }
};

TEST_F(SearchWindowTest, CaptionsFollowLanguageAndEdition) {
    struct Case {
        int brand;
        const char* language;
        const char* caption;
        const char* exit;
    } cases[] = {
        {1, "0", "Keresés... KESTRIN", "Kilépés"},    {40, "0", "Keresés... NORVIK", "Kilépés"},
        {41, "0", "Keresés... Telvaro", "Kilépés"},   {40, "1", "Search... KESTRIN", "Exit"},
        {40, "2", "GSM die inspektion", "Beenden"},   {40, "3", "GSM preverba", "Izhod"},
        {20, "0", "Search... Pumara GSM", "Kilépés"}, {30, "1", "Keresés... Ferrolt", "Exit"},
        {50, "2", "Search... Sorel GSM", "Beenden"},
    };
    for (const auto& c : cases) {
        TForm8* s = openSearch(c.brand, QString::fromLatin1(c.language));
        EXPECT_EQ(s->windowTitle(), QString::fromUtf8(c.caption)) << c.brand << c.language;
        EXPECT_EQ(qobject_cast<QPushButton*>(s->control(QStringLiteral("BitBtn1")))->text(),
                  QString::fromUtf8(c.exit));
        app.reset();
    }
}

TEST_F(SearchWindowTest, EditionLayouts) {
    struct Case {
        int brand;
        const char* shownPanels;
        const char* label4;
        bool flags;
    } cases[] = {
        {1, "Panel2 Panel3", "Kestrin", true},
        {10, "Panel1 Panel2 Panel3", "Olmira GSM4", true},
        {20, "Panel1", "Kestrin", false},
        {30, "Panel1 Panel7", "Kestrin", true},
        {40, "Panel1 Panel2 Panel3 Panel7 Panel8", "Norvik", true},
        {41, "Panel3", "Telvaro", false},
        {50, "Panel2 Panel3", "Makrel", true},
    };
    const char* all[] = {"Panel1", "Panel2", "Panel3", "Panel4",
                         "Panel5", "Panel6", "Panel7", "Panel8"};
    for (const auto& c : cases) {
        TForm8* s = openSearch(c.brand, QStringLiteral("0"));
        const QStringList expected = QString::fromLatin1(c.shownPanels).split(u' ');
        for (const char* p : all)
            EXPECT_EQ(shown(s, p), expected.contains(QLatin1String(p))) << c.brand << " " << p;
        EXPECT_EQ(qobject_cast<QLabel*>(s->control(QStringLiteral("Label4")))->text(),
                  QString::fromUtf8(c.label4));
        EXPECT_EQ(shown(s, "Image7"), c.flags);
        EXPECT_EQ(shown(s, "BitBtn4"), c.brand == 50); // Demo
        EXPECT_EQ(shown(s, "TILed1"), c.brand == 50);
        app.reset();
    }
}

TEST_F(SearchWindowTest, FlagClickRewritesCaptionsAtOnceAndBlinksSixTicks) {
    TForm8* s = openSearch(40, QStringLiteral("0"));
    auto* flag = s->control(QStringLiteral("Image9"));
    QTest::mouseClick(flag, Qt::LeftButton);
    EXPECT_EQ(stored(QStringLiteral("Language")), QStringLiteral("2"));
    EXPECT_EQ(s->windowTitle(), QStringLiteral("GSM die inspektion"));
    EXPECT_EQ(qobject_cast<Led*>(s->control(QStringLiteral("hhALed3")))->color(), QColor(Qt::red));
    EXPECT_NE(qobject_cast<Led*>(s->control(QStringLiteral("hhALed1")))->color(), QColor(Qt::red));
    ASSERT_TRUE(s->timerZido()->isActive());
    s->timerZido()->stop();
    std::vector<bool> visible;
    for (int i = 0; i < 6; ++i) {
        s->zidoTimer();
        visible.push_back(!flag->isHidden());
    }
    EXPECT_EQ(visible, (std::vector<bool>{false, true, false, true, false, true}));
    s->zidoTimer();
    EXPECT_FALSE(flag->isHidden());
}

TEST_F(SearchWindowTest, MissingWriteRightsAreReported) {
    QFile blocker(settingsDir.path() + QStringLiteral("/GSM"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    startApp(20); // edition 20 passes the gate without a stored language
    form1()->startTimer();
    ASSERT_TRUE(app->searchWindow()->isVisible());
    auto* box = app->searchWindow()->findChild<QMessageBox*>(QStringLiteral("MessageBox"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(
        box->text(),
        QStringLiteral("Nincs windows írási joga! Kérem futtasa a programot Rendszergazdaként!"));
}

class DispatchTest : public SearchWindowTest {
  protected:
    TAV4Form1* demo(int brand, const char* panel) {
        TForm8* s = openSearch(brand, QStringLiteral("0"));
        s->demoStart(QString::fromLatin1(panel));
        EXPECT_TRUE(form1()->timerAblakStart()->isActive());
        EXPECT_EQ(form1()->timerAblakStart()->interval(), 2000);
        form1()->timerAblakStart()->stop();
        form1()->ablakSTARTTimer();
        EXPECT_FALSE(s->isVisible());
        EXPECT_EQ(form1()->handshake().LinkState, 0);
        return app->configurator();
    }
    QStringList visiblePages(TAV4Form1* c) {
        QStringList v;
        for (const PageInfo& p : configuratorPages())
            if (c->pageVisible(QString::fromLatin1(p.objectName)))
                v << QString::fromUtf8(p.caption);
        return v;
    }
};

TEST_F(DispatchTest, Model71InEdition40) {
    TAV4Form1* c = demo(40, "Panel3");
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(c->modelCode(), 71);
    EXPECT_EQ(c->moduleVersion(), 50); // a demo of this panel presets the version
    EXPECT_EQ(c->statusPanel(1), QStringLiteral("Norvik"));
    EXPECT_EQ(form1()->label3()->text(), QStringLiteral("Norvik"));
    EXPECT_TRUE(c->pageVisible(QStringLiteral("TabSheet22")));  // Hangok
    EXPECT_FALSE(c->pageVisible(QStringLiteral("TabSheet16"))); // Hőmérséklet
    EXPECT_FALSE(c->pageVisible(QStringLiteral("TabSheet20"))); // GPRS
    EXPECT_TRUE(app->statusWindow()->temperatureHidden());
}

TEST_F(DispatchTest, Model80InEdition30) {
    TAV4Form1* c = demo(30, "Panel1");
    EXPECT_EQ(c->modelCode(), 80);
    EXPECT_EQ(c->statusPanel(1), QStringLiteral("Ferrolt"));
    EXPECT_EQ(form1()->label3()->text(), QStringLiteral("Ferrolt"));
    for (const char* hidden : {"TabSheet4", "TabSheet5", "TabSheet12"})
        EXPECT_FALSE(c->pageVisible(QString::fromLatin1(hidden))) << hidden;
    EXPECT_FALSE(app->statusWindow()->temperatureHidden());
}

TEST_F(DispatchTest, Model100KeepsItsOwnPages) {
    TAV4Form1* c = demo(40, "Panel7");
    EXPECT_EQ(c->modelCode(), 100);
    EXPECT_EQ(visiblePages(c),
              (QStringList{"Telefonszámok", "Egyéb", "GPRS", "CID/SMS", "Távfelügyelet",
                           "Nyitás/Zárás", "Szám Azonosítás MEM"}));
    EXPECT_TRUE(app->statusWindow()->temperatureHidden());
}

TEST_F(DispatchTest, BlinkTimerClosesTheStartPortOnceAndBlinksTheFoundPanel) {
    TForm8* s = openSearch(40, QStringLiteral("0"));
    s->demoStart(QStringLiteral("Panel7"));
    ASSERT_TRUE(s->timerVilogo()->isActive());
    s->timerVilogo()->stop();
    form1()->timerAblakStart()->stop();
    QWidget* panel = s->control(QStringLiteral("Panel7"));
    form1()->channel()->setDeviceName(QStringLiteral("/nonexistent"));
    s->vilogoTimer();
    EXPECT_EQ(backgroundOf(panel), QColor(Qt::red));
    s->vilogoTimer();
    EXPECT_EQ(backgroundOf(panel), TForm8::panelGrey());
}

// Once there is nothing to show or do, the search window's and the start
// window's timers stop: a hidden search window animates nothing, a full
// gauge stays full, and the start window's send timer rests once it has
// given the port away.
TEST_F(SearchWindowTest, TimersStopWhenTheWindowHasNothingLeftToDo) {
    TForm8* s = openSearch(40, QStringLiteral("0"));
    ASSERT_TRUE(s->timerGauge()->isActive());
    s->timerGauge()->stop();
    s->timerGauge()->start();
    for (int i = 0; i < 99; ++i)
        s->gaugeidoTimer();
    EXPECT_TRUE(s->timerGauge()->isActive());
    s->gaugeidoTimer();
    EXPECT_FALSE(s->timerGauge()->isActive()); // full after 5 s

    QWidget* flag = s->control(QStringLiteral("Image8"));
    QTest::mouseClick(flag, Qt::LeftButton);
    s->zidoTimer();
    ASSERT_TRUE(flag->isHidden()); // half way through its blink
    s->demoStart(QStringLiteral("Panel3"));
    ASSERT_TRUE(s->timerVilogo()->isActive());
    form1()->timerAblakStart()->stop();
    form1()->ablakSTARTTimer(); // the dispatch closes the search window
    ASSERT_FALSE(s->isVisible());
    EXPECT_FALSE(s->timerVilogo()->isActive());
    EXPECT_FALSE(s->timerZido()->isActive());
    EXPECT_FALSE(s->timerGauge()->isActive());
    EXPECT_FALSE(flag->isHidden());

    // The start window's send timer: the port given away, it stops itself.
    QTimer* send = form1()->timerAdas();
    send->start();
    for (int i = 0; i < 10 && send->isActive(); ++i)
        form1()->adasTimer();
    EXPECT_FALSE(send->isActive());
    EXPECT_TRUE(form1()->idleClosed());
}

// Model 30 is configured in the start window: its transfers start the send
// timer again once it has gone to rest.
TEST_F(DispatchTest, AModule30TransferWakesTheStartWindowsSendTimer) {
    openSearch(40, QStringLiteral("0"));
    form1()->startDemo(30, 2);
    form1()->timerAblakStart()->stop();
    form1()->ablakSTARTTimer();
    ASSERT_TRUE(form1()->roleActive());
    QTimer* send = form1()->timerAdas();
    send->start();
    for (int i = 0; i < 10 && send->isActive(); ++i)
        form1()->adasTimer();
    ASSERT_FALSE(send->isActive());
    auto* read = form1()->findChild<QPushButton*>(QStringLiteral("readButton"));
    ASSERT_NE(read, nullptr);
    read->click();
    EXPECT_TRUE(send->isActive());
    EXPECT_EQ(send->interval(), 150);
}
