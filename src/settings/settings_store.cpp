#include "settings/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#ifdef Q_OS_WIN
QString SettingsStore::locationOf(const QString& keyPath) {
    return QStringLiteral("HKEY_LOCAL_MACHINE") + keyPath;
}

QString SettingsStore::ReadString(const QString& keyPath, const QString& name) {
    QSettings s(locationOf(keyPath), QSettings::NativeFormat);
    return s.value(name).toString();
}

void SettingsStore::WriteString(const QString& keyPath, const QString& name, const QString& text) {
    QSettings s(locationOf(keyPath), QSettings::NativeFormat);
    s.setValue(name, text);
    s.sync();
}
#else
static QString configRoot() {
    QString root = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (root.isEmpty())
        root = QDir::homePath() + QStringLiteral("/.config");
    return root;
}

QString SettingsStore::locationOf(const QString& keyPath) {
    QString rel = keyPath;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rel.startsWith(QLatin1Char('/')))
        rel.remove(0, 1);
    if (rel.startsWith(QStringLiteral("software/"), Qt::CaseInsensitive))
        rel.remove(0, 9);
    return configRoot() + QLatin1Char('/') + rel + QStringLiteral(".ini");
}

QString SettingsStore::ReadString(const QString& keyPath, const QString& name) {
    const QString path = locationOf(keyPath);
    QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return {};
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return {};
    return s.value(name).toString();
}

void SettingsStore::WriteString(const QString& keyPath, const QString& name, const QString& text) {
    const QString path = locationOf(keyPath);
    // Like creating a missing registry key: make the folders; if that fails, the
    // write is lost without a word.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QSettings s(path, QSettings::IniFormat);
    s.setValue(name, text);
    s.sync();
}
#endif
