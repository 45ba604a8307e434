#include "image/image_extent.h"

#include "image/config_image.h"

namespace {
constexpr int kCodeRecordModel = 100;
constexpr ImageRange kByteArea{0, 1023, TransferUnit::Bytes};
constexpr ImageRange kBlockArea{0, 1535, TransferUnit::Blocks};
// Records 32..255: the Contact ID code names of ModelCode 100.
constexpr ImageRange kCodeRecords{1024, 8191, TransferUnit::Records};
constexpr ImageRange kAllRecords{0, 8191, TransferUnit::Records};
} // namespace

ImageExtent exchangedExtent(int modelCode, int moduleVersion) {
    const bool blocks = transfersByBlocks(moduleVersion);
    if (modelCode == kCodeRecordModel) {
        // Reads always take all 256 records; a block write covers 0..1535 and sends no records.
        if (blocks)
            return {{kAllRecords}, {kBlockArea}};
        return {{kAllRecords}, {kByteArea, kCodeRecords}};
    }
    const ImageRange area = blocks ? kBlockArea : kByteArea;
    return {{area}, {area}};
}

int configFileImageSize(int modelCode) {
    return modelCode == kCodeRecordModel ? ConfigImage::kSize : 1024;
}

bool isModuleOwned(int address) {
    return address == ImageAddress::kModuleOwnedByte || address == ImageAddress::kModuleVersion ||
           address == ImageAddress::kModelCode;
}

bool skippedOnByteWrite(int address, bool writeEditionTag) {
    if (isModuleOwned(address))
        return true;
    const bool inTag = address >= ImageAddress::kEditionTag &&
                       address < ImageAddress::kEditionTag + ImageAddress::kEditionTagSize;
    return inTag && !writeEditionTag;
}
