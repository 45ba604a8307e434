#include "i18n/caption_tables.h"

#include <QFile>
#include <QRegularExpression>

static void initCaptionResources() {
    Q_INIT_RESOURCE(captions);
}

namespace CaptionTables {
namespace {

struct Address {
    QString name;
    int first = -1;
    int last = -1;
};

// "Name", "*", "Name[i]" or "Name[a-b]".
std::optional<Address> parseAddress(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\*|[A-Za-z_][A-Za-z0-9_]*)(?:\[(\d+)(?:-(\d+))?\])?$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    Address a{m.captured(1)};
    if (m.capturedLength(2)) {
        a.first = m.captured(2).toInt();
        a.last = m.capturedLength(3) ? m.captured(3).toInt() : a.first;
        if (a.last < a.first || a.name == QLatin1String("*"))
            return std::nullopt;
    }
    return a;
}

// Calls f(cells) for every table line; false from f marks the line bad.
template <class F> bool eachLine(const QByteArray& utf8, int* badLine, F f) {
    if (badLine)
        *badLine = 0;
    const QList<QByteArray> lines = utf8.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        if (!f(QString::fromUtf8(line).split(u'\t'))) {
            if (badLine)
                *badLine = i + 1;
            return false;
        }
    }
    return true;
}

QByteArray resource(const QString& name) {
    static const bool ready = (initCaptionResources(), true);
    (void)ready;
    QFile f(QStringLiteral(":/captions/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QList<CaptionTableRow> load(const QString& name) {
    const QByteArray data = resource(name);
    int bad = 0;
    QList<CaptionTableRow> rows = parse(data, &bad);
    if (bad)
        qFatal("caption table %s: line %d does not parse", qPrintable(name), bad);
    return rows;
}

} // namespace

QList<CaptionTableRow> parse(const QByteArray& utf8, int* badLine) {
    QList<CaptionTableRow> rows;
    const bool ok = eachLine(utf8, badLine, [&rows](const QStringList& cells) {
        if (cells.size() != 1 + kLanguages)
            return false;
        const std::optional<Address> a = parseAddress(cells[0]);
        if (!a)
            return false;
        std::array<std::optional<QString>, 4> texts;
        for (int l = 0; l < kLanguages; ++l)
            if (cells[l + 1] != QLatin1String(kNotSet))
                texts[size_t(l)] = cells[l + 1];
        for (int item = a->first; item <= a->last; ++item)
            rows.append({a->name, item, texts});
        return true;
    });
    return ok ? rows : QList<CaptionTableRow>{};
}

QList<CopyRule> parseCopyRules(const QByteArray& utf8, int* badLine) {
    QList<CopyRule> rules;
    const bool ok = eachLine(utf8, badLine, [&rules](const QStringList& cells) {
        if (cells.size() != 2)
            return false;
        const std::optional<Address> m = parseAddress(cells[0]);
        const std::optional<Address> t = parseAddress(cells[1]);
        if (!m || !t || m->last - m->first != t->last - t->first)
            return false;
        for (int i = 0; i <= m->last - m->first; ++i)
            rules.append({m->name, m->first < 0 ? -1 : m->first + i, t->name,
                          t->first < 0 ? -1 : t->first + i});
        return true;
    });
    return ok ? rules : QList<CopyRule>{};
}

QList<CaptionTableRow> table(const QString& window, int brand) {
    QList<CaptionTableRow> rows = load(window + QStringLiteral(".tsv"));
    if (brand)
        rows += load(QStringLiteral("%1.%2.tsv").arg(window).arg(brand));
    return rows;
}

QList<CaptionTableRow> table(const QString& window, const QString& part) {
    return load(QStringLiteral("%1.%2.tsv").arg(window, part));
}

QList<CopyRule> copyRules(const QString& window) {
    const QString name = window + QStringLiteral(".copy.tsv");
    int bad = 0;
    QList<CopyRule> rules = parseCopyRules(resource(name), &bad);
    if (bad)
        qFatal("copy rules %s: line %d does not parse", qPrintable(name), bad);
    return rules;
}

std::optional<QString> textOf(const QList<CaptionTableRow>& rows, const QString& control,
                              int language, int item) {
    if (language < 0 || language >= kLanguages)
        return std::nullopt;
    std::optional<QString> text;
    for (const CaptionTableRow& r : rows)
        if (r.control == control && r.item == item && r.texts[size_t(language)])
            text = r.texts[size_t(language)];
    return text;
}

} // namespace CaptionTables
