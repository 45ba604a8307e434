#include "report/commissioning_report.h"

#include "discovery/model_table.h"
#include "i18n/caption_tables.h"
#include "i18n/messages.h"
#include "image/file_access.h"
#include "image/module_version.h"
#include "safety/field_map.h"
#include "settings/edition.h"

#include <QBuffer>
#include <QFont>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <algorithm>
#include <vector>

namespace CommissioningReport {
namespace {

constexpr const char* kProductName = "Alvento Configurator";
constexpr uint8_t kErased = 0xFF;

// The installation panel's captions, Edit2 .. Edit7 in order.
constexpr const char* kInstallationLabels[ConfigFile::kTextCount] = {
    "Label58", "Label59", "Label60", "Label61", "Label62", "Label63"};

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

// The configurator's captions in the report's language, found by their
// Hungarian text: the pages, the fields and the list items the field
// descriptions name are the window's own captions.
class Captions {
  public:
    Captions(int brandCode, int language) : language_(language) {
        const QString window = QStringLiteral("TAV4Form1");
        rows_ = CaptionTables::table(window, brandCode);
        // The window's own captions after the report's, so that they win.
        const QList<CaptionTableRow> rows =
            CaptionTables::table(window, QStringLiteral("report")) + rows_;
        for (const CaptionTableRow& row : rows) {
            const auto& hu = row.texts[0];
            const auto& own = row.texts[static_cast<size_t>(language)];
            if (hu && own && !hu->isEmpty())
                byHungarian_[*hu] = *own; // later rows (the edition's) win
        }
    }

    QString operator()(const QString& hungarian) const {
        if (language_ == 0)
            return hungarian;
        const auto it = byHungarian_.constFind(hungarian);
        if (it != byHungarian_.constEnd())
            return *it;
        // "Kimenet 1: mód": the output's caption, then its own.
        static const QRegularExpression part(QStringLiteral("^(.+): (.+)$"));
        if (const auto m = part.match(hungarian);
            m.hasMatch() && byHungarian_.contains(m.captured(1)))
            return byHungarian_.value(m.captured(1)) + QStringLiteral(": ") +
                   (*this)(m.captured(2));
        return hungarian;
    }

    QString control(const char* name, const QString& fallback) const {
        const auto text = CaptionTables::textOf(rows_, QString::fromLatin1(name), language_);
        return text ? *text : fallback;
    }

  private:
    int language_;
    QList<CaptionTableRow> rows_;
    QHash<QString, QString> byHungarian_;
};

QString bare(const QString& caption) {
    return caption.endsWith(QLatin1Char(':')) ? caption.chopped(1) : caption;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

// A value the window would show as nothing: bytes no control can show, an
// empty text, a list of numbers with none ticked.
bool isEmptyValue(const QString& value) {
    return value.startsWith(QLatin1Char('[')) || value == QLatin1String("-") ||
           unquoted(value).trimmed().isEmpty();
}

// An input whose type is the list's first item is not in use: its other
// settings mean nothing to the installation.
bool isUnusedInputType(const FieldMap::Field& field, const QString& value) {
    return field.name == QStringLiteral("Bemenet Típusa:") &&
           value.startsWith(QLatin1String("00/"));
}

QString shownValue(const QString& value, const Captions& captions, int language) {
    if (value == QLatin1String("be"))
        return message("report.on", language);
    if (value == QLatin1String("ki"))
        return message("report.off", language);
    return captions(unquoted(value));
}

// Fields of a control group the dispatcher hides by model, as the field
// descriptions name them: a page and the names, or the start of the names.
struct GroupFields {
    const char* group;
    const char* page;
    const char* names[4];
    bool prefix;
};
// clang-format off
const GroupFields kGroupFields[] = {
    {"PstnGainGroup",     "Egyéb",         {"PSTN Rx Gain:", "PSTN Tx Gain:", "DTMF Rx Gain:", "DTMF Tx Gain:"}, false},
    {"PhoneNumbers5to8",  "Telefonszámok", {"5. telefonszám", "6. telefonszám", "7. telefonszám", "8. telefonszám"}, false},
    {"Output2Group",      "Kimenet",       {"Kimenet 2: "}, true},
    {"ModuleOnlyOptions", "Egyéb",         {"Kimenet mentése memóriába", "Hívószámazonosításkor élesít/hatástalanít",
                                            "Mikrofon üzemmód bekapcsolva"}, false},
};
// clang-format on

ItemRule ruleOf(const QString& item, int modelCode) {
    for (const ConfiguratorItemRow& row : configuratorItemRules())
        if (item == QLatin1String(row.item))
            return ruleFor(row, modelCode);
    return ItemRule::Unchanged;
}

bool fieldShown(const FieldMap::Field& field, int modelCode) {
    for (const GroupFields& g : kGroupFields) {
        if (field.page != QString::fromUtf8(g.page))
            continue;
        for (const char* name : g.names) {
            if (!name)
                continue;
            const QString n = QString::fromUtf8(name);
            if ((g.prefix ? field.name.startsWith(n) : field.name == n))
                return ruleOf(QString::fromLatin1(g.group), modelCode) != ItemRule::Hide;
        }
    }
    return true;
}

// Whether the model's window shows the page: the dispatcher's rules hide
// whole pages by model.
bool pageShown(const QString& caption, int modelCode) {
    QString objectName;
    for (const PageInfo& p : configuratorPages())
        if (QString::fromUtf8(p.caption) == caption)
            objectName = QString::fromLatin1(p.objectName);
    if (objectName.isEmpty())
        return true;
    return ruleOf(objectName, modelCode) != ItemRule::Hide;
}

struct Row {
    QString name;
    QString value;
};

// A Contact ID table: rows by key, cells by column.
struct Table {
    QString title;
    QStringList columns;
    std::vector<QStringList> rows;
};

struct Page {
    QString caption;
    std::vector<Row> rows;
    std::vector<Table> tables;
};

// "Be1: CID" and "Be1: ZONA": one row of the event-code table.
const QRegularExpression kCodePair(QStringLiteral("^(.*) (CID|ZONA)$"));
// "Contact ID kód sor 12": one row of a record table.
const QRegularExpression kRecordRow(QStringLiteral("^(.*) sor (\\d+)$"));
// A record's value: its code, its quoted name, then the SMS numbers when it has them.
const QRegularExpression kRecordValue(QStringLiteral("^(\\S*) \"(.*)\"(?: SMS (.*))?$"));

Table& tableOf(Page& page, const QString& title, const QStringList& columns) {
    for (Table& t : page.tables)
        if (t.title == title)
            return t;
    page.tables.push_back({title, columns, {}});
    return page.tables.back();
}

std::vector<Page> settingsPages(const Facts& f, const Captions& captions, int language) {
    const FieldMap::Decoded decoded = FieldMap::decode(f.image, f.modelCode);
    std::vector<Page> pages;
    QString unusedPage; // the page of an input not in use
    for (const FieldMap::Field& field : FieldMap::fields()) {
        if (!FieldMap::carriedBy(field, f.modelCode) || field.last >= f.imageBytes ||
            !pageShown(field.page, f.modelCode) || !fieldShown(field, f.modelCode))
            continue;
        const QString value = FieldMap::valueText(field, decoded);
        if (field.page == unusedPage || isEmptyValue(value))
            continue;
        if (pages.empty() || pages.back().caption != field.page)
            pages.push_back({field.page, {}, {}});
        Page& page = pages.back();
        if (isUnusedInputType(field, value))
            unusedPage = field.page;

        if (const auto m = kCodePair.match(field.name); m.hasMatch()) {
            Table& t = tableOf(page, QString(),
                               {QString(), QStringLiteral("CID"), QStringLiteral("ZONA")});
            const QString key = bare(captions(m.captured(1)));
            auto row = std::find_if(t.rows.begin(), t.rows.end(),
                                    [&](const QStringList& r) { return r[0] == key; });
            if (row == t.rows.end()) {
                t.rows.push_back({key, QString(), QString()});
                row = t.rows.end() - 1;
            }
            (*row)[m.captured(2) == QLatin1String("CID") ? 1 : 2] = unquoted(value);
            continue;
        }
        if (const auto m = kRecordRow.match(field.name); m.hasMatch()) {
            const auto v = kRecordValue.match(value);
            // A record with neither code nor name is an empty row of the table.
            if (v.hasMatch() && v.captured(1).isEmpty() && v.captured(2).trimmed().isEmpty())
                continue;
            const bool withSms = v.hasMatch() && v.capturedLength(3) > 0;
            Table& t = tableOf(page, captions(m.captured(1)),
                               {message("report.row", language), message("report.code", language),
                                message("report.name", language), QStringLiteral("SMS")});
            if (v.hasMatch())
                t.rows.push_back({m.captured(2), v.captured(1), v.captured(2),
                                  withSms ? v.captured(3) : QString()});
            else
                t.rows.push_back({m.captured(2), value, QString(), QString()});
            continue;
        }
        page.rows.push_back({bare(captions(field.name)), shownValue(value, captions, language)});
    }
    return pages;
}

QString keyValueTable(const std::vector<Row>& rows) {
    QString h =
        QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" border=\"0\">");
    for (const Row& r : rows)
        h += QStringLiteral("<tr><td width=\"45%\" class=\"name\">%1</td><td>%2</td></tr>")
                 .arg(esc(r.name), esc(r.value));
    return h + QStringLiteral("</table>");
}

QString gridTable(Table t) {
    // The partitions have no SMS numbers: a column no row fills goes.
    for (int c = static_cast<int>(t.columns.size()) - 1; c > 0; --c) {
        const bool empty = std::all_of(t.rows.begin(), t.rows.end(), [c](const QStringList& r) {
            return c >= r.size() || r[c].isEmpty();
        });
        if (!empty)
            continue;
        t.columns.removeAt(c);
        for (QStringList& r : t.rows)
            if (c < r.size())
                r.removeAt(c);
    }
    QString h;
    if (!t.title.isEmpty())
        h += QStringLiteral("<p class=\"sub\">%1</p>").arg(esc(t.title));
    h += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\" "
                        "style=\"border-collapse: collapse; border-color: #888888;\"><tr>");
    for (const QString& c : t.columns)
        h += QStringLiteral("<th bgcolor=\"#e4e4e4\">%1</th>").arg(esc(c));
    h += QStringLiteral("</tr>");
    for (const QStringList& r : t.rows) {
        h += QStringLiteral("<tr>");
        for (const QString& c : r)
            h += QStringLiteral("<td>%1</td>").arg(esc(c));
        h += QStringLiteral("</tr>");
    }
    return h + QStringLiteral("</table>");
}

QString heading(const QString& text) {
    return QStringLiteral("<h2>%1</h2>").arg(esc(text));
}

QString editionName(int brandCode) {
    const char* name = edition(brandCode).editionName;
    return name ? QString::fromUtf8(name) : QString();
}

QString sendCheckText(const SendResult& s, int language) {
    switch (s.check) {
    case SendResult::Check::Verified:
        return message("safety.verified", language);
    case SendResult::Check::Differs:
        return message("safety.verify_failed", language);
    case SendResult::Check::NotVerified:
        return message("safety.verify_off", language);
    case SendResult::Check::Abandoned:
        return message("safety.verify_abandoned", language);
    case SendResult::Check::BackupFailed:
        return message("report.send_not_done", language);
    }
    return {};
}

} // namespace

std::optional<int> moduleVersion(const ConfigImage& image) {
    const int v = image[ImageAddress::kModuleVersion];
    if (v == kErased || v == 0)
        return std::nullopt;
    return v;
}

int moduleBuild(const ConfigImage& image) {
    const int b = image[ImageAddress::kBuildNumber];
    return b == kErased ? 0 : b;
}

QString html(const Facts& f, int language) {
    const Captions captions(f.brandCode, language);
    const auto t = [language](const char* key) { return message(key, language); };
    QString h = QStringLiteral("<html><head><style>"
                               "h1 { font-size: 16pt; margin-bottom: 2px; }"
                               "h2 { font-size: 11pt; margin-top: 12px; margin-bottom: 3px; "
                               "     border-bottom: 1px solid #888888; }"
                               "p.sub { font-weight: bold; margin-top: 6px; margin-bottom: 2px; }"
                               "td.name { color: #333333; }"
                               "p.fault { color: #b00000; font-weight: bold; }"
                               "</style></head><body>");

    const QString editionText = editionName(f.brandCode);
    h += QStringLiteral("<p>%1%2</p>")
             .arg(esc(QString::fromLatin1(kProductName)),
                  editionText.isEmpty() ? QString()
                                        : QStringLiteral(" &middot; ") + esc(editionText));
    h += QStringLiteral("<h1>%1</h1>").arg(esc(t("report.title")));
    h += QStringLiteral("<p>%1: %2</p>")
             .arg(esc(t("report.date")),
                  esc(f.generated.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));

    h += heading(t("report.installation"));
    std::vector<Row> installation;
    for (int i = 0; i < ConfigFile::kTextCount; ++i) {
        const QString text = f.installation[static_cast<size_t>(i)].trimmed();
        if (text.isEmpty())
            continue;
        installation.push_back({bare(captions.control(kInstallationLabels[i], QString())), text});
    }
    h += installation.empty() ? QStringLiteral("<p>&ndash;</p>") : keyValueTable(installation);

    h += heading(t("report.module"));
    std::vector<Row> module;
    const QString modelName = modelStatusName(f.modelCode, f.brandCode);
    module.push_back(
        {t("report.model"), QStringLiteral("%1 (ModelCode %2)").arg(modelName).arg(f.modelCode)});
    if (!editionText.isEmpty())
        module.push_back({t("report.edition"), editionText});
    if (const auto v = moduleVersion(f.image))
        module.push_back(
            {t("report.version"),
             QStringLiteral("%1, build %2").arg(versionNumberText(*v)).arg(moduleBuild(f.image))});
    if (!f.imei.isEmpty())
        module.push_back({QStringLiteral("IMEI"), f.imei});
    h += keyValueTable(module);

    if (f.lastSend) {
        h += heading(t("report.last_send"));
        std::vector<Row> send;
        send.push_back({t("report.backup"), f.lastSend->backupFile.isEmpty()
                                                ? QStringLiteral("-")
                                                : f.lastSend->backupFile});
        h += keyValueTable(send);
        const bool fault = f.lastSend->check != SendResult::Check::Verified;
        h += QStringLiteral("<p%1>%2</p>")
                 .arg(fault ? QStringLiteral(" class=\"fault\"") : QString(),
                      esc(sendCheckText(*f.lastSend, language)));
        if (!f.lastSend->differences.isEmpty() &&
            f.lastSend->check != SendResult::Check::Verified) {
            h += QStringLiteral("<ul>");
            for (const QString& line : f.lastSend->differences)
                h += QStringLiteral("<li>%1</li>").arg(esc(line));
            h += QStringLiteral("</ul>");
        }
    }
    if (f.lastStatus) {
        h += heading(t("report.status"));
        h += keyValueTable(
            {{t("report.signal"), QStringLiteral("%1 / 31").arg(f.lastStatus->signal)},
             {t("report.registration"), f.lastStatus->registration}});
    }

    h += heading(t("report.settings"));
    for (const Page& page : settingsPages(f, captions, language)) {
        h += QStringLiteral("<p class=\"sub\">%1</p>").arg(esc(captions(page.caption)));
        if (!page.rows.empty())
            h += keyValueTable(page.rows);
        for (const Table& table : page.tables)
            h += gridTable(table);
    }

    // Room to sign: two lines side by side, each with its caption below.
    h += QStringLiteral("<p>&nbsp;</p><p>%1: ______________________</p><p>&nbsp;</p>")
             .arg(esc(t("report.place_date")));
    h += QStringLiteral(
             "<table width=\"100%\" cellpadding=\"4\"><tr>"
             "<td width=\"50%\" align=\"center\">______________________________<br/>%1</td>"
             "<td width=\"50%\" align=\"center\">______________________________<br/>%2</td>"
             "</tr></table>")
             .arg(esc(t("report.installer_signature")), esc(t("report.customer_signature")));
    h += QStringLiteral("</body></html>");
    return h;
}

QByteArray pdf(const Facts& f, int language) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(message("report.title", language));
        writer.setCreator(QString::fromLatin1(kProductName));
        QTextDocument doc;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        // No ligatures: "fi" stays two letters for a reader's search in the PDF.
        font.setStyleStrategy(QFont::PreferNoShaping);
        font.setPointSizeF(9);
        doc.setDefaultFont(font);
        doc.setHtml(html(f, language));
        doc.print(&writer);
    }
    return buffer.data();
}

bool write(const Facts& f, int language, const QString& path, QString* error) {
    const auto fail = [&](const FileAccess::Error& e) {
        if (error)
            *error = message("report.write_failed", language).arg(path, FileAccess::errorText(e));
        return false;
    };
    if (const FileAccess::Error e = FileAccess::checkWritable(path))
        return fail(e);
    if (const FileAccess::Error e = FileAccess::writeWhole(path, pdf(f, language)))
        return fail(e);
    return true;
}

} // namespace CommissioningReport
