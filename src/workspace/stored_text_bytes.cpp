#include "workspace/stored_text_bytes.h"

#include <array>
#include <utility>

namespace {
// Byte as the module stores it -> byte Decode leaves in the image.
constexpr std::array<std::pair<uint8_t, uint8_t>, 4> kMappedLetters{{
    {0xE0, 0xE1}, // á
    {0xE8, 0xE9}, // é
    {0xF2, 0xF3}, // ó
    {0xEC, 0xED}, // í
}};
} // namespace

void keepStoredLetters(const ConfigImage& stored, ConfigImage& decoded) {
    for (int i = 0; i < ConfigImage::kSize; ++i) {
        if (stored[i] == decoded[i])
            continue;
        for (const auto& [module, mapped] : kMappedLetters)
            if (stored[i] == module && decoded[i] == mapped)
                decoded[i] = module;
    }
}
