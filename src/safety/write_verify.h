#pragma once
#include "image/config_image.h"
#include "image/image_extent.h"
#include "image/image_values.h"

#include <QStringList>
#include <vector>

// What a write-all puts into the module, and whether a read afterwards finds
// it there.
namespace WriteVerify {

// The image bytes a write-all sends to a module of this model and version:
// bytes 0..1023 (or the six blocks 0..1535), and for ModelCode 100 also its
// code records (32..255 after a byte write, 48..208 after the blocks).
std::vector<ImageRange> writtenRanges(int modelCode, int moduleVersion);

// Whether the write carries this byte and the module keeps what it is sent
// there: the module's own bytes (75, 252, 254, 255) are never the image's, and a
// byte write leaves the edition tag out unless the company value is starred.
bool checked(int address, int modelCode, int moduleVersion, bool companyStarred);

// The bytes a module holds for itself and every write leaves as the module has
// them: 75 (its own state) and 123..255 (version, model, build and the module's
// working bytes beside them).
bool moduleKeepsByte(int address);

// A configuration file's bytes as a write puts them onto the module's: the
// file's bytes where a field of this model lies and where a send always writes
// its constants; the module's own bytes, and every byte no field covers, as
// the module holds them. Only the file's first `fileBytes` bytes are its own.
ConfigImage fileOntoModule(const ConfigImage& module, const ConfigImage& file, int modelCode,
                           int fileBytes);

struct Difference {
    int address = 0;
    uint8_t sent = 0;
    uint8_t found = 0; // what the module holds there now
};

// Every checked byte where what the module holds differs from what was sent.
std::vector<Difference> compare(const ConfigImage& sent, const ConfigImage& readBack, int modelCode,
                                int moduleVersion, bool companyStarred);

// One line per field whose bytes differ ("Be1 / SMS szöveg: sent "..." but the
// module holds "..."" in English), then one per differing byte that no field
// holds. The fields keep the pages' names; the rest is in `language`.
QStringList describe(const std::vector<Difference>& differences, const ConfigImage& sent,
                     const ConfigImage& readBack, int modelCode, int language);

// Whether two value texts of a field show the same: a text's trailing blanks
// (a masked edit's empty places) show nothing, and a code row without a code
// is empty whatever name its record still holds.
bool sameValue(const QString& a, const QString& b);

// One line per field the window shows whose value the module does not hold
// after the write ("Be1 / SMS szöveg: sent "..." but the module holds "..."")
// as the window shows it nor as `sent` carries it, for the fields whose bytes
// the write carries. `shown` holds the fields the window shows; an empty one
// is not the window's to check.
QStringList fieldsNotHeld(const ImageValues& shown, const ConfigImage& sent,
                          const ConfigImage& readBack, int modelCode, int moduleVersion,
                          bool companyStarred, int language);

} // namespace WriteVerify
