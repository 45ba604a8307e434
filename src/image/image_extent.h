#pragma once
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

// Modules report their version as version x 10; from 3.3 on they take 256-byte blocks.
inline constexpr int kFirstBlockVersion = 33;

ImageExtent exchangedExtent(int modelCode, int moduleVersion);

// Number of image bytes a configuration file holds for a module of this model.
int configFileImageSize(int modelCode);

// Whether a byte-by-byte write leaves this address out. 75, 254 and 255 belong to
// the module; the edition tag is sent only for editions whose company value is starred.
bool skippedOnByteWrite(int address, bool writeEditionTag);
