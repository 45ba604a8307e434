#pragma once
// Addresses and names that only the maker or the installer's company can give:
// the access point and server behind "Varonet APN", the two tracker servers of
// the TREKKA window's "IP cimek" menu, and the server "Memory load" fills in.
// The tool carries none of them. Each is a settings value of the edition's
// key, empty until someone sets it; an empty or malformed value leaves its
// menu item or list entry unusable, and nothing is written from it.

#include "settings/app_context.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace Presets {

// Settings value names.
inline constexpr char kVaronetApn[] = "varonetapn";
inline constexpr char kVaronetServer[] = "varonetserver";
inline constexpr char kTrekkaServer1[] = "trekkaserver1";
inline constexpr char kTrekkaServer2[] = "trekkaserver2";
inline constexpr char kDefaultServerHost[] = "defaultserverhost";
inline constexpr char kDefaultServerAddress[] = "defaultserveraddress";

// A dotted IPv4 address with four numbers 0..255 (leading zeros allowed, as
// the tracker stores them), written back without them; nothing otherwise.
std::optional<QString> ipv4(const QString& text);
// The same address in the tracker's fixed 15-character form ("010.020.030.040").
QString paddedIpv4(const QString& address);

// An access point and server pair; usable only when both are set and the
// server is an IPv4 address.
struct ServerPair {
    QString first;       // access point name, or server host name
    QString second;      // IPv4 address
    QStringList missing; // names of the settings values that are empty or malformed
    bool usable() const { return missing.isEmpty(); }
};

// "Varonet APN": the access point ("varonetapn", at most `maxAccessPoint`
// characters of plain ASCII) and the server ("varonetserver", an IPv4 address).
ServerPair varonetApn(const AppContext& ctx, int maxAccessPoint);
// "Memory load": the maker's server host name and its IPv4 address.
ServerPair defaultServer(const AppContext& ctx, int maxHost);
// TREKKA server `index` (0 or 1): its IPv4 address, or nothing when the
// settings value is empty or not an IPv4 address.
std::optional<QString> trekkaServer(const AppContext& ctx, int index);
// The settings value name of TREKKA server `index`.
QString trekkaServerName(int index);

} // namespace Presets
