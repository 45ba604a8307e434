#pragma once
// A configured module, as an installer would leave it: phone numbers, inputs
// with Hungarian SMS texts, outputs, life signal, the "Egyéb" settings and, by
// model, the temperature, GPS, speed and lift settings or the Contact ID
// records. Written the way the module keeps them, field by field, so that the
// configurator's decoding is checked against an independent writer.

#include "core/sim_module.h"

namespace alvento::sim {

// The module memory (8192 bytes, erased where nothing is configured) of a
// ModelCode 70, 71, 80, 90 or 100 module. Other models get erased memory.
Bytes exampleConfiguration(int model);

// A UTF-8 text of ASCII and Hungarian letters in code page 1250, as the
// module keeps its record names.
Bytes codePageText(const char* utf8);
// The same as the module keeps its SMS texts: á é í ó on 0xE0 0xE8 0xEC 0xF2.
Bytes moduleText(const char* utf8);

} // namespace alvento::sim
