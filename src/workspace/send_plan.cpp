#include "workspace/send_plan.h"

#include "safety/write_verify.h"
#include "workspace/pages/page_changes.h"

namespace SendPlan {

ImageValues differingFields(const ConfigImage& base, const ImageValues& shown,
                            const ImageContext& context) {
    ConfigImage copy = base; // Decode rewrites some bytes of what it reads
    const ImageValues held = decodeImage(copy, context).values;
    ImageValues differs;
    markTouched(differs, shown, held);
    return touchedFields(shown, differs, held);
}

ConfigImage target(const ConfigImage& base, const ImageValues& shown, const ImageContext& context,
                   const WindowState& window) {
    ImageValues fields = differingFields(base, shown, context);
    if (window.filledFrom) {
        // Only the fields the installer touched, or whose bytes are not those
        // the window was filled from, can show something else than the base.
        ConfigImage baseCopy = base;
        ConfigImage filledCopy = *window.filledFrom;
        const ImageValues held = decodeImage(baseCopy, context).values;
        const ImageValues filled = decodeImage(filledCopy, context).values;
        ImageValues mayDiffer;
        if (window.touched)
            markTouched(mayDiffer, *window.touched, ImageValues{});
        markTouched(mayDiffer, held, filled);
        fields = touchedFields(fields, mayDiffer, held);
    }
    ConfigImage out = base;
    encodeImage(out, fields, context);
    // The module's scratch bytes, which Decode clears, go out cleared.
    out[ImageAddress::kClearedOnDecode] = 0;
    out[ImageAddress::kClearedOnDecode + 1] = 0;
    for (int a = 0; a < ConfigImage::kSize; ++a)
        if (WriteVerify::moduleKeepsByte(a))
            out[a] = base[a];
    return out;
}

} // namespace SendPlan
