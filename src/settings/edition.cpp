#include "settings/edition.h"

namespace {
#define HALVOR_TITLE "Halvor program version 2018.04.05 / GSM Firmware: 4.3.5"

const EditionInfo kEditions[] = {
    {1, "\\software\\GSM\\KESTRIN", "KESTRIN", "KESTRIN", HALVOR_TITLE,
     "Kestrin PRG Firmware: 4.3.6 / 2024.09", "KESTRIN"},
    {10, "\\software\\GSM\\KESTRIN", "*OLMIRA", "KESTRIN", HALVOR_TITLE, "Olmira PRG", "Olmira"},
    {20, "\\software\\GSM\\KESTRIN", "*Pumara GSM", "KESTRIN", HALVOR_TITLE, "Pumara GSM",
     "Pumara"},
    {30, "\\software\\GSM\\KESTRIN", "*Belvance", "KESTRIN", HALVOR_TITLE, nullptr, "Belvance"},
    {40, "\\software\\GSM\\NORVIK", "NORVIK", "NORVIK",
     "Norvik Read program version 2024.09.03 / GSM Firmware: 4.3.6", nullptr, "NORVIK"},
    {41, "\\software\\GSM\\Telvaro", "Telvaro", "Telvaro",
     "Telvaro Read program version 2018.04.05 / GSM Firmware: 4.3.5", nullptr, "Telvaro"},
    {50, "\\software\\Dravik\\Dravik", "Sorel", "Makrel", HALVOR_TITLE, "Dravik software",
     "Makrel"},
};
} // namespace

const EditionInfo& edition(int brandCode) {
    for (const EditionInfo& e : kEditions)
        if (e.brandCode == brandCode)
            return e;
    return kEditions[0];
}

int buildBrandCode() {
    return ALVENTO_BRAND_CODE;
}
