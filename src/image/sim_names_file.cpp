#include "image/sim_names_file.h"

#include "image/file_text.h"

#include <QByteArrayView>
#include <algorithm>

namespace SimNamesFile {

namespace {
constexpr char kLineEnd[] = "\r\n";

void appendCellLine(QByteArray& file, const QString& cell) {
    if (!cell.isEmpty()) {
        QByteArray bytes = toFileText(cell);
        bytes.replace('\r', ' ');
        bytes.replace('\n', ' ');
        file += bytes;
    }
    file += kLineEnd;
}

QString cellText(QByteArrayView line) {
    // A lone CR stays a CR in the text, which a cell cannot hold.
    QString text = fromFileText(line);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

QByteArrayView withoutCr(QByteArrayView line) {
    return line.endsWith('\r') ? line.chopped(1) : line;
}
} // namespace

QByteArray build(int rowCount, std::span<const Row> rows) {
    QByteArray file;
    file.reserve(8 + 2 * kRows * 24);
    file += QByteArray::number(rowCount);
    file += kLineEnd;
    const Row empty;
    for (size_t r = 0; r < size_t(kRows); ++r) {
        const Row& row = r < rows.size() ? rows[r] : empty;
        appendCellLine(file, row.number);
        appendCellLine(file, row.name);
    }
    return file;
}

Parsed parse(const QByteArray& file) {
    // The first 501 lines, each without its line end; lines missing at the
    // end stay empty. The line end of the last line is not the start of
    // another.
    std::array<QByteArrayView, kLines> lines;
    const QByteArrayView all(file);
    Parsed p;
    int count = 0;
    for (qsizetype from = 0; from < all.size(); ++count) {
        qsizetype end = all.indexOf('\n', from);
        if (end < 0)
            end = all.size();
        const QByteArrayView line = withoutCr(all.sliced(from, end - from));
        from = end + 1;
        if (count < kLines) {
            lines[size_t(count)] = line;
        } else if (!line.isEmpty()) {
            p.problem = Problem::TooManyLines;
            p.firstLine = fromFileText(lines[0]);
            return p;
        }
    }

    p.firstLine = fromFileText(lines[0]);
    bool ok = false;
    const int rowCount = lines[0].toInt(&ok, 10);
    if (!ok) {
        p.problem = Problem::NotAnInteger;
        return p;
    }
    p.content.rowCount = std::clamp(rowCount, 1, kMaxRowCount);
    for (int r = 0; r < kRows; ++r) {
        p.content.rows[size_t(r)].number = cellText(lines[size_t(1 + 2 * r)]);
        p.content.rows[size_t(r)].name = cellText(lines[size_t(2 + 2 * r)]);
    }
    return p;
}

} // namespace SimNamesFile
