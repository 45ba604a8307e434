#pragma once
#include <QString>

// Messages of the configurator's pages, in the four languages.
QString pageMessage(const char* key, int language);
