#pragma once
#include "image/module_version.h"
#include <vector>

// How a range of the image travels to or from the module.
enum class TransferUnit {
    Bytes,   // one 6-byte frame per byte
    Blocks,  // 256-byte blocks
    Records, // 32-byte records
};

// Inclusive byte range of the ConfigImage.
struct ImageRange {
    int first = 0;
    int last = 0;
    TransferUnit unit = TransferUnit::Bytes;

    int size() const { return last - first + 1; }
    bool operator==(const ImageRange&) const = default;
};

// The parts of the image read from and written to one module, in transfer order.
struct ImageExtent {
    std::vector<ImageRange> read;
    std::vector<ImageRange> write;
};


ImageExtent exchangedExtent(int modelCode, int moduleVersion);

// Number of image bytes a configuration file holds for a module of this model.
int configFileImageSize(int modelCode);

// Bytes the module keeps for itself (75: its own state, 254: version, 255:
// model). A write never changes them: a byte write skips them, and a block
// write sends back what the module holds there.
bool isModuleOwned(int address);

// Whether a byte-by-byte write leaves this address out: the module's own bytes,
// and the edition tag unless the company value is starred.
bool skippedOnByteWrite(int address, bool writeEditionTag);
