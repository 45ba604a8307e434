#pragma once
#include <QString>

// The edition a build ships as. Everything edition-dependent asks an Edition
// rather than the build constant, so tests can run any edition in one binary.
int buildBrandCode();

// Registry-style key path of the tool's own settings for an edition.
QString settingsKeyPath(int brandCode);

// Fixed key from which the older device windows read their port name.
inline const char* kLegacyKeyPath = "\\software\\vorlund\\AlventoRead";

// Value written to "company" when it is empty.
QString defaultCompany(int brandCode);

// Edition name shown in window captions ("NORVIK", "Telvaro", ...).
QString editionName(int brandCode);
