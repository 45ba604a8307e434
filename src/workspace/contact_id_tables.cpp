#include "workspace/contact_id_tables.h"

#include <QFile>

static void initTableResources() {
    Q_INIT_RESOURCE(tables);
}

namespace ContactIdTables {
namespace {

QString codeInput(const QString& text, int length) {
    QString code = text.left(length);
    return code.size() == length ? code.toUpper() : code;
}

QList<Entry> loadBuiltIn(const char* resource) {
    static const bool ready = (initTableResources(), true);
    (void)ready;
    QFile f(QString::fromLatin1(resource));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("built-in table %s is missing", resource);
    int bad = 0;
    QList<Entry> entries = parseTable(f.readAll(), &bad);
    if (bad)
        qFatal("built-in table %s: line %d has no tab", resource, bad);
    return entries;
}

} // namespace

QString partitionCodeInput(const QString& text) {
    return codeInput(text, kPartitionCodeLength);
}

QString eventCodeInput(const QString& text) {
    return codeInput(text, kEventCodeLength);
}

QString nameInput(const QString& text) {
    return text.left(kNameLength);
}

QList<Entry> parseTable(const QByteArray& utf8, int* badLine) {
    QList<Entry> entries;
    if (badLine)
        *badLine = 0;
    const QList<QByteArray> lines = utf8.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0) {
            if (badLine)
                *badLine = i + 1;
            return {};
        }
        entries.append({QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1))});
    }
    return entries;
}

const QList<Entry>& partitionTemplate() {
    static const QList<Entry> table = loadBuiltIn(":/tables/partition_template.tsv");
    return table;
}

const QList<Entry>& defaultContactIdCodes() {
    static const QList<Entry> table = loadBuiltIn(":/tables/contact_id_defaults.tsv");
    return table;
}

} // namespace ContactIdTables
