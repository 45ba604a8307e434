#include "i18n/messages.h"
#include "i18n/message_table.h"

#include <cstring>

int languageFromSetting(const QString& value) {
    if (value.size() == 1 && value[0] >= QLatin1Char('0') && value[0] <= QLatin1Char('3'))
        return value[0].unicode() - '0';
    return 0;
}

QString message(const char* key, int language) {
    for (const MessageRow& row : messageTable()) {
        if (std::strcmp(row.key, key) != 0)
            continue;
        const char* texts[4] = {row.hu, row.en, row.de, row.sl};
        const char* t = (language >= 0 && language < 4) ? texts[language] : row.hu;
        if (!t || !*t)
            t = (row.en && *row.en && language != 0) ? row.en : row.hu;
        return QString::fromUtf8(t);
    }
    return QString::fromUtf8(key);
}
