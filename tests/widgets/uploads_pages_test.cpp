// The configurator's upload controls as widgets: the caller-ID memory page
// and its grid rules, the "Hangok" buttons and gauge, leaving "Hangok" during
// an upload, and the service buttons with their indicators.
#include "widgets/pages_fixture.h"
#include "workspace/pages/caller_id_memory_page.h"
#include "workspace/pages/reporting_pages.h"
#include "workspace/upload_controls.h"

#include "ui/widgets.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

class UploadsPages : public PagesFixture {
  protected:
    QString wavFile() {
        const QString path = files.filePath(QStringLiteral("s.wav"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray("RIFF....WAVEfmt ") + QByteArray(20, '\x01') + "data" +
                QByteArray(4, '\0') + QByteArray(3000, '\x80'));
        return path;
    }
    QTemporaryDir files;
};

TEST_F(UploadsPages, CallerIdPageFromVersionFiftyWithOneRowPerRecord) {
    for (const int v : {49, 50, 51}) {
        open(100, v);
        EXPECT_EQ(window->pageVisible(QStringLiteral("TabSheet23")), v >= 50) << v;
        EXPECT_EQ(window->pageVisible(QStringLiteral("TabSheet15")), v < 50) << v;
    }
    QTableWidget* grid = control<QTableWidget>("StringGrid4");
    ASSERT_EQ(grid->rowCount(), 304);
    ASSERT_EQ(grid->columnCount(), 2);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("POZ"));
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Telefonszám"));
    for (int r : {0, 150, 303}) {
        EXPECT_EQ(grid->item(r, 0)->text(), QString::number(r + 1));
        EXPECT_FALSE(grid->item(r, 0)->flags() & Qt::ItemIsEditable);
    }
    EXPECT_FALSE(control<QProgressBar>("ProgressBar2")->isVisibleTo(window.get()));
    EXPECT_EQ(control<QProgressBar>("ProgressBar2")->maximum(), 19);
    EXPECT_EQ(control<QPushButton>("BitBtn18")->text(), QStringLiteral("Olvasás"));
    EXPECT_EQ(control<QPushButton>("BitBtn19")->text(), QStringLiteral("Írás"));
}

TEST_F(UploadsPages, CallerIdNumbersAreCutToFourteenCharacters) {
    open(100, 50);
    CallerIdMemoryPage* page = window->uploads()->callerIdPage();
    const struct {
        const char* typed;
        const char* kept;
    } cases[] = {{"+36301234567", "+36301234567"},
                 {"12345678901234", "12345678901234"},
                 {"123456789012345", "12345678901234"},
                 {"", ""}};
    for (const auto& c : cases) {
        page->grid()->setItem(7, 1, new QTableWidgetItem(QString::fromLatin1(c.typed)));
        EXPECT_EQ(page->number(7), QString::fromLatin1(c.kept)) << c.typed;
        page->grid()->item(7, 1)->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(page->number(7), QString::fromLatin1(c.kept)) << c.typed;
    }
    // The write encodes every row into its record.
    page->setNumber(0, QStringLiteral("06201112222"));
    page->setNumber(7, QString());
    control<QPushButton>("BitBtn19")->click();
    EXPECT_EQ(window->engine().callerIdMemory().recordText(0), QStringLiteral("06201112222"));
    EXPECT_EQ(window->engine().callerIdMemory().block(0)[7 * 16], 0xFF);
    EXPECT_EQ(window->engine().state().LinkCommand, LinkCode::kCallerIdWrite);
    for (const char* b : {"BitBtn1", "BitBtn2", "BitBtn5", "BitBtn6", "BitBtn18", "BitBtn19"})
        EXPECT_FALSE(control(b)->isEnabled()) << b;
}

TEST_F(UploadsPages, HangokButtonsGaugeAndMissingFile) {
    open(71, 43);
    showPage("TabSheet22");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(control<QPushButton>(qPrintable(QStringLiteral("Button%1").arg(i + 8)))->text(),
                  QStringLiteral("Feltöltés"));
    EXPECT_FALSE(control<QProgressBar>("Gauge1")->isVisibleTo(window.get()));
    control<QPushButton>("Button8")->click();
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral("Nincs file")});
    EXPECT_FALSE(window->engine().busy());
}

// Leaving "Hangok" abandons the upload; leaving another page does not.
TEST_F(UploadsPages, LeavingHangokAbandonsTheUpload) {
    open(71, 43);
    SoundFilesPage* page = pages().soundFilesPage();
    page->chooseFile = [this] { return wavFile(); };
    page->pickFile(1);
    showPage("TabSheet22");
    control<QPushButton>("Button9")->click();
    EXPECT_EQ(window->engine().state().LinkCommand, LinkCode::kUploadStart);
    EXPECT_EQ(window->engine().state().StreamAddress, 0x0400);
    EXPECT_TRUE(control<QProgressBar>("Gauge1")->isVisibleTo(window.get()));
    showPage("TabSheet14");
    EXPECT_FALSE(window->engine().busy());
    EXPECT_FALSE(control<QProgressBar>("Gauge1")->isVisibleTo(window.get()));

    // The siren upload of the service buttons ends only when "Hangok" is left.
    qputenv("TMPDIR", files.path().toUtf8());
    ASSERT_TRUE(QFile::copy(wavFile(), UploadControls::sirenFile()));
    window->uploads()->uploadSiren();
    qunsetenv("TMPDIR");
    EXPECT_TRUE(takeMessages().isEmpty());
    showPage("TabSheet1");
    EXPECT_TRUE(window->engine().uploadRunning());
    showPage("TabSheet22");
    showPage("TabSheet10");
    EXPECT_FALSE(window->engine().busy());
}

TEST_F(UploadsPages, ServiceButtonsTurnTheirIndicatorsRed) {
    open(100, 43);
    ctx.write(QStringLiteral("mode"), QString::fromLatin1(TAV4Form1::kServiceCode));
    window->FormActivate();
    QSignalSpy status(window->uploads(), &UploadControls::statusWindowRequested);
    control<QPushButton>("Button14")->click();
    EXPECT_EQ(status.size(), 1);
    EXPECT_EQ(backgroundOf(control("Panel31")), QColor(Qt::red));
    EXPECT_NE(backgroundOf(control("Panel28")), QColor(Qt::red));

    // "Elküldés" of the service row sends as "Elküldés" (BitBtn1) does.
    control<QPushButton>("Button15")->click();
    EXPECT_EQ(backgroundOf(control("Panel28")), QColor(Qt::red));
    EXPECT_EQ(backgroundOf(control("Panel32")), QColor(Qt::red));
    const int serviceCode = window->engine().state().LinkCommand;
    const QString serviceStatus = window->statusPanel(3);
    EXPECT_NE(serviceCode, LinkCode::kVersionQuery);
    {
        TAV4Form1 plain(ctx, [] { return true; });
        plain.setModelCode(100);
        plain.presetModuleVersion(43);
        plain.applyVersionRules();
        plain.FormActivate();
        plain.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        EXPECT_EQ(serviceCode, plain.engine().state().LinkCommand);
        EXPECT_EQ(serviceStatus, plain.statusPanel(3));
    }

    // "Memory load" fills the maker's server only from the settings: without
    // them the fields keep what they hold and a message says what is missing.
    control<QLineEdit>("Edit10")->setText(QStringLiteral("own.apn"));
    control<QPushButton>("Button6")->click();
    EXPECT_EQ(control<QLineEdit>("Edit10")->text(), QStringLiteral("own.apn"));
    bool told = false;
    for (auto* box : window->findChildren<QMessageBox*>(QStringLiteral("MessageBox")))
        told = told || box->text().contains(QStringLiteral("defaultserveraddress"));
    EXPECT_TRUE(told);
    ctx.write(QStringLiteral("defaultserverhost"), QStringLiteral("server.example"));
    ctx.write(QStringLiteral("defaultserveraddress"), QStringLiteral("10.20.30.40"));
    control<QPushButton>("Button6")->click();
    EXPECT_EQ(control<QLineEdit>("Edit10")->text(), QStringLiteral("server.example"));
    EXPECT_EQ(control<QLineEdit>("Edit11")->text(), QStringLiteral("10.20.30.40"));
    QTableWidget* partitions = control<QTableWidget>("StringGrid2");
    QTableWidget* codes = control<QTableWidget>("StringGrid3");
    ASSERT_TRUE(partitions->item(1, 0) || partitions->item(0, 0));
    auto filled = [](QTableWidget* g) {
        for (int r = 0; r < g->rowCount(); ++r)
            for (int c = 0; c < g->columnCount(); ++c)
                if (g->item(r, c) && !g->item(r, c)->text().isEmpty())
                    return true;
        return false;
    };
    EXPECT_TRUE(filled(partitions));
    EXPECT_TRUE(filled(codes));
}
