#pragma once
#include "image/config_image.h"

// Decode maps the module's four replaced letters (0xE0 0xE8 0xF2 0xEC) back to
// their code page 1250 bytes in the image itself. The window keeps the
// module's own bytes instead: a text nobody edits is not written again, so the
// image must still hold what the module stored. Puts back every byte of
// `decoded` that differs from `stored` only by that mapping.
void keepStoredLetters(const ConfigImage& stored, ConfigImage& decoded);
