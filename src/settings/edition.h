#pragma once
#include <QString>

// What an edition of the tool is made of. One row per BrandCode; anything
// edition-dependent reads it from here rather than testing the code itself.
struct EditionInfo {
    int brandCode;
    const char* keyPath;             // settings key below \software
    const char* companyDefault;      // "company" written when empty ('*' = starred)
    const char* editionTag;          // written into the module's image at 384
    const char* configuratorTitle;   // title chosen when the configurator is created
    const char* configuratorCaption; // caption at activation (nullptr: the title)
    const char* editionName;         // the edition as printed on a report
};

// The row for a BrandCode; unknown codes get the KESTRIN row.
const EditionInfo& edition(int brandCode);

// The edition a build ships as. Tests construct the application for any
// edition in one binary.
int buildBrandCode();

inline QString settingsKeyPath(int brandCode) {
    return QString::fromLatin1(edition(brandCode).keyPath);
}
inline QString defaultCompany(int brandCode) {
    return QString::fromUtf8(edition(brandCode).companyDefault);
}

// Fixed key from which the older device windows read their port name.
inline const char* kLegacyKeyPath = "\\software\\vorlund\\AlventoRead";
