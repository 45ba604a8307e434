// The pages' controls: names, ranges, list items, defaults, captions, and how
// the pages sit in the window.
#include "pages_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringList>
#include <algorithm>

namespace {

const char* const kMyPages[] = {"TabSheet1",  "TabSheet2",  "TabSheet3",  "TabSheet4",
                                "TabSheet5",  "TabSheet10", "TabSheet11", "TabSheet12",
                                "TabSheet13", "TabSheet14", "TabSheet16", "TabSheet17",
                                "TabSheet18", "TabSheet19"};

QStringList items(const QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i)
        l << c->itemText(i);
    return l;
}

const char kTypes[] = "00/ Nem használt|01/ 24h normál bemenet|02/ tartalék|03/ Központi "
                      "bemenet|04/ tartalék|05/ Ki/be kapcsolás";

bool isInput(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const TargetCheckList*>(w);
}

} // namespace

class PagesControls : public PagesFixture {};

TEST_F(PagesControls, SpinsHaveTheirRangesAndDefaults) {
    struct Case {
        const char* name;
        int min, max, value;
    } cases[] = {
        {"SpinEdit1", 1, 255, 7},  {"SpinEdit2", 0, 23, 12},    {"SpinEdit3", 0, 255, 0},
        {"SpinEdit4", 3, 180, 30}, {"SpinEdit5", 1, 180, 50},   {"SpinEdit6", 0, 120, 0},
        {"SpinEdit7", 0, 120, 0},  {"SpinEdit8", 10, 250, 120}, {"SpinEdit9", 1, 32, 6},
        {"SpinKI1", 1, 65535, 3},  {"SpinKI2", 1, 65535, 3},
    };
    open(70);
    for (const Case& c : cases) {
        auto* spin = control<QSpinBox>(c.name);
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->minimum(), c.min) << c.name;
        EXPECT_EQ(spin->maximum(), c.max) << c.name;
        EXPECT_EQ(spin->value(), c.value) << c.name;
    }
}

TEST_F(PagesControls, ListsHaveTheirItemsAndDefaults) {
    struct Case {
        const char* names; // several lists with the same items
        const char* items;
        const char* selected; // one index per list
    } cases[] = {
        {"ComboBox1 ComboBox2 ComboBox3 ComboBox4", kTypes, "1 1 0 0"},
        {"ComboBox9 ComboBox10 ComboBox13 ComboBox5 ComboBox6", kTypes, "1 1 0 0 0"},
        {"ComboKi1 ComboKi2",
         "Egyállapotú időzített (MONO)|Kétállapotú (BI)|Élesítés/Hatástalanítás", "0 0"},
        {"KI1SECMIN KI2SECMIN", "Sec|Min", "0 0"},
        {"ComboBox11", "Phone1|Phone2|Phone3|Phone4|Phone5|Phone6|Phone7|Phone8", "0"},
        {"ComboBox12", "Kikapcsolva|Alacsony|Normál|Közepes|Erős", "2"},
        {"ComboBox20", "7V|8V|9V|9,5V|10V|10,5V|11V|11,5V|12V|12,5V|13V", "6"},
    };
    open(70);
    for (const Case& c : cases) {
        const QStringList names = QString::fromLatin1(c.names).split(u' ');
        const QStringList selected = QString::fromLatin1(c.selected).split(u' ');
        for (int i = 0; i < names.size(); ++i) {
            auto* combo = window->findChild<QComboBox*>(names[i]);
            ASSERT_NE(combo, nullptr) << names[i].toStdString();
            EXPECT_EQ(items(combo), QString::fromUtf8(c.items).split(u'|'))
                << names[i].toStdString();
            EXPECT_EQ(combo->currentIndex(), selected[i].toInt()) << names[i].toStdString();
        }
    }
}

TEST_F(PagesControls, BoxesHaveTheirCaptionsAndDefaults) {
    struct Case {
        const char* names;
        const char* caption;
        bool checked;
    } cases[] = {
        {"CheckBox1 CheckBox2 CheckBox3 CheckBox4 CheckBox5 CheckBox6 CheckBox9 CheckBox10 "
         "CheckBox13",
         "Invertált működés", false},
        {"best11 best21 best31 best41 best91 best101 best131 BEst51 BEst61",
         "Visszaállásról is SMS/hívás", false},
        {"best13 best23 best33 best43 best93 best103", "Szirénahang", true},
        {"best14 best24 best34 best44", "Hangüzenet küldése", false},
        {"best15 best25 best35 best45 best95 best105", "Távfelügyelet értesítés", false},
        {"best16 best26 best36 best46 best96 best106", "Híváskor nem kell felvenni", false},
        {"best17 best27 best37 best47 best97 best107",
         "DTMF nyugtázás híváskor (# nyugta, * nyugta és törlés)", false},
        {"CheckBox2KI1 CheckBox2KI2", "Riasztáskor vezérlés", false},
        {"CheckBox1KI1", "Hivószámazonosításkor vezérlés", true},
        {"CheckBox1KI2", "Hivószámazonosításkor vezérlés", false},
        {"CheckBox3KI1", "NINCS hívószámazonosítás", false},
        {"CheckBox11", "Életjel küldés", false},
        {"CheckEgyeb1", "Körhívás funció (mindekinek nyugtázni kell!)", false},
        {"CheckEgyeb2", "SMS átírányítás", false},
        {"CheckEgyeb3", "LED-ek kikapcsolása csukot fedőnél", false},
        {"CheckEgyeb4", "Kimenet mentése memóriába", false},
        {"CheckEgyeb5", "Hívószámazonosításkor élesít/hatástalanít", false},
        {"CheckEgyeb6", "Mikrofon üzemmód bekapcsolva", false},
        {"hkompmax", "Max hőmérséklet", false},
        {"hkompmin", "Min hőmérséklet", false},
        {"GPSbit0", "GPS vevő használata", true},
        {"GPSbit1", "NMEA GPS kódok küldése", false},
    };
    open(70);
    for (const Case& c : cases)
        for (const QString& name : QString::fromLatin1(c.names).split(u' ')) {
            auto* box = window->findChild<QCheckBox*>(name);
            ASSERT_NE(box, nullptr) << name.toStdString();
            EXPECT_EQ(box->text(), QString::fromUtf8(c.caption)) << name.toStdString();
            EXPECT_EQ(box->isChecked(), c.checked) << name.toStdString();
        }
    // The voice-message box is on inputs 1..4 only.
    for (const char* absent : {"best94", "best104", "best133", "BEst53"})
        EXPECT_EQ(window->findChild<QWidget*>(QString::fromLatin1(absent)), nullptr) << absent;
}

TEST_F(PagesControls, TextsHaveTheirLimitsAndDefaults) {
    struct Case {
        const char* name;
        int maxLength;
        const char* text;
    } cases[] = {
        {"riasztas", 32, "1 bemenet riasztas"},
        {"riasztas2", 32, "2 bemenet riasztas"},
        {"riasztas3", 32, "3 bemenet riasztas"},
        {"riasztas4", 32, "4 bemenet riasztas"},
        {"riasztas5", 32, "Sebesseg tullepes"},
        {"riasztas6", 32, "Sebesseg tullepes"},
        {"riasztas9", 32, "Belso szabotazs riasztas"},
        {"riasztas10", 32, "Belso taphiba riasztas"},
        {"riasztas11", 32, "Eletjel kuldes, minden rendben.."},
        {"riasztas13", 32, "Homerseklet riasztas max"},
        {"riasztas13b", 32, "Homerseklet riasztas min"},
        {"Edit8", 32, "Visszaallas:"},
        {"Edit1", 4, "1234"},
        {"Edit12", 120, ""},
    };
    open(70);
    for (const Case& c : cases) {
        auto* edit = control<QLineEdit>(c.name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->maxLength(), c.maxLength) << c.name;
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.text)) << c.name;
    }
    EXPECT_EQ(control<QLabel>("Label181")->text(), QStringLiteral("120"));
    for (int n = 1; n <= 8; ++n) {
        auto* edit = window->findChild<QLineEdit*>(QStringLiteral("MaskEdit%1").arg(n));
        ASSERT_NE(edit, nullptr) << n;
        EXPECT_EQ(edit->inputMask(), QStringLiteral("#999999999999999;_"));
        EXPECT_EQ(edit->text(), QString());
    }
    for (const char* list :
         {"SMSst1", "SMSst2", "SMSst3", "SMSst4", "SMSst5", "SMSst6", "SMSst9", "SMSst10",
          "SMSst11", "SMSst13", "VOICEst1", "VOICEst2", "VOICEst3", "VOICEst4", "VOICEst5",
          "VOICEst6", "VOICEst9", "VOICEst10", "VOICEst13"}) {
        auto* l = control<TargetCheckList>(list);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->count(), 8) << list;
        EXPECT_EQ(l->targets(), TargetList{}) << list;
    }
}

TEST_F(PagesControls, LabelsCaptionTheirControls) {
    struct Case {
        const char* label;
        const char* caption;
        const char* buddy;
    } cases[] = {
        {"Label1", "Értesítendő telefonszámok beállítása:", nullptr},
        {"Label2", "Szám1:", "MaskEdit1"},
        {"Label9", "Szám8:", "MaskEdit8"},
        {"Label11", "1-es Bemenet beállításai", nullptr},
        {"Label31", "2-es Bemenet beállításai", nullptr},
        {"Label33", "4-es Bemenet beállításai", nullptr},
        {"Label13", "Bemenet Típusa:", "ComboBox1"},
        {"Label30", "Bemenet Típusa:", "ComboBox4"},
        {"Label41", "Bemenet Típusa:", "ComboBox9"},
        {"Label46", "Bemenet Típusa:", "ComboBox10"},
        {"Label67", "Bemenet Típusa:", "ComboBox13"},
        {"Label71", "Bemenet Típusa:", "ComboBox5"},
        {"Label14", "SMS szöveg:", "riasztas"},
        {"Label17", "SMS szöveg:", "riasztas4"},
        {"Label40", "SMS szöveg:", "riasztas9"},
        {"Label48", "SMS szöveg:", "riasztas10"},
        {"Label53", "SMS szöveg:", "riasztas11"},
        {"Label74", "SMS szöveg:", "riasztas5"},
        {"Label10", "Jelölje ki mely számokra kíván SMS-t küldeni", "SMSst1"},
        {"Label26", "Jelölje ki mely számokra kíván SMS-t küldeni", "SMSst2"},
        {"Label65", "Jelölje ki mely számokra kíván SMS-t küldeni", "SMSst13"},
        {"Label12", "Jelölje ki mely számokra kíván hívást küldeni", "VOICEst1"},
        {"Label22", "Jelölje ki mely számokra kíván hívást küldeni", "VOICEst4"},
        {"Label73", "Jelölje ki mely számokra kíván hívást küldeni", "VOICEst5"},
        {"Label42", "Tamper beállításai", nullptr},
        {"Label47", "Tápmonitor beállításai", nullptr},
        {"Label68", "Temp beállításai", nullptr},
        {"Label34", "Kimenet1:", "ComboKi1"},
        {"Label35", "Kimenet2:", "ComboKi2"},
        {"Label36", "Idő:", "SpinKI1"},
        {"Label37", "Idő:", "SpinKI2"},
        {"Label49", "naponként", "SpinEdit1"},
        {"Label50", "órakor küldés", "SpinEdit2"},
        {"Label51", "nap múlva az első", "SpinEdit3"},
        {"Label52", "Jelölje ki mely számokra kíván életjelet küldeni", "SMSst11"},
        {"Label54", "Csöngetési idő [sec]:", "SpinEdit4"},
        {"Label55", "Max hivásismétlések száma", "SpinEdit5"},
        {"Label56", "SMS biztonsági kód:", "Edit1"},
        {"Label57", "Digitális bemenet szűrő/érzékenység", "ComboBox12"},
        {"Label64", "Bemenet visszaállás SMS szöveg:", "Edit8"},
        {"Label69", "Max hőmérséklet szöveg", "riasztas13"},
        {"Label70", "Min hőmérséklet szöveg:", "riasztas13b"},
    };
    open(70);
    for (const Case& c : cases) {
        auto* label = control<QLabel>(c.label);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(c.caption)) << c.label;
        if (c.buddy) {
            ASSERT_NE(label->buddy(), nullptr) << c.label;
            EXPECT_EQ(label->buddy()->objectName(), QLatin1String(c.buddy)) << c.label;
        }
    }
    EXPECT_EQ(control<QWidget>("Edit12")->toolTip(),
              QStringLiteral(
                  "Küldendő SMS eleje, ide érdemes beírni a helység nevét (pl. Kovács lakás)"));
}

// Every input is named for the keyboard and screen readers: by a caption that
// is its buddy, or, where its caption is a check box, by an accessible name.
TEST_F(PagesControls, EveryInputHasACaption) {
    open(70);
    QSet<const QWidget*> captioned;
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy())
            captioned.insert(l->buddy());
    for (const char* sheet : kMyPages) {
        QWidget* page = control<QWidget>(sheet);
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!isInput(w) || qobject_cast<QAbstractSpinBox*>(w->parentWidget()) ||
                qobject_cast<QComboBox*>(w->parentWidget()))
                continue;
            EXPECT_TRUE(captioned.contains(w) || !w->accessibleName().isEmpty())
                << sheet << " " << w->objectName().toStdString();
        }
    }
}

class PagesLayout : public PagesFixture {
  protected:
    // The window at its design size, laid out but not on a screen.
    void lay(int model, int version) {
        open(model, version);
        window->setAttribute(Qt::WA_DontShowOnScreen);
        window->resize(1036, 708);
        window->show();
        QApplication::processEvents();
    }

    // Every visible control of the page lies inside the page, and no caption
    // is narrower than its text needs.
    void expectFits(const char* sheet) {
        showPage(sheet);
        QApplication::processEvents();
        QWidget* page = control<QWidget>(sheet);
        ASSERT_TRUE(page->isVisible()) << sheet;
        EXPECT_LE(page->minimumSizeHint().width(), page->width()) << sheet;
        EXPECT_LE(page->minimumSizeHint().height(), page->height()) << sheet;
        const QRect area = page->rect();
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!w->isVisible() || !w->isVisibleTo(page) ||
                qobject_cast<QWidget*>(w->parent()) != w->parentWidget())
                continue;
            const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
            EXPECT_TRUE(area.contains(r)) << sheet << " " << w->objectName().toStdString();
            auto* label = qobject_cast<QLabel*>(w);
            auto* button = qobject_cast<QAbstractButton*>(w);
            if ((label && !label->wordWrap()) || button)
                EXPECT_GE(w->width(), w->sizeHint().width())
                    << sheet << " " << w->objectName().toStdString();
        }
    }
};

TEST_F(PagesLayout, EveryPageFitsTheDesignSize) {
    for (int model : {70, 90}) {
        lay(model, 43);
        for (const char* sheet : kMyPages)
            if (window->pageVisible(QString::fromLatin1(sheet)))
                expectFits(sheet);
    }
}

// The longest caption of each control among the window's four languages.
TEST_F(PagesLayout, LongerCaptionsStillFit) {
    struct Case {
        const char* control;
        const char* caption;
    } cases[] = {
        {"Label1", "Telefonske številke za klic:"},
        {"Label11", "Einstellung Eingang1"},
        {"Label13", "Eingangs Modus:"},
        {"Label10", "Izberite telefonske številke za pošiljanje SMS"},
        {"Label12", "Izberite telefonske številke za klic"},
        {"best11", "SMS / Klic za ponastavitev"},
        {"CheckBox1", "Invertierter Modus"},
        {"Label47", "Einstellung Spannungsüberwachung"},
        {"Label42", "Einstellung Gehäuseschalter"},
        {"CheckBox1KI1", "Rufnummererkennung aktiv"},
        {"Label34", "Relayausgang 1:"},
        {"CheckBox11", "Pošiljanje statusnega signala"},
        {"Label52", "Izberite telefonske številke pošiljanje statusnega signala"},
        {"Label51", "Prvič, po ... dni"},
        {"CheckEgyeb1", "Körhívás funció (mindekinek nyugtázni kell!)"},
        {"Label55", "Max število ponovnih klicev"},
        {"Label57", "Digital Eingangsfilter/Empfindlichkeit"},
        {"Label64", "SMS Text bei zurückgesetztem Eingang:"},
        {"CheckEgyeb3", "LED switch off when cover is on"},
        {"Label69", "Mitteilung bei Temperatur Max:"},
        {"Label70", "Mitteilung bei Temperatur Min:"},
        {"Label68", "Temperatur Einstellungen"},
    };
    lay(70, 43);
    for (const Case& c : cases) {
        QWidget* w = control<QWidget>(c.control);
        ASSERT_NE(w, nullptr);
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(QString::fromUtf8(c.caption));
        else
            qobject_cast<QAbstractButton*>(w)->setText(QString::fromUtf8(c.caption));
    }
    for (const char* sheet : kMyPages)
        if (window->pageVisible(QString::fromLatin1(sheet)))
            expectFits(sheet);
}

// Tab moves through a page's controls group by group, each group from the top down.
TEST_F(PagesLayout, TabOrderFollowsThePage) {
    lay(90, 43);
    for (const char* sheet : kMyPages) {
        if (!window->pageVisible(QString::fromLatin1(sheet)))
            continue;
        showPage(sheet);
        QApplication::processEvents();
        QWidget* page = control<QWidget>(sheet);
        QList<QWidget*> chain;
        for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain())
            if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
                (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
                chain << w;
        ASSERT_FALSE(chain.isEmpty()) << sheet;
        // Within one frame the chain runs top down (left to right on a row).
        for (int i = 1; i < chain.size(); ++i) {
            QWidget* a = chain[i - 1];
            QWidget* b = chain[i];
            if (a->parentWidget() != b->parentWidget())
                continue;
            const QPoint pa = a->mapTo(page, QPoint(0, 0));
            const QPoint pb = b->mapTo(page, QPoint(0, 0));
            const bool sameRow = std::abs(pa.y() - pb.y()) < a->height() / 2;
            EXPECT_TRUE(sameRow ? pa.x() < pb.x() : pa.y() < pb.y())
                << sheet << ": " << a->objectName().toStdString() << " before "
                << b->objectName().toStdString();
        }
        // Each control comes once: the chain does not wander off and back.
        QList<QWidget*> frames;
        for (QWidget* w : chain)
            if (frames.isEmpty() || frames.back() != w->parentWidget())
                frames << w->parentWidget();
        QSet<QWidget*> seen;
        for (QWidget* f : frames) {
            EXPECT_FALSE(seen.contains(f)) << sheet << ": frame visited twice";
            seen.insert(f);
        }
    }
}
