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

// What the window has to go on beside what it shows: the fields the installer
// touched since the last fill (page_changes.h), and the bytes it was last
// filled from (a read or a file; none in a window that never held either).
struct WindowState {
    const ImageValues* touched = nullptr;
    const ConfigImage* filledFrom = nullptr;
};

// `base` with the shown fields that differ written onto it. An untouched field
// whose bytes in `base` read as they did in the bytes the window was filled
// from shows what the base holds, as far as its control can show it, and
// keeps the base's bytes even where the control shows them otherwise (a phone
// slot of stray bytes, a list index the list lacks).
ConfigImage target(const ConfigImage& base, const ImageValues& shown, const ImageContext& context,
                   const WindowState& window = {});

} // namespace SendPlan
