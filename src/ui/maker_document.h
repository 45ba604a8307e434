#pragma once
// Documents only the module's maker can supply: the wiring diagrams and the
// installer's manual. The tool carries none of its own (a drawing or text made
// up here could have an installer wire or reset a real module wrongly); it
// shows the maker's files from the data folder, and says so while one is not
// installed.

#include <QPixmap>
#include <QString>

namespace MakerDocument {

// Where the maker's files go, below the data folder.
inline constexpr char kWiringDiagram[] = "wiring/wiring_diagram.jpg"; // GSM communicators
inline constexpr char kGpsWiringDiagram[] = "wiring/wiring_gps.jpg";  // the Marlo GPS module
inline constexpr char kInstallerManual[] = "manual/installer_manual_hu.txt";

// A manual is plain text; anything larger than this is not one.
inline constexpr qint64 kMaxManualBytes = 4 * 1024 * 1024;

// The picture of a regular JPEG file at `path`; a null pixmap when there is none.
QPixmap picture(const QString& path);
// The text of a regular file at `path` of at most kMaxManualBytes (UTF-8, or
// code page 1250 as Windows tools wrote it); a null string when there is none.
QString text(const QString& path);
// The message shown in place of a missing document, in `language`.
QString missingText(const QString& path, int language);

} // namespace MakerDocument
