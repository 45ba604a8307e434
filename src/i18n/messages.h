#pragma once
#include <QString>

// Language code as stored in "Language": 0 Hungarian, 1 English, 2 German,
// 3 Slovenian. Anything else reads as Hungarian.
int languageFromSetting(const QString& value);

// Fixed user-facing texts, named by key, one text per language. A language
// without its own text for a key falls back to English, then Hungarian.
QString message(const char* key, int language);
