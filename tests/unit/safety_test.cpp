// The safety net's parts without a module: the backup store, which bytes a
// write is checked on, and the field-by-field difference of two images.

#include "image/image_convert.h"
#include "safety/backup_store.h"
#include "safety/field_map.h"
#include "safety/write_verify.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ConfigImage randomImage(quint32 seed, int model, int version) {
    QRandomGenerator rng(seed);
    ConfigImage image;
    for (auto& b : image.bytes)
        b = static_cast<uint8_t>(rng.bounded(256));
    image[254] = static_cast<uint8_t>(version);
    image[255] = static_cast<uint8_t>(model);
    return image;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// ---------------------------------------------------------------- backups

class BackupStoreTest : public ::testing::Test {
  protected:
    QTemporaryDir dir_;
    QString folder() const { return dir_.filePath(QStringLiteral("backups")); }
    QDateTime at(int minute) const {
        return QDateTime(QDate(2026, 3, 1), QTime(10, 0).addSecs(60 * minute));
    }
};

TEST_F(BackupStoreTest, AConfigurationFileOfTheModuleNamedByTimeModelAndAccount) {
    ConfigImage module = randomImage(1, 70, 32);
    // Account "1234" as DigitCodes.
    module[1024] = 1;
    module[1025] = 2;
    module[1026] = 3;
    module[1027] = 4;
    BackupStore store(folder());
    const BackupStore::Result r = store.save(module, 70, 32, at(0));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(QFileInfo(r.path).fileName(), QStringLiteral("2026-03-01_100000-000_M70_A1234.dat"));
    const QByteArray file = readFile(r.path);
    ASSERT_EQ(file.size(), 1024 + 768);
    EXPECT_EQ(file.left(1024), QByteArray(reinterpret_cast<const char*>(module.data()), 1024));
    // A byte module has nothing beyond the file's image.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files).size(), 1);
}

TEST_F(BackupStoreTest, ABlockModuleKeepsTheBytesBeyondTheFileBesideIt) {
    const ConfigImage module = randomImage(2, 90, 43);
    BackupStore store(folder());
    const BackupStore::Result r = store.save(module, 90, 43, at(0));
    ASSERT_TRUE(r.ok);
    QString extra = r.path;
    extra.replace(QStringLiteral(".dat"), QStringLiteral(".1024-1535.bin"));
    EXPECT_EQ(readFile(extra),
              QByteArray(reinterpret_cast<const char*>(module.data()) + 1024, 512));
}

TEST_F(BackupStoreTest, ModelCode100KeepsAllItsRecordsAndHasNoAccount) {
    const ConfigImage module = randomImage(3, 100, 43);
    BackupStore store(folder());
    const BackupStore::Result r = store.save(module, 100, 43, at(0));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.path.endsWith(QStringLiteral("_M100_Anone.dat"))) << r.path.toStdString();
    EXPECT_EQ(readFile(r.path).left(8192),
              QByteArray(reinterpret_cast<const char*>(module.data()), 8192));
}

TEST_F(BackupStoreTest, OnlyTheNewestOfEachModuleAreKept) {
    BackupStore store(folder());
    ConfigImage a = randomImage(4, 71, 43);
    a.fill(0xFF, 1024, 4); // no account
    ConfigImage b = a;
    b[1024] = 5;
    b[1025] = 6;
    b[1026] = 7;
    b[1027] = 8;
    const int rounds = BackupStore::kKeptPerModule + 3;
    for (int i = 0; i < rounds; ++i) {
        ASSERT_TRUE(store.save(a, 71, 43, at(i)).ok);
        ASSERT_TRUE(store.save(b, 71, 43, at(i)).ok);
    }
    const QStringList kept = store.backupsOf(71, QStringLiteral("none"));
    ASSERT_EQ(kept.size(), BackupStore::kKeptPerModule);
    // The three oldest went, with the bytes kept beside them.
    EXPECT_TRUE(kept.front().contains(at(3).toString(QStringLiteral("yyyy-MM-dd_HHmmss"))));
    EXPECT_EQ(store.backupsOf(71, QStringLiteral("5678")).size(), BackupStore::kKeptPerModule);
    EXPECT_EQ(QDir(folder()).entryList({QStringLiteral("*.bin")}, QDir::Files).size(),
              2 * BackupStore::kKeptPerModule);
}

TEST_F(BackupStoreTest, AFolderThatCannotBeMadeIsReportedAndNothingOlderIsRemoved) {
    QFile blocker(dir_.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    BackupStore store(dir_.filePath(QStringLiteral("file/backups")));
    const BackupStore::Result r = store.save(randomImage(5, 70, 32), 70, 32, at(0));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(r.path.isEmpty());
}

// ---------------------------------------------------------------- verify

struct CheckedCase {
    int model;
    int version;
    bool starred;
    int address;
    bool checked;
};

TEST(WriteVerifyTest, WhichBytesAWriteIsCheckedOn) {
    const CheckedCase cases[] = {
        // The module's own bytes, whatever the method.
        {70, 32, false, 75, false},
        {70, 32, true, 254, false},
        {71, 43, false, 255, false},
        {100, 43, false, 75, false},
        // The edition tag goes by bytes only for a starred company; blocks carry it.
        {70, 32, false, 384, false},
        {70, 32, true, 384, true},
        {71, 43, false, 399, true},
        // Byte writes end at 1023, blocks at 1535.
        {70, 32, false, 1023, true},
        {70, 32, false, 1024, false},
        {71, 43, false, 1535, true},
        {71, 43, false, 1536, false},
        // ModelCode 100: records 32..255 after bytes, 48..208 after blocks.
        {100, 32, false, 8191, true},
        {100, 43, false, 6687, true},
        {100, 43, false, 6688, false},
        {100, 43, false, 1600, true},
        {100, 32, false, 252, false}, // the build number
        {100, 32, false, 253, true},
    };
    for (const CheckedCase& c : cases)
        EXPECT_EQ(WriteVerify::checked(c.address, c.model, c.version, c.starred), c.checked)
            << "model " << c.model << " v" << c.version << " starred " << c.starred << " address "
            << c.address;
}

TEST(WriteVerifyTest, CompareFindsExactlyTheCheckedBytesThatDiffer) {
    const ConfigImage sent = randomImage(6, 71, 43);
    ConfigImage found = sent;
    for (int a : {0, 75, 254, 700, 1535, 1536, 4000})
        found[a] = static_cast<uint8_t>(~found[a]);
    const auto d = WriteVerify::compare(sent, found, 71, 43, false);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].address, 0);
    EXPECT_EQ(d[1].address, 700);
    EXPECT_EQ(d[2].address, 1535);
    EXPECT_EQ(d[1].sent, sent[700]);
    EXPECT_EQ(d[1].found, found[700]);
}

// ---------------------------------------------------------------- field map

ConfigImage encoded(const ConfigImage& base, const ImageValues& values, int model) {
    ConfigImage image = base;
    encodeImage(image, values, ImageContext{model, 40, QStringLiteral("PLAIN")});
    return image;
}

TEST(FieldMapTest, EditsShowAsTheirFieldsWithThePagesValuesAndNothingElse) {
    const int model = 70;
    ImageValues values = defaultImageValues();
    const ConfigImage before = encoded(randomImage(7, model, 32), values, model);
    ImageValues edited;
    edited.phones.numbers[2] = QStringLiteral("+3630123456");
    edited.inputs[1].type = 3;
    edited.inputs[1].text = QStringLiteral("Ablak nyitva");
    edited.outputs[1].seconds = 90;
    edited.other.ringSeconds = 45;
    edited.remoteMonitoring.account = QStringLiteral("4321");
    const ConfigImage after = encoded(before, edited, model);

    const auto d = FieldMap::diff(before, after, model);
    QStringList names;
    for (const auto& f : d)
        names << f.page + QStringLiteral(" / ") + f.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Telefonszámok / 3. telefonszám"),
                                  QStringLiteral("Be2 / Bemenet Típusa:"),
                                  QStringLiteral("Be2 / SMS szöveg:"),
                                  QStringLiteral("Kimenet / Kimenet 2: idő [sec]"),
                                  QStringLiteral("Egyéb / Csöngetési idő [sec]:"),
                                  QStringLiteral("Távfelügyelet / Ügyfélkód:")}));
    ASSERT_EQ(d.size(), 6u);
    EXPECT_EQ(d[0].right, QStringLiteral("\"+3630123456\""));
    EXPECT_EQ(d[1].right, QStringLiteral("03/ Központi bemenet"));
    EXPECT_EQ(d[2].right, QStringLiteral("\"Ablak nyitva\""));
    EXPECT_EQ(d[3].right, QStringLiteral("90"));
    EXPECT_EQ(FieldMap::line(d[4]),
              QStringLiteral("Egyéb / Csöngetési idő [sec]: %1 -> 45").arg(d[4].left));
}

TEST(FieldMapTest, TheSameImageHasNoDifferenceAndEachModelItsOwnFields) {
    for (int model : {70, 71, 80, 90, 100}) {
        const ConfigImage image = randomImage(8u + model, model, 43);
        EXPECT_TRUE(FieldMap::diff(image, image, model).empty()) << model;
    }
    // 640 is the speed text on 70..90 and the access point on 100.
    EXPECT_EQ(FieldMap::fieldsAt(640, 70), QStringList{QStringLiteral("Sebesség / SMS szöveg")});
    EXPECT_EQ(FieldMap::fieldsAt(640, 100), QStringList{QStringLiteral("GPRS / APN")});
    EXPECT_TRUE(FieldMap::fieldsAt(253, 70).isEmpty());
}

// A value no control can show still counts: the stored bytes differ.
TEST(FieldMapTest, UnshowableValuesDifferByTheirBytes) {
    ConfigImage a = randomImage(9, 70, 32);
    a[12] = 0x09; // input 2: type 9 is no list item
    ConfigImage b = a;
    b[12] = 0x0A;
    const auto d = FieldMap::diff(a, b, 70);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].name, QStringLiteral("Bemenet Típusa:"));
    EXPECT_EQ(d[0].left, QStringLiteral("[09]"));
    EXPECT_EQ(d[0].right, QStringLiteral("[0A]"));
}

TEST(FieldMapTest, VerifyNamesTheFieldWhoseByteWasNotStored) {
    const ImageValues values = defaultImageValues();
    const ConfigImage sent = encoded(randomImage(10, 80, 32), values, 80);
    ConfigImage found = sent;
    found[78] = static_cast<uint8_t>(sent[78] + 1);  // ring time
    found[1000] = static_cast<uint8_t>(~sent[1000]); // restore text, past its end?
    found[253] = static_cast<uint8_t>(~sent[253]);   // no field
    const auto diffs = WriteVerify::compare(sent, found, 80, 32, false);
    const QStringList lines = WriteVerify::describe(diffs, sent, found, 80, 1);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("Egyéb / Csöngetési idő [sec]: sent ")))
        << lines.front().toStdString();
    EXPECT_TRUE(lines.back().startsWith(QStringLiteral("byte 253: sent ")))
        << lines.back().toStdString();
    // The fields keep the pages' names; the rest speaks the language.
    const QStringList hungarian = WriteVerify::describe(diffs, sent, found, 80, 0);
    ASSERT_EQ(hungarian.size(), lines.size());
    EXPECT_TRUE(
        hungarian.front().startsWith(QStringLiteral("Egyéb / Csöngetési idő [sec]: elküldve ")))
        << hungarian.front().toStdString();
    EXPECT_TRUE(hungarian.back().startsWith(QStringLiteral("253. bájt: elküldve ")))
        << hungarian.back().toStdString();
}

} // namespace

// Every byte Encode writes from a page's value belongs to a field of the map,
// so a field added to a page and to Encode shows in compare and verify, or
// this fails. Encode also writes fixed bytes no page shows: the reserved
// records (zeros), 111 and 112 (7) and the edition tag.
TEST(FieldMapTest, EveryByteEncodeWritesFromThePagesIsAField) {
    auto fixed = [](int a) {
        return (a >= 32 && a <= 39) || (a >= 52 && a <= 63) || a == 111 || a == 112 ||
               (a >= 384 && a <= 399);
    };
    for (int model : {70, 71, 80, 90, 100}) {
        for (uint8_t fill : {uint8_t(0x00), uint8_t(0xAA), uint8_t(0xFF)}) {
            ConfigImage image;
            image.fill(fill, 0, ConfigImage::kSize);
            encodeImage(image, defaultImageValues(),
                        ImageContext{model, 40, QStringLiteral("PLAIN")});
            for (int a = 0; a < ConfigImage::kSize; ++a)
                if (image[a] != fill && !fixed(a))
                    EXPECT_FALSE(FieldMap::fieldsAt(a, model).isEmpty())
                        << "model " << model << " byte " << a << " has no field";
        }
    }
}
