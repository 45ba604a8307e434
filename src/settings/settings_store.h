#pragma once
#include <QString>

// The tool's own settings: string values under a registry-style key path.
// Every call opens and closes the store; nothing is cached, failures are silent:
// a value that cannot be read is the empty string, a write that fails is lost.
//
// Windows: HKEY_LOCAL_MACHINE<key path>. Elsewhere: an INI file below
// $XDG_CONFIG_HOME (default ~/.config): the key path without its leading
// "\software\", backslashes as folders, ".ini" appended, values in [General].
class SettingsStore {
  public:
    static QString ReadString(const QString& keyPath, const QString& name);
    static void WriteString(const QString& keyPath, const QString& name, const QString& text);

    // The file (or registry path) that holds a key; for tests and the README.
    static QString locationOf(const QString& keyPath);
};
