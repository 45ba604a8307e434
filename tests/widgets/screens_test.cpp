// The configurator as an installer meets it on site: every page within reach
// at the window's own size, phone numbers that never vanish, unsent edits
// that are not thrown away, the keyboard.
#include "discovery/search_window.h"
#include "i18n/messages.h"
#include "i18n/mnemonics.h"
#include "pages_fixture.h"
#include "safety/backup_store.h"
#include "safety/compare_window.h"
#include "safety/write_guard.h"
#include "ui/mnemonic_groups.h"
#include "workspace/configuration_files.h"
#include "workspace/installation_panel.h"
#include "workspace/pages/phone_page.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace {

// Saves what the window shows when SCREENS_SHOTS names a folder.
void shot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("SCREENS_SHOTS");
    if (!dir.isEmpty())
        w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

struct ModelCase {
    int model;
    int version;
};
const ModelCase kModels[] = {{71, 37}, {71, 50}, {100, 50}, {80, 40}, {70, 30}, {90, 50}};

using ScreensTest = PagesFixture;

TEST_F(ScreensTest, EveryPageTheModelHasIsReachableByMouseAtTheDefaultSize) {
    for (const ModelCase& m : kModels) {
        for (int lang = 0; lang < 4; ++lang) {
            TAV4Form1* w = open(m.model, m.version);
            w->show();
            w->chooseLanguage(lang);
            QTabWidget* tabs = w->pageControl();
            QTabBar* bar = tabs->tabBar();
            QCoreApplication::processEvents();
            shot(w, QStringLiteral("tabs_%1_%2_%3_before").arg(m.model).arg(m.version).arg(lang));
            for (int i = 0; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i))
                    continue;
                SCOPED_TRACE(QStringLiteral("model %1 language %2 page %3")
                                 .arg(m.model)
                                 .arg(lang)
                                 .arg(tabs->tabText(i))
                                 .toStdString());
                // Clicking every page in turn keeps every other page in reach.
                const QRect r = bar->tabRect(i);
                EXPECT_TRUE(bar->rect().contains(r)) << r.x() << "+" << r.width();
                QTest::mouseClick(bar, Qt::LeftButton, {}, r.center());
                EXPECT_EQ(tabs->currentIndex(), i);
            }
            shot(w, QStringLiteral("tabs_%1_%2_%3").arg(m.model).arg(m.version).arg(lang));
        }
    }
}

// The pages a mouse or keyboard walk can land on, in strip order.
QStringList reachablePages(QTabWidget* tabs) {
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i) && tabs->isTabEnabled(i))
            names << tabs->widget(i)->objectName();
    return names;
}

TEST_F(ScreensTest, WheelAndCtrlTabWalkOnlyThePagesTheModelHas) {
    for (const ModelCase& m : kModels) {
        SCOPED_TRACE(m.model);
        TAV4Form1* w = open(m.model, m.version);
        w->show();
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QTabWidget* tabs = w->pageControl();
        const QStringList expected = reachablePages(tabs);
        ASSERT_GT(expected.size(), 3);

        // Down the strip by wheel, twice round: every page in order, then again.
        QStringList seen;
        const QPoint at = tabs->tabBar()->tabRect(0).center();
        for (int i = 0; i < 2 * expected.size(); ++i) {
            QWheelEvent wheel(at, tabs->tabBar()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(tabs->tabBar(), &wheel);
            seen << currentPage();
        }
        EXPECT_EQ(seen, (expected.mid(1) + expected + expected.mid(0, 1)));

        // Ctrl+Tab from a field of the page, round the strip and back.
        tabs->setCurrentIndex(0);
        QStringList walked;
        for (int i = 0; i < expected.size(); ++i) {
            QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
            walked << currentPage();
        }
        EXPECT_EQ(walked, expected.mid(1) + expected.mid(0, 1));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w,
                        Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(currentPage(), expected.last());
    }
}

// Bytes 256.. hold phone number 1.
QByteArray phoneSlotBytes(const ConfigImage& image, int number) {
    QByteArray bytes;
    for (int i = 0; i < 16; ++i)
        bytes += char(image[256 + 16 * (number - 1) + i]);
    return bytes;
}

TEST_F(ScreensTest, PhoneNumberTypedAfterAClickAnywhereReachesTheModuleWhole) {
    struct Case {
        const char* name;
        int clickAt;      // percent of the edit's width
        const char* keys; // typed after the click
        const char* shown;
        const char* stored; // first bytes of the slot, before the end mark
        bool refused;       // a visible sign while typing
        bool marked;        // a visible sign once the field is left
    };
    const Case cases[] = {
        {"middle", 50, "063012345", "063012345", "063012345", false, false},
        {"end", 95, "+36301234567", "+36301234567", "+36301234567", false, false},
        {"start", 2, "0620", "0620", "0620", false, false},
        {"letter", 50, "06a20", "0620", "0620", true, false},
        {"plus later", 50, "06+20", "0620", "0620", true, false},
        {"blank typed first", 50, " 0630", "0630", "0630", true, false},
        {"minus first", 50, "-0630", "-0630", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAV4Form1* w = open(71, 50);
        w->show();
        QApplication::setActiveWindow(w);
        auto* edit = control<QLineEdit>("MaskEdit1");
        auto* hint = control<QLabel>("phoneHint");
        QTest::mouseClick(edit, Qt::LeftButton, {},
                          QPoint(edit->width() * c.clickAt / 100, edit->height() / 2));
        QTest::keyClicks(edit, QString::fromLatin1(c.keys));
        if (c.refused)
            EXPECT_TRUE(hint->isVisible());
        // Leaving the field, as a click on "Elküldés" would.
        QTest::keyClick(edit, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), edit);
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(hint->isVisible(), c.marked) << hint->text().toStdString();
        EXPECT_EQ(edit->toolTip().isEmpty(), !c.marked);
        const QByteArray stored = QByteArray(c.stored) + '\xff';
        EXPECT_EQ(phoneSlotBytes(w->imageToSend(), 1).left(stored.size()), stored);
        // The check lists offer the number as stored.
        EXPECT_EQ(pages().phonePage()->texts()[0].trimmed(), QString::fromLatin1(c.shown));
        shot(w, QStringLiteral("phone_%1").arg(QString::fromLatin1(c.name).replace(u' ', u'_')));
    }
}

TEST_F(ScreensTest, PhoneNumberWithBlanksFromAFileIsSentWithoutThem) {
    TAV4Form1* w = open(71, 50);
    auto* edit = control<QLineEdit>("MaskEdit2");
    edit->setText(QStringLiteral("   0630 111 22"));
    EXPECT_EQ(phoneSlotBytes(w->imageToSend(), 2).left(10), QByteArray("063011122\xff"));
    EXPECT_EQ(pages().phonePage()->texts()[1], QStringLiteral("063011122       "));
}

TEST_F(ScreensTest, ReadOpenAndQuitAskBeforeUnsentEditsAreLost) {
    using Choice = TAV4Form1::UnsentChoice;
    enum class Action { Read, Open, Quit };
    struct Case {
        const char* name;
        Action action;
        bool edit;
        Choice answer;
        bool asked;
        bool goesOn; // the read starts, the file dialog opens, the window closes
        bool sends;
    };
    const Case cases[] = {
        {"read, nothing edited", Action::Read, false, Choice::Cancel, false, true, false},
        {"read, cancel", Action::Read, true, Choice::Cancel, true, false, false},
        {"read, discard", Action::Read, true, Choice::Discard, true, true, false},
        {"read, send", Action::Read, true, Choice::Send, true, false, true},
        {"open, nothing edited", Action::Open, false, Choice::Cancel, false, true, false},
        {"open, cancel", Action::Open, true, Choice::Cancel, true, false, false},
        {"open, discard", Action::Open, true, Choice::Discard, true, true, false},
        {"open, send", Action::Open, true, Choice::Send, true, false, true},
        {"quit, nothing edited", Action::Quit, false, Choice::Cancel, false, true, false},
        {"quit, cancel", Action::Quit, true, Choice::Cancel, true, false, false},
        {"quit, discard", Action::Quit, true, Choice::Discard, true, true, false},
        {"quit, send", Action::Quit, true, Choice::Send, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAV4Form1* w = open(71, 50);
        int asked = 0;
        w->askUnsentEdits = [&] {
            ++asked;
            return c.answer;
        };
        bool dialogOpened = false;
        w->files().chooseFile = [&](const FileDialogRequest&) {
            dialogOpened = true;
            return QString();
        };
        EXPECT_FALSE(w->hasUnsentEdits());
        if (c.edit) {
            control<QLineEdit>("MaskEdit3")->setText(QStringLiteral("0630111222"));
            EXPECT_TRUE(w->hasUnsentEdits());
            QCoreApplication::processEvents();
            EXPECT_TRUE(w->isWindowModified());
        }
        bool wentOn = false;
        switch (c.action) {
        case Action::Read:
            w->BitBtn2Click();
            wentOn = w->engine().busy() && !w->safetyNet().busy();
            break;
        case Action::Open:
            w->openConfiguration();
            wentOn = dialogOpened;
            break;
        case Action::Quit: {
            QCloseEvent close;
            QApplication::sendEvent(w, &close);
            wentOn = close.isAccepted();
            break;
        }
        }
        EXPECT_EQ(asked, c.asked ? 1 : 0);
        EXPECT_EQ(wentOn, c.goesOn);
        EXPECT_EQ(w->safetyNet().busy(), c.sends);
        takeMessages();
    }
}

TEST_F(ScreensTest, TitleSaysWhatTheWindowHoldsAndOnlyTheModulesFirmware) {
    TAV4Form1* w = open(71, 50);
    w->show();
    EXPECT_FALSE(w->windowTitle().contains(QStringLiteral("4.3.6"))) << "no firmware before a read";
    EXPECT_FALSE(w->windowTitle().contains(QStringLiteral("Firmware")));
    // "Verzió" shows the title's text: the program's version, no firmware yet.
    auto versionBox = [&] {
        takeMessages();
        w->menuAction(QStringLiteral("Verzi1"))->trigger();
        const QStringList shown = takeMessages();
        return shown.isEmpty() ? QString() : shown.constLast();
    };
    EXPECT_EQ(versionBox(), QStringLiteral("Norvik Read program version 2024.09.03"));

    // A read: the module's version and build number, the time of the read.
    image()[ImageAddress::kModuleVersion] = 47;
    image()[ImageAddress::kBuildNumber] = 2;
    w->decode();
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("4.7.2")))
        << w->windowTitle().toStdString();
    EXPECT_EQ(versionBox(),
              QStringLiteral("Norvik Read program version 2024.09.03 / GSM firmware: 4.7.2"));
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("modul kiolvasva")));
    // The version reply that follows has no build number; the panel keeps it.
    w->showModuleVersion(QStringLiteral("Sw: 4.7"));
    EXPECT_EQ(w->statusPanel(2), QStringLiteral("Sw: 4.7.2"));

    // A save names its file, in the title and the status line.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ugyfel.dat"));
    QString suggested;
    w->files().chooseFile = [&](const FileDialogRequest& r) {
        suggested = r.fileName;
        return path;
    };
    control<QLineEdit>("Edit2")->setText(QStringLiteral("Kiss/Béla Kft"));
    w->saveConfiguration();
    EXPECT_EQ(suggested, QStringLiteral("Kiss_Béla_Kft_") +
                             QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".dat"));
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("ugyfel.dat")));
    EXPECT_TRUE(w->statusPanel(3).startsWith(QStringLiteral("Mentve: ")))
        << w->statusPanel(3).toStdString();
    EXPECT_FALSE(w->isWindowModified());
    control<QLineEdit>("MaskEdit3")->setText(QStringLiteral("0630111222"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->isWindowModified());
}

TEST(InstallationDate, WrittenInTheWindowsLanguage) {
    const QDateTime when(QDate(2026, 12, 11), QTime(8, 5, 9));
    const char* const expected[] = {"2026. 12. 11.", "11/12/2026", "11.12.26", "11. 12. 26"};
    QStringList texts;
    for (int lang = 0; lang < 4; ++lang) {
        texts << systemDateTimeText(when, lang);
        EXPECT_TRUE(texts.last().contains(QString::fromUtf8(expected[lang])))
            << texts.last().toStdString();
    }
    texts.removeDuplicates();
    EXPECT_EQ(texts.size(), 4);
}

TEST_F(ScreensTest, LanguagesAreNamedInTheirOwnAndQtsDialogsSpeakTheChosenOne) {
    // Debian's Qt has no Slovenian catalogue of these; Slovenian keeps Qt's English.
    const char* const cancel[] = {"Mégse", "Cancel", "Abbrechen", "Cancel"};
    TAV4Form1* w = open(71, 50);
    w->show();
    for (int lang : {2, 0, 3, 1}) {
        SCOPED_TRACE(lang);
        w->chooseLanguage(lang);
        EXPECT_EQ(MnemonicGroups::shownText(w->menuAction(QStringLiteral("German1"))),
                  QStringLiteral("Deutsch"));
        EXPECT_EQ(MnemonicGroups::shownText(w->menuAction(QStringLiteral("Sloven1"))),
                  QStringLiteral("Slovenščina"));
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove(u'&'),
                  QString::fromUtf8(cancel[lang]));
    }
}

TEST_F(ScreensTest, KeyboardWalksThePageBeforeTheButtonsAndPressesThemWithEnter) {
    TAV4Form1* w = open(71, 50);
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    int questions = 0;
    w->askYesNo = [&](const QString&) {
        ++questions;
        return false;
    };

    // Tab from the page strip: the page's fields, the panel, then the buttons.
    w->pageControl()->tabBar()->setFocus();
    QStringList order;
    for (int i = 0; i < 60 && !order.contains(QStringLiteral("BitBtn3")); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    const auto at = [&](const char* name) { return order.indexOf(QString::fromLatin1(name)); };
    ASSERT_GE(at("MaskEdit1"), 0) << order.join(u' ').toStdString();
    EXPECT_LT(at("MaskEdit1"), at("MaskEdit2"));
    EXPECT_LT(at("MaskEdit8"), at("Edit2")) << "the panel after the page";
    EXPECT_LT(at("Edit2"), at("BitBtn1")) << "the buttons last";
    EXPECT_LT(at("BitBtn1"), at("BitBtn2"));
    EXPECT_LT(at("BitBtn2"), at("BitBtn4"));

    // One edit by keyboard, then Enter on the focused restart button asks.
    auto* edit = control<QLineEdit>("MaskEdit1");
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("0630"));
    EXPECT_EQ(edit->text(), QStringLiteral("0630"));
    control<QPushButton>("BitBtn4")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::qWait(400); // the click is animated
    EXPECT_EQ(questions, 1);

    // F5 reads, Ctrl+O opens: both ask about the unsent number first.
    int unsent = 0;
    w->askUnsentEdits = [&] {
        ++unsent;
        return TAV4Form1::UnsentChoice::Cancel;
    };
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(unsent, 2);
    takeMessages();
}

// The focus mark takes no room from a button's text: the focused button still
// shows its caption whole, in every language.
TEST_F(ScreensTest, FocusedButtonsShowTheirCaptionWhole) {
    TAV4Form1* w = open(71, 50);
    w->show();
    for (int lang = 0; lang < 4; ++lang) {
        SCOPED_TRACE(lang);
        w->chooseLanguage(lang);
        QCoreApplication::processEvents();
        for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4"}) {
            auto* b = control<QPushButton>(name);
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            opt.state |= QStyle::State_HasFocus;
            const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
            EXPECT_GE(room.width(), b->fontMetrics().horizontalAdvance(Mnemonics::plain(b->text())))
                << name << " " << Mnemonics::plain(b->text()).toStdString();
        }
        takeMessages();
    }
}

TEST(CompareWindowKeys, EscapeCloses) {
    ConfigImage a;
    ConfigImage b;
    b[256] = '1';
    auto* w =
        new CompareWindow(CompareSide::file(QStringLiteral("a.dat")), a,
                          CompareSide::file(QStringLiteral("b.dat")), b, 71, ConfigImage::kSize, 0);
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    delete w;
}

TEST_F(ScreensTest, ComparisonDialogsOpenInTheBackupsAndSayWhichFile) {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const QString backups = BackupStore::defaultFolder();
    ASSERT_TRUE(QDir().mkpath(backups));
    TAV4Form1* w = open(71, 50);
    QList<FileDialogRequest> asked;
    w->files().chooseFile = [&](const FileDialogRequest& r) {
        asked << r;
        return asked.size() < 2 ? data.filePath(QStringLiteral("missing.dat")) : QString();
    };
    w->menuAction(QStringLiteral("OsszehasonlitasKetFajl1"))->trigger();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].title, QStringLiteral("Első fájl"));
    EXPECT_EQ(asked[1].title, QStringLiteral("Második fájl"));
    EXPECT_EQ(QDir(asked[0].directory), QDir(backups));
    w->menuAction(QStringLiteral("OsszehasonlitasFajl1"))->trigger();
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(QDir(asked[2].directory), QDir(backups));
    // The backup wanted is most often the last one written.
    for (const FileDialogRequest& r : asked)
        EXPECT_TRUE(r.newestFirst) << r.title.toStdString();
    qunsetenv("XDG_DATA_HOME");
    takeMessages();
}

TEST_F(ScreensTest, StatusLineIsReadWholeInEveryLanguage) {
    for (int lang = 0; lang < 4; ++lang) {
        SCOPED_TRACE(lang);
        TAV4Form1* w = open(71, 50);
        w->show();
        w->chooseLanguage(lang);
        const QString text = message("engine.port_lost", lang);
        w->showStatus(text);
        QCoreApplication::processEvents();
        auto* panel = control<QLabel>("StatusPanel3");
        EXPECT_EQ(panel->toolTip(), text);
        EXPECT_LE(panel->geometry().right(), w->width());
        EXPECT_GE(panel->height(), panel->heightForWidth(panel->width()));
        shot(w, QStringLiteral("status_%1").arg(lang));
        takeMessages();
        // A short line leaves the bar one line high.
        w->showStatus(message("engine.readout_done", lang));
        QCoreApplication::processEvents();
        EXPECT_LT(panel->height(), 2 * panel->fontMetrics().lineSpacing());
    }
}

TEST(SearchWindowHint, SaysWhyNothingAnswersAfterTenSeconds) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QFile device(dir.filePath(QStringLiteral("ttyFAKE")));
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    device.close();
    struct Case {
        const char* name;
        QString port;
        int rx;
        const char* key; // nullptr: no hint
    };
    const Case cases[] = {
        {"missing port", QStringLiteral("/nonexistent/port"), 0, "discovery.port_unusable"},
        {"silent port", device.fileName(), 0, "discovery.no_answer"},
        {"answering", device.fileName(), 3, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppContext ctx;
        ctx.brandCode = 40;
        ctx.portOverride = c.port;
        TForm8 w(ctx);
        w.showModalSearch();
        EXPECT_TRUE(w.timerNoAnswer()->isActive());
        EXPECT_EQ(w.timerNoAnswer()->interval(), 10000);
        w.setPortPanel(c.port);
        w.setCounters(40, c.rx, 0);
        w.explainMissingAnswer();
        auto* hint = w.findChild<QLabel*>(QStringLiteral("searchHint"));
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(hint->isVisible(), c.key != nullptr);
        if (c.key) {
            EXPECT_EQ(hint->text(), message(c.key, 0).arg(c.port));
            shot(&w,
                 QStringLiteral("search_%1").arg(QString::fromLatin1(c.name).replace(u' ', u'_')));
        }
        w.closeForDispatch();
    }
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(ScreensTest, CaptionsOfEveryLanguageStayClearOfTheirFields) {
    TAV4Form1* w = open(71, 50);
    w->show();
    for (int lang : {0, 2, 1, 3, 0}) {
        SCOPED_TRACE(lang);
        w->chooseLanguage(lang);
        QCoreApplication::processEvents();
        for (int n = 1; n <= 8; ++n) {
            auto* label =
                control<QLabel>(QStringLiteral("Label%1").arg(n + 1).toLatin1().constData());
            QWidget* edit = label->buddy();
            ASSERT_NE(edit, nullptr);
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            EXPECT_LT(label->geometry().right(), edit->geometry().left())
                << label->text().toStdString();
        }
    }
}

} // namespace
