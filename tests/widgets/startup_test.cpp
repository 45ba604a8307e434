#include "app_fixture.h"

#include "app/edition.h"
#include "app/language_window.h"
#include "app/widgets.h"
#include "discovery/search_window.h"
#include "serial/tasyncomm32.h"
#include "workspace/configurator_window.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using StartupTest = AppFixture;

TEST_F(StartupTest, WindowsAreCreatedOnceInTheirFixedOrder) {
    startApp(40);
    const QStringList expected = {
        "TForm1",    "TForm8",    "TForm7",    "TForm2",     "TForm3",
        "TForm4",    "TForm5",    "TForm6",    "TrajzGPS14", "Ttrekkamain",
        "TAV4Form1", "TAV4Form2", "Tcomprt",   "TForm10",    "TAV4Form3",
        "TAV4Form4", "Tav4Form5", "TAV4Form6", "TAV4Form7",  "TAV4Form8",
        "TAV4Form9", "TFirmware", "Tleiras",   "TSMSk",      "TMESS1"};
    EXPECT_EQ(app->creationOrder(), expected);
    EXPECT_EQ(app->context().keyPath, settingsKeyPath(40));
}

TEST_F(StartupTest, FirstRunShowsLanguageChooserAndAFlagOpensTheSearch) {
    startApp(40);
    form1()->startTimer();
    EXPECT_FALSE(form1()->isVisible());
    TForm10* chooser = app->languageWindow();
    ASSERT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Language/nyelv"));
    EXPECT_FALSE(chooser->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form1()->timerStart()->isActive());

    QTest::mouseClick(chooser->flag(0), Qt::LeftButton);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(stored(QStringLiteral("Language")), QStringLiteral("0"));
    EXPECT_TRUE(form1()->timerStart()->isActive()); // closing the chooser re-arms the gate

    form1()->startTimer();
    TForm8* search = app->searchWindow();
    EXPECT_TRUE(search->isVisible());
    EXPECT_EQ(search->windowTitle(), QStringLiteral("Keresés... NORVIK"));
    EXPECT_EQ(search->statusPanel(0), QStringLiteral("/nonexistent/port"));
    EXPECT_FALSE(form1()->timerStart()->isActive());
}

TEST_F(StartupTest, Edition20SkipsTheChooserAndChoosesEnglish) {
    startApp(20);
    form1()->startTimer();
    EXPECT_FALSE(app->languageWindow()->isVisible());
    EXPECT_TRUE(app->searchWindow()->isVisible());
    EXPECT_EQ(stored(QStringLiteral("Language")), QStringLiteral("1"));
}

TEST_F(StartupTest, StoredPortIsOpenedAsStoredAndShownWithoutPrefix) {
    seed(40, QStringLiteral("comport"), QStringLiteral("\\\\.\\COM17"));
    seed(40, QStringLiteral("Language"), QStringLiteral("0"));
    AlventoApplication::Options o;
    o.brandCode = 40;
    app = std::make_unique<AlventoApplication>(o);
    app->start();
    form1()->timerStart()->stop();
    form1()->timerAdas()->stop();
    EXPECT_EQ(form1()->channel()->deviceName(), QStringLiteral("\\\\.\\COM17"));
    EXPECT_EQ(app->searchWindow()->statusPanel(0), QStringLiteral("COM17"));
    EXPECT_EQ(form1()->channel()->baudRate(), 9600);
    EXPECT_FALSE(stored(QStringLiteral("StartDir")).isEmpty());
}

TEST_F(StartupTest, EmptyPortMeansCom1AndTrekkaModeRunsAt4800) {
    seed(40, QStringLiteral("mode"), QStringLiteral("TREKKA"));
    AlventoApplication::Options o;
    o.brandCode = 40;
    app = std::make_unique<AlventoApplication>(o);
    app->start();
    form1()->timerStart()->stop();
    form1()->timerAdas()->stop();
    EXPECT_EQ(form1()->channel()->deviceName(), QStringLiteral("COM1"));
    EXPECT_EQ(form1()->channel()->baudRate(), 4800);
    for (const char* name : {"Label2", "Label4", "Label5"})
        EXPECT_EQ(
            qobject_cast<QLabel*>(app->searchWindow()->control(QString::fromLatin1(name)))->text(),
            QStringLiteral("TREKKA/4800"));
}

TEST_F(StartupTest, UnwritableSettingsBringTheChooserBackAfterEveryChoice) {
    // A plain file where the edition's folder should be: nothing can be stored.
    QFile blocker(settingsDir.path() + QStringLiteral("/GSM"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    startApp(40);
    for (int round = 0; round < 2; ++round) {
        form1()->startTimer();
        ASSERT_TRUE(app->languageWindow()->isVisible()) << round;
        app->languageWindow()->chooseLanguage(1);
    }
    EXPECT_FALSE(app->searchWindow()->isVisible());
}

TEST_F(StartupTest, ClosingTheStartWindowEndsTheProgram) {
    startApp(40);
    QSignalSpy ended(form1(), &TForm1::programEnded);
    app->configurator()->askYesNo = [](const QString&) { return true; };
    app->configurator()->show();
    app->configurator()->close();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(app->ended());
    EXPECT_FALSE(form1()->channel()->isOpen());
}
