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

ConfigImage target(const ConfigImage& base, const ImageValues& shown, const ImageContext& context) {
    ConfigImage out = base;
    encodeImage(out, differingFields(base, shown, context), context);
    for (int a = 0; a < ConfigImage::kSize; ++a)
        if (WriteVerify::moduleKeepsByte(a))
            out[a] = base[a];
    return out;
}

} // namespace SendPlan
