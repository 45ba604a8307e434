#pragma once
// Which page fields Encode writes.
//
// A field is written once the installer has touched it: once its control has
// shown something else than what the window itself last put there (the design
// default when the window was built, the decoded value after a read or a file
// load), however the change came about and even if it was changed back. Every
// other field stays empty, so Encode leaves its bytes exactly as the module
// (or the file) had them, even where a control cannot show the stored value
// (a spin limits it, a list has no such item). Reading a module and sending it
// back untouched therefore rewrites nothing but the bytes Encode always writes.
//
// Two couplings widen an edit:
// - a byte that holds a switch and a value (life signal 70, redirection 77,
//   temperature limits 82 and 83) is written whole when either part is;
// - when the set of filled phone numbers changes, every check list of numbers
//   is written, so that no list keeps a number that is now empty.
#include "image/image_values.h"

// Marks in `touched` every field of `now` that differs from `reference`; a
// field once marked stays marked.
void markTouched(ImageValues& touched, const ImageValues& now, const ImageValues& reference);

// The fields of `now` that `touched` marks, with the couplings above applied.
ImageValues touchedFields(const ImageValues& now, const ImageValues& touched,
                          const ImageValues& reference);

// The numbers whose slots are filled (bit i = number i + 1).
uint8_t filledNumbers(const PhoneNumberValues& phones);
