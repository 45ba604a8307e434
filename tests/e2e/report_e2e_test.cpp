// The commissioning report as the installer gets it: `alvento report` on a
// configuration file or on the simulator's port, and the configurator's menu
// item after a read, an IMEI query, a status poll and a send. The PDF's text
// is taken out with pdftotext, as a reader's search would find it.
#include "app/alvento_application.h"
#include "image/config_file.h"
#include "maintenance/status_window.h"
#include "safety/write_guard.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/alvento_run.h"
#include "support/pty_sim.h"
#include "support/test_files.h"
#include "support/wait.h"
#include "ui/mnemonic_groups.h"
#include "workspace/configuration_files.h"
#include "workspace/configurator_window.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

namespace {

constexpr int kBrand = 40;

// The PDF's text, laid out as on the page (a table row stays one line).
QString pdfText(const QString& path) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        ADD_FAILURE() << "pdftotext (poppler-utils, scripts/deps.sh) is needed";
        return {};
    }
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool hasLine(const QString& text, const QString& pattern) {
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).hasMatch();
}

class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

// ------------------------------------------------------------ command line

struct CliCase {
    const char* name;
    int model;
    int version;
    const char* language;
    bool fromFile;                   // through a configuration file with the installation texts
    std::vector<const char*> lines;  // patterns, each matching one line
    std::vector<const char*> absent; // texts that must not appear
};

const CliCase kCliCases[] = {
    {"model71_english_file",
     71,
     43,
     "en",
     true,
     {R"(Alvento Configurator · NORVIK)", R"(^\s*Commissioning report\s*$)",
      R"(Client name\s+Kovács Péter)", R"(Installation address\s+Fő utca 12\., Budapest)",
      R"(Type of alarm center\s+Ferrolt 8)", R"(Model\s+Norvik \(ModelCode 71\))",
      R"(Software version\s+4\.3, build 1)", R"(^\s*Phone numbers\s*$)",
      R"(Number 1\s+\+36301234567)", R"(^\s*In1\s*$)", R"(input type\s+01/ 24h normal input)",
      R"(SMS text\s+Bejárati ajtó nyitva)", R"(input type\s+00/ Not used)",
      R"(output1: mode\s+Monostable)", R"(SMS Text for Input restore\s+Visszaállás:)",
      R"(Installer's signature\s+Customer's signature)"},
     // Input 3 is not used: its text stays out. Model 71 has no PSTN gains.
     // The file carries bytes 0..1023 only: the remote monitoring codes are
     // not known. The command line sent nothing and read no IMEI.
     {"3 bemenet riasztas", "PSTN Rx Gain", "Ügyfélkód", "Last send", "IMEI", "Conﬁgurator"}},
    {"model71_hungarian_port",
     71,
     43,
     "hu",
     false,
     {R"(^\s*Telepítési jegyzőkönyv\s*$)", R"(Típus\s+Norvik \(ModelCode 71\))",
      R"(Szoftver verzió\s+4\.3, build 1)", R"(^\s*Telefonszámok\s*$)",
      R"(1\. telefonszám\s+\+36301234567)", R"(^\s*Be2\s*$)",
      R"(SMS szöveg\s+Mozgásérzékelő riasztás)", R"(Ügyfélkód\s+1234)", R"(^\s*CID\s+ZONA\s*$)",
      R"(^\s*Be1\s+130\s+001\s*$)", R"(^\s*Életjel\s+602\s*$)",
      R"(Telepítő aláírása\s+Ügyfél aláírása)"},
     {"Kovács Péter", "3 bemenet riasztas", "PSTN Rx Gain"}},
    {"model100_hungarian_port",
     100,
     25,
     "hu",
     false,
     {R"(^\s*Telepítési jegyzőkönyv\s*$)", R"(Típus\s+AV-CID \(ModelCode 100\))",
      R"(Szoftver verzió\s+2\.5, build 1)", R"(^\s*CID/SMS\s*$)", R"(^\s*Partíció\s*$)",
      R"(^\s*Sor\s+Kód\s+Név\s*$)", R"(^\s*1\s+01001\s+Földszint\s*$)",
      R"(^\s*Sor\s+Kód\s+Név\s+SMS\s*$)", R"(^\s*1\s+E130\s+Betörés\s+1,2\s*$)",
      R"(^\s*2\s+E110\s+Tűz\s+1\s*$)", R"(APN\s+internet\.example)", R"(Server IP\s+192\.0\.2\.10)",
      R"(PSTN Rx Gain\s+20)", R"(SMS fejléc\s+Kovács iroda)"},
     // Pages model 100 does not show; empty code records.
     {"Bejárati ajtó", "Ügyfélkód", "Hőmérséklet"}},
    {"model100_english_file",
     100,
     25,
     "en",
     true,
     {R"(^\s*Commissioning report\s*$)", R"(Client name\s+Kovács Péter)",
      R"(Model\s+AV-CID \(ModelCode 100\))", R"(^\s*Row\s+Code\s+Name\s+SMS\s*$)",
      R"(^\s*3\s+R130\s+Betörés vége\s+-\s*$)", R"(SMS security code\s+4826)",
      R"(Installer's signature\s+Customer's signature)"},
     {"Sor ", "Telepítő aláírása"}},
};

class ReportCli : public ReportTest, public ::testing::WithParamInterface<CliCase> {};

TEST_P(ReportCli, TheReportNamesTheModuleAndEveryShownSetting) {
    const CliCase& c = GetParam();
    PtySim sim({"--model", QString::number(c.model), "--version", QString::number(c.version),
                "--example-config"});
    ASSERT_TRUE(sim.started());
    QString source = QStringLiteral("port:") + sim.path();
    if (c.fromFile) {
        const CliRun read =
            runAlvento({"read", "--port", sim.path(), "--out", path("module.dat")}, {.sim = &sim});
        ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
        const int imageSize = c.model == 100 ? 8192 : 1024;
        const auto content = ConfigFile::parse(readFile(path("module.dat")), imageSize);
        ASSERT_TRUE(content);
        const ConfigFile::InstallationTexts texts{QStringLiteral("Kovács Péter"),
                                                  QStringLiteral("Fő utca 12., Budapest"),
                                                  QStringLiteral("+36201112222"),
                                                  QStringLiteral("Ferrolt 8"),
                                                  QString(),
                                                  QStringLiteral("2026.12.11")};
        writeFile(path("installed.dat"),
                  ConfigFile::build(content->image, ConfigFile::textsToBytes(texts)));
        source = path("installed.dat");
    }
    const CliRun r = runAlvento({"report", source, "--out", path("report.pdf"), "--language",
                                 QString::fromLatin1(c.language)},
                                {.sim = &sim});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray pdf = readFile(path("report.pdf"));
    ASSERT_TRUE(pdf.startsWith("%PDF")) << "not a PDF";
    // A4: 595 x 842 points.
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(/MediaBox \[0 0 595\.\d+ 84[12]\.\d+\])"))
                    .match(QString::fromLatin1(pdf))
                    .hasMatch());

    const QString text = pdfText(path("report.pdf"));
    for (const char* line : c.lines)
        EXPECT_TRUE(hasLine(text, QString::fromUtf8(line))) << "no line like: " << line;
    for (const char* absent : c.absent)
        EXPECT_FALSE(text.contains(QString::fromUtf8(absent))) << "shown: " << absent;
    if (HasFailure())
        std::cerr << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, ReportCli, ::testing::ValuesIn(kCliCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::vector<const char*> args; // after "report"; SHORT, DIR, MISSING name files
    const char* error;
};

const BadCase kBadCases[] = {
    {"no_target", {"SHORT"}, "report needs --out FILE.pdf"},
    {"no_source", {"--out", "OUT"}, "report takes one source"},
    {"short_file",
     {"SHORT", "--out", "OUT"},
     "has 100 bytes; a configuration file has 1792 or 8960"},
    {"long_file",
     {"LONG", "--out", "OUT"},
     "has 1793 bytes; a configuration file has 1792 or 8960"},
    {"missing_file", {"MISSING", "--out", "OUT"}, "File not found"},
    {"no_such_port", {"NOPORT", "--out", "OUT", "--timeout", "5"}, "cannot open port"},
    {"folder_as_source", {"DIR", "--out", "OUT"}, "cannot read"},
    {"target_in_missing_folder",
     {"GOOD", "--out", "MISSING/report.pdf"},
     "The report cannot be written to"},
    {"folder_as_target", {"GOOD", "--out", "DIR"}, "The report cannot be written to"},
    {"unknown_language", {"GOOD", "--out", "OUT", "--language", "fr"}, "--language is hu, en"},
    {"port_without_name", {"port:", "--out", "OUT"}, "port: needs a port name"},
};

class ReportCliBadInput : public ReportTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(ReportCliBadInput, IsRefusedWithAMessageAndNoFile) {
    const BadCase& c = GetParam();
    writeFile(path("short.dat"), QByteArray(100, '\x01'));
    writeFile(path("long.dat"), QByteArray(1793, '\x01'));
    QByteArray good(1024, '\xFF');
    good[255] = 71;
    writeFile(path("good.dat"), ConfigFile::build(good, {}));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QStringList args{"report"};
    for (const char* a : c.args) {
        const QString s = QString::fromUtf8(a);
        const QHash<QString, QString> named{
            {"SHORT", path("short.dat")},
            {"LONG", path("long.dat")},
            {"GOOD", path("good.dat")},
            {"DIR", path("folder")},
            {"OUT", path("out.pdf")},
            {"MISSING", path("missing.dat")},
            {"MISSING/report.pdf", path("nowhere/report.pdf")},
            {"NOPORT", QStringLiteral("port:") + path("no-such-port")}};
        args << named.value(s, s);
    }
    // Messages in English, whatever the stored language.
    SettingsStore::WriteString(settingsKeyPath(buildBrandCode()), QStringLiteral("Language"),
                               QStringLiteral("1"));
    const CliRun r = runAlvento(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.error))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("out.pdf")));
    EXPECT_FALSE(QFileInfo::exists(path("nowhere/report.pdf")));
}

INSTANTIATE_TEST_SUITE_P(Cases, ReportCliBadInput, ::testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Any bytes at all, in either kind of file: texts with control characters,
// out-of-range list indexes, no module version. The report is still made.
TEST_F(ReportTest, AFileOfRandomBytesStillGivesAReport) {
    for (const int size : {ConfigFile::fileSize(1024), ConfigFile::fileSize(8192)}) {
        SCOPED_TRACE(size);
        QRandomGenerator rng(static_cast<quint32>(size));
        QByteArray bytes(size, '\0');
        for (char& b : bytes)
            b = static_cast<char>(rng.bounded(256));
        writeFile(path("random.dat"), bytes);
        QFile::remove(path("random.pdf"));
        const CliRun r = runAlvento(
            {"report", path("random.dat"), "--out", path("random.pdf"), "--language", "de"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString text = pdfText(path("random.pdf"));
        EXPECT_TRUE(hasLine(text, QStringLiteral(R"(^\s*Inbetriebnahmeprotokoll\s*$)")));
        EXPECT_TRUE(hasLine(
            text, QStringLiteral(R"(Unterschrift des Installateurs\s+Unterschrift des Kunden)")));
    }
}

// ------------------------------------------------------------ the window

class ReportWindow : public ReportTest {
  protected:
    void SetUp() override {
        ReportTest::SetUp();
        SettingsStore::WriteString(settingsKeyPath(kBrand), QStringLiteral("Language"),
                                   QStringLiteral("1"));
    }
    void TearDown() override {
        if (app)
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
    }

    TAV4Form1* open(PtySim& sim) {
        SettingsStore::WriteString(settingsKeyPath(kBrand), QStringLiteral("comport"), sim.path());
        AlventoApplication::Options o;
        o.brandCode = kBrand;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
        TAV4Form1* c = app->configurator();
        EXPECT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 15000));
        c->files().chooseFile = [this](const FileDialogRequest& r) {
            ++dialogs;
            lastDialog = r;
            return target;
        };
        return c;
    }
    QPushButton* button(TAV4Form1* c, const char* name) {
        return c->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    bool read(TAV4Form1* c) {
        button(c, "BitBtn2")->click();
        return waitUntil([&] { return c->statusPanel(3) == QStringLiteral("Successful readout!"); },
                         60000);
    }
    bool sendAndWait(TAV4Form1* c) {
        return waitUntil(
            [&] {
                return c->safetyNet().outcome() != WriteGuard::Outcome::None &&
                       !c->safetyNet().busy() && !c->engine().busy();
            },
            90000);
    }
    // The texts of the message boxes shown since the last call, which closes them.
    QStringList messages(TAV4Form1* c) {
        QStringList shown;
        for (QMessageBox* box : c->findChildren<QMessageBox*>(QStringLiteral("MessageBox"))) {
            shown << box->text();
            box->setObjectName(QStringLiteral("MessageBoxSeen"));
            box->close();
        }
        return shown;
    }
    void report(TAV4Form1* c) { c->menuAction(QStringLiteral("Jegyzokonyv1"))->trigger(); }

    std::unique_ptr<AlventoApplication> app;
    QString target;
    int dialogs = 0;
    FileDialogRequest lastDialog;
};

// A run as on site: read, IMEI, a look at the status window, a send that is
// verified; the report names each of them, in the window's language.
TEST_F(ReportWindow, TheReportTellsTheRunsImeiStatusAndVerifiedSend) {
    PtySim sim(
        {"--model", "71", "--version", "43", "--example-config", "--imei", "356938035643809"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_EQ(MnemonicGroups::shownText(c->menuAction(QStringLiteral("Jegyzokonyv1"))),
              QStringLiteral("Commissioning report..."));
    target = path("report.pdf");

    // Nothing read or opened yet: nothing to report, and no dialog.
    report(c);
    EXPECT_EQ(messages(c), QStringList{QStringLiteral("There are no settings in the window: read "
                                                      "the module or open a configuration "
                                                      "file first.")});
    EXPECT_EQ(dialogs, 0);

    ASSERT_TRUE(read(c));
    c->menuAction(QStringLiteral("IMEInumber1"))->trigger();
    ASSERT_TRUE(waitUntil([&] { return !c->reportFacts().imei.isEmpty(); }, 30000));
    EXPECT_EQ(c->reportFacts().imei, QStringLiteral("356938035643809"));
    ASSERT_TRUE(waitUntil([&] { return !c->engine().busy(); }, 30000));
    messages(c);

    c->menuAction(QStringLiteral("Modulllapotmegjelentse1"))->trigger();
    ASSERT_TRUE(waitUntil([&] { return c->reportFacts().lastStatus.has_value(); }, 30000));
    app->statusWindow()->reject();
    ASSERT_TRUE(waitUntil([&] { return !c->engine().busy(); }, 30000));
    const auto status = *c->reportFacts().lastStatus;

    EXPECT_FALSE(c->lastSendResult());
    button(c, "BitBtn1")->click();
    // Pressed while the send runs: refused, no dialog, the send goes on.
    report(c);
    EXPECT_EQ(messages(c),
              QStringList{QStringLiteral("The module is busy: the report cannot be made now!")});
    EXPECT_EQ(dialogs, 0);
    ASSERT_TRUE(sendAndWait(c));
    ASSERT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified);
    messages(c);

    report(c);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(lastDialog.save);
    EXPECT_EQ(lastDialog.defaultSuffix, QStringLiteral("pdf"));
    EXPECT_EQ(messages(c), QStringList());
    EXPECT_EQ(c->statusPanel(3), QStringLiteral("Report written: ") + target);
    const QString text = pdfText(target);
    const QString backup = QFileInfo(c->safetyNet().lastBackup()).fileName();
    ASSERT_FALSE(backup.isEmpty());
    for (const QString& line :
         {QStringLiteral(R"(^\s*Commissioning report\s*$)"),
          QStringLiteral(R"(Model\s+Norvik \(ModelCode 71\))"),
          QStringLiteral(R"(IMEI\s+356938035643809)"),
          QStringLiteral(R"(Backup before the send\s+)") + QRegularExpression::escape(backup),
          QStringLiteral(R"(^\s*Verified: the module holds what was sent\s*$)"),
          QStringLiteral(R"(Signal strength\s+%1 / 31)").arg(status.signal),
          QStringLiteral(R"(Network registration\s+)") +
              QRegularExpression::escape(status.registration),
          QStringLiteral(R"(Number 1\s+\+36301234567)")})
        EXPECT_TRUE(hasLine(text, line)) << "no line like: " << line.toStdString() << "\n"
                                         << text.toStdString();
}

// The module keeps its old ring time: the report says the send is not
// verified and names the field; a target that cannot be written is told.
TEST_F(ReportWindow, AnUnverifiedSendIsReportedWithItsFields) {
    PtySim sim({"--model", "71", "--version", "43", "--example-config", "--drop-write-at", "78"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim);
    ASSERT_TRUE(read(c));
    c->findChild<QSpinBox*>(QStringLiteral("SpinEdit4"))->setValue(99);
    button(c, "BitBtn1")->click();
    ASSERT_TRUE(sendAndWait(c));
    ASSERT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Differs);
    messages(c);

    target = path("nowhere/report.pdf");
    report(c);
    const QStringList refused = messages(c);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused.front().startsWith(QStringLiteral("The report cannot be written to ")))
        << refused.front().toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));

    target = path("report.pdf");
    report(c);
    EXPECT_EQ(messages(c), QStringList());
    const QString text = pdfText(target);
    EXPECT_TRUE(hasLine(text, QStringLiteral(R"(^\s*NOT verified: differences!\s*$)")))
        << text.toStdString();
    EXPECT_TRUE(hasLine(
        text, QStringLiteral(R"(Egyéb / Csöngetési idő \[sec\]: sent 99 but the module holds 30)")))
        << text.toStdString();
    // The window's value, not the module's, is what the report shows as set.
    EXPECT_TRUE(hasLine(text, QStringLiteral(R"(Ring Time \[sec\]\s+99)"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Verified: the module holds")));
}

} // namespace
