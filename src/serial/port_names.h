#pragma once
#include <QString>

// Port names as the settings hold them: "COM1" ... "COM8", "\\.\COM<n>", or (on
// Linux) a device path such as /dev/ttyUSB0.
namespace PortNames {
// The name as shown to the user: without a leading "\\.\".
QString display(const QString& name);
// The device the operating system opens for a stored name. On Linux "COM<n>" and
// "\\.\COM<n>" become /dev/ttyS<n-1>, or <ALVENTO_COM_DIR>/COM<n> when that
// environment variable names a folder; absolute paths are used as they stand.
QString device(const QString& name);
// The stored form for port number n: "COM1".."COM8" or "\\.\COM<n>".
QString stored(int number);
QString numbered(int number); // always "\\.\COM<n>"
} // namespace PortNames
