// An idle configurator wakes for nothing but its clock: the five engine
// timers stop once the engine has let go of the port, and the next operation
// starts them again. Against the simulator over a pty, with its example
// configuration.
#include "core/example_config.h"
#include "i18n/messages.h"
#include "pages_fixture.h"
#include "serial/tasyncomm32.h"
#include "support/pty_sim.h"
#include "support/wait.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

const char* const kEngineTimers[] = {"adas", "Timer1", "Timer2", "Timer3", "Timer4"};

} // namespace

class ConfiguratorIdle : public PagesFixture {
  protected:
    QStringList runningEngineTimers() const {
        QStringList running;
        for (const char* name : kEngineTimers) {
            auto* t = window->findChild<QTimer*>(QString::fromLatin1(name));
            EXPECT_NE(t, nullptr) << name;
            if (t && t->isActive())
                running << QString::fromLatin1(name);
        }
        return running;
    }
    bool idle() const { return runningEngineTimers().isEmpty(); }
};

TEST_F(ConfiguratorIdle, EngineTimersStopWhenIdleAndTheNextReadStartsThem) {
    PtySim sim({"--model", "71", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    open(71);
    ctx.portOverride = sim.path();
    EXPECT_TRUE(idle()) << "nothing to do before the window is shown";

    // The activation asks the module's version: the timers run for it.
    window->show();
    EXPECT_EQ(runningEngineTimers().size(), 5);
    ASSERT_TRUE(waitUntil([this] { return idle(); }, 20000))
        << runningEngineTimers().join(u' ').toStdString();
    EXPECT_EQ(window->statusPanel(2), QStringLiteral("Sw: 4.3"));
    EXPECT_FALSE(window->engine().needsTicks());
    EXPECT_FALSE(window->channel()->isOpen());
    // Nothing starts them again by itself.
    waitUntil([] { return false; }, 500);
    EXPECT_TRUE(idle());

    auto* read = control<QPushButton>("BitBtn2");
    ASSERT_TRUE(read);
    read->click();
    EXPECT_EQ(runningEngineTimers().size(), 5);
    const QString done = message("engine.readout_done", 0);
    ASSERT_TRUE(waitUntil([&] { return window->statusPanel(3) == done; }, 30000))
        << window->statusPanel(3).toStdString();
    // What the pages now hold is the module's configuration.
    const alvento::sim::Bytes module = alvento::sim::exampleConfiguration(71);
    for (int a = 0; a < 1536; ++a) {
        if (a == 252 || a == 254 || a == 255)
            continue; // the module's own bytes, set by the simulator's options
        ASSERT_EQ(image()[a], module[static_cast<size_t>(a)]) << "address " << a;
    }
    EXPECT_FALSE(control<QLineEdit>("MaskEdit1")->text().trimmed().isEmpty());
    EXPECT_TRUE(waitUntil([this] { return idle(); }, 5000));
}

// The time label of edition 50 keeps the time while the engine sleeps, with a
// one-second timer of its own that runs only while the window is shown.
TEST_F(ConfiguratorIdle, TimeLabelRunsOnItsOwnTimerWhileShown) {
    open(71, 43, 50);
    auto* timer = window->findChild<QTimer*>(QStringLiteral("timeLabelTimer"));
    auto* label = control<QLabel>("Label99");
    ASSERT_TRUE(timer && label);
    window->show();
    EXPECT_TRUE(label->isVisible());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    label->clear();
    ASSERT_TRUE(waitUntil([&] { return !label->text().isEmpty(); }, 3000));
    EXPECT_TRUE(QTime::fromString(label->text(), QStringLiteral("HH:mm:ss")).isValid());
    window->hide();
    EXPECT_FALSE(timer->isActive());

    open(71, 43, 40); // the label is hidden outside edition 50
    window->show();
    EXPECT_FALSE(window->findChild<QTimer*>(QStringLiteral("timeLabelTimer"))->isActive());
}
