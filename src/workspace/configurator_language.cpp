// The configurator's language: the captions of its tables, the default SMS
// texts of its alarm pages and the language menu of "Beállítások".
#include "workspace/configurator_window.h"

#include "i18n/caption_tables.h"
#include "i18n/messages.h"
#include "i18n/qt_translations.h"
#include "safety/safety_menu.h"
#include "safety/write_guard.h"
#include "settings/app_context.h"
#include "workspace/installation_panel.h"
#include "workspace/language_pass.h"
#include "workspace/pages/configurator_pages.h"
#include "workspace/pages/page_fields.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTabWidget>

namespace {

using TextField = ConfiguratorPages::TextField;

// The image field behind each default SMS text; the temperature texts are the
// page's own and never reach the module.
struct DefaultTextField {
    const char* edit;
    TextField field;
};
const DefaultTextField kDefaultTextFields[] = {
    {"riasztas", [](ImageValues& v) -> std::optional<QString>& { return v.inputs[0].text; }},
    {"riasztas2", [](ImageValues& v) -> std::optional<QString>& { return v.inputs[1].text; }},
    {"riasztas3", [](ImageValues& v) -> std::optional<QString>& { return v.inputs[2].text; }},
    {"riasztas4", [](ImageValues& v) -> std::optional<QString>& { return v.inputs[3].text; }},
    {"riasztas5", [](ImageValues& v) -> std::optional<QString>& { return v.speed.input.text; }},
    {"riasztas9", [](ImageValues& v) -> std::optional<QString>& { return v.tamper.text; }},
    {"riasztas10", [](ImageValues& v) -> std::optional<QString>& { return v.power.input.text; }},
    {"riasztas11", [](ImageValues& v) -> std::optional<QString>& { return v.lifeSignal.text; }},
    {"Edit8", [](ImageValues& v) -> std::optional<QString>& { return v.other.restoreText; }},
    {"riasztas13", nullptr},
    {"riasztas13b", nullptr},
};

TextField fieldOf(const QString& edit) {
    for (const DefaultTextField& f : kDefaultTextFields)
        if (edit == QLatin1String(f.edit))
            return f.field;
    return nullptr;
}

// The language menu items, in the order of the language codes.
constexpr const char* kLanguageItems[] = {"Magyar1", "Angol1", "German1", "Sloven1"};

// Windows of their own whose captions follow the configurator's language.
constexpr const char* kSatellites[] = {"TAV4Form7"};

} // namespace

void TAV4Form1::connectLanguageMenu() {
    for (int code = 0; code < 4; ++code) {
        QAction* item = menuItem(kLanguageItems[code]);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, code] { chooseLanguage(code); });
    }
    // The installation panel is a narrow column: captions longer in another
    // language ("Datum der Programmierung:") wrap instead of being cut.
    for (QLabel* label : Panel16_->findChildren<QLabel*>())
        label->setWordWrap(true);
}

void TAV4Form1::chooseLanguage(int code) {
    ctx_.write(QStringLiteral("Language"), QString::number(code));
    // The search window reads the value again at its next activation.
    FormActivate();
}

void TAV4Form1::applyLanguage() {
    const int lang = language_;
    useQtTranslations(lang);
    for (const char* name : kLanguageItems)
        menuItem(name)->setChecked(false);
    const QString window = objectName();
    LanguagePass::applyCaptions(this, CaptionTables::table(window, ctx_.brandCode), lang);
    LanguagePass::applyCopyRules(this, CaptionTables::copyRules(window));
    applyDefaultTexts();
    nameModuleValueEntries(PageControl1, lang);
    if (QAction* restore = menuAction(QStringLiteral("Visszaallitas1")))
        restore->setText(message("restore.menu", lang));
    if (QAction* full = menuAction(QStringLiteral("TeljesElkuldes1")))
        full->setText(message("safety.full_send_menu", lang));
    // The safety net's windows and panel are this window's own, open or not.
    if (safetyMenu_)
        safetyMenu_->applyLanguage(lang);
    if (guard_)
        guard_->applyLanguage();
    for (QWidget* w : QApplication::topLevelWidgets())
        for (const char* name : kSatellites)
            if (w->objectName() == QLatin1String(name))
                LanguagePass::applyCaptions(w, CaptionTables::table(w->objectName()), lang);
    menuItem(kLanguageItems[lang])->setChecked(true);
    placeMnemonics();
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->setTabToolTip(i, PageControl1->tabText(i));
    // Longer captions need wider columns: the page layouts measure again
    // rather than keep the widths of the previous language.
    for (QLayout* layout : PageControl1->findChildren<QLayout*>())
        layout->invalidate();
    for (QWidget* w : PageControl1->findChildren<QWidget*>())
        w->updateGeometry();
}

void TAV4Form1::applyDefaultTexts() {
    // Once a module or a file has filled the pages, their texts are the
    // installation's: a language change must not put defaults over them.
    if (holdsModuleData_)
        return;
    const QList<CaptionTableRow> rows = CaptionTables::table(objectName(), QStringLiteral("sms"));
    for (const CaptionTableRow& row : rows) {
        const std::optional<QString>& text = row.texts[size_t(language_)];
        auto* edit = findChild<QLineEdit*>(row.control);
        if (text && edit)
            pages_->setDefaultText(edit, fieldOf(row.control), *text);
    }
}
