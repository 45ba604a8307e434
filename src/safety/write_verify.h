#pragma once
#include "image/config_image.h"
#include "image/image_extent.h"

#include <QStringList>
#include <vector>

// What a write-all puts into the module, and whether a read afterwards finds
// it there.
namespace WriteVerify {

// The image bytes a write-all sends to a module of this model and version:
// bytes 0..1023 (or the six blocks 0..1535), and for ModelCode 100 also its
// code records (32..255 after a byte write, 48..208 after the blocks).
std::vector<ImageRange> writtenRanges(int modelCode, int moduleVersion);

// Whether the write carries this byte and the module keeps what it is sent
// there: the module's own bytes (75, 252, 254, 255) are never the image's, and a
// byte write leaves the edition tag out unless the company value is starred.
bool checked(int address, int modelCode, int moduleVersion, bool companyStarred);

struct Difference {
    int address = 0;
    uint8_t sent = 0;
    uint8_t found = 0; // what the module holds there now
};

// Every checked byte where what the module holds differs from what was sent.
std::vector<Difference> compare(const ConfigImage& sent, const ConfigImage& readBack, int modelCode,
                                int moduleVersion, bool companyStarred);

// One line per field whose bytes differ ("Be1 / SMS szöveg: sent "..." but the
// module holds "..."" in English), then one per differing byte that no field
// holds. The fields keep the pages' names; the rest is in `language`.
QStringList describe(const std::vector<Difference>& differences, const ConfigImage& sent,
                     const ConfigImage& readBack, int modelCode, int language);

} // namespace WriteVerify
