// The configurator's frame: the main menu and what its items start, the
// activation routine's list resets and the service controls.
#include "i18n/messages.h"
#include "pages_fixture.h"
#include "safety/write_guard.h"
#include "ui/mnemonic_groups.h"
#include "ui/widgets.h"
#include "workspace/configuration_files.h"
#include "workspace/installation_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <optional>

namespace {

struct MenuRow {
    const char* name;
    const char* caption;
    bool visible;
    bool enabled;
};

// As the window is built, before any activation or version reply.
const MenuRow kMenuRows[] = {
    {"Funcik1", "Funciók", true, true},
    {"GSMsoftververzi1", "GSM szoftver verzió", true, true},
    {"Modulllapotmegjelentse1", "Modul állapot megjelenítése", true, true},
    {"GSMraszinkronozsa1", "GSM óra szinkronozása", true, true},
    {"SIMPINkdkikapcsolsa1", "SIM PIN kód kikapcsolása", true, true},
    {"Hibakeress1", "Monitor", true, false},
    {"Voicehvstest1", "Voice hívás test (Nincs HANG!)", true, true},
    {"Adathvsellenrzs1", "Adathívás test", true, true},
    {"SMStest1", "SMS test", true, true},
    {"Szoftverfrissts1", "Szoftver frissítés", false, true},
    {"IMEInumber1", "IMEI number", true, true},
    {"SMSkzponttelefonszm1", "SMS központ telefonszám", true, true},
    {"EgyenleglekrdezsTMobile1", "Egyenleg lekérdezés (T-Mobile)", true, true},
    {"Exportls1", "Exportálás…", true, true},
    {"Importls1", "Importálás…", true, true},
    {"Kilps1", "Kilépés", true, true},
    {"Help1", "Help", true, true},
    {"Verzi1", "Verzió", true, true},
    {"SajtProfil1", "Saját Profil", true, true},
    {"ilts1", "Tiltás", false, true},
    {"Ments1", "Mentés", false, true},
    {"Lersok1", "Leírások", true, true},
    {"Bektsirajz1", "Bekötési rajz", true, true},
    {"eleptilers1", "Telepítői leírás", true, true},
    {"Belltsok1", "Beállítások", true, true},
    {"Contact1", "Contact", false, true},
    {"Kpernyfelbontsbelltsa1", "Képernyő felbontás beállítása", true, true},
    {"Magyar1", "Magyar", true, true},
    {"Angol1", "English", true, true},
    {"German1", "Deutsch", true, true},
    {"Sloven1", "Slovenščina", true, true},
    {"GSM1", "GSM", true, true},
    {"Olvass1", "Olvasás", true, true},
    {"Elklds1", "Elküldés", true, true},
    {"TeljesElkuldes1", "Teljes elküldés (minden bájt újraírása)", true, true},
    {"jraindts1", "Újraindítás", true, true},
};

} // namespace

class ConfiguratorFrame : public PagesFixture {
  protected:
    QAction* item(const char* name) const {
        QAction* a = window->menuAction(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
};

TEST_F(ConfiguratorFrame, MainMenuItemsCaptionsAndInitialStates) {
    open(71);
    for (const MenuRow& row : kMenuRows) {
        QAction* a = item(row.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(MnemonicGroups::shownText(a), QString::fromUtf8(row.caption)) << row.name;
        EXPECT_EQ(a->isVisible(), row.visible) << row.name;
        // A hidden action counts as disabled, whatever it was set to.
        if (row.visible)
            EXPECT_EQ(a->isEnabled(), row.enabled) << row.name;
    }
    EXPECT_TRUE(item("ilts1")->isCheckable());
    EXPECT_TRUE(item("ilts1")->isChecked());
    // The GSM menu and the send/read/restart items are in the window's menu bar
    // in the table's order; menus of the tool's own (the safety net) come after.
    QStringList order;
    for (QAction* a : window->menuBar()->actions())
        order << a->objectName();
    const QStringList fixed{"Funcik1", "Help1",     "Verzi1", "SajtProfil1",
                            "Lersok1", "Belltsok1", "GSM1"};
    EXPECT_EQ(order.mid(0, fixed.size()), fixed);
}

// Items a version reply switches on stay on after a lower version.
TEST_F(ConfiguratorFrame, VersionRulesOfTheMenuAreNotReversed) {
    open(71);
    window->presetModuleVersion(43);
    window->applyVersionRules();
    EXPECT_TRUE(item("Hibakeress1")->isEnabled());
    EXPECT_TRUE(item("Szoftverfrissts1")->isVisible());
    window->presetModuleVersion(15);
    window->applyVersionRules();
    EXPECT_TRUE(item("Hibakeress1")->isEnabled());
    EXPECT_TRUE(item("Szoftverfrissts1")->isVisible());

    open(100, 43);
    EXPECT_FALSE(item("SajtProfil1")->isVisible());
    EXPECT_FALSE(item("Bektsirajz1")->isEnabled());
    EXPECT_FALSE(item("GSMraszinkronozsa1")->isEnabled());
}

struct InputBoxCase {
    const char* item;
    const char* captionKey;
    const char* promptKey;
    const char* answer;
    int32_t firstCode;
};

const InputBoxCase kInputBoxCases[] = {
    {"SIMPINkdkikapcsolsa1", "engine.pin_title", "engine.pin_prompt", "1234", LinkCode::kPinSend},
    {"Adathvsellenrzs1", "engine.data_call_title", "engine.call_prompt", "+36301234567",
     LinkCode::kDataCallTest},
    {"Voicehvstest1", "engine.voice_call_title", "engine.call_prompt", "06201112222",
     LinkCode::kVoiceCallTest},
    {"SMStest1", "engine.sms_test_title", "engine.sms_prompt", "+36709998888",
     LinkCode::kSmsTestHeader},
};

TEST_F(ConfiguratorFrame, InputBoxItemsStartTheirModemOperation) {
    for (const int language : {0, 1}) {
        for (const InputBoxCase& c : kInputBoxCases) {
            SCOPED_TRACE(c.item);
            open(71);
            ctx.write(QStringLiteral("Language"), QString::number(language));
            window->FormActivate();
            ASSERT_EQ(window->language(), language);
            window->engine().state().LinkCommand = LinkCode::kIdle;
            QString caption, prompt;
            window->askText = [&](const QString& cap, const QString& pr) {
                caption = cap;
                prompt = pr;
                return std::optional<QString>(QString::fromLatin1(c.answer));
            };
            item(c.item)->trigger();
            EXPECT_EQ(caption, message(c.captionKey, language));
            EXPECT_EQ(prompt, message(c.promptKey, language));
            const LinkEngineState& s = window->engine().state();
            EXPECT_EQ(s.LinkCommand, LinkCode::kModemEnter);
            EXPECT_EQ(s.NextCommand, c.firstCode);
            if (c.firstCode == LinkCode::kPinSend)
                EXPECT_EQ(s.SimPin, QString::fromLatin1(c.answer));
            else
                EXPECT_EQ(s.TestNumber, QString::fromLatin1(c.answer));
        }
    }
}

TEST_F(ConfiguratorFrame, CancelledInputBoxStartsNothing) {
    for (const InputBoxCase& c : kInputBoxCases) {
        SCOPED_TRACE(c.item);
        open(71);
        bool asked = false;
        window->askText = [&](const QString&, const QString&) {
            asked = true;
            return std::optional<QString>();
        };
        item(c.item)->trigger();
        EXPECT_TRUE(asked);
        EXPECT_EQ(window->engine().state().LinkCommand, LinkCode::kIdle);
        EXPECT_TRUE(takeMessages().isEmpty());
    }
}

TEST_F(ConfiguratorFrame, PlainItemsStartTheirOperation) {
    struct Case {
        const char* item;
        int32_t linkCommand;
        int32_t nextCommand; // -1: not looked at
    };
    const Case cases[] = {
        {"GSMsoftververzi1", LinkCode::kVersionQuery, -1},
        {"GSMraszinkronozsa1", LinkCode::kClockSync, -1},
        {"IMEInumber1", LinkCode::kModemEnter, LinkCode::kImeiQuery},
        {"Olvass1", LinkCode::kBlockRead, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        open(71);
        window->presetModuleVersion(43);
        item(c.item)->trigger();
        EXPECT_EQ(window->engine().state().LinkCommand, c.linkCommand);
        if (c.nextCommand >= 0)
            EXPECT_EQ(window->engine().state().NextCommand, c.nextCommand);
    }
}

TEST_F(ConfiguratorFrame, ModemWindowItemsAskForTheirWindows) {
    open(71);
    int centre = 0, balance = 0;
    QObject::connect(window.get(), &TAV4Form1::smsCentreRequested, [&] { ++centre; });
    QObject::connect(window.get(), &TAV4Form1::balanceRequested, [&] { ++balance; });
    item("SMSkzponttelefonszm1")->trigger();
    EXPECT_EQ(centre, 1);
    EXPECT_EQ(balance, 0);
    item("EgyenleglekrdezsTMobile1")->trigger();
    EXPECT_EQ(centre, 1);
    EXPECT_EQ(balance, 1);
    EXPECT_EQ(window->engine().state().LinkCommand, LinkCode::kIdle);
}

// Activations (every closed dialog brings one) reset the list selections only
// while the pages hold no settings of a module or a file, and never a list the
// installer has set: a send writes what the window shows.
TEST_F(ConfiguratorFrame, ActivationResetsListsOnlyBeforeModuleData) {
    enum class Source { None, Read, File };
    const struct {
        const char* name;
        Source source;
    } cases[] = {
        {"fresh window", Source::None},
        {"after a read", Source::Read},
        {"after a file opened", Source::File},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open(71, 43);
        window->FormActivate();
        auto* type1 = control<QComboBox>("ComboBox1");
        auto* type3 = control<QComboBox>("ComboBox3");
        auto* filter = control<QComboBox>("ComboBox12");
        ASSERT_TRUE(type1 && type3 && filter);
        if (c.source == Source::Read) {
            window->decode();
        } else if (c.source == Source::File) {
            const QString file = settingsDir.filePath(QStringLiteral("c.dat"));
            window->files().chooseFile = [&](const FileDialogRequest&) { return file; };
            window->files().showMessage = [](const QString& t) {
                ADD_FAILURE() << t.toStdString();
            };
            ASSERT_TRUE(window->files().saveConfiguration());
            EXPECT_FALSE(window->holdsModuleData());
            ASSERT_TRUE(window->files().openConfiguration());
        }
        EXPECT_EQ(window->holdsModuleData(), c.source != Source::None);
        EXPECT_FALSE(window->hasUnsentEdits());
        const int filterShown = filter->currentIndex();
        type1->setCurrentIndex(3);
        type3->setCurrentIndex(2);
        window->FormActivate();
        EXPECT_EQ(type1->currentIndex(), 3);
        EXPECT_EQ(type3->currentIndex(), 2);
        EXPECT_EQ(filter->currentIndex(), filterShown);
        EXPECT_TRUE(window->hasUnsentEdits());
        EXPECT_EQ(window->imageToSend()[8] & 0x7F, 3) << "input 1's type as the list shows it";
    }
}

// Edition 20's starting values are the window's own: no unsent edit, and an
// installer's choice survives the next activation.
TEST_F(ConfiguratorFrame, EditionStartingValuesAreNoEditAndYieldToTheInstaller) {
    open(71, 43, 20);
    window->FormActivate();
    auto* type1 = control<QComboBox>("ComboBox1");
    auto* redials = control<QSpinBox>("SpinEdit5");
    EXPECT_EQ(type1->currentIndex(), 3);
    EXPECT_EQ(redials->value(), 2);
    EXPECT_FALSE(window->hasUnsentEdits());
    redials->setValue(9);
    window->FormActivate();
    EXPECT_EQ(redials->value(), 9);
    EXPECT_EQ(type1->currentIndex(), 3);
    EXPECT_TRUE(window->hasUnsentEdits());
    EXPECT_EQ(window->imageToSend()[79], 9);
}

TEST_F(ConfiguratorFrame, ServiceModeShowsTheServiceControls) {
    const struct {
        const char* stored; // nullptr: no value
        const char* after;  // "mode" after the activation
        bool service;
    } cases[] = {
        {nullptr, "0", false},           {"0", "0", false},
        {"5082613", "5082613", true},    {"5082614", "5082614", false},
        {" 5082613", " 5082613", false},
    };
    const char* controls[] = {"Button6", "Button7", "Button13", "Button14", "Button15",
                              "Panel28", "Panel29", "Panel30",  "Panel31",  "Panel32"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        open(71);
        if (c.stored)
            ctx.write(QStringLiteral("mode"), QString::fromLatin1(c.stored));
        window->FormActivate();
        EXPECT_EQ(ctx.read(QStringLiteral("mode")), QString::fromLatin1(c.after));
        EXPECT_EQ(window->modeText(), QString::fromLatin1(c.after));
        for (const char* name : controls) {
            QWidget* w = control(name);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->isVisibleTo(window.get()), c.service) << name;
        }
        // Nothing hides them again during the run.
        if (c.service) {
            ctx.write(QStringLiteral("mode"), QStringLiteral("0"));
            window->FormActivate();
            EXPECT_TRUE(control("Button6")->isVisibleTo(window.get()));
        }
    }
    EXPECT_EQ(MnemonicGroups::shownText(control<QPushButton>("Button6")),
              QStringLiteral("Memory load"));
    EXPECT_EQ(control<QLabel>("Panel32")->text(), QStringLiteral("KI1"));
}

TEST_F(ConfiguratorFrame, ActivationFillsEmptyInstallationTexts) {
    open(71);
    window->setModelLabel(QStringLiteral("NORVIK"));
    Panel16* panel = window->installationPanel();
    panel->edit(0)->setText(QStringLiteral("Ügyfél"));
    window->FormActivate();
    EXPECT_EQ(panel->edit(Panel16::kCommunicatorType)->text(), QStringLiteral("NORVIK"));
    EXPECT_FALSE(panel->edit(Panel16::kInstallationDate)->text().isEmpty());
    EXPECT_EQ(panel->edit(0)->text(), QStringLiteral("Ügyfél"));
    panel->edit(Panel16::kCommunicatorType)->setText(QStringLiteral("Saját"));
    window->FormActivate();
    EXPECT_EQ(panel->edit(Panel16::kCommunicatorType)->text(), QStringLiteral("Saját"));
}

struct EditionMenuCase {
    int brand;
    std::vector<const char*> hidden;
    std::vector<const char*> shown;
};

TEST_F(ConfiguratorFrame, EditionsHideTheirMenus) {
    const EditionMenuCase cases[] = {
        {1, {}, {"Help1", "Lersok1", "SajtProfil1", "Verzi1"}},
        {10, {"Help1", "Lersok1"}, {"SajtProfil1", "Verzi1"}},
        {20,
         {"Help1", "Lersok1", "Verzi1", "Hibakeress1", "Adathvsellenrzs1", "SajtProfil1"},
         {"Voicehvstest1"}},
        {40, {"SajtProfil1", "Help1"}, {"Lersok1", "Verzi1"}},
        {50,
         {"Voicehvstest1", "Adathvsellenrzs1", "Help1", "SajtProfil1", "Lersok1"},
         {"Contact1", "Verzi1"}},
    };
    for (const EditionMenuCase& c : cases) {
        SCOPED_TRACE(c.brand);
        open(71, 0, c.brand);
        window->FormActivate();
        for (const char* name : c.hidden)
            EXPECT_FALSE(item(name)->isVisible()) << name;
        for (const char* name : c.shown)
            EXPECT_TRUE(item(name)->isVisible()) << name;
    }
}

// A configuration file of ModelCode 71 holds bytes 0..1023 while the block
// write sends 0..1535: until a read has brought the rest from the module, the
// send button and the menu item refuse with a message.
TEST_F(ConfiguratorFrame, SendOfAShortFileWaitsForARead) {
    for (const bool fromMenu : {false, true}) {
        SCOPED_TRACE(fromMenu ? "Elklds1" : "BitBtn1");
        open(71, 43);
        const QString file = settingsDir.filePath(QStringLiteral("short.dat"));
        window->files().chooseFile = [&](const FileDialogRequest&) { return file; };
        window->files().showMessage = [](const QString& t) { ADD_FAILURE() << t.toStdString(); };
        ASSERT_TRUE(window->files().saveConfiguration());
        ASSERT_TRUE(window->files().openConfiguration());
        window->presetModuleVersion(43);
        auto send = [&] {
            if (fromMenu)
                item("Elklds1")->trigger();
            else
                control<QPushButton>("BitBtn1")->click();
        };
        takeMessages();
        send();
        EXPECT_EQ(window->engine().state().LinkCommand, LinkCode::kIdle);
        EXPECT_EQ(takeMessages(), QStringList{window->files().moduleBytesMessage()});

        window->decode(); // what a finished read calls
        window->presetModuleVersion(43);
        send();
        // The send starts with the read for its backup, on the safety net's own engine.
        EXPECT_TRUE(window->safetyNet().busy() ||
                    window->engine().state().LinkCommand != LinkCode::kIdle);
        EXPECT_TRUE(takeMessages().isEmpty());
    }
}

// Edition 20 hides what its installers do not use and starts the pages with
// its own values, but only while they hold no module's or file's settings.
TEST_F(ConfiguratorFrame, Edition20RearrangesTheWindowAndItsPages) {
    for (const bool afterRead : {false, true}) {
        SCOPED_TRACE(afterRead ? "after a read" : "fresh window");
        open(71, 43, 20);
        const int designHeight = window->height();
        if (afterRead) {
            image()[66] = 5; // output 1: 5 s
            window->decode();
        }
        window->FormActivate();
        // Hidden by the edition; the others only wait for their page.
        for (const char* name :
             {"best11", "best13", "best14", "best23", "best34", "best44", "best91", "Label11",
              "Label31", "Label33", "Label42", "ComboBox12", "Label57", "Label3D1", "Image1"})
            EXPECT_TRUE(control(name)->isHidden()) << name;
        for (const char* name :
             {"best15", "best16", "CheckBox1", "riasztas", "RichEdit1", "Memo1", "Memo6", "Clock1"})
            EXPECT_FALSE(control(name)->isHidden()) << name;
        EXPECT_FALSE(window->installationPanel()->isVisibleTo(window.get()));
        window->applyVersionRules(); // a version reply does not bring them back
        for (const char* page : {"TabSheet10", "TabSheet15", "TabSheet16"})
            EXPECT_FALSE(window->pageVisible(QString::fromLatin1(page))) << page;
        EXPECT_TRUE(window->pageVisible(QStringLiteral("TabSheet2")));
        EXPECT_EQ(control("RichEdit1")->size(), QSize(465, 90));
        EXPECT_EQ(designHeight, 708 - 110);

        const bool values = !afterRead;
        EXPECT_EQ(control<QLineEdit>("riasztas")->text() == QStringLiteral("Area #1"), values);
        EXPECT_EQ(control<QLineEdit>("riasztas4")->text() == QStringLiteral("Area #4"), values);
        EXPECT_EQ(control<QLineEdit>("riasztas9")->text() == QStringLiteral("Area #3 or Tamper"),
                  values);
        for (const char* name : {"ComboBox1", "ComboBox3", "ComboBox9"})
            EXPECT_EQ(control<QComboBox>(name)->currentIndex() == 3, values) << name;
        for (const char* name : {"CheckBox1", "CheckBox4", "CheckBox9"})
            EXPECT_EQ(control<QCheckBox>(name)->isChecked(), values) << name;
        EXPECT_EQ(control<QSpinBox>("SpinKI1")->value() == 1, values);
        EXPECT_EQ(control<QSpinBox>("SpinEdit5")->value() == 2, values);
    }
    // Other editions have neither the help texts nor the changed values.
    open(71, 43, 40);
    window->FormActivate();
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("RichEdit1")), nullptr);
    EXPECT_EQ(window->height(), 708);
    EXPECT_NE(control<QLineEdit>("riasztas")->text(), QStringLiteral("Area #1"));
    EXPECT_FALSE(control("best11")->isHidden());
}

TEST_F(ConfiguratorFrame, Edition50ShowsTheTimeAndHidesTheSecondOutput) {
    open(71, 43, 50);
    window->FormActivate();
    EXPECT_TRUE(control("Label99")->isVisibleTo(window.get()));
    EXPECT_FALSE(control("Label3D1")->isVisibleTo(window.get()));
    EXPECT_TRUE(control("Output2Group")->isHidden());
    EXPECT_FALSE(window->pageVisible(QStringLiteral("TabSheet16")));
    EXPECT_EQ(backgroundOf(window.get()), window->palette().color(QPalette::Button));
    open(71, 43, 40);
    window->FormActivate();
    EXPECT_FALSE(control("Output2Group")->isHidden());
    EXPECT_FALSE(control("Label99")->isVisibleTo(window.get()));
}

// The screen size chosen in its window is applied at the first activation of
// the run only: a later one (a dialog closed, a language chosen) keeps it.
TEST_F(ConfiguratorFrame, ScreenSizeIsAppliedOnceAtTheFirstActivation) {
    const struct {
        const char* stored; // nullptr: no value
        double factor;      // 0: size and position unchanged
    } cases[] = {
        {nullptr, 0},   {"2", 0},       {"0", 1.0 / 2}, {"1", 2.0 / 3},
        {"3", 4.0 / 3}, {"4", 5.0 / 3}, {"5", 0},       {"x", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        open(71, 43);
        if (c.stored)
            ctx.write(QStringLiteral("monitor"), QString::fromLatin1(c.stored));
        window->move(40, 40);
        const QSize before = window->size();
        const qreal fontBefore = window->font().pointSizeF();
        const qreal labelFontBefore = control("Label3D1")->font().pointSizeF();
        window->FormActivate();
        EXPECT_TRUE(window->screenSizeApplied());
        EXPECT_EQ(ctx.read(QStringLiteral("monitor")),
                  QString::fromLatin1(c.stored ? c.stored : "2"));
        if (c.factor == 0) {
            EXPECT_EQ(window->size(), before);
            EXPECT_EQ(window->pos(), QPoint(40, 40));
            EXPECT_DOUBLE_EQ(window->font().pointSizeF(), fontBefore);
            continue;
        }
        EXPECT_NEAR(window->font().pointSizeF(), fontBefore * c.factor, 0.01);
        EXPECT_NEAR(control("Label3D1")->font().pointSizeF(), labelFontBefore * c.factor, 0.01);
        EXPECT_EQ(window->pos(), QPoint(5, 5));
        if (c.factor > 1)
            EXPECT_EQ(window->width(), qRound(before.width() * c.factor));
        else
            EXPECT_LT(window->width(), before.width());
        const QSize scaled = window->size();
        window->move(40, 40);
        window->FormActivate();
        EXPECT_EQ(window->size(), scaled);
        EXPECT_EQ(window->pos(), QPoint(40, 40));
        EXPECT_NEAR(window->font().pointSizeF(), fontBefore * c.factor, 0.01);
    }
}

TEST_F(ConfiguratorFrame, ActivationSetsThePhonebookBackTo100Entries) {
    open(71, 43);
    auto* entries250 = control<QCheckBox>("CheckBox12");
    ASSERT_NE(entries250, nullptr);
    entries250->setChecked(true);
    window->FormActivate();
    EXPECT_FALSE(entries250->isChecked());
}
