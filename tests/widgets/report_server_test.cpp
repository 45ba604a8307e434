// The fault report server setting: what the check accepts and how it names
// what is wrong, and the dialog of "Beállítások" that stores it in the
// settings file the monitor window reads.
#include "app_fixture.h"

#include "i18n/messages.h"
#include "maintenance/fault_report.h"
#include "maintenance/monitor_window.h"
#include "maintenance/report_server_dialog.h"
#include "workspace/configurator_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace {

using FaultReport::ServerFault;

TEST(ReportServerSetting, AcceptsHostsPortsAndBracketedIpv6AndNamesWhatIsWrong) {
    const struct {
        const char* setting;
        const char* host; // accepted: the host and port
        int port;
        ServerFault fault; // refused: why, and the piece named
        const char* part;
    } kCases[] = {
        {"reports.example.com", "reports.example.com", 49000, ServerFault::None, ""},
        {"10.1.2.3:5000", "10.1.2.3", 5000, ServerFault::None, ""},
        {" 10.1.2.3 ", "10.1.2.3", 49000, ServerFault::None, ""},
        {"a-b.example:1", "a-b.example", 1, ServerFault::None, ""},
        {"localhost:65535", "localhost", 65535, ServerFault::None, ""},
        {"[::1]:7000", "::1", 7000, ServerFault::None, ""},
        {"[::1]", "::1", 49000, ServerFault::None, ""},
        {"[2001:db8::1]:49001", "2001:db8::1", 49001, ServerFault::None, ""},
        {"", "", 0, ServerFault::Empty, ""},
        {"   ", "", 0, ServerFault::Empty, ""},
        {"host:0", "", 0, ServerFault::BadPort, "0"},
        {"host:65536", "", 0, ServerFault::BadPort, "65536"},
        {"host:70000", "", 0, ServerFault::BadPort, "70000"},
        {"host:x", "", 0, ServerFault::BadPort, "x"},
        {"host:", "", 0, ServerFault::BadPort, ""},
        {"host:+80", "", 0, ServerFault::BadPort, "+80"},
        {"host: 80", "", 0, ServerFault::BadPort, " 80"},
        {"[::1]:99999", "", 0, ServerFault::BadPort, "99999"},
        {":5000", "", 0, ServerFault::NoHost, ""},
        {"[]:5000", "", 0, ServerFault::NoHost, ""},
        {"::1", "", 0, ServerFault::Ipv6NoBrackets, "::1"},
        {"2001:db8::1:5000", "", 0, ServerFault::Ipv6NoBrackets, "2001:db8::1:5000"},
        {"host:5000:1", "", 0, ServerFault::BadHost, "host:5000:1"},
        {"[::1", "", 0, ServerFault::UnclosedBracket, ""},
        {"[::1]5000", "", 0, ServerFault::AfterBracket, "5000"},
        {"[::1] :5000", "", 0, ServerFault::AfterBracket, " :5000"},
        {"[10.1.2.3]:80", "", 0, ServerFault::BadIpv6, "10.1.2.3"},
        {"[reports.example.com]", "", 0, ServerFault::BadIpv6, "reports.example.com"},
        {"my host", "", 0, ServerFault::BadHost, "my host"},
        {"host_1:80", "", 0, ServerFault::BadHost, "host_1"},
        {"-host", "", 0, ServerFault::BadHost, "-host"},
        {"a..b", "", 0, ServerFault::BadHost, "a..b"},
        {"host.", "", 0, ServerFault::BadHost, "host."},
        {"999.1.2.3", "", 0, ServerFault::BadHost, "999.1.2.3"},
        {"1.2.3", "", 0, ServerFault::BadHost, "1.2.3"},
        {"http://host", "", 0, ServerFault::BadPort, "//host"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.setting);
        const FaultReport::ServerCheck check =
            FaultReport::checkServer(QString::fromUtf8(c.setting));
        EXPECT_EQ(check.fault, c.fault);
        EXPECT_EQ(FaultReport::parseServer(QString::fromUtf8(c.setting)).has_value(),
                  c.fault == ServerFault::None);
        if (c.fault == ServerFault::None) {
            ASSERT_TRUE(check.server.has_value());
            EXPECT_EQ(check.server->host, QString::fromLatin1(c.host));
            EXPECT_EQ(check.server->port, c.port);
            for (int lang = 0; lang < 4; ++lang)
                EXPECT_EQ(FaultReport::faultText(check, lang), QString());
            continue;
        }
        EXPECT_FALSE(check.server.has_value());
        EXPECT_EQ(check.part, QString::fromUtf8(c.part));
        // Every language says what is wrong, naming the piece where there is one.
        for (int lang = 0; lang < 4; ++lang) {
            const QString text = FaultReport::faultText(check, lang);
            EXPECT_FALSE(text.isEmpty()) << lang;
            EXPECT_FALSE(text.contains(QLatin1String("%1"))) << lang;
            if (!check.part.trimmed().isEmpty())
                EXPECT_TRUE(text.contains(check.part)) << lang << " " << text.toStdString();
        }
    }
}

// Different faults read differently, so the installer learns which it is.
TEST(ReportServerSetting, EachFaultHasItsOwnText) {
    for (int lang = 0; lang < 4; ++lang) {
        QStringList texts;
        for (const char* bad : {"", ":1", "a b", "[1.2.3.4]", "[::1", "[::1]x", "h:0", "::1"})
            texts << FaultReport::faultText(FaultReport::checkServer(QString::fromLatin1(bad)),
                                            lang);
        const qsizetype all = texts.size();
        texts.removeDuplicates();
        EXPECT_EQ(texts.size(), all) << lang;
    }
}

class ReportServerDialogTest : public AppFixture {
  protected:
    ReportServerDialog* openFromMenu() {
        app->configurator()->menuAction(QStringLiteral("Hibajelentoszerver1"))->trigger();
        ReportServerDialog* d = app->reportServerDialog();
        EXPECT_TRUE(d->isVisible());
        return d;
    }
    template <class T> T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString current(ReportServerDialog* d) {
        return child<QLabel>(d, "ReportServerCurrent")->text();
    }
    void save(ReportServerDialog* d, const QString& typed) {
        d->edit()->setText(typed);
        child<QPushButton>(d, "ReportServerSave")->click();
    }
    // Message boxes the dialog opened since the last call.
    QStringList takeMessages(QWidget* w) {
        QStringList texts;
        for (QMessageBox* box : w->findChildren<QMessageBox*>()) {
            texts << box->text();
            delete box;
        }
        return texts;
    }
    // The value as the settings file holds it, read past the program.
    QString inFile() {
        const QString path = settingsDir.filePath(QStringLiteral("GSM/NORVIK.ini"));
        return QSettings(path, QSettings::IniFormat)
            .value(QStringLiteral("reportserver"))
            .toString();
    }
    // What the monitor window's "Elküld" says with a valid IMEI and a description.
    QStringList monitorSays() {
        TAV4Form3* m = app->monitorWindow();
        QStringList said;
        m->showMessage = [&](const QString& t) { said << t; };
        m->askText = [](const QString&, const QString& prompt) -> std::optional<QString> {
            return prompt.contains(QLatin1String("IMEI")) ? QStringLiteral("123456789012345")
                                                          : QStringLiteral("fault");
        };
        m->Button2Click();
        return said;
    }
};

// A stock install has no server: the dialog says so, stores what is typed in
// the settings file, and an empty field clears it again.
TEST_F(ReportServerDialogTest, StoresACheckedValueAndClearsItWhenEmpty) {
    seed(40, QStringLiteral("Language"), QStringLiteral("1"));
    startApp(40);
    ReportServerDialog* d = openFromMenu();
    EXPECT_EQ(d->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(d->edit()->text(), QString());
    EXPECT_EQ(current(d), message("report_server.current_none", 1));
    EXPECT_EQ(child<QLabel>(d, "ReportServerLabel")->buddy(), d->edit());

    save(d, QStringLiteral("  [2001:db8::7]:5000 "));
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(takeMessages(d), QStringList{});
    EXPECT_EQ(stored(QStringLiteral("reportserver")), QStringLiteral("[2001:db8::7]:5000"));
    EXPECT_EQ(inFile(), QStringLiteral("[2001:db8::7]:5000"));

    d = openFromMenu();
    EXPECT_EQ(d->edit()->text(), QStringLiteral("[2001:db8::7]:5000"));
    EXPECT_EQ(current(d), QStringLiteral("Current setting: [2001:db8::7]:5000"));

    save(d, QString());
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(stored(QStringLiteral("reportserver")), QString());
    EXPECT_EQ(inFile(), QString());
    const QStringList said = monitorSays();
    ASSERT_EQ(said.size(), 1);
    EXPECT_EQ(said.front(), message("monitor.no_server", 1));
}

// Anything else is refused with what is wrong, the dialog stays open, and
// the stored value stays as it was; Cancel stores nothing.
TEST_F(ReportServerDialogTest, RefusesAWrongValueAndKeepsTheStoredOne) {
    seed(40, QStringLiteral("Language"), QStringLiteral("2"));
    seed(40, QStringLiteral("reportserver"), QStringLiteral("reports.example.com"));
    startApp(40);
    ReportServerDialog* d = openFromMenu();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Fehlerberichtsserver"));
    EXPECT_EQ(current(d), QStringLiteral("Aktuelle Einstellung: reports.example.com"));
    const struct {
        const char* typed;
        const char* key;
    } kRefused[] = {
        {"reports.example.com:70000", "report_server.bad_port"},
        {"fe80::1", "report_server.ipv6_brackets"},
        {"[fe80::1", "report_server.unclosed_bracket"},
        {"mein server", "report_server.bad_host"},
    };
    for (const auto& r : kRefused) {
        save(d, QString::fromLatin1(r.typed));
        EXPECT_TRUE(d->isVisible()) << r.typed;
        const QStringList said = takeMessages(d);
        ASSERT_EQ(said.size(), 1) << r.typed;
        const QString expected = message(r.key, 2);
        EXPECT_TRUE(said.front().startsWith(expected.left(expected.indexOf(QLatin1String("%1")))))
            << said.front().toStdString();
        EXPECT_EQ(inFile(), QStringLiteral("reports.example.com")) << r.typed;
    }
    d->edit()->setText(QStringLiteral("other.example.com"));
    child<QPushButton>(d, "ReportServerCancel")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(inFile(), QStringLiteral("reports.example.com"));
}

// A value written by hand that the check refuses: the monitor says why
// instead of trying to connect.
TEST_F(ReportServerDialogTest, MonitorNamesWhatIsWrongWithAStoredValue) {
    seed(40, QStringLiteral("Language"), QStringLiteral("0"));
    seed(40, QStringLiteral("reportserver"), QStringLiteral("10.0.0.1:0"));
    startApp(40);
    const QStringList said = monitorSays();
    ASSERT_EQ(said.size(), 1);
    EXPECT_EQ(said.front(), message("monitor.send_failed", 0) + QLatin1Char('\n') +
                                message("report_server.bad_port", 0).arg(QStringLiteral("0")));
    EXPECT_FALSE(app->monitorWindow()->reportRunning());
}

} // namespace
