#pragma once
#include <QString>

// What the module's software version decides, in one place. The module
// reports its version x 10 (43 is version 4.3).

// From 3.3 on, models 70..100 exchange their configuration in 256-byte blocks;
// below it, one byte per frame.
inline constexpr int kFirstBlockVersion = 33;
inline bool transfersByBlocks(int moduleVersion) {
    return moduleVersion >= kFirstBlockVersion;
}

// "4.3" for 43.
inline QString versionNumberText(int moduleVersion) {
    return QStringLiteral("%1.%2").arg(moduleVersion / 10).arg(moduleVersion % 10);
}

// The version panel's text: "Sw: 4.3".
inline QString versionPanelText(int moduleVersion) {
    return QStringLiteral("Sw: ") + versionNumberText(moduleVersion);
}
