// The configurator in four languages: the caption tables and their "not set"
// cells, the copy rules, list items, default SMS texts, the language menu and
// the message table.
#include "pages_fixture.h"

#include "auxiliary/screen_size_window.h"
#include "i18n/caption_tables.h"
#include "i18n/message_table.h"
#include "i18n/messages.h"
#include "image/field_table.h"
#include "maintenance/report_server_dialog.h"
#include "safety/compare_window.h"
#include "safety/safety_menu.h"
#include "ui/mnemonic_groups.h"
#include "workspace/language_pass.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTreeWidget>
#include <cstring>

namespace {

const QString kWindow = QStringLiteral("TAV4Form1");

QString text(const QWidget* w, const char* name, int item = -1) {
    return LanguagePass::controlText(w, QString::fromLatin1(name), item)
        .value_or(QStringLiteral("?"));
}

ConfigImage randomImage(quint32 seed) {
    QRandomGenerator random(seed);
    ConfigImage image;
    for (auto& b : image.bytes)
        b = static_cast<uint8_t>(random.bounded(256));
    return image;
}

} // namespace

class Languages : public PagesFixture {
  protected:
    // Stores the value as the settings would hold it and activates the window.
    void activateWith(const QString& stored) {
        ctx.write(QStringLiteral("Language"), stored);
        window->FormActivate();
    }
    void choose(const char* menuItem) {
        window->menuAction(QString::fromLatin1(menuItem))->trigger();
    }
    QString shown(const char* name, int item = -1) const { return text(window.get(), name, item); }
};

// Every control the tables name is one control of the window, so no row is
// lost to a misspelt or doubled name.
TEST_F(Languages, EveryTableNamesOneControlOfTheWindow) {
    open(71, 43);
    QStringList names;
    for (const CaptionTableRow& r : CaptionTables::table(kWindow, 0))
        names << r.control;
    for (const CaptionTableRow& r : CaptionTables::table(kWindow, QStringLiteral("sms")))
        names << r.control;
    for (const CopyRule& r : CaptionTables::copyRules(kWindow))
        names << r.model << r.target;
    ASSERT_GT(names.size(), 200);
    names.removeDuplicates();
    for (const QString& name : names) {
        const qsizetype actions = window->findChildren<QAction*>(name).size();
        const qsizetype widgets = window->findChildren<QWidget*>(name).size();
        // A menu is a widget and an action of the same name.
        const bool menu = actions == 1 && widgets == 1 && window->findChild<QMenu*>(name);
        EXPECT_TRUE(menu || actions + widgets == 1)
            << name.toStdString() << ": " << actions << " actions, " << widgets << " widgets";
    }
    for (int lang = 0; lang < 4; ++lang) {
        EXPECT_EQ(LanguagePass::applyCaptions(window.get(), CaptionTables::table(kWindow, 0), lang),
                  QStringList{})
            << lang;
        EXPECT_EQ(LanguagePass::applyCopyRules(window.get(), CaptionTables::copyRules(kWindow)),
                  QStringList{});
    }
}

// A value that is not a language code shows Hungarian and stays stored.
TEST_F(Languages, StoredValueOutsideTheCodesShowsHungarian) {
    struct Case {
        const char* stored;
        const char* checked;
        const char* send;
    };
    const Case cases[] = {
        {"7", "Magyar1", "Elküldés"},  {"", "Magyar1", "Elküldés"},   {"12", "Magyar1", "Elküldés"},
        {"-1", "Magyar1", "Elküldés"}, {" 1", "Magyar1", "Elküldés"}, {"1", "Angol1", "Send"},
        {"3", "Sloven1", "Pošlji"},
    };
    for (const Case& c : cases) {
        open(71);
        activateWith(QString::fromUtf8(c.stored));
        EXPECT_EQ(shown("BitBtn1"), QString::fromUtf8(c.send)) << c.stored;
        for (const char* item : {"Magyar1", "Angol1", "German1", "Sloven1"})
            EXPECT_EQ(window->menuAction(QString::fromLatin1(item))->isChecked(),
                      std::strcmp(item, c.checked) == 0)
                << c.stored << " " << item;
        EXPECT_EQ(ctx.read(QStringLiteral("Language")), QString::fromUtf8(c.stored));
        EXPECT_EQ(window->language(), languageFromSetting(QString::fromUtf8(c.stored)));
    }
    // The temperature page's design caption gives way to the table's.
    EXPECT_EQ(shown("TabSheet16"), QStringLiteral("Temperatura"));
}

// A cell a language leaves unset keeps what the control shows: the design
// text at the first activation, the previous language's after a change.
TEST_F(Languages, UnsetCaptionsKeepWhatTheyShow) {
    struct Case {
        std::vector<const char*> items; // language menu items clicked in order
        const char* settings;
        const char* voice;
        const char* siren;
        const char* screen;
    };
    const Case cases[] = {
        {{"German1"}, "Beállítások", "Hangok", "Szirénahang", "Képernyő felbontás beállítása"},
        {{"Angol1", "German1"}, "Setting", "Voice", "Siren", "Size screen"},
        {{"Angol1", "Sloven1"}, "Setting", "Voice", "Siren", "Size screen"},
        {{"Angol1", "German1", "Magyar1"},
         "Beállítások",
         "Hangok",
         "Szirénahang",
         "Képernyő felbontás beállítása"},
    };
    for (const Case& c : cases) {
        open(71, 43);
        for (const char* item : c.items)
            choose(item);
        const std::string what = c.items.back();
        EXPECT_EQ(shown("Belltsok1"), QString::fromUtf8(c.settings)) << what;
        EXPECT_EQ(shown("TabSheet22"), QString::fromUtf8(c.voice)) << what;
        EXPECT_EQ(shown("Kpernyfelbontsbelltsa1"), QString::fromUtf8(c.screen)) << what;
        for (const char* copy : {"best13", "best23", "best33", "best43"})
            EXPECT_EQ(shown(copy), QString::fromUtf8(c.siren)) << what << " " << copy;
    }
    // German sets what its column holds.
    open(71, 43);
    choose("German1");
    EXPECT_EQ(shown("Funcik1"), QStringLiteral("Funktionen"));
    EXPECT_EQ(shown("TabSheet11"), QStringLiteral("Gehäuseschalter"));
    EXPECT_EQ(shown("Label42"), QStringLiteral("Einstellung Gehäuseschalter"));
    EXPECT_EQ(ctx.read(QStringLiteral("Language")), QStringLiteral("2"));
    EXPECT_TRUE(window->menuAction(QStringLiteral("German1"))->isChecked());
    EXPECT_FALSE(window->menuAction(QStringLiteral("Magyar1"))->isChecked());
}

// After each language's captions, every copy target shows its model's text.
TEST_F(Languages, CopyRulesGiveTargetsTheirModelsText) {
    open(71, 43);
    for (const char* item : {"Angol1", "German1", "Sloven1", "Magyar1"}) {
        choose(item);
        for (const CopyRule& r : CaptionTables::copyRules(kWindow))
            EXPECT_EQ(LanguagePass::controlText(window.get(), r.target, r.targetItem),
                      LanguagePass::controlText(window.get(), r.model, r.modelItem))
                << item << " " << r.target.toStdString() << "[" << r.targetItem << "]";
    }
    EXPECT_EQ(shown("SoundLabel1"), QStringLiteral("Be1"));
    EXPECT_EQ(shown("Button4"), QStringLiteral("Megnyitás"));
    EXPECT_EQ(shown("Label74"), QStringLiteral("SMS szöveg:"));
}

TEST_F(Languages, ListItemsFollowTheLanguageAndKeepTheSelection) {
    open(71, 43);
    activateWith(QStringLiteral("0"));
    for (const char* list : {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4"}) {
        EXPECT_EQ(shown(list, 2), QStringLiteral("02/ tartalék")) << list;
        EXPECT_EQ(shown(list, 4), QStringLiteral("04/ tartalék")) << list;
    }
    // The speed page's type is no list the activation resets.
    auto* type = control<QComboBox>("ComboBox5");
    type->setCurrentIndex(5);
    choose("Angol1");
    EXPECT_EQ(type->currentIndex(), 5);
    EXPECT_EQ(type->currentText(), QStringLiteral("05/ Switch On/Off"));
    EXPECT_EQ(shown("ComboKi2", 1), QStringLiteral("Bistable"));
    EXPECT_EQ(shown("ComboKi1", 2), QStringLiteral("Élesítés/Hatástalanítás"));
    EXPECT_EQ(shown("ComboBox12", 4), QStringLiteral("Strong"));
    // A list the tables do not name keeps its design items.
    EXPECT_EQ(shown("ComboBox20", 0), QStringLiteral("7V"));
}

// The default SMS texts follow the language only while they are the window's
// own: not over a module's, a file's or the installer's texts. Before any read
// a send writes the texts the window shows, in the language it shows them,
// and no other byte changes with the language.
TEST_F(Languages, DefaultSmsTextsFollowTheLanguage) {
    open(71, 43);
    image() = randomImage(3);
    const ConfigImage sentBefore = window->imageToSend();
    struct Case {
        const char* item;
        const char* input4;
        const char* speed;
        const char* restore;
    };
    const Case cases[] = {
        {"Angol1", "4th input alarm", "speed alarm", "Restore:"},
        {"German1", "Alarm auf Eingang4", "Alarm auf Geschwindigkeit", "Laden:"},
        {"Sloven1", "4. vhodni alarm", "hitrostni alarm", "Obnova:"},
        {"Magyar1", "4 bemenet riasztas", "Sebesseg tullepes", "Visszaallas:"},
    };
    // Bytes of the fields whose text is a default SMS text.
    std::vector<bool> textByte(ConfigImage::kSize, false);
    for (const FieldTable::Field& f : FieldTable::fields())
        if (f.encoding == FieldTable::Encoding::ImageText)
            for (int a = f.first; a <= f.last; ++a)
                textByte[a] = true;
    for (const Case& c : cases) {
        choose(c.item);
        EXPECT_EQ(control<QLineEdit>("riasztas4")->text(), QString::fromUtf8(c.input4)) << c.item;
        EXPECT_EQ(control<QLineEdit>("riasztas5")->text(), QString::fromUtf8(c.speed)) << c.item;
        EXPECT_EQ(control<QLineEdit>("Edit8")->text(), QString::fromUtf8(c.restore)) << c.item;
        const ConfigImage sent = window->imageToSend();
        const QByteArray restore(c.restore);
        EXPECT_EQ(
            QByteArray(reinterpret_cast<const char*>(sent.bytes.data() + 992), restore.size()),
            restore)
            << c.item;
        for (int a = 0; a < ConfigImage::kSize; ++a)
            if (!textByte[a])
                ASSERT_EQ(int(sent[a]), int(sentBefore[a])) << c.item << " byte " << a;
    }

    // The installer's text stays, and is what a send writes.
    auto* input1 = control<QLineEdit>("riasztas");
    input1->setText(QStringLiteral("Bejarati ajto"));
    auto* maxText = control<QLineEdit>("riasztas13");
    maxText->setText(QStringLiteral("Kazanhaz"));
    maxText->setModified(true); // as typing leaves it
    choose("Angol1");
    EXPECT_EQ(input1->text(), QStringLiteral("Bejarati ajto"));
    EXPECT_EQ(maxText->text(), QStringLiteral("Kazanhaz"));
    EXPECT_EQ(control<QLineEdit>("riasztas2")->text(), QStringLiteral("2nd input alarm"));
    const ConfigImage sent = window->imageToSend();
    auto bytes = [](const ConfigImage& image, int from, int count) {
        QByteArray b;
        for (int i = from; i < from + count; ++i)
            b.append(static_cast<char>(image[i]));
        return b;
    };
    EXPECT_EQ(bytes(sent, 512, 13), QByteArray("Bejarati ajto"));
    EXPECT_EQ(bytes(sent, 544, 15), QByteArray("2nd input alarm"));
}

// After a read, a language change is no edit: a send writes the same bytes in
// every language, and the module's texts stay on the pages.
TEST_F(Languages, LanguageSwitchAfterAReadChangesNoByteASendWrites) {
    for (int model : {70, 80, 100}) {
        open(model, 43);
        image() = randomImage(11 + model);
        window->decode();
        const QString moduleText = control<QLineEdit>("riasztas")->text();
        const ConfigImage sent = window->imageToSend();
        for (const char* item : {"German1", "Angol1", "Sloven1", "Magyar1"}) {
            choose(item);
            EXPECT_EQ(control<QLineEdit>("riasztas")->text(), moduleText) << model << item;
            EXPECT_TRUE(window->imageToSend().bytes == sent.bytes) << model << " " << item;
        }
    }
}

TEST_F(Languages, EditionTablesOverTheCommonOne) {
    struct Case {
        int brand;
        const char* stored;
        const char* control;
        const char* expected;
    };
    const Case cases[] = {
        {20, "1", "TabSheet2", "Area 1"},
        {20, "1", "TabSheet3", "Area 2"},
        {20, "1", "TabSheet11", "Area 3"},
        {20, "0", "TabSheet11", "Tamper"},
        {20, "2", "TabSheet2", "In1"},
        {40, "1", "TabSheet2", "In1"},
        {50, "0", "Kpernyfelbontsbelltsa1", "Ablak méret változtatás"},
        {50, "2", "Kpernyfelbontsbelltsa1", "Window size"},
        {40, "2", "Kpernyfelbontsbelltsa1", "Képernyő felbontás beállítása"},
    };
    for (const Case& c : cases) {
        open(71, 43, c.brand);
        activateWith(QString::fromLatin1(c.stored));
        EXPECT_EQ(shown(c.control), QString::fromUtf8(c.expected)) << c.brand << " " << c.control;
    }
    // Edition 20's own input texts come after the pass and stay its own.
    open(71, 43, 20);
    activateWith(QStringLiteral("1"));
    choose("German1");
    EXPECT_EQ(control<QLineEdit>("riasztas")->text(), QStringLiteral("Area #1"));
    EXPECT_EQ(control<QLineEdit>("riasztas10")->text(),
              QStringLiteral("Alarm Spannungsversorgung"));
}

// The screen size window takes its captions from the configurator's pass.
TEST_F(Languages, ScreenSizeWindowFollowsTheConfigurator) {
    open(71, 43);
    TAV4Form7 screen(ctx);
    activateWith(QStringLiteral("0"));
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("Képernyő"));
    choose("Angol1");
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("Screen"));
    EXPECT_EQ(text(&screen, "RadioGroup1"), QStringLiteral("Size screen"));
    EXPECT_EQ(text(&screen, "Button1"), QStringLiteral("OK"));
    choose("German1");
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("Screen"));
    EXPECT_EQ(text(&screen, "Button1"), QStringLiteral("OK"));
}

// Messages the window asks and shows speak its language.
TEST_F(Languages, MessageBoxesSpeakTheLanguage) {
    open(71, 43);
    QStringList asked;
    window->askText = [&](const QString& caption, const QString& prompt) {
        asked << caption << prompt;
        return std::optional<QString>();
    };
    activateWith(QStringLiteral("0"));
    window->menuAction(QStringLiteral("Adathvsellenrzs1"))->trigger();
    EXPECT_EQ(asked,
              (QStringList{QStringLiteral("adathívás"),
                           QStringLiteral("Kérjük adja meg a telefonszámot, amit felhívjunk")}));
    EXPECT_EQ(message("workspace.confirm_quit", window->language()),
              QStringLiteral("Művelet van folyamatban, biztosan ki akar lépni???"));
    choose("German1");
    EXPECT_EQ(message("workspace.confirm_quit", window->language()),
              QStringLiteral("Änderungen nicht gespeichert, sind Sie sicher???"));
    EXPECT_EQ(message("workspace.no_help", window->language()),
              QStringLiteral("keine Hilfe verfügbar"));
}

// Texts of windows that speak one language only.
const char* const kHungarianOnly[] = {
    "discovery.no_write_rights", "upload.no_file",       "upload.bad_format",
    "upload.bad_transfer",       "sms_centre.no_number", "sms_centre.bad_number",
    "sms_centre.running",        "sms_centre.done",      "sms_centre.failed",
    "balance.running",           "balance.done",         "balance.failed",
};

TEST(MessageTable, EveryKeyHasItsTextInFourLanguages) {
    for (const MessageRow& row : messageTable()) {
        bool oneLanguage = false;
        for (const char* k : kHungarianOnly)
            oneLanguage = oneLanguage || std::strcmp(k, row.key) == 0;
        const char* texts[4] = {row.hu, row.en, row.de, row.sl};
        for (int l = 0; l < 4; ++l) {
            if (oneLanguage && l > 0)
                continue;
            EXPECT_TRUE(texts[l] && *texts[l]) << row.key << " language " << l;
        }
    }
}

TEST(CaptionTableFiles, ParseRowsRangesAndUnsetCells) {
    int bad = -1;
    const QList<CaptionTableRow> rows = CaptionTables::parse(
        "# comment\r\n\r\nLabel1\tA\tB\t(not set)\t\r\nList[1-3]\ta\tb\tc\td\n*\tW\tW\tW\tW\n",
        &bad);
    EXPECT_EQ(bad, 0);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0].texts[2], std::nullopt);
    EXPECT_EQ(rows[0].texts[3], QString()); // an empty cell is an empty text
    EXPECT_EQ(rows[3].item, 3);
    EXPECT_EQ(CaptionTables::textOf(rows, QStringLiteral("List"), 1, 2), QStringLiteral("b"));
    EXPECT_EQ(CaptionTables::textOf(rows, QStringLiteral("Label1"), 2), std::nullopt);
    EXPECT_EQ(CaptionTables::textOf(rows, QStringLiteral("Label1"), 7), std::nullopt);

    struct Bad {
        const char* text;
        int line;
    };
    const Bad bads[] = {
        {"Label1\tA\tB\tC\n", 1},  {"ok\ta\tb\tc\td\nLabel1\tA\tB\tC\tD\tE\n", 2},
        {"1abc\ta\tb\tc\td\n", 1}, {"List[3-1]\ta\tb\tc\td\n", 1},
        {"*[2]\ta\tb\tc\td\n", 1}, {"List[x]\ta\tb\tc\td\n", 1},
    };
    for (const Bad& b : bads) {
        EXPECT_TRUE(CaptionTables::parse(b.text, &bad).isEmpty()) << b.text;
        EXPECT_EQ(bad, b.line) << b.text;
    }
    const QList<CopyRule> rules = CaptionTables::parseCopyRules("A\tB\nC[0-2]\tD[3-5]\n", &bad);
    EXPECT_EQ(bad, 0);
    ASSERT_EQ(rules.size(), 4);
    EXPECT_EQ(rules[3].modelItem, 2);
    EXPECT_EQ(rules[3].targetItem, 5);
    EXPECT_TRUE(CaptionTables::parseCopyRules("C[0-2]\tD[0-1]\n", &bad).isEmpty());
    EXPECT_EQ(bad, 1);
    EXPECT_TRUE(CaptionTables::parseCopyRules("C\tD\tE\n", &bad).isEmpty());
}

// ------------------------------------------------ windows this tool adds

namespace {

// One text of the tables in the four languages, from the message table or
// the configurator's caption table.
struct TableText {
    std::array<QString, 4> texts;
    QString source;
};

QList<TableText> tableTexts() {
    QList<TableText> out;
    for (const MessageRow& row : messageTable()) {
        TableText t;
        const char* cells[4] = {row.hu, row.en, row.de, row.sl};
        for (int l = 0; l < 4; ++l)
            t.texts[size_t(l)] = QString::fromUtf8(cells[l] ? cells[l] : "");
        t.source = QString::fromLatin1(row.key);
        out << t;
    }
    for (const CaptionTableRow& row : CaptionTables::table(kWindow, 0)) {
        TableText t;
        for (int l = 0; l < 4; ++l)
            t.texts[size_t(l)] = row.texts[size_t(l)].value_or(QString());
        t.source = row.control;
        out << t;
    }
    return out;
}

// Whether `shown` is `text`, a "%1" of it standing for anything. A text that
// is hardly more than its placeholders matches nothing.
bool showsText(const QString& shown, const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    if (!text.contains(placeholder))
        return shown == text;
    const QStringList literal = text.split(placeholder);
    if (literal.join(QString()).count(QRegularExpression(QStringLiteral("\\p{L}"))) < 3)
        return false;
    QStringList escaped;
    for (const QString& part : literal)
        escaped << QRegularExpression::escape(part);
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(escaped.join(QStringLiteral("(.*)"))));
    return pattern.match(shown).hasMatch();
}

bool hasLetters(const QString& text) {
    return text.contains(QRegularExpression(QStringLiteral("\\p{L}")));
}

// What a person sees in a window: its title, labels, buttons, group boxes,
// column headers, placeholders, menu items and tooltips that carry words.
QStringList visibleTexts(const QWidget* root) {
    QStringList out{root->windowTitle()};
    for (const QLabel* l : root->findChildren<QLabel*>())
        out << l->text();
    for (const QAbstractButton* b : root->findChildren<QAbstractButton*>())
        out << b->text();
    for (const QGroupBox* g : root->findChildren<QGroupBox*>())
        out << g->title();
    for (const QTreeWidget* t : root->findChildren<QTreeWidget*>())
        for (int c = 0; c < t->columnCount(); ++c)
            out << t->headerItem()->text(c);
    for (const QLineEdit* e : root->findChildren<QLineEdit*>())
        out << e->placeholderText();
    for (const QWidget* w : root->findChildren<QWidget*>())
        out << w->toolTip();
    for (const QAction* a : root->findChildren<QAction*>())
        if (!a->isSeparator())
            out << a->text();
    QStringList worded;
    for (const QString& t : out)
        if (hasLetters(t))
            worded << t;
    return worded;
}

// Texts that are right as they stand in Hungarian in another language too.
bool sameAsHungarianByRight(int language, const QString& text) {
    return (language == 2 || language == 3) && text == QStringLiteral("Modul");
}

} // namespace

// Every text of the windows, menus and items this tool adds comes from the
// message or caption tables in the language chosen, and the tables hold it in
// all four languages: a text written into a window's code fails here. The
// compare windows are open while the language changes.
TEST_F(Languages, AddedWindowsTakeEveryTextFromTheTables) {
    open(71, 43);
    activateWith(QStringLiteral("0"));
    ConfigImage left = randomImage(3);
    ConfigImage right = left;
    right[78] = static_cast<uint8_t>(left[78] + 1);
    const QStringList fileNames{QStringLiteral("elso.dat"), QStringLiteral("masodik.dat")};
    QList<QWidget*> compares{
        window->safetyMenu().showCompare(CompareSide::own("safety.side_window"), left,
                                         CompareSide::own("safety.side_module"), right, 71),
        window->safetyMenu().showCompare(CompareSide::own("safety.side_window_before"), left,
                                         CompareSide::file(fileNames[1]), left, 71),
        window->safetyMenu().showCompare(CompareSide::file(fileNames[0]), left,
                                         CompareSide::file(fileNames[1]), right, 71, 1024),
    };
    ctx.write(QStringLiteral("reportserver"), QStringLiteral("reports.example.com:49001"));
    ReportServerDialog reportServer(ctx);
    ReportServerDialog noServer(ctx);

    const QList<TableText> tables = tableTexts();
    const char* const items[] = {"Magyar1", "Angol1", "German1", "Sloven1"};
    for (int lang = 0; lang < 4; ++lang) {
        SCOPED_TRACE(lang);
        choose(items[lang]);
        ASSERT_EQ(window->language(), lang);

        QStringList shown;
        QMenu* safety = window->menuAction(QStringLiteral("Biztonsag1"))->menu();
        ASSERT_NE(safety, nullptr);
        shown << MnemonicGroups::shownText(safety->menuAction());
        int safetyItems = 0;
        for (const QAction* a : safety->actions())
            if (!a->isSeparator()) {
                shown << MnemonicGroups::shownText(a);
                ++safetyItems;
            }
        EXPECT_EQ(safetyItems, 7); // with "Visszaállítás mentésből…" and the report
        for (const char* name : {"Sorosnaplo1", "Hibajelentoszerver1"})
            shown << MnemonicGroups::shownText(window->menuAction(QString::fromLatin1(name)));
        for (QWidget* w : compares)
            shown << visibleTexts(w);
        ctx.write(QStringLiteral("reportserver"), QStringLiteral("reports.example.com:49001"));
        reportServer.openWindow();
        shown << visibleTexts(&reportServer);
        ctx.write(QStringLiteral("reportserver"), QString());
        noServer.openWindow();
        shown << visibleTexts(&noServer);
        reportServer.hide();
        noServer.hide();

        for (const QString& text : shown) {
            if (fileNames.contains(text))
                continue;
            const TableText* from = nullptr;
            for (const TableText& t : tables)
                if (!t.texts[size_t(lang)].isEmpty() && showsText(text, t.texts[size_t(lang)])) {
                    from = &t;
                    break;
                }
            ASSERT_NE(from, nullptr) << "not from the tables: " << text.toStdString();
            for (int l = 0; l < 4; ++l)
                EXPECT_FALSE(from->texts[size_t(l)].isEmpty())
                    << from->source.toStdString() << " has no text in language " << l;
            if (lang > 0 && !sameAsHungarianByRight(lang, text))
                EXPECT_NE(from->texts[size_t(lang)], from->texts[0])
                    << from->source.toStdString() << " shows Hungarian: " << text.toStdString();
        }
    }
    for (QWidget* w : compares)
        w->close();
}

// The Hungarian texts are those the windows have always shown.
TEST_F(Languages, AddedWindowsKeepTheirHungarianTexts) {
    open(71, 43);
    activateWith(QStringLiteral("1"));
    choose("Magyar1");
    const struct {
        const char* item;
        const char* text;
    } kItems[] = {
        {"Biztonsag1", "Biztonság"},
        {"Mentesek1", "Mentések mappája"},
        {"Ellenorzes1", "Írás után visszaolvasás és ellenőrzés"},
        {"OsszehasonlitasFajl1", "Összehasonlítás fájllal..."},
        {"OsszehasonlitasModul1", "Összehasonlítás a modullal"},
        {"OsszehasonlitasKetFajl1", "Két fájl összehasonlítása..."},
        {"Sorosnaplo1", "Soros napló (trace)..."},
        {"Hibajelentoszerver1", "Hibajelentő szerver..."},
    };
    for (const auto& i : kItems)
        EXPECT_EQ(MnemonicGroups::shownText(window->menuAction(QString::fromLatin1(i.item))),
                  QString::fromUtf8(i.text));
    ConfigImage image = randomImage(5);
    CompareWindow* w =
        window->safetyMenu().showCompare(CompareSide::own("safety.side_window"), image,
                                         CompareSide::own("safety.side_module"), image, 71, 1024);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Összehasonlítás"));
    EXPECT_EQ(w->tree()->headerItem()->text(0), QStringLiteral("Lap / mező"));
    EXPECT_EQ(w->tree()->headerItem()->text(1), QStringLiteral("Ablak"));
    EXPECT_EQ(w->tree()->headerItem()->text(2), QStringLiteral("Modul"));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("CompareSummary"))->text(),
              QStringLiteral("Nincs eltérés: a két beállítás mezőről mezőre ugyanaz."));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("CompareCarried"))->text(),
              QStringLiteral("Csak a 0..1023 bájtok mezői: a fájl többet nem tartalmaz."));
    EXPECT_EQ(w->findChild<QPushButton*>(QStringLiteral("CompareClose"))->text(),
              QStringLiteral("Bezárás"));
    choose("Angol1");
    EXPECT_EQ(w->tree()->headerItem()->text(1), QStringLiteral("Window"));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("CompareSummary"))->text(),
              QStringLiteral("No differences: the two configurations match field by field."));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("CompareCarried"))->text(),
              QStringLiteral("Only the fields of bytes 0..1023: the file holds no more."));
    // A closed compare window is gone; the next change passes it by.
    QPointer<CompareWindow> closed(w);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(closed.isNull());
    choose("German1");
    EXPECT_EQ(MnemonicGroups::shownText(window->menuAction(QStringLiteral("Biztonsag1"))),
              QStringLiteral("Sicherheit"));
}
