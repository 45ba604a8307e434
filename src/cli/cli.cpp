#include "cli/cli.h"

#include <cstdio>
#include <cstring>

bool isCliCommand(const char* word) {
    return std::strcmp(word, "identify") == 0 || std::strcmp(word, "read") == 0 ||
           std::strcmp(word, "write") == 0;
}

int runCli(int, char**) {
    std::fprintf(stderr, "not available yet\n");
    return 2;
}
