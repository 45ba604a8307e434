// The configurator's small windows: wiring diagram, installer's manual,
// contact and screen size.
#include "app/alvento_application.h"
#include "auxiliary/contact_window.h"
#include "auxiliary/description_window.h"
#include "auxiliary/screen_size_window.h"
#include "auxiliary/wiring_diagram_window.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "workspace/configurator_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class AuxiliaryWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", settingsDir.path().toUtf8());
        ctx.keyPath = settingsKeyPath(40);
        ctx.brandCode = 40;
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QTemporaryDir settingsDir;
    AppContext ctx;
};

} // namespace

TEST_F(AuxiliaryWindows, WiringDiagramFollowsTheModel) {
    const struct {
        int brand;
        int model;
        const char* caption; // after the timer
        bool picture;        // visible after the timer, starting hidden
    } cases[] = {
        {40, 70, "AV-4", true},   {40, 71, "Norvik", true}, {41, 71, "Telvaro", true},
        {1, 71, "Kestrin", true}, {40, 80, "AV-1", false},  {40, 90, "AV-GPS", false},
        {40, 100, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        TAV4Form4 w(c.brand);
        w.modelCode = [&] { return c.model; };
        w.show();
        EXPECT_TRUE(w.modelTimer()->isActive());
        EXPECT_EQ(w.modelTimer()->interval(), 100);
        w.applyModel();
        EXPECT_EQ(w.windowTitle(), QString::fromLatin1(c.caption));
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("Image1"))->isVisible(), c.picture);
        const QString page = w.findChild<QTabWidget*>()->tabText(0);
        EXPECT_EQ(page, c.brand == 40   ? QStringLiteral("Norvik")
                        : c.brand == 41 ? QStringLiteral("Telvaro")
                                        : QStringLiteral("Bekötési rajz"));
    }
    // ModelCode 90 leaves the picture as an earlier model left it.
    TAV4Form4 w(40);
    int model = 70;
    w.modelCode = [&] { return model; };
    w.show();
    w.applyModel();
    model = 90;
    w.applyModel();
    EXPECT_TRUE(w.findChild<QLabel*>(QStringLiteral("Image1"))->isVisible());
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("Image1"))->size(), QSize(689, 457));
}

// The manual and the wiring diagram are the maker's: the tool shows the files
// installed in its data folder and, while one is missing, says so in its place.
TEST_F(AuxiliaryWindows, MakerDocumentsOrANoteThatTheyAreMissing) {
    QTemporaryDir data;
    Tleiras manual;
    manual.manualPath = data.filePath(QStringLiteral("manual/installer_manual_hu.txt"));
    manual.language = [] { return 1; };
    manual.show();
    EXPECT_FALSE(manual.hasManual());
    EXPECT_TRUE(manual.text()->toPlainText().startsWith(
        QStringLiteral("The maker's document is not installed.")));
    EXPECT_TRUE(manual.text()->toPlainText().contains(manual.manualPath));
    manual.hide();
    ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("manual")));
    QFile text(manual.manualPath);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Sorkapcsok le\xEDr\xE1sa:\r\nA gy\xE1rt\xF3 sz\xF6vege.\r\n");
    text.close();
    manual.show();
    EXPECT_TRUE(manual.hasManual());
    EXPECT_EQ(manual.text()->toPlainText(), u"Sorkapcsok leírása:\nA gyártó szövege.\n"_qs);
    EXPECT_EQ(manual.windowTitle(), QStringLiteral("leiras"));
    EXPECT_FALSE(manual.text()->isReadOnly());
    // What was typed stays until the end of the run.
    manual.text()->setPlainText(QStringLiteral("jegyzet"));
    manual.hide();
    manual.show();
    EXPECT_EQ(manual.text()->toPlainText(), QStringLiteral("jegyzet"));

    // A directory, or a file too long for a manual, is no manual.
    Tleiras odd;
    odd.manualPath = data.path();
    odd.show();
    EXPECT_FALSE(odd.hasManual());

    TAV4Form4 wiring(40);
    wiring.picturePath = data.filePath(QStringLiteral("wiring/wiring_diagram.jpg"));
    wiring.modelCode = [] { return 71; };
    wiring.show();
    wiring.applyModel();
    auto* image = wiring.findChild<QLabel*>(QStringLiteral("Image1"));
    EXPECT_FALSE(wiring.hasPicture());
    EXPECT_TRUE(image->isVisible());
    EXPECT_TRUE(image->text().contains(QStringLiteral("nincs telepítve")));
    wiring.hide();
    ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("wiring")));
    QImage drawing(40, 20, QImage::Format_RGB32);
    drawing.fill(Qt::blue);
    ASSERT_TRUE(drawing.save(wiring.picturePath, "JPG"));
    wiring.show();
    wiring.applyModel();
    EXPECT_TRUE(wiring.hasPicture());
    EXPECT_EQ(image->size(), QSize(689, 457));
}

TEST_F(AuxiliaryWindows, ContactShowsTheFileOfTheStartFolderAndTheLogo) {
    QTemporaryDir start;
    TAV4Form8 w;
    w.startDirectory = [&] { return start.path(); };
    QPixmap logo(20, 10);
    logo.fill(Qt::red);
    w.logo = [&] { return logo; };
    EXPECT_EQ(w.text()->toPlainText(), QStringLiteral("Not contact"));
    w.activate(); // no file: empty, no message
    EXPECT_TRUE(w.text()->toPlainText().isEmpty());
    EXPECT_FALSE(w.picture()->pixmap().isNull());

    QFile f(start.filePath(QStringLiteral("contact.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Sorel Kft.\nTel: +36 1 555 0100\ninfo@example.com\n");
    f.close();
    w.activate();
    EXPECT_EQ(w.text()->toPlainText(),
              QStringLiteral("Sorel Kft.\nTel: +36 1 555 0100\ninfo@example.com"));
    // Accents as the Windows tool wrote them (code page 1250, CR LF) and as a
    // text editor writes them today (UTF-8) read the same.
    for (const QByteArray& bytes : {QByteArray("Kov\xE1"
                                               "cs Kft.\r\n\xD5rs utca 1.\r\n"),
                                    QByteArray("Kov\xC3\xA1"
                                               "cs Kft.\n\xC5\x90rs utca 1.\n")}) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        w.activate();
        EXPECT_EQ(w.text()->toPlainText(), u"Kovács Kft.\nŐrs utca 1."_qs)
            << bytes.toHex().toStdString();
    }
    // Typed text is gone at the next activation.
    w.text()->setPlainText(QStringLiteral("x"));
    ASSERT_TRUE(QFile::remove(f.fileName()));
    w.activate();
    EXPECT_TRUE(w.text()->toPlainText().isEmpty());
}

TEST_F(AuxiliaryWindows, ScreenSizeChoiceIsStoredForTheNextStart) {
    const struct {
        const char* stored; // nullptr: no value
        int selected;       // -1: none
        const char* message;
    } activations[] = {
        {nullptr, 1, nullptr}, {"3", 3, nullptr},   {"0", 0, nullptr},
        {"7", -1, nullptr},    {"-1", -1, nullptr}, {"x2", -1, "'x2' is not a valid integer value"},
    };
    for (const auto& c : activations) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        ctx.write(QStringLiteral("monitor"), QString::fromLatin1(c.stored ? c.stored : ""));
        TAV4Form7 w(ctx);
        QStringList messages;
        w.showMessage = [&](const QString& t) { messages << t; };
        w.activate();
        EXPECT_EQ(w.selectedItem(), c.selected);
        EXPECT_EQ(messages,
                  c.message ? QStringList{QString::fromLatin1(c.message)} : QStringList{});
        EXPECT_EQ(ctx.read(QStringLiteral("monitor")),
                  QString::fromLatin1(c.stored ? c.stored : "1"));
    }

    for (const int brand : {40, 50}) {
        SCOPED_TRACE(brand);
        ctx.brandCode = brand;
        ctx.write(QStringLiteral("monitor"), QStringLiteral("2"));
        TAV4Form7 w(ctx);
        QStringList messages;
        w.showMessage = [&](const QString& t) { messages << t; };
        w.activate();
        EXPECT_EQ(w.item(3)->text(), QStringLiteral("1280*1024"));
        w.item(3)->click();
        w.RendbenClick();
        EXPECT_EQ(ctx.read(QStringLiteral("monitor")), QStringLiteral("3"));
        EXPECT_EQ(messages, brand == 50 ? QStringList{} : QStringList{"Restart program..."});
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("Label1"))->isVisibleTo(&w), brand == 50);
    }
}

// The configurator's menu items open the windows; a new screen size waits for
// the next program start.
TEST_F(AuxiliaryWindows, ConfiguratorMenusOpenTheWindows) {
    AlventoApplication::Options options;
    options.brandCode = 40;
    options.portOverride = QStringLiteral("/nonexistent/port");
    AlventoApplication app(options);
    TAV4Form1* c = app.configurator();
    ASSERT_NE(c, nullptr);
    c->setModelCode(80);
    const struct {
        const char* item;
        const char* window;
    } rows[] = {
        {"Bektsirajz1", "TAV4Form4"},
        {"eleptilers1", "Tleiras"},
        {"Contact1", "TAV4Form8"},
        {"Kpernyfelbontsbelltsa1", "TAV4Form7"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.item);
        QWidget* w = app.window(QString::fromLatin1(r.window));
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(w->isVisible());
        // Modal: it opens once the menu has closed and holds the loop until it closes.
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, w, [&] {
            if (w->isVisible() && QApplication::activeModalWidget() == w) {
                seen = true;
                w->close();
            }
        });
        poll.start(10);
        c->menuAction(QString::fromLatin1(r.item))->trigger();
        QElapsedTimer t;
        t.start();
        while (!seen && t.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        poll.stop();
        EXPECT_TRUE(seen);
        EXPECT_FALSE(w->isVisible());
    }
    auto* diagram = static_cast<TAV4Form4*>(app.window(QStringLiteral("TAV4Form4")));
    diagram->applyModel();
    EXPECT_EQ(diagram->windowTitle(), QStringLiteral("AV-1"));
}
