#pragma once
#include "app/alvento_application.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "startup/start_window.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// A whole application of one edition with its own settings folder. The timers
// are stopped after start so a test drives them by hand.
class AppFixture : public ::testing::Test {
  protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", settingsDir.path().toUtf8()); }
    void TearDown() override {
        app.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }

    // Values written before the application starts, as an installer's file would hold them.
    void seed(int brand, const QString& name, const QString& value) {
        SettingsStore::WriteString(settingsKeyPath(brand), name, value);
    }
    QString stored(const QString& name) const { return app->context().read(name); }

    // An empty port runs on the stored "comport", as without --port.
    void startApp(int brand, const QString& port = QStringLiteral("/nonexistent/port")) {
        AlventoApplication::Options o;
        o.brandCode = brand;
        o.portOverride = port;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
        form1()->timerStart()->stop();
        form1()->timerAdas()->stop();
    }
    TForm1* form1() const { return app->startWindow(); }

    QTemporaryDir settingsDir;
    std::unique_ptr<AlventoApplication> app;
};
