#include "app_fixture.h"

#include "discovery/search_window.h"
#include "serial/tasyncomm32.h"
#include "settings/edition.h"
#include "startup/language_window.h"
#include "ui/widgets.h"
#include "workspace/configurator_window.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

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
    startApp(40, QString()); // the stored port, no override
    EXPECT_EQ(form1()->channel()->deviceName(), QStringLiteral("\\\\.\\COM17"));
    EXPECT_EQ(app->searchWindow()->statusPanel(0), QStringLiteral("COM17"));
    EXPECT_EQ(form1()->channel()->baudRate(), 9600);
    EXPECT_FALSE(stored(QStringLiteral("StartDir")).isEmpty());
}

TEST_F(StartupTest, EmptyPortMeansCom1AndTrekkaModeRunsAt4800) {
    seed(40, QStringLiteral("mode"), QStringLiteral("TREKKA"));
    startApp(40, QString()); // the stored port, no override
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

namespace {
// The far end of a pseudo-terminal, played by the test.
struct PtyPeer {
    int master = -1;
    QString slavePath;
    PtyPeer() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        slavePath = QString::fromLocal8Bit(ptsname(master));
        fcntl(master, F_SETFL, O_NONBLOCK);
    }
    ~PtyPeer() { ::close(master); }
    QByteArray readAll() {
        QByteArray out;
        char buf[512];
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
            ssize_t n;
            while ((n = ::read(master, buf, sizeof buf)) > 0)
                out.append(buf, static_cast<int>(n));
        }
        return out;
    }
    void send(const QByteArray& b) {
        ASSERT_EQ(::write(master, b.constData(), b.size()), b.size());
    }
};
} // namespace

TEST_F(StartupTest, IdentifyCycleOnTheWireDrivenTickByTick) {
    PtyPeer peer;
    seed(40, QStringLiteral("Language"), QStringLiteral("0"));
    startApp(40, peer.slavePath);
    EXPECT_EQ(form1()->timerAdas()->interval(), 3000); // the first frame leaves after 3 s
    form1()->startTimer();
    ASSERT_TRUE(form1()->channel()->isOpen());
    peer.readAll();

    const QByteArray read = Frames::identifyRead().toByteArray();
    const QByteArray wake = Frames::identifyWake().toByteArray();
    QByteArray wire;
    for (int i = 0; i < 10; ++i) {
        form1()->adasTimer();
        wire += peer.readAll();
    }
    EXPECT_EQ(form1()->timerAdas()->interval(), 150);
    EXPECT_EQ(wire, read.repeated(4) + wake.repeated(4));
    TForm8* search = app->searchWindow();
    EXPECT_EQ(search->statusPanel(2), QStringLiteral("TX: 10"));

    // A reply split in two: one frame, the model shown, the dispatch armed.
    form1()->adasTimer();
    peer.readAll();
    const QByteArray reply = MemoryFrame::fromHeader(0xAB, 0, 0xFF, 71).toByteArray();
    peer.send(reply.left(3));
    peer.readAll();
    peer.send(reply.mid(3));
    peer.readAll();
    EXPECT_EQ(search->statusPanel(3), QStringLiteral("RX: 1"));
    EXPECT_EQ(search->statusPanel(1), QStringLiteral("Gsm: 71"));
    EXPECT_TRUE(form1()->timerAblakStart()->isActive());
    // Held here: the blink timer would close the port, the dispatch end the search.
    search->timerVilogo()->stop();
    form1()->timerAblakStart()->stop();
    // Three quiet ticks, then the reads go on.
    for (int i = 0; i < 3; ++i) {
        form1()->adasTimer();
        EXPECT_TRUE(peer.readAll().isEmpty()) << i;
    }
    form1()->adasTimer();
    EXPECT_EQ(peer.readAll(), read);

    // Good check with a bad complement counts as bad; a bad check does not.
    QByteArray badComplement = reply;
    badComplement[4] = static_cast<char>(badComplement[4] ^ 1);
    peer.send(badComplement);
    peer.readAll();
    EXPECT_EQ(search->statusPanel(4), QStringLiteral("BAD: 1"));
    form1()->adasTimer();
    peer.readAll();
    QByteArray badCheck = reply;
    badCheck[5] = static_cast<char>(badCheck[5] ^ 1);
    peer.send(badCheck);
    peer.readAll();
    EXPECT_EQ(search->statusPanel(3), QStringLiteral("RX: 3"));
    EXPECT_EQ(search->statusPanel(4), QStringLiteral("BAD: 1"));
}
