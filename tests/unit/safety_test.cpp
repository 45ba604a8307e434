// The safety net's parts without a module: the backup store, which bytes a
// write is checked on, and the field-by-field difference of two images.

#include "image/field_table.h"
#include "image/image_codecs.h"
#include "image/image_convert.h"
#include "safety/backup_store.h"
#include "safety/field_map.h"
#include "safety/write_verify.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
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
    // Minutes after 2026-03-01 10:00 UTC.
    static QDateTime at(int minute) {
        return QDateTime(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC).addSecs(60 * minute);
    }
    static QDateTime daysAgo(double days) { return at(0).addSecs(qint64(-days * 86400)); }
    void touch(const QString& name) {
        QDir().mkpath(folder());
        QFile f(QDir(folder()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1024 + 768, '\xFF'));
    }
    QStringList names() const {
        return QDir(folder()).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    }
};

// A module of ModelCode 100 (no account) whose first phone number is `phone`.
ConfigImage moduleCalling(const char* phone, quint32 seed = 9) {
    ConfigImage module = randomImage(seed, 100, 43);
    writePhoneNumber(module, 256, QString::fromLatin1(phone));
    for (int n = 1; n < 8; ++n)
        writePhoneNumber(module, 256 + 16 * n, QString());
    return module;
}

TEST_F(BackupStoreTest, AConfigurationFileOfTheModuleNamedByUtcTimeModelAndAccount) {
    ConfigImage module = randomImage(1, 70, 43);
    // Account "1234" as DigitCodes.
    module[1024] = 1;
    module[1025] = 2;
    module[1026] = 3;
    module[1027] = 4;
    BackupStore store(folder());
    const BackupStore::Result r =
        store.save(module, 70, 43, QDateTime(QDate(2026, 3, 1), QTime(10, 0), QTimeZone(3600)));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(QFileInfo(r.path).fileName(), QStringLiteral("2026-03-01T090000-000Z_M70_A1234.dat"));
    const QByteArray file = readFile(r.path);
    ASSERT_EQ(file.size(), 1024 + 768);
    EXPECT_EQ(file.left(1024), QByteArray(reinterpret_cast<const char*>(module.data()), 1024));
    const std::vector<BackupStore::Backup> all = store.all();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].taken, at(-60));
    EXPECT_EQ(all[0].key, (BackupStore::ModuleKey{70, QStringLiteral("1234"), QString()}));
}

TEST_F(BackupStoreTest, ABlockModuleKeepsTheBytesBeyondTheFileBesideItAndLoadGivesThemBack) {
    const ConfigImage module = randomImage(2, 90, 43);
    BackupStore store(folder());
    const BackupStore::Result r = store.save(module, 90, 43, at(0));
    ASSERT_TRUE(r.ok);
    QString extra = r.path;
    extra.replace(QStringLiteral(".dat"), QStringLiteral(".1024-1535.bin"));
    EXPECT_EQ(readFile(extra),
              QByteArray(reinterpret_cast<const char*>(module.data()) + 1024, 512));
    const BackupStore::Loaded back = BackupStore::load(r.path, 90);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.carriedBytes, 1536);
    for (int a = 0; a < 1536; ++a)
        ASSERT_EQ(back.image[a], module[a]) << a;
    // Without the bytes beside it, only the file's.
    QFile::remove(extra);
    EXPECT_EQ(BackupStore::load(r.path, 90).carriedBytes, 1024);
    EXPECT_FALSE(BackupStore::load(r.path, 100).ok) << "a file of the other kind";
}

TEST_F(BackupStoreTest, WithoutAnAccountThePhoneNumbersTellModulesApart) {
    const ConfigImage module = moduleCalling("+36301234567");
    BackupStore store(folder());
    const BackupStore::Result r = store.save(module, 100, 43, at(0));
    ASSERT_TRUE(r.ok);
    const BackupStore::ModuleKey key = BackupStore::keyOf(module, 100, 43);
    EXPECT_EQ(key.account, QStringLiteral("none"));
    EXPECT_EQ(key.installation.size(), 8);
    EXPECT_TRUE(r.path.endsWith(QStringLiteral("_M100_Anone_P%1.dat").arg(key.installation)))
        << r.path.toStdString();
    EXPECT_EQ(readFile(r.path).left(8192),
              QByteArray(reinterpret_cast<const char*>(module.data()), 8192));
    // Other numbers, another module; the same numbers in other settings, the same.
    EXPECT_NE(BackupStore::keyOf(moduleCalling("+36301234568"), 100, 43), key);
    EXPECT_EQ(BackupStore::keyOf(moduleCalling("+36301234567", 10), 100, 43), key);
    // A byte module's read ends before the account: whatever lies there, none.
    ConfigImage bytes = randomImage(3, 71, 32);
    bytes[1024] = 1;
    EXPECT_EQ(BackupStore::accountOf(bytes, 71, 32), QStringLiteral("none"));
}

// Three modules of one model with erased accounts: B written many times over
// months, A and C once long ago. Each keeps its own newest backups.
TEST_F(BackupStoreTest, NoModuleLosesItsLastBackupToAnother) {
    BackupStore store(folder());
    const ConfigImage a = moduleCalling("111"), b = moduleCalling("222"), c = moduleCalling("333");
    ASSERT_TRUE(store.save(a, 100, 43, daysAgo(200)).ok);
    ASSERT_TRUE(store.save(c, 100, 43, daysAgo(199)).ok);
    const int writesOfB = BackupStore::kKeptPerModule + 15;
    for (int i = 0; i < writesOfB; ++i)
        ASSERT_TRUE(store.save(b, 100, 43, daysAgo(4 * (writesOfB - 1 - i))).ok);
    EXPECT_EQ(store.backupsOf(BackupStore::keyOf(a, 100, 43)).size(), 1u);
    EXPECT_EQ(store.backupsOf(BackupStore::keyOf(c, 100, 43)).size(), 1u);
    // B: the newest ten, and besides those younger than 30 days.
    const auto ofB = store.backupsOf(BackupStore::keyOf(b, 100, 43));
    int young = 0;
    for (int i = 0; i < writesOfB; ++i)
        young += 4 * i < BackupStore::kKeptDays;
    EXPECT_EQ(int(ofB.size()), std::max(BackupStore::kKeptPerModule, young));
    EXPECT_EQ(ofB.front().taken, daysAgo(0));
    for (size_t i = 1; i < ofB.size(); ++i)
        EXPECT_GT(ofB[i - 1].taken, ofB[i].taken);
    // The listing for a module without an account offers all of them.
    EXPECT_EQ(store.backupsFor(BackupStore::keyOf(a, 100, 43)).size(), ofB.size() + 2);
}

TEST_F(BackupStoreTest, EverythingYoungerThanThirtyDaysIsKept) {
    BackupStore store(folder());
    const ConfigImage m = moduleCalling("444");
    for (int i = 0; i < 25; ++i)
        ASSERT_TRUE(store.save(m, 100, 43, daysAgo(29 - i)).ok);
    EXPECT_EQ(store.backupsOf(BackupStore::keyOf(m, 100, 43)).size(), 25u);
}

// A clock set back makes the new backup look oldest: it stays all the same,
// beside the newest ten.
TEST_F(BackupStoreTest, ABackupTakenWithTheClockSetBackIsKept) {
    BackupStore store(folder());
    const ConfigImage m = moduleCalling("555");
    for (int i = 0; i < BackupStore::kKeptPerModule; ++i)
        ASSERT_TRUE(store.save(m, 100, 43, daysAgo(100 - i)).ok);
    const BackupStore::Result r = store.save(m, 100, 43, daysAgo(400));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(QFileInfo::exists(r.path));
    EXPECT_EQ(store.backupsOf(BackupStore::keyOf(m, 100, 43)).size(),
              size_t(BackupStore::kKeptPerModule + 1));
}

// Installers have backups named by local time: listed, ordered among the new
// ones, and kept by the same rule; those of a module without an account are
// never taken for another module's.
TEST_F(BackupStoreTest, BackupsOfTheEarlierNameFormatAreListedAndKept) {
    touch(QStringLiteral("2025-01-01_100000-000_M100_Anone.dat"));
    touch(QStringLiteral("2025-01-02_100000-000_M71_A1234.dat"));
    touch(QStringLiteral("notes.dat"));
    BackupStore store(folder());
    const std::vector<BackupStore::Backup> all = store.all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].key, (BackupStore::ModuleKey{71, QStringLiteral("1234"), QString()}));
    EXPECT_EQ(all[0].taken, QDateTime(QDate(2025, 1, 2), QTime(10, 0)).toUTC());
    EXPECT_EQ(all[1].key, (BackupStore::ModuleKey{100, QStringLiteral("none"), QString()}));

    const ConfigImage m = moduleCalling("666");
    for (int i = 0; i < BackupStore::kKeptPerModule + 2; ++i)
        ASSERT_TRUE(store.save(m, 100, 43, at(i)).ok);
    EXPECT_TRUE(QFileInfo::exists(
        QDir(folder()).filePath(QStringLiteral("2025-01-01_100000-000_M100_Anone.dat"))));
    EXPECT_EQ(store.backupsFor(BackupStore::keyOf(m, 100, 43)).back().key.installation, QString());

    ConfigImage accounted = randomImage(7, 71, 43);
    accounted[1024] = 1;
    accounted[1025] = 2;
    accounted[1026] = 3;
    accounted[1027] = 4;
    for (int i = 0; i < BackupStore::kKeptPerModule; ++i)
        ASSERT_TRUE(store.save(accounted, 71, 43, at(i)).ok);
    // The eleventh of the key is the oldest, from the earlier format, and over 30 days old.
    EXPECT_FALSE(QFileInfo::exists(
        QDir(folder()).filePath(QStringLiteral("2025-01-02_100000-000_M71_A1234.dat"))));
    EXPECT_TRUE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("notes.dat"))));
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

// A value outside a control's choices still counts, named by the stored
// value: a list's in brackets, a spin's as the number.
TEST(FieldMapTest, UnshowableValuesDifferByTheirBytes) {
    const struct {
        int address;
        uint8_t left, right;
        const char* name;
        const char* leftText;
        const char* rightText;
    } cases[] = {
        {12, 0x09, 0x0A, "Bemenet Típusa:", "[9]", "[10]"}, // input 2: no such types
        {79, 213, 180, "Max hivásismétlések száma", "213", "180"},
        {80, 15, 3, "Bemenet szűrés", "[15]", "Normál"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        ConfigImage a = randomImage(9, 70, 32);
        a[c.address] = c.left;
        ConfigImage b = a;
        b[c.address] = c.right;
        const auto d = FieldMap::diff(a, b, 70);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d[0].name, QString::fromUtf8(c.name));
        EXPECT_EQ(d[0].left, QString::fromUtf8(c.leftText));
        EXPECT_EQ(d[0].right, QString::fromUtf8(c.rightText));
    }
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

// A byte no field holds still shows: as itself, with both values, and only
// within the bytes both sides carry.
TEST(FieldMapTest, BytesOutsideEveryFieldAreListedWithTheirValues) {
    struct Case {
        const char* what;
        int model;
        int address;
        int carriedBytes;
        bool listed;
    } cases[] = {
        {"no field", 70, 253, ConfigImage::kSize, true},
        {"the server text is ModelCode 100's only", 70, 420, ConfigImage::kSize, true},
        {"the server text", 100, 420, ConfigImage::kSize, false},
        {"the ring time", 80, 78, ConfigImage::kSize, false},
        {"past the text's terminator, still its field", 70, 1000, ConfigImage::kSize, false},
        {"beyond what a short file carries", 70, 1500, 1024, false},
        {"beyond every field", 100, 8000, ConfigImage::kSize, true},
    };
    for (const Case& c : cases) {
        const ConfigImage a = randomImage(11, c.model, 43);
        ConfigImage b = a;
        b[c.address] = static_cast<uint8_t>(~a[c.address]);
        const auto others = FieldMap::otherBytes(a, b, c.model, c.carriedBytes);
        if (!c.listed) {
            EXPECT_TRUE(others.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(others.size(), 1u) << c.what;
        EXPECT_EQ(others[0].address, c.address) << c.what;
        EXPECT_EQ(others[0].left, a[c.address]) << c.what;
        EXPECT_EQ(others[0].right, b[c.address]) << c.what;
        EXPECT_TRUE(FieldMap::diff(a, b, c.model, c.carriedBytes).empty()) << c.what;
        EXPECT_EQ(FieldMap::line(others[0]),
                  QString::asprintf("byte %d: %02X -> %02X", c.address, a[c.address], b[c.address]))
            << c.what;
    }
}

// Each field of the table alone: Encode writes nothing outside the bytes the
// table gives that value, so compare and verify name the right field.
TEST(FieldTableTest, EachValueAloneWritesOnlyItsOwnBytes) {
    const ImageValues defaults = defaultImageValues();
    const auto& fields = FieldTable::fields();
    for (int model : {70, 100}) {
        const ImageContext context{model, 40, QStringLiteral("PLAIN")};
        const ConfigImage base = randomImage(12, model, 43);
        ConfigImage untouched = base;
        encodeImage(untouched, ImageValues{}, context);
        for (size_t i : FieldTable::distinctSlots()) {
            const FieldTable::Field& field = fields[i];
            if (!FieldTable::carriedBy(field.carried, model))
                continue;
            ImageValues one;
            std::visit(
                [&](auto* slot) {
                    using P = decltype(slot);
                    *slot =
                        *std::get<P>(FieldTable::slotOf(field, const_cast<ImageValues&>(defaults)));
                },
                FieldTable::slotOf(field, one));
            ConfigImage image = base;
            encodeImage(image, one, context);
            for (int a = 0; a < ConfigImage::kSize; ++a) {
                if (image[a] == untouched[a])
                    continue;
                bool own = false;
                for (const FieldTable::Field& f : fields)
                    own = own ||
                          (f.slot(one) == FieldTable::slotOf(field, one) &&
                           FieldTable::carriedBy(f.carried, model) && a >= f.first && a <= f.last);
                EXPECT_TRUE(own) << "model " << model << " " << field.control.toStdString()
                                 << " wrote byte " << a;
            }
        }
    }
}

// One row per control (or grid row) for each model, list values that Encode
// can store, and defaults of the slot's own type.
TEST(FieldTableTest, RowsAreWhole) {
    const ImageValues defaults = defaultImageValues(); // a default of the wrong type throws
    for (int model : {70, 71, 80, 90, 100}) {
        QSet<QString> seen;
        for (const FieldTable::Field& f : FieldTable::fields()) {
            EXPECT_LE(0, f.first) << f.name.toStdString();
            EXPECT_LE(f.first, f.last) << f.name.toStdString();
            EXPECT_LT(f.last, ConfigImage::kSize) << f.name.toStdString();
            if (!FieldTable::carriedBy(f.carried, model) || f.control.isEmpty())
                continue;
            const QString key = f.control + QLatin1Char(':') + QString::number(f.cell);
            EXPECT_FALSE(seen.contains(key)) << model << " " << key.toStdString();
            seen.insert(key);
        }
    }
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (!f.items)
            continue;
        ASSERT_TRUE(std::holds_alternative<int>(f.defaultValue)) << f.name.toStdString();
        const int initial = std::get<int>(f.defaultValue);
        EXPECT_TRUE(initial >= 0 && initial < static_cast<int>(f.items->size()))
            << f.name.toStdString();
        const QStringList texts = FieldTable::itemTexts(*f.items);
        EXPECT_EQ(QSet<QString>(texts.begin(), texts.end()).size(), texts.size())
            << f.name.toStdString();
        // Each item's stored value decodes as the item, and Encode stores it
        // (the transmit level is shown only: Encode always stores 7 there).
        const uint8_t mask = f.items == &FieldTable::inputTypes()    ? 0x7F
                             : f.items == &FieldTable::outputModes() ? 0x11
                                                                     : 0xFF;
        for (size_t k = 0; k < f.items->size(); ++k) {
            const auto stored = static_cast<uint8_t>((*f.items)[k].stored);
            ConfigImage image = randomImage(13, 70, 43);
            image[f.first] = static_cast<uint8_t>((image[f.first] & ~mask) | stored);
            ImageValues back = decodeImage(image, ImageContext{70, 40, QString()}).values;
            EXPECT_EQ(*std::get<std::optional<int>*>(FieldTable::slotOf(f, back)),
                      static_cast<int>(k))
                << f.name.toStdString() << " item " << k;
            if (f.control == QLatin1String("ComboBox17"))
                continue;
            ImageValues one;
            *std::get<std::optional<int>*>(FieldTable::slotOf(f, one)) = static_cast<int>(k);
            encodeImage(image, one, ImageContext{70, 40, QStringLiteral("PLAIN")});
            EXPECT_EQ(image[f.first] & mask, stored) << f.name.toStdString() << " item " << k;
        }
    }
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
