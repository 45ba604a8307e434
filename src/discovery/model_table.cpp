#include "discovery/model_table.h"

namespace {

const ModelInfo kModels[] = {
    {30, DeviceWindow::StartWindow, "AV-GPRS-CID found", nullptr, 2, true},
    {50, DeviceWindow::Converter, "GPRS to ContacdID konverter", nullptr, 5, true},
    {60, DeviceWindow::Trekka, "AV_GPS_TREKKA", nullptr, 0, false},
    // Found like the others, so a Marlo owner reaches its window; the GPS panel blinks.
    {61, DeviceWindow::Marlo, "AV_GPS_MARLO", nullptr, 6, true},
    {70, DeviceWindow::Configurator, "AV-4", "AV-4", 3, true},
    {71, DeviceWindow::Configurator, "Kestrin", "Kestrin", 3, true},
    {80, DeviceWindow::Configurator, "AV-1", "AV-1_PC", 1, true},
    {90, DeviceWindow::Configurator, "AV-GPS", "AV-GPS", 6, true},
    {100, DeviceWindow::Configurator, "AV_CID", "AV-CID", 7, true},
};

struct NameOverride {
    int model;
    int brand;
    const char* label3;      // nullptr: unchanged
    const char* statusPanel; // nullptr: unchanged
};

const NameOverride kOverrides[] = {
    {30, 10, "Olmira GPRS-CID found", nullptr},
    {70, 10, "Olmira GSM4", "Olmira GSM4"},
    {70, 20, "Pumara GSM", "Pumara GSM"},
    {71, 10, "Olmira GSM4", "Olmira GSM4"},
    {71, 20, "Pumara GSM", "Pumara GSM"},
    {71, 40, "Norvik", "Norvik"},
    {71, 41, "Telvaro", "Telvaro"},
    {71, 50, "Makrel", "Makrel"},
    {80, 10, "Olmira GSM1", "Olmira GSM1"},
    {80, 20, "Pumara GSM", "Pumara GSM"},
    {80, 30, "Ferrolt", "Ferrolt"},
    {90, 10, nullptr, "Olmira GPS"},
    {90, 30, nullptr, "Ferrolt"},
    {100, 10, "Olmira CID", "Olmira CID"},
    {100, 30, "Gavrel-CID", "Gavrel-CID"},
};

const NameOverride* findOverride(int model, int brand) {
    for (const auto& o : kOverrides)
        if (o.model == model && o.brand == brand)
            return &o;
    return nullptr;
}

const PageInfo kPages[] = {
    {"TabSheet1", "Telefonszámok"},
    {"TabSheet2", "Be1"},
    {"TabSheet3", "Be2"},
    {"TabSheet4", "Be3"},
    {"TabSheet5", "Be4"},
    {"TabSheet6", "Be5"},
    {"TabSheet7", "Be6"},
    {"TabSheet8", "Be7"},
    {"TabSheet9", "Be8"},
    {"TabSheet10", "Kimenet"},
    {"TabSheet11", "Tamper"},
    {"TabSheet12", "Tápmonitor"},
    {"TabSheet13", "Életjel"},
    {"TabSheet14", "Egyéb"},
    {"TabSheet15", "Szám azonosítás"},
    {"TabSheet16", "Hőmérséklet"},
    {"TabSheet17", "GPS"},
    {"TabSheet18", "Sebesség"},
    {"TabSheet19", "Emelés"},
    {"TabSheet20", "GPRS"},
    {"TabSheet21", "CID/SMS"},
    {"TabSheet22", "Hangok"},
    {"TabSheet24", "Távfelügyelet"},
    {"TabSheet27", "Nyitás/Zárás"},
    {"TabSheet23", "Szám Azonosítás MEM"},
};

// Columns: ModelCode 70, 71, 80, 90, 100.
const ConfiguratorItemRow kItemRules[] = {
    {"TabSheet2", "    -"},
    {"TabSheet3", "    -"}, // Be1, Be2
    {"TabSheet4", "++-+-"},
    {"TabSheet5", "++-+-"}, // Be3, Be4
    {"TabSheet6", "-----"},
    {"TabSheet7", "-----"}, // Be5 ... Be8
    {"TabSheet8", "-----"},
    {"TabSheet9", "-----"},
    {"TabSheet10", "    -"},
    {"TabSheet11", "    -"}, // Kimenet, Tamper
    {"TabSheet13", "    -"},
    {"TabSheet15", "    -"}, // Életjel, Szám azonosítás
    {"TabSheet12", "++-+-"}, // Tápmonitor
    {"TabSheet16", " - --"}, // Hőmérséklet
    {"TabSheet17", "---+-"},
    {"TabSheet18", "---+-"}, // GPS, Sebesség
    {"TabSheet19", "---+-"}, // Emelés
    {"TabSheet20", "----+"},
    {"TabSheet21", "----+"}, // GPRS, CID/SMS
    {"TabSheet22", "-+---"}, // Hangok
    // Control groups; applied once the configurator has a control of that name.
    {"PhoneNumbers5to8", "++-++"},
    {"ExpansionModuleNotes", " +   "},
    {"Output2Group", "  -  "},
    {"Input4SmsTargets", "  d  "},
    {"PstnGainGroup", "----+"},
    {"RingOptionsGroup", "    d"},
    {"ModuleOnlyOptions", "    -"},
    {"StatusTemperature", " - --"},
};

int column(int modelCode) {
    switch (modelCode) {
    case 70:
        return 0;
    case 71:
        return 1;
    case 80:
        return 2;
    case 90:
        return 3;
    case 100:
        return 4;
    default:
        return -1;
    }
}

} // namespace

std::span<const ModelInfo> modelTable() {
    return kModels;
}

const ModelInfo* findModel(int modelCode) {
    for (const auto& m : kModels)
        if (m.code == modelCode)
            return &m;
    return nullptr;
}

QString modelLabel3(int modelCode, int brandCode) {
    const ModelInfo* m = findModel(modelCode);
    if (!m)
        return {};
    const NameOverride* o = findOverride(modelCode, brandCode);
    return QString::fromUtf8(o && o->label3 ? o->label3 : m->label3);
}

QString modelStatusName(int modelCode, int brandCode) {
    const ModelInfo* m = findModel(modelCode);
    if (!m || !m->statusPanel)
        return {};
    const NameOverride* o = findOverride(modelCode, brandCode);
    return QString::fromUtf8(o && o->statusPanel ? o->statusPanel : m->statusPanel);
}

bool discoveryDispatches(int modelCode) {
    const ModelInfo* m = findModel(modelCode);
    return m && m->pictureIndex >= 0;
}

std::span<const ConfiguratorItemRow> configuratorItemRules() {
    return kItemRules;
}

ItemRule ruleFor(const ConfiguratorItemRow& row, int modelCode) {
    const int c = column(modelCode);
    return c < 0 ? ItemRule::Unchanged : static_cast<ItemRule>(row.rules[c]);
}

std::span<const PageInfo> configuratorPages() {
    return kPages;
}
