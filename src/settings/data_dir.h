#pragma once
#include <QString>

// The folder of the data files the tool reads at run time (code tables, caption
// tables). An installed binary finds it beside
// itself at <prefix>/share/alvento; a binary in the build tree uses the source
// tree's assets/ folder. The current directory never plays a part, so the
// tool works the same wherever the desktop starts it.
QString dataDir();

// <data folder>/<relative>. The file need not exist: the caller opens it and
// reports a missing one.
QString dataPath(const QString& relative);

// The rule behind dataDir() for a binary that lives in `applicationDir`.
QString dataDirFor(const QString& applicationDir);
