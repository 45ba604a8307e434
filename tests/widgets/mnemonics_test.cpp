// Alt letters on the configurator's menus and buttons: one letter per entry,
// none twice where one Alt+letter would reach both, in every language and
// edition, without changing the texts the tables give; and a real key press
// reaching the command.
#include "pages_fixture.h"

#include "i18n/caption_tables.h"
#include "i18n/messages.h"
#include "i18n/mnemonics.h"
#include "ui/mnemonic_groups.h"
#include "workspace/installation_panel.h"
#include "workspace/language_pass.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

TEST(MnemonicText, PlainDropsTheMarkerAndKeepsAnAmpersandOfTheText) {
    const struct {
        const char* marked;
        const char* plain;
    } kCases[] = {
        {"&Olvasás", "Olvasás"},
        {"Me&gnyitás", "Megnyitás"},
        {"Save && send", "Save & send"},
        {"&Save && send", "Save & send"},
        {"a&&&b", "a&b"},
        {"&&&&", "&&"},
        {"trailing&", "trailing"},
        {"", ""},
        {"no marker", "no marker"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Mnemonics::plain(QString::fromUtf8(c.marked)), QString::fromUtf8(c.plain))
            << c.marked;
}

TEST(MnemonicText, LetterOfSkipsEscapedAmpersands) {
    const struct {
        const char* marked;
        char16_t letter; // 0: none
    } kCases[] = {
        {"&Olvasás", u'o'}, {"Me&gnyitás", u'g'}, {"Save && send", 0}, {"A && &b", u'b'},
        {"x&", 0},          {"&Új", u'ú'},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Mnemonics::letterOf(QString::fromUtf8(c.marked)), QChar(c.letter)) << c.marked;
}

TEST(MnemonicText, MarkPicksFreeLettersInOrderOfPreference) {
    const struct {
        QStringList texts;
        QString taken;
        QStringList marked;
    } kCases[] = {
        // The first letter while it is free.
        {{"Olvasás", "Elküldés"}, "", {"&Olvasás", "&Elküldés"}},
        // Then a later word's first letter, then any letter.
        {{"Saját", "Saját Profil", "Segítség"}, "", {"&Saját", "Saját &Profil", "S&egítség"}},
        // Case does not make two letters.
        {{"mentés", "Megnyitás"}, "", {"&mentés", "M&egnyitás"}},
        // Letters of every keyboard (a-z) before accented ones.
        {{"Újraindítás"}, "", {"Ú&jraindítás"}},
        {{"Ü"}, "", {"&Ü"}},
        // Letters taken by another group member before.
        {{"Beenden"}, "b", {"B&eenden"}},
        // An ampersand of the text is escaped and never the marker's letter.
        {{"Save & send"}, "s", {"S&ave && send"}},
        {{"& x"}, "", {"&& &x"}},
        // A first letter is its text's before it is another's second choice.
        {{"Öffnen", "Funktionen"}, "", {"Öff&nen", "&Funktionen"}},
        {{"Speichern", "Senden"}, "", {"&Speichern", "S&enden"}},
        // An earlier text gives way to another of its letters where a later
        // one has no other.
        {{"Sm", "S"}, "", {"S&m", "&S"}},
        {{"Gas", "Sam", "Mag", "GSM"}, "", {"G&as", "&Sam", "&Mag", "&GSM"}},
        // Digits when no letter is left; no marker when nothing is.
        {{"ab", "ba", "a1"}, "", {"&ab", "&ba", "a&1"}},
        {{"ab", "ba", "a"}, "", {"&ab", "&ba", "a"}},
        {{"a&b"}, "ab", {"a&&b"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.texts.join(u'|').toStdString());
        QSet<QChar> taken;
        for (QChar l : c.taken)
            taken.insert(l);
        const QStringList marked = Mnemonics::mark(c.texts, taken);
        EXPECT_EQ(marked.join(u'|').toStdString(), c.marked.join(u'|').toStdString());
        for (qsizetype i = 0; i < marked.size(); ++i) {
            EXPECT_EQ(Mnemonics::plain(marked[i]), c.texts[i]);
            const QChar letter = Mnemonics::letterOf(marked[i]);
            if (!letter.isNull())
                EXPECT_TRUE(taken.contains(letter));
        }
    }
}

// The text the tables give an entry in `language`; nothing where no row sets it.
std::optional<QString> tableText(const QObject* entry, int language, int brand) {
    const QString name = entry->objectName();
    if (name == QLatin1String("Visszaallitas1"))
        return message("restore.menu", language);
    if (name == QLatin1String("TeljesElkuldes1"))
        return message("safety.full_send_menu", language);
    return CaptionTables::textOf(CaptionTables::table(QStringLiteral("TAV4Form1"), brand), name,
                                 language);
}

} // namespace

class MnemonicKeys : public PagesFixture {
  protected:
    QList<QList<QObject*>> groups() const {
        return MnemonicGroups::groups(window->menuBar(), window->mnemonicButtons(),
                                      window->laterMnemonicButtons());
    }
    void chooseLanguage(int lang) {
        const char* const items[] = {"Magyar1", "Angol1", "German1", "Sloven1"};
        window->menuAction(QString::fromLatin1(items[lang]))->trigger();
        ASSERT_EQ(window->language(), lang);
    }
    // Shows the window as the active one, so that Alt+letter reaches it.
    void showActive() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QWidget* focus() const {
        return QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
    }
    // With SCREENS_SHOTS set, the screen (the window with its open menu) as a
    // picture in that folder; the window alone where the screen cannot be read.
    void shot(const QString& name) const {
        const QString dir = qEnvironmentVariable("SCREENS_SHOTS");
        if (dir.isEmpty())
            return;
        QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
        if (picture.isNull() || qgetenv("QT_QPA_PLATFORM") == "offscreen")
            picture = window->grab();
        picture.save(dir + u'/' + name + QStringLiteral(".png"));
    }
    // The key of a letter a-z (what every keyboard has).
    static Qt::Key keyOf(QChar letter) {
        EXPECT_TRUE(letter >= u'a' && letter <= u'z') << QString(letter).toStdString();
        return letter >= u'a' && letter <= u'z' ? Qt::Key(letter.toUpper().unicode()) : Qt::Key_F35;
    }
};

// Every language after every other, in the editions whose tables differ: a
// language whose row is "(not set)" keeps the previous text, and its marker
// must not pile up or stay on a letter another entry now has.
TEST_F(MnemonicKeys, EveryEntryHasALetterOfItsOwnAndShowsTheTablesText) {
    for (int brand : {40, 20, 50}) {
        SCOPED_TRACE(brand);
        open(71, 43, brand);
        window->FormActivate();
        const int order[] = {0, 1, 2, 3, 2, 0, 3, 1};
        for (int lang : order) {
            SCOPED_TRACE(lang);
            chooseLanguage(lang);
            const QList<QList<QObject*>> all = groups();
            ASSERT_GE(all.size(), 7); // the bar with the buttons, and six menus
            EXPECT_GE(all[0].size(), 8 + 6);
            for (const QList<QObject*>& group : all) {
                QSet<QChar> letters;
                for (const QObject* entry : group) {
                    const QString marked = MnemonicGroups::markedText(entry);
                    const QString name = entry->objectName();
                    const QChar letter = Mnemonics::letterOf(marked);
                    EXPECT_FALSE(letter.isNull())
                        << name.toStdString() << ": " << marked.toStdString();
                    EXPECT_FALSE(letters.contains(letter))
                        << name.toStdString() << " repeats '" << QString(letter).toStdString()
                        << "' in " << marked.toStdString();
                    letters.insert(letter);
                    EXPECT_EQ(marked.count(u'&') - 2 * marked.count(QStringLiteral("&&")), 1)
                        << marked.toStdString();
                    if (const auto text = tableText(entry, lang, brand))
                        EXPECT_EQ(MnemonicGroups::shownText(entry), *text) << name.toStdString();
                    // The language pass reads the text back as the table has it.
                    if (!name.isEmpty())
                        EXPECT_EQ(LanguagePass::controlText(window.get(), name),
                                  MnemonicGroups::shownText(entry));
                }
            }
        }
    }
}

// The window's buttons share their letters with the menu bar: both are
// reached by Alt+letter on the window.
TEST_F(MnemonicKeys, ButtonsAndMenuBarShareOneGroup) {
    open(71, 43);
    window->FormActivate();
    const QList<QObject*> top = groups().first();
    for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn7", "BitBtn8",
                             "Funcik1", "GSM1", "Biztonsag1", "Belltsok1", "Button15"}) {
        const bool inGroup = std::any_of(top.begin(), top.end(), [name](const QObject* o) {
            return o->objectName() == QLatin1String(name);
        });
        EXPECT_TRUE(inGroup) << name;
    }
}

// A text with an '&' of its own shows it, and reads back as it is, also
// when a language leaves it as it was and the letters are placed anew.
TEST_F(MnemonicKeys, AnAmpersandOfATextIsShownNotTakenForTheMarker) {
    open(71, 43);
    window->FormActivate();
    ASSERT_TRUE(LanguagePass::setControlText(window.get(), QStringLiteral("BitBtn2"), -1,
                                             QStringLiteral("R&D read")));
    EXPECT_EQ(control<QPushButton>("BitBtn2")->text(), QStringLiteral("R&&D read"));
    EXPECT_EQ(LanguagePass::controlText(window.get(), QStringLiteral("BitBtn2")),
              QStringLiteral("R&D read"));
    chooseLanguage(2);
    ASSERT_TRUE(LanguagePass::setControlText(window.get(), QStringLiteral("Belltsok1"), -1,
                                             QStringLiteral("A & B")));
    chooseLanguage(3); // no Slovenian row: the text stays, its letter placed anew
    QAction* settings = window->menuAction(QStringLiteral("Belltsok1"));
    EXPECT_EQ(MnemonicGroups::shownText(settings), QStringLiteral("A & B"));
    EXPECT_EQ(LanguagePass::controlText(window.get(), QStringLiteral("Belltsok1")),
              QStringLiteral("A & B"));
    EXPECT_TRUE(settings->text().contains(QStringLiteral("&&")));
    EXPECT_FALSE(Mnemonics::letterOf(settings->text()).isNull());
}

// Alt+<the letter of "Olvasás"> presses the read button; Alt+<the GSM menu's
// letter> opens the menu, whose item letter starts the command.
TEST_F(MnemonicKeys, AltLettersReachTheButtonAndTheMenuItem) {
    for (int lang : {0, 2}) {
        SCOPED_TRACE(lang);
        open(71, 43);
        showActive();
        chooseLanguage(lang);
        auto* read = control<QPushButton>("BitBtn2");
        const QChar letter = Mnemonics::letterOf(read->text());
        ASSERT_FALSE(letter.isNull());
        QSignalSpy pressed(read, &QAbstractButton::clicked);
        QTest::keyClick(focus(), keyOf(letter), Qt::AltModifier);
        EXPECT_TRUE(pressed.wait(2000));
        EXPECT_EQ(pressed.count(), 1);
        takeMessages();

        QAction* gsm = window->menuAction(QStringLiteral("GSM1"));
        QAction* readItem = window->menuAction(QStringLiteral("Olvass1"));
        QSignalSpy triggered(readItem, &QAction::triggered);
        QTest::keyClick(focus(), keyOf(Mnemonics::letterOf(gsm->text())), Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return gsm->menu()->isVisible(); }, 2000));
        QTest::qWait(200);
        shot(QStringLiteral("mnemonics_gsm_menu_%1").arg(lang));
        QTest::keyClick(gsm->menu(), keyOf(Mnemonics::letterOf(readItem->text())));
        EXPECT_TRUE(QTest::qWaitFor([&] { return triggered.count() == 1; }, 2000));
        EXPECT_FALSE(gsm->menu()->isVisible());
        takeMessages();
        window->hide();
    }
}
