#pragma once
// What a send or a save puts into the image: the fields the window shows,
// written onto the bytes of the module (or the file) they go to.
//
// A field whose bytes already read as what the window shows keeps those bytes,
// so an undone edit, or a value no control can express, goes back byte for
// byte. Bytes no shown field covers, and the bytes the module keeps for itself,
// stay as the base holds them. Encode's constants are written as on every send.
#include "image/config_image.h"
#include "image/image_convert.h"
#include "image/image_values.h"

namespace SendPlan {

// The fields of `shown` that differ from what `base` holds (with the couplings
// of page_changes.h: a shared byte goes out whole, a changed set of filled
// phone numbers takes every check list along); the others empty.
ImageValues differingFields(const ConfigImage& base, const ImageValues& shown,
                            const ImageContext& context);

// `base` with the shown fields that differ written onto it.
ConfigImage target(const ConfigImage& base, const ImageValues& shown, const ImageContext& context);

} // namespace SendPlan
