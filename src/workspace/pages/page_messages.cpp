#include "workspace/pages/page_messages.h"
#include "i18n/message_table.h"

#include <cstring>

namespace {
const MessageRow kPageMessages[] = {
    {"pages.bad_security_code", "Biztonsági kód nem megfelelő", "Security PIN does not match",
     "Falscher Sicherheitscode", "Varnostni PIN se ne ujema"},
    {"pages.accent_warning",
     "ékezetes karakterek rosszul jelenhetnek meg a telefonon, kérem ne használjon ékezetes "
     "karaktereket!",
     "Please use characters only from the English alphabet!", "Bitte keine Umlaute/Sonderzeichen!",
     "Prosimo, uporabite znake samo iz angleške abecede!"},
    {"pages.module_value", "Modul értéke: %1", "Module's value: %1", "Wert im Modul: %1",
     "Vrednost v modulu: %1"},
};
} // namespace

QString pageMessage(const char* key, int language) {
    for (const MessageRow& row : kPageMessages) {
        if (std::strcmp(row.key, key) != 0)
            continue;
        const char* texts[4] = {row.hu, row.en, row.de, row.sl};
        return QString::fromUtf8(language >= 0 && language < 4 ? texts[language] : row.hu);
    }
    return QString::fromLatin1(key);
}
