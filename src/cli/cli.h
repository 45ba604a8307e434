#pragma once

// The command-line mode: identify, read and write without the windows.
bool isCliCommand(const char* word);
int runCli(int argc, char** argv);

#include <QString>

// What the windows' start needs from the command line.
struct WindowStartOptions {
    QString port; // --port NAME: replaces the stored port for this run
};

// Handles, without a display, everything of the command line that does not
// start the windows: --help, --version, a wrong word or option, and a machine
// without a display. Returns the exit status when the program should end, or
// -1 with `options` filled when the windows should start.
int handleWithoutWindows(int argc, char** argv, WindowStartOptions& options);
