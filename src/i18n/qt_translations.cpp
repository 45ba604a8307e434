#include "i18n/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace {
// Per language code; English needs none.
constexpr const char* kLocaleNames[] = {"hu", nullptr, "de", "sl"};
} // namespace

bool useQtTranslations(int language) {
    static std::unique_ptr<QTranslator> installed;
    static int installedFor = -1;
    if (language == installedFor)
        return installed != nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    installedFor = language;
    const char* name = language >= 0 && language < 4 ? kLocaleNames[language] : nullptr;
    if (!name || !QCoreApplication::instance())
        return false;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto translator = std::make_unique<QTranslator>();
    // Some languages have only the older catalogue that covers all modules.
    for (const char* prefix : {"qtbase_", "qt_"}) {
        if (translator->load(QString::fromLatin1(prefix) + QString::fromLatin1(name), folder)) {
            QCoreApplication::installTranslator(translator.get());
            installed = std::move(translator);
            return true;
        }
    }
    return false;
}
