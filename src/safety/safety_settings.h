#pragma once
#include <QString>

// The safety net's settings, in the edition's settings key like every other.
namespace SafetySettings {

// "verify": "0" turns the read-back after a write-all off (a byte-by-byte
// module takes as long again to read back as to write); anything else, or no
// value, leaves it on.
inline constexpr const char* kVerifyName = "verify";
bool verifyAfterWrite(const QString& keyPath);

} // namespace SafetySettings
