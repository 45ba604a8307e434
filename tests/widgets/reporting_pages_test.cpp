// The reporting pages against the image: what the controls show after a
// decode, and the bytes an encode of what they show gives.
#include "image/image_convert.h"
#include "workspace/pages/reporting_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

template <class T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// A module image as a ModelCode 70..100 module could hold it.
ConfigImage moduleImage(int model, quint32 seed) {
    ConfigImage img;
    QRandomGenerator rng(seed);
    for (int i = 0; i < ConfigImage::kSize; ++i)
        img[i] = static_cast<uint8_t>(rng.bounded(256));
    img[254] = 43;
    img[255] = static_cast<uint8_t>(model);
    return img;
}

// The pages of this group, each on a sheet of its own.
struct Pages {
    QWidget remoteSheet, gprsSheet, cidSheet, openSheet;
    QGroupBox callerGroup, gainGroup;
    RemoteMonitoringPage remote{&remoteSheet};
    GprsPage gprs{&gprsSheet};
    CidSmsPage cid{&cidSheet};
    OpenClosePage openClose{&openSheet};
    CallerIdBox callerId{&callerGroup};
    PstnGainBox gains{&gainGroup};

    std::vector<ConfigPage*> all() { return {&remote, &gprs, &cid, &openClose, &callerId, &gains}; }
    // Decode, show, then encode what the controls show, as the window does.
    ConfigImage roundTrip(const ConfigImage& original, int model) {
        ConfigImage img = original;
        const ImageContext ctx{model, 40, QStringLiteral("NORVIK")};
        DecodeResult d = decodeImage(img, ctx);
        openClose.setModelCode(model);
        for (ConfigPage* p : all())
            p->fill(d.values);
        ImageValues out = d.values;
        for (ConfigPage* p : all())
            p->read(out);
        encodeImage(img, out, ctx);
        return img;
    }
};

} // namespace

// What the pages show goes back as it came: the same bytes as a decode-then-
// encode of the values themselves, for every model that has these fields.
TEST(ReportingPages, ShowingAndReadingBackChangesNoByte) {
    for (int model : {70, 71, 80, 90, 100}) {
        SCOPED_TRACE(model);
        const ConfigImage original = moduleImage(model, 500u + model);
        ConfigImage direct = original;
        const ImageContext ctx{model, 40, QStringLiteral("NORVIK")};
        DecodeResult d = decodeImage(direct, ctx);
        encodeImage(direct, d.values, ctx);

        Pages pages;
        const ConfigImage shown = pages.roundTrip(original, model);
        for (int i = 0; i < ConfigImage::kSize; ++i)
            ASSERT_EQ(shown[i], direct[i]) << "byte " << i;
    }
}

TEST(ReportingPages, RemoteMonitoringCodesAndLevels) {
    Pages pages;
    QWidget* sheet = &pages.remoteSheet;
    child<QLineEdit>(sheet, "CIDUGYFEL")->setText("4070");
    child<QLineEdit>(sheet, "CIDbe4")->setText("131");
    child<QLineEdit>(sheet, "ZONAbe4")->setText("004");
    ImageValues v = defaultImageValues();
    pages.remote.read(v);
    ConfigImage img;
    img.fill(0xEE, 0, ConfigImage::kSize);
    encodeImage(img, v, ImageContext{70, 40, QStringLiteral("NORVIK")});
    const uint8_t account[] = {4, 10, 7, 10};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(img[1024 + i], account[i]);
    const uint8_t be4[] = {1, 3, 1, 10, 10, 4};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(img[1064 + i], be4[i]) << i;
    EXPECT_EQ(img[102], 7);   // TX level is shown, never stored
    EXPECT_EQ(img[103], 165); // RX "7"

    // Decoded levels: 165 is "7"; a byte no item stores (index -1 here) is
    // named by an entry of its own, and its byte stays.
    struct Level {
        int rxByte, rxIndex, txByte, txIndex;
    };
    auto shows = [](QComboBox* list, int index, int byte) {
        if (index >= 0)
            EXPECT_EQ(list->currentIndex(), index);
        else
            EXPECT_EQ(list->currentText(), QStringLiteral("Modul értéke: %1").arg(byte));
    };
    for (const Level l : {Level{165, 6, 6, 5}, Level{215, -1, 9, 8}, Level{231, -1, 0, -1},
                          Level{100, -1, 10, -1}, Level{230, 0, 1, 0}}) {
        SCOPED_TRACE(l.rxByte);
        img[103] = static_cast<uint8_t>(l.rxByte);
        img[102] = static_cast<uint8_t>(l.txByte);
        ConfigImage copy = img;
        pages.remote.fill(decodeImage(copy, ImageContext{70, 40, {}}).values);
        shows(child<QComboBox>(sheet, "ComboBox16"), l.rxIndex, l.rxByte);
        shows(child<QComboBox>(sheet, "ComboBox17"), l.txIndex, l.txByte);
        ImageValues back = defaultImageValues();
        pages.remote.read(back);
        encodeImage(copy, back, ImageContext{70, 40, {}});
        EXPECT_EQ(copy[103], l.rxIndex < 0 ? l.rxByte : kRxLevelBytes[size_t(l.rxIndex)]);
        EXPECT_EQ(copy[102], 7);
    }
    // Only the characters a Contact ID digit can be are accepted.
    auto* zone = child<QLineEdit>(sheet, "ZONAbe1");
    zone->clear();
    QTest::keyClicks(zone, "1g2");
    EXPECT_EQ(zone->text(), "12");
}

TEST(ReportingPages, GprsChoicesFillOrOpenTheTexts) {
    Pages pages;
    QWidget* sheet = &pages.gprsSheet;
    auto* apn = child<QLineEdit>(sheet, "Edit10");
    auto* server = child<QLineEdit>(sheet, "Edit11");
    auto* choice = child<QComboBox>(sheet, "ComboBox14");
    auto* model = qobject_cast<QStandardItemModel*>(choice->model());
    ASSERT_NE(model, nullptr);
    // No service pair configured: the item says so and fills in nothing.
    EXPECT_FALSE(model->item(1)->isEnabled());
    EXPECT_TRUE(model->item(1)->text().contains(QStringLiteral("nincs beállítva")));
    pages.gprs.choose(ApnChoice::Varonet);
    EXPECT_EQ(choice->currentIndex(), 0);
    EXPECT_TRUE(apn->text().isEmpty());
    EXPECT_TRUE(server->text().isEmpty());

    pages.gprs.setVaronetPreset({"apn.example", "10.1.2.3", {}}, QStringLiteral("not configured"));
    EXPECT_TRUE(model->item(1)->isEnabled());
    EXPECT_EQ(model->item(1)->text(), QStringLiteral("Varonet APN"));
    pages.gprs.choose(ApnChoice::Varonet);
    EXPECT_EQ(apn->text(), "apn.example");
    EXPECT_EQ(server->text(), "10.1.2.3");
    EXPECT_TRUE(apn->isHidden());
    pages.gprs.choose(ApnChoice::Custom);
    EXPECT_FALSE(apn->isHidden());
    EXPECT_EQ(apn->text(), "apn.example"); // kept to edit
    pages.gprs.choose(ApnChoice::Off);
    EXPECT_TRUE(apn->text().isEmpty());
    EXPECT_TRUE(server->text().isEmpty());

    // A module holding the service's pair shows "Varonet APN"; once the pair is
    // no longer configured the same texts show as the module's own.
    ImageValues held = defaultImageValues();
    held.gprs.accessPoint = "apn.example";
    held.gprs.server = "10.1.2.3";
    pages.gprs.fill(held);
    EXPECT_EQ(choice->currentIndex(), 1);
    pages.gprs.setVaronetPreset({{}, {}, {"varonetapn", "varonetserver"}},
                                QStringLiteral("not configured"));
    EXPECT_EQ(choice->currentIndex(), 2);
    EXPECT_FALSE(apn->isHidden());
    EXPECT_EQ(model->item(1)->text(), QStringLiteral("Varonet APN (not configured)"));
    pages.gprs.choose(ApnChoice::Off);

    // Empty texts give the fixed framing alone.
    ConfigImage img;
    img.fill(0xEE, 0, ConfigImage::kSize);
    ImageValues v = defaultImageValues();
    pages.gprs.read(v);
    encodeImage(img, v, ImageContext{100, 40, {}});
    const QByteArray serverBytes = QByteArray::fromHex("22554450222C22222C22353335303022FF");
    for (int i = 0; i < serverBytes.size(); ++i)
        EXPECT_EQ(img[400 + i], uint8_t(serverBytes[i])) << 400 + i;
    const QByteArray apnBytes = QByteArray::fromHex("22222C22222C2222FF");
    for (int i = 0; i < apnBytes.size(); ++i)
        EXPECT_EQ(img[640 + i], uint8_t(apnBytes[i])) << 640 + i;

    // A module holding its own access point shows it as "Egyéni APN".
    ImageValues custom = defaultImageValues();
    custom.gprs.accessPoint = "internet.operator";
    custom.gprs.server = "10.1.2.3";
    pages.gprs.fill(custom);
    EXPECT_EQ(child<QComboBox>(sheet, "ComboBox14")->currentIndex(), 2);
    EXPECT_FALSE(apn->isHidden());
    EXPECT_EQ(apn->text(), "internet.operator");
}

TEST(ReportingPages, ContactIdTablesEditAndLoad) {
    Pages pages;
    QWidget* sheet = &pages.cidSheet;
    auto* codes = child<QTableWidget>(sheet, "StringGrid3");
    auto* partitions = child<QTableWidget>(sheet, "StringGrid2");
    ASSERT_EQ(codes->rowCount(), 159);
    ASSERT_EQ(partitions->rowCount(), 16);

    // Typing applies the input rules at once.
    codes->item(0, 0)->setText("e130x");
    EXPECT_EQ(codes->item(0, 0)->text(), "E130");
    codes->item(1, 0)->setText("e13");
    EXPECT_EQ(codes->item(1, 0)->text(), "e13");
    partitions->item(0, 0)->setText("01a01");
    EXPECT_EQ(partitions->item(0, 0)->text(), "01A01");
    partitions->item(0, 1)->setText(QString(30, 'n'));
    EXPECT_EQ(partitions->item(0, 1)->text(), QString(26, 'n'));

    // Targets of row 5 survive loading the default table, twice.
    PhoneTexts phones;
    phones.fill(QString(16, ' '));
    phones[0] = "+36301234567    ";
    phones[1] = "+36201234567    ";
    pages.cid.fillPhoneLists(phones, 100);
    // Before a code row is chosen the ticks would belong to none: the list waits.
    auto* list = child<TargetCheckList>(sheet, "SMSst7");
    EXPECT_FALSE(list->isEnabled());
    pages.cid.selectCodeRow(5);
    EXPECT_TRUE(list->isEnabled());
    list->toggle(0);
    list->toggle(1);
    EXPECT_EQ(pages.cid.codeTargets(5), 3);
    pages.cid.loadDefaultContactIdCodes();
    pages.cid.loadDefaultContactIdCodes();
    EXPECT_EQ(codes->item(4, 0)->text(), "E401");
    EXPECT_EQ(pages.cid.codeTargets(5), 3);
    EXPECT_EQ(child<QLabel>(sheet, "Label87")->text(), "Nyitas");
    pages.cid.loadPartitionTemplate();
    EXPECT_EQ(partitions->item(15, 0)->text(), "?????");

    // "R130" named "Betores visszaallas" with items 1 and 2, and an unnamed row.
    codes->item(1, 0)->setText("R130");
    codes->item(1, 1)->setText("Betores visszaallas");
    pages.cid.selectCodeRow(2);
    list->setTargets(TargetList{});
    list->toggle(0);
    list->toggle(1);
    codes->item(2, 1)->setText("");
    codes->item(2, 0)->setText("E130");
    ImageValues v = defaultImageValues();
    pages.cid.read(v);
    ConfigImage img;
    img.fill(0xEE, 0, ConfigImage::kSize);
    encodeImage(img, v, ImageContext{100, 40, {}});
    const int r2 = 32 * 49, r3 = 32 * 50;
    const uint8_t head[] = {3, 1, 3, 10, 0x03, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(img[r2 + i], head[i]) << i;
    EXPECT_EQ(fromImageTextBytes(QByteArray(reinterpret_cast<const char*>(&img[r2 + 6]), 19)),
              "Betores visszaallas");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&img[r3 + 6]), 16), "Event code: E130");
    // Rows never filled keep their records as the module holds them.
    EXPECT_EQ(img[32 * 200], 0xEE);
    EXPECT_EQ(img[32 * 200 + 10], 0xEE);
}

TEST(ReportingPages, OpenCloseTextsAndModel100) {
    Pages pages;
    QWidget* sheet = &pages.openSheet;
    EXPECT_EQ(child<QLineEdit>(sheet, "Edit17")->text(), QStringLiteral("nyitás"));
    pages.openClose.setModelCode(100);
    EXPECT_FALSE(child<QLineEdit>(sheet, "Edit17")->isEnabled());
    ImageValues v = defaultImageValues();
    pages.openClose.read(v);
    EXPECT_FALSE(v.openClose.openingText.has_value());
    pages.openClose.setModelCode(70);
    pages.openClose.read(v);
    EXPECT_EQ(v.openClose.openingText, QStringLiteral("nyitás"));
}

TEST(ReportingPages, SoundFilesNeedTheDataTag) {
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return dir.filePath(name);
    };
    QByteArray wav = "RIFF" + QByteArray(196, 'x') + "data" + QByteArray(400, '\x80');
    const QString good = write("good.wav", wav);
    const QString late = write("late.wav", QByteArray(300, 'x') + "data");
    const QString small = write("small.wav", "RIFF....WAVEdata\x80\x80");
    QWidget sheet;
    SoundFilesPage page(&sheet);
    QString chosen;
    QStringList messages;
    page.chooseFile = [&] { return chosen; };
    page.message = [&](const QString& m) { messages << m; };

    chosen = good;
    page.pickFile(0);
    EXPECT_EQ(page.file(0), good);
    chosen = late;
    page.pickFile(0);
    EXPECT_EQ(page.file(0), "");
    EXPECT_EQ(messages, QStringList{"Rossz formátum"});
    chosen = small;
    page.pickFile(1);
    EXPECT_EQ(page.file(1), small);
    chosen = dir.filePath("missing.wav");
    page.pickFile(1);
    EXPECT_EQ(page.file(1), small); // a file that cannot be read leaves the field
    EXPECT_EQ(messages.size(), 2);
    // A pipe would block the window until someone wrote to it: refused unread.
    ASSERT_EQ(::mkfifo(dir.filePath("pipe.wav").toLocal8Bit().constData(), 0600), 0);
    for (const QString& other :
         {dir.filePath("pipe.wav"), QStringLiteral("/dev/zero"), dir.path()}) {
        chosen = other;
        page.pickFile(1);
        EXPECT_EQ(page.file(1), small) << other.toStdString();
        EXPECT_EQ(
            messages.back(),
            QStringLiteral("File access denied: not a file but a folder, a device or a pipe"));
    }
    messages.clear();
    chosen.clear(); // cancelled
    page.pickFile(1);
    EXPECT_EQ(page.file(1), small);
}
