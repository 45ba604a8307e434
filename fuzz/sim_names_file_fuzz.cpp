// The SIM names file parser: any bytes. A file it takes has a row count within
// the grid and one line per cell; saving what it read and reading that again
// gives the same rows. And any bytes read as file text (SIM names cells, the
// installation texts of a configuration file) are saved as they were.

#include "fuzz_input.h"
#include "image/file_text.h"
#include "image/sim_names_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // Every byte has a character: text read from a file is saved as it was.
    FUZZ_CHECK(toFileText(fromFileText(file)) == file);

    const SimNamesFile::Parsed parsed = SimNamesFile::parse(file);
    if (parsed.problem != SimNamesFile::Problem::None)
        return 0;
    const SimNamesFile::Content& c = parsed.content;
    FUZZ_CHECK(c.rowCount >= 1 && c.rowCount <= SimNamesFile::kMaxRowCount);
    for (const SimNamesFile::Row& row : c.rows) {
        // A cell holds one line.
        FUZZ_CHECK(!row.number.contains(QLatin1Char('\n')) && !row.name.contains('\n'));
        FUZZ_CHECK(!row.number.contains(QLatin1Char('\r')) && !row.name.contains('\r'));
    }

    const QByteArray saved = SimNamesFile::build(c.rowCount, c.rows);
    FUZZ_CHECK(saved.count('\n') == SimNamesFile::kLines);
    const SimNamesFile::Parsed again = SimNamesFile::parse(saved);
    FUZZ_CHECK(again.problem == SimNamesFile::Problem::None);
    FUZZ_CHECK(again.content.rowCount == c.rowCount);
    FUZZ_CHECK(again.content.rows == c.rows);
    return 0;
}
