#pragma once
#include <QString>

// What every window of one run shares: the edition, the settings key it fixed,
// the start directory, and the port given on the command line.
struct AppContext {
    int brandCode = 40;
    QString keyPath;      // settings key of the edition
    QString startDir;     // current directory when the start window was created
    QString portOverride; // --port NAME: used wherever "comport" is read, never written

    QString read(const QString& name) const;
    void write(const QString& name, const QString& value) const;
    // "comport" as the windows use it: the override, else the stored value,
    // else "COM1".
    QString comport() const;
};
