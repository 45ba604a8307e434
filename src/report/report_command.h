#pragma once

// `alvento report SOURCE --out FILE.pdf`: the commissioning report of a
// configuration file or of the module on a port ("port:NAME"), without the
// windows. Exit status as the other commands: 0 done, 2 bad arguments, source
// or target, 3 the module did not answer, 4 a model the configurator does
// not serve.
bool isReportCommand(const char* word);
int runReportCommand(int argc, char** argv);
