#include "serial/memory_frame.h"
#include "settings/app_context.h"
#include "settings/settings_store.h"
#include "startup/port_chooser_window.h"
#include "support/pty_sim.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kComport = QStringLiteral("comport");

// A module on a pseudo-terminal that answers the identify read (and nothing
// else) with a reply carrying `modelByte` as its data byte.
class PtyModule {
  public:
    explicit PtyModule(uint8_t modelByte) : modelByte_(modelByte) {
        if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
            return;
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        path_ = QString::fromLocal8Bit(ttyname(slave_));
        // Holding the slave open keeps the master readable while the chooser
        // has the port closed between probes.
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { serve(); });
    }
    ~PtyModule() {
        notifier_.reset();
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
    }
    QString path() const { return path_; }
    int requests() const { return requests_; }
    int replies() const { return replies_; }

  private:
    void serve() {
        char buf[256];
        const auto n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            return;
        pending_.append(buf, static_cast<int>(n));
        while (pending_.size() >= 6) {
            const QByteArray request = pending_.left(6);
            pending_.remove(0, 6);
            ++requests_;
            if (request != Frames::identifyRead().toByteArray())
                continue;
            const QByteArray reply =
                MemoryFrame::build(0x00FF, Frames::kRead, modelByte_).toByteArray();
            if (::write(master_, reply.constData(), 6) == 6)
                ++replies_;
        }
    }

    uint8_t modelByte_;
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QByteArray pending_;
    int requests_ = 0;
    int replies_ = 0;
};

template <typename Pred> bool waitUntil(Pred pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < timeoutMs)
        QTest::qWait(10);
    return pred();
}

class PortChooserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config_.isValid());
        ASSERT_TRUE(comDir_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        qputenv("ALVENTO_COM_DIR", comDir_.path().toLocal8Bit());
        ctx_.keyPath = QStringLiteral("\\software\\alvento-test\\PortChooser");
    }
    void TearDown() override {
        qunsetenv("ALVENTO_COM_DIR");
        qunsetenv("XDG_CONFIG_HOME");
    }

    // A chooser built but not yet shown, so a test can prepare its controls
    // before activation runs.
    std::unique_ptr<Tcomprt> makeChooser() {
        auto w = std::make_unique<Tcomprt>(ctx_);
        QObject::connect(w.get(), &Tcomprt::programEndRequested, [this] { ++startWindowClosed_; });
        return w;
    }
    void showChooser(Tcomprt& w) {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    std::unique_ptr<Tcomprt> openChooser() {
        auto w = makeChooser();
        showChooser(*w);
        return w;
    }

    static QList<QRadioButton*> radios(Tcomprt& w) {
        return w.findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))
            ->findChildren<QRadioButton*>();
    }
    static int checkedRadio(Tcomprt& w) {
        const auto items = radios(w);
        for (int i = 0; i < items.size(); ++i)
            if (items[i]->isChecked())
                return i;
        return -1;
    }
    template <typename T> static T* child(Tcomprt& w, const char* name) {
        auto* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void click(Tcomprt& w, const char* button) {
        QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
    }

    // Starts the automatic search with its button, then takes over the pacing
    // so each tick happens when the test says.
    static void startSearchByHand(Tcomprt& w) {
        click(w, "BitBtn3");
        child<QTimer>(w, "Timer1")->stop();
    }
    // The three ticks one port gets; the reply (if a module is there) is let in
    // between the request and the closing tick.
    static void probeOnePort(Tcomprt& w, const PtyModule* module = nullptr) {
        w.Timer1Timer();
        w.Timer1Timer();
        if (module) {
            const int before = module->replies();
            EXPECT_TRUE(waitUntil([&] { return module->replies() > before; }, 2000));
            QTest::qWait(100);
        }
        w.Timer1Timer();
    }

    bool linkAsNumberedPort(const PtyModule& module, int number) {
        return QFile::link(module.path(), comDir_.filePath(QStringLiteral("COM%1").arg(number)));
    }

    QTemporaryDir config_;
    QTemporaryDir comDir_;
    AppContext ctx_;
    int startWindowClosed_ = 0;
};

TEST_F(PortChooserTest, ActivationSelectsTheStoredPort) {
    struct Case {
        const char* stored; // nullptr: no value stored yet
        int radio;          // -1: nothing selected
        int spin;
        const char* storedAfter;
    };
    const Case cases[] = {
        {nullptr, 0, 99, "COM1"},
        {"COM3", 2, 99, "COM3"},
        {"COM8", 7, 99, "COM8"},
        {"\\\\.\\COM17", 8, 17, "\\\\.\\COM17"},
        {"\\\\.\\COM5", 8, 5, "\\\\.\\COM5"},
        {"\\\\.\\COM512", 8, 512, "\\\\.\\COM512"},
        {"COM9", -1, 99, "COM9"},
        {"com3", -1, 99, "com3"},
        {"/dev/ttyUSB0", -1, 99, "/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        QFile::remove(SettingsStore::locationOf(ctx_.keyPath));
        if (c.stored)
            ctx_.write(kComport, QString::fromLatin1(c.stored));
        auto w = makeChooser();
        // A leftover choice must not survive activation.
        radios(*w)[5]->setChecked(true);
        child<QSpinBox>(*w, "SpinEdit1")->setValue(99);
        showChooser(*w);
        EXPECT_EQ(checkedRadio(*w), c.radio);
        EXPECT_EQ(child<QSpinBox>(*w, "SpinEdit1")->value(), c.spin);
        EXPECT_EQ(ctx_.read(kComport), QString::fromLatin1(c.storedAfter));
        EXPECT_EQ(startWindowClosed_, 0);
    }
}

TEST_F(PortChooserTest, OkStoresTheChosenPortAndEndsTheProgram) {
    struct Case {
        int radio; // -1: leave the selection empty
        int spin;
        const char* expected;
    };
    const Case cases[] = {
        {0, 1, "COM1"},        {7, 1, "COM8"},  {8, 17, "\\\\.\\COM17"},
        {8, 3, "\\\\.\\COM3"}, {-1, 1, "COM9"}, // nothing chosen: the stored value stays
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        startWindowClosed_ = 0;
        ctx_.write(kComport, QStringLiteral("COM9"));
        auto w = openChooser();
        ASSERT_EQ(checkedRadio(*w), -1);
        if (c.radio >= 0)
            QTest::mouseClick(radios(*w)[c.radio], Qt::LeftButton);
        child<QSpinBox>(*w, "SpinEdit1")->setValue(c.spin);
        click(*w, "BitBtn1");
        EXPECT_EQ(ctx_.read(kComport), QString::fromLatin1(c.expected));
        EXPECT_EQ(startWindowClosed_, 1);
        EXPECT_EQ(w->result(), QDialog::Accepted);
        EXPECT_FALSE(w->isVisible());
    }
}

TEST_F(PortChooserTest, EnterConfirmsLikeTheOkButton) {
    ctx_.write(kComport, QStringLiteral("COM3"));
    auto w = openChooser();
    QTest::mouseClick(radios(*w)[1], Qt::LeftButton);
    QTest::keyClick(w.get(), Qt::Key_Return);
    EXPECT_EQ(ctx_.read(kComport), QStringLiteral("COM2"));
    EXPECT_EQ(startWindowClosed_, 1);
}

TEST_F(PortChooserTest, CancelEndsTheProgramWithoutStoring) {
    ctx_.write(kComport, QStringLiteral("COM3"));
    auto w = openChooser();
    QTest::mouseClick(radios(*w)[6], Qt::LeftButton);
    click(*w, "BitBtn2");
    EXPECT_EQ(ctx_.read(kComport), QStringLiteral("COM3"));
    EXPECT_EQ(startWindowClosed_, 1);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(PortChooserTest, PickingAListedPortStoresItAndEndsTheProgram) {
    struct Case {
        Tcomprt::PortEntry port;
        const char* expected;
    };
    const Case cases[] = {
        // The name decides, not where the device lives.
        {{"COM5", "USB Serial Port", "/dev/serial/by-id/usb-COM5"}, "\\\\.\\COM5"},
        {{"COM12", "", "\\\\.\\COM12"}, "\\\\.\\COM12"},
        {{"ttyUSB0", "FT232R USB UART", "/dev/ttyUSB0"}, "/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        startWindowClosed_ = 0;
        ctx_.write(kComport, QStringLiteral("COM3"));
        auto w = openChooser();
        w->showPortList({c.port});
        auto* list = child<QComboBox>(*w, "ComboBox1");
        ASSERT_EQ(list->count(), 1);
        EXPECT_TRUE(list->itemText(0).startsWith(c.port.name));
        EXPECT_TRUE(list->itemText(0).contains(c.port.description));
        EXPECT_EQ(startWindowClosed_, 0);

        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(ctx_.read(kComport), QString::fromLatin1(c.expected));
        EXPECT_EQ(startWindowClosed_, 1);
        EXPECT_FALSE(w->isVisible());
    }
}

TEST_F(PortChooserTest, SearchFindsTheModuleAndOkStoresItsNumber) {
    PtySim module({QStringLiteral("--model"), QStringLiteral("70"), QStringLiteral("--link"),
                   comDir_.filePath(QStringLiteral("COM5"))});
    ASSERT_TRUE(module.started());
    ctx_.write(kComport, QStringLiteral("COM1"));
    auto w = openChooser();
    auto* label = child<QLabel>(*w, "Label1");
    auto* timer = child<QTimer>(*w, "Timer1");

    click(*w, "BitBtn3");
    ASSERT_TRUE(waitUntil([&] { return label->text() == QStringLiteral("Ready COM5"); }, 15000))
        << label->text().toStdString();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(checkedRadio(*w), 8);
    EXPECT_EQ(child<QSpinBox>(*w, "SpinEdit1")->value(), 5);
    // Finding stores nothing yet, and the search stays stopped.
    EXPECT_EQ(ctx_.read(kComport), QStringLiteral("COM1"));
    const QString identifyRead = QStringLiteral("RX 00 00 FF 00 01 FE");
    EXPECT_GE(module.countLines(identifyRead), 1);
    const int requests = module.countLines(identifyRead);
    // With the probe timer stopped nothing can send any more.
    QCoreApplication::processEvents();
    EXPECT_EQ(module.countLines(identifyRead), requests);
    EXPECT_EQ(child<QSpinBox>(*w, "SpinEdit1")->value(), 5);

    click(*w, "BitBtn1");
    EXPECT_EQ(ctx_.read(kComport), QStringLiteral("\\\\.\\COM5"));
    EXPECT_EQ(startWindowClosed_, 1);
}

TEST_F(PortChooserTest, OnlyModelBytesElevenToTwoFiftyThreeCountAsFound) {
    struct Case {
        uint8_t modelByte;
        bool found;
    };
    const Case cases[] = {{10, false}, {11, true}, {70, true}, {253, true}, {254, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.modelByte);
        PtyModule module(c.modelByte);
        QFile::remove(comDir_.filePath(QStringLiteral("COM1")));
        ASSERT_TRUE(linkAsNumberedPort(module, 1));
        auto w = openChooser();
        w->showPortList({});
        QTest::mouseClick(radios(*w)[2], Qt::LeftButton);
        startSearchByHand(*w);

        probeOnePort(*w, &module);
        EXPECT_EQ(module.requests(), 1);
        EXPECT_EQ(child<QLabel>(*w, "Label1")->text(),
                  c.found ? QStringLiteral("Ready COM1") : QString());
        EXPECT_EQ(checkedRadio(*w), c.found ? 8 : 2);
        // Not found: the next tick moves on to port 2.
        w->Timer1Timer();
        EXPECT_EQ(child<QSpinBox>(*w, "SpinEdit1")->value(), c.found ? 1 : 2);
    }
}

TEST_F(PortChooserTest, ARejectedReplyDoesNotHideAModuleOnTheNextPort) {
    PtyModule other(254);
    PtyModule module(90);
    ASSERT_TRUE(linkAsNumberedPort(other, 1));
    ASSERT_TRUE(linkAsNumberedPort(module, 2));
    auto w = openChooser();
    w->showPortList({});
    startSearchByHand(*w);

    probeOnePort(*w, &other);
    EXPECT_TRUE(child<QLabel>(*w, "Label1")->text().isEmpty());
    probeOnePort(*w, &module);
    EXPECT_EQ(child<QLabel>(*w, "Label1")->text(), QStringLiteral("Ready COM2"));
}

TEST_F(PortChooserTest, ListShowsTheStoredPortAndTheSearchNamesWhatItTries) {
    ctx_.write(kComport, QStringLiteral("/dev/ttyUSB0"));
    auto w = openChooser();
    w->showPortList({{"ttyS0", "", "/dev/ttyS0"}, {"ttyUSB0", "FT232R", "/dev/ttyUSB0"}});
    EXPECT_EQ(child<QComboBox>(*w, "ComboBox1")->currentIndex(), 1);
    EXPECT_EQ(startWindowClosed_, 0) << "showing the stored port chooses nothing";

    w->showPortList({});
    startSearchByHand(*w);
    auto* probe = child<QLabel>(*w, "probeLabel");
    const QString none =
        QStringLiteral("Egyik porton sem válaszolt modul; a keresés elölről folytatódik.");
    w->Timer1Timer();
    EXPECT_EQ(probe->text(), QStringLiteral("Keresés: COM1..."));
    w->Timer1Timer();
    w->Timer1Timer();
    for (int port = 2; port <= 32; ++port)
        probeOnePort(*w);
    EXPECT_EQ(probe->text(), none);
    w->Timer1Timer();
    EXPECT_EQ(probe->text(), QStringLiteral("Keresés: COM1...\n") + none);
}

TEST_F(PortChooserTest, SearchCyclesBackToPortOneAfterThirtyTwo) {
    PtyModule module(70);
    auto w = openChooser();
    w->showPortList({});
    startSearchByHand(*w);
    auto* spin = child<QSpinBox>(*w, "SpinEdit1");

    // Nothing on port 1 during the first round; the module appears afterwards.
    probeOnePort(*w);
    ASSERT_TRUE(linkAsNumberedPort(module, 1));
    for (int port = 2; port <= 32; ++port) {
        probeOnePort(*w);
        ASSERT_EQ(spin->value(), port);
    }
    EXPECT_EQ(module.requests(), 0);
    EXPECT_TRUE(child<QLabel>(*w, "Label1")->text().isEmpty());

    probeOnePort(*w, &module);
    EXPECT_EQ(spin->value(), 1);
    EXPECT_EQ(child<QLabel>(*w, "Label1")->text(), QStringLiteral("Ready COM1"));
}

TEST_F(PortChooserTest, SearchProbesListedPortsAfterTheNumberedOnes) {
    PtyModule module(80);
    ctx_.write(kComport, QStringLiteral("COM2"));
    auto w = openChooser();
    w->showPortList({{"ttyDEAD0", "", comDir_.filePath(QStringLiteral("missing"))},
                     {"ttyFAKE1", "FT232R USB UART", module.path()}});
    auto* list = child<QComboBox>(*w, "ComboBox1");
    startSearchByHand(*w);

    for (int port = 1; port <= 32; ++port)
        probeOnePort(*w);
    EXPECT_EQ(module.requests(), 0);
    probeOnePort(*w); // the missing one
    probeOnePort(*w, &module);
    EXPECT_EQ(child<QLabel>(*w, "Label1")->text(), QStringLiteral("Ready ttyFAKE1"));
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(checkedRadio(*w), -1);
    // Showing the find in the list is not a pick: nothing stored, still open.
    EXPECT_EQ(ctx_.read(kComport), QStringLiteral("COM2"));
    EXPECT_EQ(startWindowClosed_, 0);

    click(*w, "BitBtn1");
    EXPECT_EQ(ctx_.read(kComport), module.path());
    EXPECT_EQ(startWindowClosed_, 1);
}

TEST_F(PortChooserTest, RadioChoiceAfterAListedFindWins) {
    PtyModule module(80);
    auto w = openChooser();
    w->showPortList({{"ttyFAKE1", "", module.path()}});
    startSearchByHand(*w);
    for (int port = 1; port <= 32; ++port)
        probeOnePort(*w);
    probeOnePort(*w, &module);
    ASSERT_EQ(child<QLabel>(*w, "Label1")->text(), QStringLiteral("Ready ttyFAKE1"));

    QTest::mouseClick(radios(*w)[3], Qt::LeftButton);
    click(*w, "BitBtn1");
    EXPECT_EQ(ctx_.read(kComport), QStringLiteral("COM4"));
}

} // namespace
