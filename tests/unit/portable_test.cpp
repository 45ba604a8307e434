// Configurations as readable documents: a document read back gives the same
// file byte for byte, carries to another model what both store and lists the
// rest, refuses bad documents with the field and line, and `set` edits a file
// with the pages' checks.
#include "image/config_file.h"
#include "image/image_convert.h"
#include "image/portable_document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <map>

namespace {

using PortableDocument::Configuration;

int imageSizeOf(int model) {
    return model == 100 ? ConfigFile::kFullImageSize : ConfigFile::kShortImageSize;
}

// What an installer saves: the pages' values over a module's memory.
Configuration realistic(int model, int version) {
    Configuration c;
    c.modelCode = model;
    c.version = version;
    c.imageSize = imageSizeOf(model);
    c.image.bytes.fill(0xFF);
    c.image[252] = 3;
    c.image[254] = static_cast<uint8_t>(version);
    c.image[255] = static_cast<uint8_t>(model);
    ImageValues v = defaultImageValues();
    v.phones.numbers[0] = QStringLiteral("+36201234567");
    v.phones.numbers[2] = QStringLiteral("0612345678");
    v.inputs[0].type = 3;
    v.inputs[0].sms = TargetList{true, false, true};
    v.inputs[0].text = QStringLiteral("Bejárati ajtó nyitva");
    v.inputs[1].inverted = true;
    v.outputs[0].seconds = 90;
    v.other.inputFilter = 4;
    v.other.securityCode = QStringLiteral("4711");
    v.other.smsHeader = QStringLiteral("Kovács Kft.");
    v.power.alarmVoltage = 8;
    v.speed.limitKmh = 90;
    v.openClose.openingText = QStringLiteral("nyitva");
    v.speed.input.text = QString::fromUtf8("Gyorshajtás");
    v.remoteMonitoring.account = QStringLiteral("5678");
    if (model == 100) {
        v.codeRecords.partitions[0] =
            PartitionRow{QStringLiteral("01003"), QStringLiteral("Raktár")};
        v.codeRecords.codes[0] =
            ContactIdCodeRow{QStringLiteral("E130"), QStringLiteral("Betörés"), {true}};
    }
    encodeImage(c.image, v, ImageContext{model, 40, QString()});
    c.texts = {QStringLiteral("Kovács Béla"),  QStringLiteral("Budapest, Fő utca 1."),
               QStringLiteral("+36301112222"), QString(),
               QStringLiteral("GSM"),          QStringLiteral("2026.12.11")};
    return c;
}

// Whatever a module may hold: every image byte random.
Configuration randomBytes(int model, int version, quint32 seed) {
    Configuration c = realistic(model, version);
    QRandomGenerator rng(seed);
    for (int a = 0; a < c.imageSize; ++a)
        c.image[a] = static_cast<uint8_t>(rng.bounded(256));
    c.image[254] = static_cast<uint8_t>(version);
    c.image[255] = static_cast<uint8_t>(model);
    return c;
}

QJsonObject fieldsById(const QByteArray& document) {
    QJsonObject out;
    for (const QJsonValue f : QJsonDocument::fromJson(document).object()["fields"].toArray())
        out.insert(f["id"].toString(), f.toObject());
    return out;
}

struct ModelVersion {
    int model;
    int version;
};
const ModelVersion kKinds[] = {{70, 30}, {71, 43},  {80, 30}, {80, 32},
                               {90, 43}, {100, 30}, {100, 43}};

TEST(PortableDocument, ExportThenImportGivesTheFileByteForByte) {
    for (const auto& [model, version] : kKinds) {
        for (const Configuration& c : {realistic(model, version), randomBytes(model, version, 7),
                                       randomBytes(model, version, 11)}) {
            SCOPED_TRACE(testing::Message() << "ModelCode " << model << " v" << version);
            const auto back = PortableDocument::importJson(PortableDocument::exportJson(c));
            ASSERT_TRUE(back.configuration) << back.error.toStdString();
            EXPECT_TRUE(back.notCarried.isEmpty());
            const QByteArray got = PortableDocument::toFile(*back.configuration);
            const QByteArray want = PortableDocument::toFile(c);
            ASSERT_EQ(got.size(), want.size());
            QStringList differing;
            for (int a = 0; a < got.size(); ++a)
                if (got[a] != want[a])
                    differing << QString::number(a);
            EXPECT_EQ(differing, QStringList()) << differing.join(' ').toStdString();
        }
    }
}

TEST(PortableDocument, AnEditedValueChangesOnlyItsOwnBytes) {
    struct Case {
        const char* id;
        QJsonValue value;
        int first;
        int last;
    };
    const Case cases[] = {
        {"SpinKI1", 120, 65, 66},
        {"riasztas", QString::fromUtf8("Hátsó ajtó"), 512, 543},
        {"ComboBox12", QJsonObject{{"item", QString::fromUtf8("Alacsony")}}, 80, 80},
        {"best13", true, 11, 11}, // a box: turned the other way
        {"SMSst1", QJsonArray{3}, 9, 9},
    };
    for (const Case& k : cases) {
        for (const Configuration& c : {realistic(80, 30), randomBytes(80, 30, 5)}) {
            SCOPED_TRACE(k.id);
            QJsonObject doc = QJsonDocument::fromJson(PortableDocument::exportJson(c)).object();
            QJsonArray fields = doc["fields"].toArray();
            QJsonValue value = k.value;
            for (int i = 0; i < fields.size(); ++i)
                if (fields[i].toObject().value("id") == k.id) {
                    QJsonObject f = fields[i].toObject();
                    if (value.isBool())
                        value = !f["value"].toBool();
                    f["value"] = value;
                    fields[i] = f;
                }
            doc["fields"] = fields;
            const auto r = PortableDocument::importJson(QJsonDocument(doc).toJson());
            ASSERT_TRUE(r.configuration) << r.error.toStdString();
            bool changed = false;
            for (int a = 0; a < c.imageSize; ++a) {
                if (a < k.first || a > k.last)
                    ASSERT_EQ(r.configuration->image[a], c.image[a]) << "byte " << a;
                changed = changed || r.configuration->image[a] != c.image[a];
            }
            EXPECT_TRUE(changed);
            const QJsonValue shown = fieldsById(PortableDocument::exportJson(*r.configuration))
                                         .value(k.id)
                                         .toObject()
                                         .value("value");
            if (k.value.isObject())
                EXPECT_EQ(shown.toObject().value("item"), k.value.toObject().value("item"));
            else
                EXPECT_EQ(shown, value);
        }
    }
}

TEST(PortableDocument, ValuesAreWhatTheWindowShows) {
    const auto f = fieldsById(PortableDocument::exportJson(realistic(80, 30)));
    const QJsonDocument doc =
        QJsonDocument::fromJson(PortableDocument::exportJson(realistic(80, 30)));
    EXPECT_EQ(doc["model"].toInt(), 80);
    EXPECT_EQ(doc["version"].toString(), "3.0");
    EXPECT_EQ(f["ComboBox12"]["value"].toObject(),
              (QJsonObject{{"item", QString::fromUtf8("Erős")}, {"stored", 60}}));
    EXPECT_EQ(f["ComboBox12"]["page"].toString(), QString::fromUtf8("Egyéb"));
    EXPECT_EQ(f["ComboBox12"]["caption"].toString(), QString::fromUtf8("Bemenet szűrés"));
    EXPECT_EQ(f["SMSst1"]["value"].toArray(), (QJsonArray{1, 3}));
    EXPECT_EQ(f["riasztas"]["value"].toString(), QString::fromUtf8("Bejárati ajtó nyitva"));
    EXPECT_EQ(f["MaskEdit1"]["value"].toString().trimmed(), "+36201234567");
    EXPECT_EQ(f["SpinKI1"]["value"].toInt(), 90);
    EXPECT_EQ(f["CheckBox2"]["value"].toBool(), true);
    EXPECT_FALSE(f.contains("StringGrid3.1")); // ModelCode 100's grid
    EXPECT_EQ(doc["installation texts"][0].toString(), QString::fromUtf8("Kovács Béla"));
}

// The fields a document of one model names that the other cannot take.
std::map<QString, QStringList> carriedValues(const QByteArray& from, const QByteArray& to) {
    std::map<QString, QStringList> out;
    const QJsonObject a = fieldsById(from);
    const QJsonObject b = fieldsById(to);
    for (auto it = a.begin(); it != a.end(); ++it) {
        const bool same = b.contains(it.key()) && b.value(it.key()).toObject().value("value") ==
                                                      it.value().toObject().value("value");
        out[same ? "same" : b.contains(it.key()) ? "differs" : "absent"] << it.key();
    }
    return out;
}

TEST(PortableDocument, CarriesToAnotherModelWhatBothStore) {
    struct Case {
        ModelVersion from;
        ModelVersion to;
        QStringList notCarried;
        QStringList carried; // a sample
    };
    // ModelCode 100 keeps its access point where the others keep these texts.
    // The lift text is left at its default: nothing is lost.
    const QStringList textsOf70To90{
        QString::fromUtf8("Sebesség / SMS szöveg"),
        QString::fromUtf8("Nyitás/Zárás / SMS szöveg (nyitáskor)"),
    };
    const QStringList common{"MaskEdit1", "MaskEdit3",  "ComboBox1", "SMSst1",
                             "riasztas",  "CheckBox2",  "SpinKI1",   "ComboBox12",
                             "Edit1",     "ComboBox20", "Edit18"};
    const Case cases[] = {
        {{80, 30}, {71, 43}, {}, common + QStringList{"SpinEdit8", "Edit17"}},
        {{71, 43}, {100, 43}, textsOf70To90, common + QStringList{"SpinEdit8", "ComboBox5"}},
        // The grids hold one row each; the empty rows and the connection texts
        // left at their defaults lose nothing.
        {{100, 43},
         {80, 43},
         {QString::fromUtf8("Egyéb / SMS fejléc"), QString::fromUtf8("CID/SMS / Partíció sor 1"),
          QString::fromUtf8("CID/SMS / Contact ID kód sor 1")},
         common},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.from.model << " -> " << k.to.model);
        const QByteArray doc =
            PortableDocument::exportJson(realistic(k.from.model, k.from.version));
        const auto r = PortableDocument::importJson(doc, k.to.model, k.to.version);
        ASSERT_TRUE(r.configuration) << r.error.toStdString();
        EXPECT_EQ(r.notCarried, k.notCarried) << r.notCarried.join('|').toStdString();
        EXPECT_EQ(r.configuration->modelCode, k.to.model);
        EXPECT_EQ(r.configuration->image[254], k.to.version);
        EXPECT_EQ(r.configuration->imageSize, imageSizeOf(k.to.model));
        const auto sides = carriedValues(doc, PortableDocument::exportJson(*r.configuration));
        for (const QString& id : k.carried)
            EXPECT_TRUE(sides.at("same").contains(id)) << id.toStdString();
        // Nothing carried arrives changed, except what the target keeps by its own rule.
        const QStringList differs = sides.count("differs") ? sides.at("differs") : QStringList();
        EXPECT_EQ(differs, QStringList()) << differs.join(' ').toStdString();
        EXPECT_EQ(r.configuration->texts, realistic(80, 30).texts);
    }
}

TEST(PortableDocument, AGridRowIsCheckedAsTheGridChecksIt) {
    QJsonObject doc =
        QJsonDocument::fromJson(PortableDocument::exportJson(realistic(100, 43))).object();
    QJsonArray fields = doc["fields"].toArray();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].toObject().value("id") == "StringGrid2.1") {
            QJsonObject f = fields[i].toObject();
            f["value"] = QJsonObject{{"code", "01003"}, {"name", QString(27, 'n')}};
            fields[i] = f;
        }
    doc["fields"] = fields;
    const auto bad = PortableDocument::importJson(QJsonDocument(doc).toJson());
    EXPECT_FALSE(bad.configuration);
    EXPECT_TRUE(bad.error.contains("StringGrid2.1")) << bad.error.toStdString();
    EXPECT_TRUE(bad.error.contains("at most 26")) << bad.error.toStdString();
}

TEST(PortableDocument, BadDocumentsAreRefusedNamingFieldAndLine) {
    const QByteArray good = PortableDocument::exportJson(realistic(80, 30));
    const auto lineOf = [&](const char* id) {
        const qsizetype at = good.indexOf(QByteArray("\"id\": \"") + id + '"');
        return QStringLiteral("line %1:").arg(good.left(at).count('\n') + 1);
    };
    auto replaced = [&](const char* id, const QByteArray& from, const QByteArray& to) {
        // The value line of the field's object: its keys are sorted, value last.
        const qsizetype at = good.indexOf(QByteArray("\"id\": \"") + id + '"');
        const qsizetype v = good.indexOf(from, at);
        QByteArray doc = good;
        return doc.replace(v, from.size(), to);
    };
    struct Case {
        const char* what;
        QByteArray document;
        QStringList mentions;
    };
    const Case cases[] = {
        {"unknown identifier",
         QByteArray(good).replace("\"id\": \"SpinKI1\"", "\"id\": \"SpinKI9\""),
         {"SpinKI9", "unknown"}},
        {"wrong type",
         replaced("SpinKI1", "\"value\": 90", "\"value\": \"90\""),
         {lineOf("SpinKI1"), "SpinKI1", "whole number"}},
        {"out of range",
         replaced("SpinKI1", "\"value\": 90", "\"value\": 70000"),
         {lineOf("SpinKI1"), "SpinKI1", "70000", "1..65535"}},
        {"not an item",
         replaced("ComboBox12", "\"item\": \"Erős\"", "\"item\": \"Nagyon erős\""),
         {lineOf("ComboBox12"), "ComboBox12"}},
        {"phone slot 9", replaced("SMSst1", "3\n", "9\n"), {lineOf("SMSst1"), "SMSst1", "1..8"}},
        {"another product",
         QByteArray(good).replace("Alvento Configurator", "Radio Memory"),
         {"not a configuration document"}},
        {"truncated", good.left(good.size() / 2), {"not a complete JSON document", "line "}},
        {"empty", QByteArray(), {"not a complete JSON document"}},
        {"model", QByteArray(good).replace("\"model\": 80", "\"model\": 30"), {"\"model\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = PortableDocument::importJson(c.document);
        EXPECT_FALSE(r.configuration);
        for (const QString& m : c.mentions)
            EXPECT_TRUE(r.error.contains(m))
                << r.error.toStdString() << " lacks " << m.toStdString();
    }
}

TEST(PortableDocument, SetChecksLikeThePagesAndChangesOnlyItsField) {
    struct Case {
        QString assignment;
        QString error; // empty: accepted
        int first;     // the bytes it may change
        int last;
        QString shown; // the exported value afterwards
    };
    const Case cases[] = {
        {"MaskEdit2=+36709998877", "", 272, 287, "\"+36709998877\""},
        {"MaskEdit2=06-1-234", "phone number", 0, -1, ""},
        {QString::fromUtf8("ComboBox12=Közepes"), "", 80, 80,
         QString::fromUtf8("{\"item\":\"Közepes\",\"stored\":10}")},
        {"ComboBox12=Maximum", "no item", 0, -1, ""},
        {"SpinEdit4=181", "181 is outside 3..180", 0, -1, ""},
        {"SpinEdit4=180", "", 78, 78, "180"},
        {"SMSst2=1,3", "", 13, 13, "[1,3]"},
        {"best13=be", "", 11, 11, "true"},
        {"NoSuchField=1", "unknown field", 0, -1, ""},
        {"StringGrid3.1={\"code\":\"E130\",\"name\":\"x\",\"sms\":[]}",
         "not stored by ModelCode 80", 0, -1, ""},
    };
    for (const Case& k : cases)
        for (const Configuration& before : {realistic(80, 30), randomBytes(80, 30, 9)}) {
            SCOPED_TRACE(k.assignment.toStdString());
            Configuration c = before;
            const QString error = PortableDocument::setFields(c, {k.assignment});
            if (!k.error.isEmpty()) {
                EXPECT_TRUE(error.contains(k.error)) << error.toStdString();
                EXPECT_EQ(PortableDocument::toFile(c), PortableDocument::toFile(before));
                continue;
            }
            ASSERT_EQ(error, QString());
            for (int a = 0; a < c.imageSize; ++a)
                if (a < k.first || a > k.last)
                    ASSERT_EQ(c.image[a], before.image[a]) << "byte " << a;
            const QString id = k.assignment.section('=', 0, 0);
            const QJsonValue shown =
                fieldsById(PortableDocument::exportJson(c)).value(id).toObject().value("value");
            const QString text =
                shown.isString()   ? '"' + shown.toString().trimmed() + '"'
                : shown.isDouble() ? QString::number(shown.toInt())
                : shown.isBool()
                    ? (shown.toBool() ? "true" : "false")
                    : QString::fromUtf8(
                          QJsonDocument(QJsonArray{shown}).toJson(QJsonDocument::Compact))
                          .mid(1)
                          .chopped(1);
            EXPECT_EQ(text, k.shown);
        }
}

TEST(PortableDocument, SetRefusesEverythingWhenOneValueIsBad) {
    const Configuration before = realistic(80, 30);
    Configuration c = before;
    EXPECT_FALSE(PortableDocument::setFields(c, {"SpinEdit4=100", "SpinEdit5=0"}).isEmpty());
    EXPECT_EQ(PortableDocument::toFile(c), PortableDocument::toFile(before));
}

} // namespace
