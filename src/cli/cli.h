#pragma once

// The command-line mode: identify, read and write without the windows.
bool isCliCommand(const char* word);
int runCli(int argc, char** argv);
