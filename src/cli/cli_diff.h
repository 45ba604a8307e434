#pragma once
#include <QString>
#include <QStringList>

// `alvento diff A B`: the fields whose values differ between two
// configurations, one line each. A source is a configuration file, or
// "port:NAME" for the module on that port (read as `alvento read` reads it).
// Exit status: 0 no field differs, 1 some do, 2 bad arguments or files, 3 the
// module did not answer.
int runDiff(const QStringList& sources, int timeoutSeconds);

// Reads the module on `port` into the configuration file `file` as `alvento
// read` does, its result lines on standard error; returns the exit status.
int readModuleInto(const QString& port, const QString& file, int timeoutSeconds);
