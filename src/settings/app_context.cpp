#include "settings/app_context.h"
#include "settings/settings_store.h"

QString AppContext::read(const QString& name) const {
    return SettingsStore::ReadString(keyPath, name);
}

void AppContext::write(const QString& name, const QString& value) const {
    SettingsStore::WriteString(keyPath, name, value);
}

QString AppContext::comport() const {
    QString port = portOverride.isEmpty() ? read(QStringLiteral("comport")) : portOverride;
    return port.isEmpty() ? QStringLiteral("COM1") : port;
}
