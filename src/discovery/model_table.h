#pragma once
#include <QString>
#include <span>

// Which window serves a model.
enum class DeviceWindow { StartWindow, Converter, Trekka, Marlo, Configurator };

struct ModelInfo {
    int code;
    DeviceWindow window;
    const char* label3;      // start window's Label3
    const char* statusPanel; // configurator status panel 1 (nullptr: not a configurator model)
    int pictureIndex;        // search window panel that blinks (-1: discovery does not dispatch)
    bool blink;
};

const ModelInfo* findModel(int modelCode);
std::span<const ModelInfo> modelTable();

// Names with the edition's overrides applied.
QString modelLabel3(int modelCode, int brandCode);
QString modelStatusName(int modelCode, int brandCode);

// Whether a reply with this code found by the identify read starts the dispatch.
bool discoveryDispatches(int modelCode);

// What the dispatcher does with one item of the configurator for a model.
enum class ItemRule : char { Unchanged = ' ', Show = '+', Hide = '-', Disable = 'd' };

struct ConfiguratorItemRow {
    const char* item;  // a page's objectName (TabSheetN) or a control group's objectName
    const char* rules; // five characters for ModelCode 70, 71, 80, 90, 100
};
std::span<const ConfiguratorItemRow> configuratorItemRules();
ItemRule ruleFor(const ConfiguratorItemRow& row, int modelCode);

// The configurator's pages in tab order.
struct PageInfo {
    const char* objectName;
    const char* caption; // Hungarian design caption
};
std::span<const PageInfo> configuratorPages();
