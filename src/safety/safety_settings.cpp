#include "safety/safety_settings.h"

#include "settings/settings_store.h"

namespace SafetySettings {

bool verifyAfterWrite(const QString& keyPath) {
    return SettingsStore::ReadString(keyPath, QString::fromLatin1(kVerifyName)) !=
           QLatin1String("0");
}

} // namespace SafetySettings
