#pragma once
#include <QStringList>

// `alvento export`, `alvento import` and `alvento set`: a configuration as a
// readable document, that document back into a configuration file (or a
// module) of the same or another model, and scripted edits of a file.
bool isPortableCommand(const char* word);
// Takes the whole argument list, the program's name first.
int runPortable(const QStringList& arguments);
