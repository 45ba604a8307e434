#include "image/sim_names_file.h"

#include "image/file_text.h"

#include <QList>
#include <algorithm>

namespace SimNamesFile {

namespace {
const QByteArray kLineEnd("\r\n");

QByteArray cellLine(const QString& cell) {
    QByteArray bytes = toFileText(cell);
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes + kLineEnd;
}

QString cellText(QByteArray line) {
    // A lone CR stays a CR in the text, which a cell cannot hold.
    line.replace('\r', ' ');
    return fromFileText(line);
}
} // namespace

QByteArray build(int rowCount, std::span<const Row> rows) {
    QByteArray file = QByteArray::number(rowCount) + kLineEnd;
    for (size_t r = 0; r < size_t(kRows); ++r) {
        const Row row = r < rows.size() ? rows[r] : Row{};
        file += cellLine(row.number);
        file += cellLine(row.name);
    }
    return file;
}

Parsed parse(const QByteArray& file) {
    QList<QByteArray> lines = file.split('\n');
    // The line end of the last line is not the start of another.
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);

    Parsed p;
    p.firstLine = fromFileText(lines.value(0));
    for (qsizetype i = kLines; i < lines.size(); ++i)
        if (!lines[i].isEmpty()) {
            p.problem = Problem::TooManyLines;
            return p;
        }
    bool ok = false;
    const int count = lines.value(0).toInt(&ok, 10);
    if (!ok) {
        p.problem = Problem::NotAnInteger;
        return p;
    }
    p.content.rowCount = std::clamp(count, 1, kMaxRowCount);
    for (int r = 0; r < kRows; ++r) {
        p.content.rows[size_t(r)].number = cellText(lines.value(1 + 2 * r));
        p.content.rows[size_t(r)].name = cellText(lines.value(2 + 2 * r));
    }
    return p;
}

} // namespace SimNamesFile
