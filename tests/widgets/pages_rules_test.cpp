// The rules that tie the pages' controls together.
#include "pages_fixture.h"

#include "settings/settings_store.h"
#include "workspace/configuration_files.h"
#include "workspace/pages/output_page.h"
#include "workspace/pages/phone_page.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

// Typing, one key per character, as a keyboard with these letters would.
void typeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

class PageRules : public PagesFixture {
  protected:
    void setPhone(int n, const QString& text) {
        auto* e = window->findChild<QLineEdit*>(QStringLiteral("MaskEdit%1").arg(n));
        e->setText(text);
    }
    TargetCheckList* list(const char* name) const { return control<TargetCheckList>(name); }
    // "T" for a tickable item showing `text`, "-" for a greyed one.
    QString describe(const TargetCheckList* l) const {
        QStringList parts;
        for (int i = 0; i < 8; ++i)
            parts << (l->itemSelectable(i) ? QStringLiteral("T:") : QStringLiteral("-:")) +
                         l->itemText(i).trimmed();
        return parts.join(u' ');
    }
};

TEST_F(PageRules, TypeZeroGreysTheLists) {
    struct Case {
        const char* type;
        const char* sms;
        const char* voice;
    } cases[] = {
        {"ComboBox1", "SMSst1", "VOICEst1"},    {"ComboBox2", "SMSst2", "VOICEst2"},
        {"ComboBox3", "SMSst3", "VOICEst3"},    {"ComboBox4", "SMSst4", "VOICEst4"},
        {"ComboBox9", "SMSst9", "VOICEst9"},    {"ComboBox10", "SMSst10", "VOICEst10"},
        {"ComboBox13", "SMSst13", "VOICEst13"}, {"ComboBox5", "SMSst5", "VOICEst5"},
        {"ComboBox6", "SMSst6", "VOICEst6"},
    };
    open(90);
    // Speed and lift start with type 0, so their lists start greyed.
    EXPECT_FALSE(list("SMSst5")->isEnabled());
    EXPECT_FALSE(list("VOICEst6")->isEnabled());
    for (const Case& c : cases) {
        auto* type = control<QComboBox>(c.type);
        for (int index : {3, 0, 5, -1}) {
            type->setCurrentIndex(index);
            EXPECT_EQ(list(c.sms)->isEnabled(), index != 0) << c.type << " " << index;
            EXPECT_EQ(list(c.voice)->isEnabled(), index != 0) << c.type << " " << index;
        }
    }
    // The voltage list runs the power page's type rule as well.
    control<QComboBox>("ComboBox10")->setCurrentIndex(0);
    list("SMSst10")->setEnabled(true);
    control<QComboBox>("ComboBox20")->setCurrentIndex(2);
    EXPECT_FALSE(list("SMSst10")->isEnabled());
}

TEST_F(PageRules, OutputModeUnitAndCallerIdentification) {
    open(70);
    auto* mode = control<QComboBox>("ComboKi1");
    auto* spin = control<QSpinBox>("SpinKI1");
    auto* unit = control<QComboBox>("KI1SECMIN");
    OutputPage* page = pages().outputPage();
    for (int m : {1, 2, 0}) {
        mode->setCurrentIndex(m);
        EXPECT_EQ(spin->isEnabled(), m == 0) << m;
        EXPECT_EQ(unit->isEnabled(), m == 0) << m;
    }

    struct Case {
        int seconds;
        int shownInMinutes;
        int keptAfterSwitch;
    } cases[] = {{90, 1, 60}, {3, 1, 60}, {125, 2, 120}, {65535, 1092, 65520}};
    for (const Case& c : cases) {
        unit->setCurrentIndex(0);
        spin->setValue(c.seconds);
        EXPECT_EQ(page->keptSeconds(0), c.seconds);
        unit->setCurrentIndex(1);
        EXPECT_EQ(spin->maximum(), 1092);
        EXPECT_EQ(spin->value(), c.shownInMinutes) << c.seconds;
        EXPECT_EQ(page->keptSeconds(0), c.keptAfterSwitch) << c.seconds;
        unit->setCurrentIndex(0);
        EXPECT_EQ(spin->maximum(), 65535);
        EXPECT_EQ(spin->value(), c.keptAfterSwitch);
    }
    unit->setCurrentIndex(1);
    spin->setValue(5);
    EXPECT_EQ(page->keptSeconds(0), 300);

    auto* onCaller = control<QCheckBox>("CheckBox1KI1");
    auto* noCaller = control<QCheckBox>("CheckBox3KI1");
    onCaller->setChecked(false);
    noCaller->setChecked(true);
    EXPECT_TRUE(onCaller->isChecked());
    onCaller->setChecked(false);
    EXPECT_FALSE(noCaller->isChecked());
}

// Decode fills the outputs; a stored time outside the spin's range is shown
// as it is.
TEST_F(PageRules, DecodedOutputTimes) {
    struct Case {
        int stored;
        bool output2InMinutes;
        int kept;
        int shown;
    } cases[] = {
        {0, false, 0, 0},
        {90, false, 90, 90},
        // Output 2 keeps "Min" on a file load: the time stays whole.
        {3600, true, 3600, 60},
        {3601, true, 3601, 60},
    };
    for (const Case& c : cases) {
        open(70);
        control<QComboBox>("KI1SECMIN")->setCurrentIndex(1);
        control<QComboBox>("KI2SECMIN")->setCurrentIndex(c.output2InMinutes ? 1 : 0);
        image().fill(0, 0, ConfigImage::kSize);
        writeWord(image(), 65, c.stored);
        writeWord(image(), 68, c.stored);
        window->decode();
        OutputPage* page = pages().outputPage();
        EXPECT_EQ(control<QComboBox>("KI1SECMIN")->currentIndex(), 0) << "output 1 in seconds";
        EXPECT_EQ(page->keptSeconds(0), c.stored);
        EXPECT_EQ(page->keptSeconds(1), c.kept) << c.stored;
        EXPECT_EQ(control<QSpinBox>("SpinKI2")->value(), c.shown) << c.stored;
        window->resetOutput2TimeUnit();
        EXPECT_EQ(control<QSpinBox>("SpinKI2")->value(), c.kept) << c.stored;
        EXPECT_EQ(page->keptSeconds(1), c.kept) << c.stored;
    }
}

TEST_F(PageRules, TemperatureLifeSignalRedirectionAndHeaderCounter) {
    open(70);
    auto* type = control<QComboBox>("ComboBox13");
    auto* maxBox = control<QCheckBox>("hkompmax");
    auto* minBox = control<QCheckBox>("hkompmin");
    auto* maxSpin = control<QSpinBox>("SpinEdit6");
    auto* minSpin = control<QSpinBox>("SpinEdit7");
    EXPECT_FALSE(maxBox->isEnabled());
    type->setCurrentIndex(1);
    EXPECT_TRUE(maxBox->isEnabled());
    EXPECT_TRUE(minBox->isEnabled());
    EXPECT_FALSE(maxSpin->isEnabled());
    maxBox->setChecked(true);
    EXPECT_TRUE(maxSpin->isEnabled());
    EXPECT_FALSE(minSpin->isEnabled());
    type->setCurrentIndex(0);
    EXPECT_FALSE(maxSpin->isEnabled());
    EXPECT_FALSE(maxBox->isEnabled());
    EXPECT_TRUE(maxBox->isChecked()) << "the mark stays";

    auto* life = control<QCheckBox>("CheckBox11");
    for (bool on : {true, false})
        for (const char* spin : {"SpinEdit1", "SpinEdit2", "SpinEdit3"}) {
            life->setChecked(on);
            EXPECT_EQ(control<QSpinBox>(spin)->isEnabled(), on) << spin;
        }

    auto* redirect = control<QCheckBox>("CheckEgyeb2");
    redirect->setChecked(true);
    EXPECT_TRUE(control<QComboBox>("ComboBox11")->isEnabled());
    redirect->setChecked(false);
    EXPECT_FALSE(control<QComboBox>("ComboBox11")->isEnabled());

    auto* header = control<QLineEdit>("Edit12");
    for (int length : {0, 1, 20, 120}) {
        header->setText(QString(length, u'h'));
        EXPECT_EQ(control<QLabel>("Label181")->text(), QString::number(120 - length));
    }
    header->setText(QString(130, u'h'));
    EXPECT_EQ(header->text().size(), 120);

    // ModelCode 100 keeps 32 bytes of the header: the edit takes no more.
    open(100);
    header = control<QLineEdit>("Edit12");
    header->setText(QString(40, u'h'));
    EXPECT_EQ(header->text().size(), 32);
    EXPECT_EQ(control<QLabel>("Label181")->text(), QStringLiteral("0"));
    header->setText(QString(12, u'h'));
    EXPECT_EQ(control<QLabel>("Label181")->text(), QStringLiteral("20"));
}

// Decode sets the boxes, then the rules run as if the installer had.
TEST_F(PageRules, DecodeRunsThePageRules) {
    open(70);
    image().fill(0xFF, 0, ConfigImage::kSize);
    image()[48] = 0;  // temperature type 0
    image()[82] = 40; // maximum 40 degrees
    image()[70] = 0;  // life signal off
    image()[77] = 3;  // redirection to number 4
    window->decode();
    EXPECT_FALSE(control<QSpinBox>("SpinEdit6")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>("hkompmax")->isChecked());
    // The stored limit stays visible, so choosing a type shows it, not a zero.
    EXPECT_EQ(control<QSpinBox>("SpinEdit6")->value(), 40);
    EXPECT_FALSE(control<QCheckBox>("CheckBox11")->isChecked());
    EXPECT_EQ(control<QSpinBox>("SpinEdit1")->value(), 1);
    EXPECT_FALSE(control<QSpinBox>("SpinEdit1")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>("CheckEgyeb2")->isChecked());
    EXPECT_TRUE(control<QComboBox>("ComboBox11")->isEnabled());
    EXPECT_EQ(control<QComboBox>("ComboBox11")->currentIndex(), 3);
}

TEST_F(PageRules, LeavingEgyebChecksTheSecurityCode) {
    struct Case {
        const char* code;
        const char* language;
        const char* message; // nullptr: none
    } cases[] = {
        {"1234", "0", nullptr},
        {"12", "0", "Biztonsági kód nem megfelelő"},
        {"", "0", "Biztonsági kód nem megfelelő"},
        {"123", "1", "Security PIN does not match"},
    };
    for (const Case& c : cases) {
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QString::fromLatin1(c.language));
        open(70);
        window->FormActivate(); // reads the language
        takeMessages();
        showPage("TabSheet14");
        control<QLineEdit>("Edit1")->setText(QString::fromLatin1(c.code));
        showPage("TabSheet14"); // staying asks nothing
        EXPECT_TRUE(takeMessages().isEmpty());
        showPage("TabSheet2");
        const QStringList shown = takeMessages();
        EXPECT_EQ(currentPage(), QStringLiteral("TabSheet2")) << "the page is left all the same";
        EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QString::fromLatin1(c.code));
        if (c.message)
            EXPECT_EQ(shown, QStringList{QString::fromUtf8(c.message)}) << c.code;
        else
            EXPECT_TRUE(shown.isEmpty()) << c.code;
    }
}

TEST_F(PageRules, AccentWarningOncePerPageVisitBelowVersion38) {
    const QString warning = QStringLiteral("ékezetes karakterek rosszul jelenhetnek meg a "
                                           "telefonon, kérem ne használjon ékezetes karaktereket!");
    open(70);
    window->presetModuleVersion(37);
    showPage("TabSheet3");
    takeMessages();
    auto* text2 = control<QLineEdit>("riasztas2");
    auto* text3 = control<QLineEdit>("riasztas3");
    auto type = [](QLineEdit* e, const QString& s) {
        e->setFocus();
        e->end(false);
        typeText(e, s);
    };
    // Beside the field, no box: the keys typed next still reach the field.
    // The warning shown since the last call, if any.
    auto accent = [this] {
        auto* hint = window->findChild<QLabel*>(QStringLiteral("accentHint"));
        if (!hint || hint->isHidden())
            return QString();
        hint->hide();
        return hint->text();
    };
    type(text2, QStringLiteral("é"));
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_EQ(accent(), warning);
    type(text2, QStringLiteral("x"));
    EXPECT_TRUE(text2->text().endsWith(QStringLiteral("éx")));
    type(text2, QStringLiteral("á"));
    EXPECT_TRUE(accent().isEmpty()) << "once per visit";
    showPage("TabSheet4");
    type(text3, QStringLiteral("í"));
    EXPECT_TRUE(accent().isEmpty()) << "í is fine";
    type(text3, QStringLiteral("xŐ"));
    EXPECT_EQ(accent(), warning);
    // The text stays as typed.
    EXPECT_TRUE(text3->text().endsWith(QStringLiteral("íxŐ")));
    // A text the window sets itself is not typing.
    showPage("TabSheet5");
    control<QLineEdit>("riasztas4")->setText(QStringLiteral("ű"));
    EXPECT_TRUE(accent().isEmpty());

    window->presetModuleVersion(38);
    showPage("TabSheet2");
    type(control<QLineEdit>("riasztas"), QStringLiteral("é"));
    EXPECT_TRUE(accent().isEmpty()) << "no warning from version 3.8";
}

TEST_F(PageRules, PhoneListsFollowTheNumbersWhenAPageIsShown) {
    open(70);
    setPhone(1, QStringLiteral("+36301234567"));
    setPhone(3, QStringLiteral("0612345678"));
    // Number 2 stays empty (keys typed into it start at its first position:
    // screens_test).
    list("SMSst1")->setTargets({true, true, false, false, false, false, false, true});

    showPage("TabSheet2");
    const QString expected = QStringLiteral("T:+36301234567 -:Phone2 T:0612345678 -:Phone4 "
                                            "-:Phone5 -:Phone6 -:Phone7 -:Phone8");
    EXPECT_EQ(describe(list("SMSst1")), expected);
    EXPECT_EQ(describe(list("VOICEst1")), expected);
    EXPECT_EQ(list("SMSst1")->targets(),
              (TargetList{true, true, false, false, false, false, false, true}))
        << "the marks stay";
    // A greyed item cannot be ticked; a click on a tickable one toggles it.
    list("SMSst1")->toggle(1);
    list("SMSst1")->toggle(2);
    EXPECT_EQ(list("SMSst1")->targets(),
              (TargetList{true, true, true, false, false, false, false, true}));
    // Lists follow on the page's next show, not before.
    setPhone(2, QStringLiteral("+36201111111"));
    EXPECT_FALSE(list("SMSst1")->itemSelectable(1));
    showPage("TabSheet3");
    EXPECT_FALSE(list("SMSst1")->itemSelectable(1));
    showPage("TabSheet2");
    EXPECT_TRUE(list("SMSst1")->itemSelectable(1));

    showPage("TabSheet14");
    auto* targets = control<QComboBox>("ComboBox11");
    EXPECT_EQ(targets->itemText(0).trimmed(), QStringLiteral("+36301234567"));
    EXPECT_EQ(targets->itemText(3), QStringLiteral("Phone4"));
}

TEST_F(PageRules, FiveToEightOnModel80) {
    struct Case {
        const char* sheet;
        const char* list;
        bool blank;
    } cases[] = {
        {"TabSheet2", "SMSst1", true},  {"TabSheet3", "VOICEst2", true},
        {"TabSheet11", "SMSst9", true}, {"TabSheet13", "SMSst11", true},
        {"TabSheet4", "SMSst3", false}, {"TabSheet12", "SMSst10", false},
    };
    for (int model : {80, 70}) {
        open(model);
        setPhone(1, QStringLiteral("+36301234567"));
        setPhone(6, QStringLiteral("+36301234999"));
        for (const Case& c : cases) {
            pages().showPage(control<QWidget>(c.sheet));
            const bool blank = c.blank && model == 80;
            for (int i = 4; i < 8; ++i) {
                const QString text = list(c.list)->itemText(i).trimmed();
                if (i == 5)
                    EXPECT_EQ(text, QStringLiteral("+36301234999"));
                else
                    EXPECT_EQ(text, blank ? QString() : QStringLiteral("Phone%1").arg(i + 1))
                        << model << " " << c.list << " " << i;
                EXPECT_EQ(list(c.list)->itemSelectable(i), i == 5);
            }
        }
    }
}

TEST_F(PageRules, PagesBe5ToBe8AreNeverShown) {
    open(70);
    for (const char* sheet : {"TabSheet6", "TabSheet7", "TabSheet8", "TabSheet9"}) {
        showPage("TabSheet11");
        showPage(sheet);
        EXPECT_EQ(currentPage(), QStringLiteral("TabSheet1")) << sheet;
    }
    // Paging with the keyboard goes from "Be4" straight to "Kimenet".
    showPage("TabSheet5");
    QKeyEvent next(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    QApplication::sendEvent(window->pageControl(), &next);
    EXPECT_EQ(currentPage(), QStringLiteral("TabSheet10"));
}

TEST_F(PageRules, PhoneNumberPopup) {
    open(70);
    PhoneNumbersPage* page = pages().phonePage();
    auto* edit = control<QLineEdit>("MaskEdit3");
    auto* other = control<QLineEdit>("MaskEdit4");
    other->setText(QStringLiteral("0611111111"));
    edit->setText(QStringLiteral("0622222222"));
    auto act = [&](const char* caption) {
        for (QAction* a : page->popup()->actions())
            if (a->text() == QLatin1String(caption))
                a->trigger();
    };
    EXPECT_EQ(page->popup()->objectName(), QStringLiteral("PopupMenu1"));
    page->setPopupTarget(edit);
    act("+3630");
    EXPECT_EQ(edit->text(), QStringLiteral("+3630"));
    EXPECT_EQ(page->texts()[2], QStringLiteral("+3630           "));
    act("+3620");
    EXPECT_EQ(edit->text(), QStringLiteral("+3620"));
    act("Delete");
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(page->texts()[2], QString(16, u' '));
    EXPECT_EQ(other->text(), QStringLiteral("0611111111")) << "only the clicked edit";
    // The edit takes a digit, '+' or '-' first, then digits only.
    other->clear();
    QTest::keyClicks(other, QStringLiteral("+36a30-1"));
    EXPECT_EQ(other->text(), QStringLiteral("+36301"));
}

TEST_F(PageRules, VersionAndModelRules) {
    struct Case {
        int model;
        int version;
        int brand;
        const char* shown;  // controls visible on their page
        const char* hidden; // controls not visible
    } cases[] = {
        {70, 17, 40, "", "best15 best16 best17 best95 ComboBox20 CheckEgyeb3 CheckEgyeb4 Button16"},
        {70, 18, 40, "CheckEgyeb3", "CheckEgyeb4 ComboBox20 voltageLabel best15 best96"},
        {71, 18, 40, "", "CheckEgyeb3"},
        {70, 23, 40, "CheckEgyeb3 CheckEgyeb4 CheckEgyeb5 CheckEgyeb6", "best105"},
        {70, 34, 40, "best15 best95 best105", "best16 best36 best106 best17"},
        {70, 36, 40, "best16 best36 best106 Button16", "best17 best47 ComboBox20"},
        {70, 38, 40, "ComboBox20 voltageLabel", "best107"},
        {70, 41, 40, "best17 best27 best37 best47 best97 best107", ""},
        {100, 43, 40, "CheckEgyeb1",
         "CheckEgyeb4 CheckEgyeb5 CheckEgyeb6 Label64 Edit8 featureBoxes"},
        {90, 43, 40, "featureBoxes CheckEgyeb4", "CheckEgyeb3"},
        {70, 43, 20, "", "CheckEgyeb3 CheckEgyeb4 CheckEgyeb5 CheckEgyeb6 featureBoxes"},
    };
    for (const Case& c : cases) {
        open(c.model, c.version, c.brand);
        auto check = [&](const char* names, bool visible) {
            for (const QString& n : QString::fromLatin1(names).split(u' ', Qt::SkipEmptyParts)) {
                QWidget* w = window->findChild<QWidget*>(n);
                ASSERT_NE(w, nullptr) << n.toStdString();
                QWidget* page = w;
                while (page->parentWidget() && !page->objectName().startsWith(u"TabSheet"))
                    page = page->parentWidget();
                EXPECT_EQ(w->isVisibleTo(page), visible)
                    << c.model << " v" << c.version << " " << n.toStdString();
            }
        };
        check(c.shown, true);
        check(c.hidden, false);
    }
}

TEST_F(PageRules, DispatchRowsActOnThePages) {
    struct Case {
        int model;
        bool numbers5to8;
        bool output2;
        bool input4Sms;
        bool notes;
        bool ringOptions;
    } cases[] = {
        {70, true, true, true, false, true},    {71, true, true, true, true, true},
        {80, false, false, false, false, true}, {90, true, true, true, false, true},
        {100, true, true, true, false, false},
    };
    for (const Case& c : cases) {
        open(c.model);
        auto visible = [&](const char* name, const char* sheet) {
            return control<QWidget>(name)->isVisibleTo(control<QWidget>(sheet));
        };
        EXPECT_EQ(visible("PhoneNumbers5to8", "TabSheet1"), c.numbers5to8) << c.model;
        EXPECT_EQ(visible("Output2Group", "TabSheet10"), c.output2) << c.model;
        control<QComboBox>("ComboBox4")->setCurrentIndex(1);
        EXPECT_EQ(control<QWidget>("Input4SmsTargets")->isEnabled(), c.input4Sms) << c.model;
        EXPECT_EQ(control<QWidget>("SMSst4")->isEnabled(), c.input4Sms) << c.model;
        EXPECT_TRUE(control<QWidget>("VOICEst4")->isEnabled()) << c.model;
        const QList<QWidget*> notes =
            window->findChildren<QWidget*>(QStringLiteral("ExpansionModuleNotes"));
        EXPECT_EQ(notes.size(), 2);
        for (QWidget* note : notes)
            EXPECT_EQ(!note->isHidden(), c.notes) << c.model;
        EXPECT_EQ(control<QWidget>("RingOptionsGroup")->isEnabled(), c.ringOptions);
        EXPECT_EQ(control<QWidget>("SpinEdit4")->isEnabled(), c.ringOptions);
        EXPECT_EQ(control<QWidget>("CheckEgyeb5")->isVisibleTo(control<QWidget>("TabSheet14")),
                  false)
            << "until the version is known";
    }
}

// The SMS header of models 70..90 lies beyond what a byte transfer reaches.
TEST_F(PageRules, HeaderOnlyWhereTheTransferReachesIt) {
    struct Case {
        int model;
        int version;
        bool editable;
    } cases[] = {{70, 32, false}, {80, 30, false}, {90, 33, true},
                 {70, 43, true},  {100, 30, true}, {100, 43, true}};
    for (const Case& c : cases) {
        open(c.model, c.version);
        EXPECT_EQ(control<QWidget>("Edit12")->isEnabled(), c.editable)
            << c.model << " v" << c.version;
    }
}

// What cannot be stored as the window shows it is not sent or saved at all,
// wherever "Elküldés" or the save is pressed from.
TEST_F(PageRules, ASecurityCodeOfTheWrongLengthStopsSendAndSave) {
    open(71, 43);
    int dialogs = 0;
    window->files().chooseFile = [&](const FileDialogRequest&) {
        ++dialogs;
        return QString();
    };
    auto* code = control<QLineEdit>("Edit1");
    for (const char* bad : {"12", "", "123"}) {
        SCOPED_TRACE(bad);
        code->setText(QString::fromLatin1(bad));
        takeMessages();
        window->BitBtn1Click();
        EXPECT_TRUE(control<QPushButton>("BitBtn1")->isEnabled()); // no backup read started
        EXPECT_EQ(takeMessages(), QStringList{QStringLiteral("Biztonsági kód nem megfelelő")});
        window->saveConfiguration();
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(takeMessages(), QStringList{QStringLiteral("Biztonsági kód nem megfelelő")});
    }
    code->setText(QStringLiteral("4321"));
    window->saveConfiguration();
    EXPECT_EQ(dialogs, 1);
    window->BitBtn1Click();
    EXPECT_FALSE(control<QPushButton>("BitBtn1")->isEnabled()); // the backup read runs
}

// The module at the port decides how it is read and written: a file made for
// another version leaves the window's module version as it was.
TEST_F(PageRules, OpeningAFileKeepsTheModulesVersion) {
    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("v43.dat"));
    open(70, 43);
    image()[254] = 43;
    window->files().chooseFile = [&](const FileDialogRequest&) { return path; };
    window->saveConfiguration();
    ASSERT_TRUE(QFile::exists(path));

    open(70, 30);
    window->files().chooseFile = [&](const FileDialogRequest&) { return path; };
    window->openConfiguration();
    EXPECT_EQ(image()[254], 43);
    EXPECT_EQ(window->moduleVersion(), 30);
}
