// Encode and Decode through the pages: what a read followed by a send writes,
// and which bytes an edit changes.
#include "pages_fixture.h"

#include "image/image_codecs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSpinBox>
#include <functional>
#include <map>
#include <sstream>

namespace {

ConfigImage randomImage(quint32 seed) {
    QRandomGenerator random(seed);
    ConfigImage image;
    for (auto& b : image.bytes)
        b = static_cast<uint8_t>(random.bounded(256));
    return image;
}

void put(ConfigImage& image, int address, const QByteArray& bytes) {
    for (int i = 0; i < bytes.size(); ++i)
        image[address + i] = static_cast<uint8_t>(bytes[i]);
}

// The bytes every send writes whatever the pages hold: the reserved input
// records, the fixed levels and the edition tag; and the two scratch bytes
// Decode clears.
ConfigImage withAlwaysWritten(ConfigImage image, bool decoded) {
    image.fill(0, 32, 8);
    image.fill(0, 52, 12);
    image[102] = image[111] = image[112] = 7;
    if (decoded)
        image[120] = image[121] = 0;
    put(image, 384, QByteArray("NORVIK\xFF"));
    return image;
}

std::string differences(const ConfigImage& actual, const ConfigImage& expected) {
    std::ostringstream out;
    int shown = 0;
    for (int i = 0; i < ConfigImage::kSize && shown < 12; ++i)
        if (actual[i] != expected[i]) {
            out << " [" << i << "] is " << int(actual[i]) << " not " << int(expected[i]) << ";";
            ++shown;
        }
    return out.str();
}

// Texts in every text slot with the module's letter bytes and other high bytes.
void accentedTexts(ConfigImage& image) {
    const QByteArray text("\xE0rv\xE8z \xF2ra \xEC \xE1\xE9\xF3\xED \xF5\xFB\x80\x9A\xFF");
    for (int slot : {512, 544, 576, 608, 640, 672, 768, 800, 864, 896, 928, 992, 1280})
        put(image, slot, text);
}

} // namespace

class PagesEncode : public PagesFixture {
  protected:
    void sendUntouched() {
        window->runPageShowLogic();
        window->encode();
    }
};

// Reading a module and sending it back untouched writes only the bytes every
// send writes, however odd the module's bytes are.
TEST_F(PagesEncode, ReadThenSendRewritesNothingElse) {
    struct Case {
        const char* what;
        std::function<ConfigImage()> make;
    } cases[] = {
        {"random 1", [] { return randomImage(1); }},
        {"random 2 with texts",
         [] {
             ConfigImage i = randomImage(2);
             accentedTexts(i);
             return i;
         }},
        {"random 3", [] { return randomImage(3); }},
        {"all 0xFF",
         [] {
             ConfigImage i;
             i.fill(0xFF, 0, ConfigImage::kSize);
             return i;
         }},
        {"all zero", [] { return ConfigImage{}; }},
        {"out of range",
         [] {
             ConfigImage i = randomImage(4);
             for (int record : {8, 12, 16, 20, 24, 28, 40, 44, 48})
                 i[record] = 0x7F; // a type past the list
             i[77] = 200;          // a redirection target past the list
             i[80] = 2;            // a filter no item shows
             i[114] = 70;          // a voltage not in the table
             i[78] = 0;            // ring time below its range
             i[71] = 'x';          // not a digit
             writeWord(i, 65, 0);
             return i;
         }},
    };
    for (int model : {70, 71, 80, 90, 100})
        for (const Case& c : cases) {
            open(model);
            const ConfigImage module = c.make();
            image() = module;
            window->decode();
            sendUntouched();
            const ConfigImage expected = withAlwaysWritten(module, true);
            EXPECT_TRUE(image().bytes == expected.bytes)
                << model << " " << c.what << ":" << differences(image(), expected);
            // A second send of the same is the same.
            window->encode();
            EXPECT_TRUE(image().bytes == expected.bytes) << model << " " << c.what << " again";
        }
}

// A window that never read a module and was never edited writes nothing of its own.
TEST_F(PagesEncode, NothingTouchedSinceBuiltWritesNothing) {
    for (int model : {70, 80, 100}) {
        open(model);
        const ConfigImage before = randomImage(7);
        image() = before;
        sendUntouched();
        const ConfigImage expected = withAlwaysWritten(before, false);
        EXPECT_TRUE(image().bytes == expected.bytes) << model << differences(image(), expected);
    }
}

// Decode keeps the module's own bytes for the four replaced letters, so the
// image goes back as it came.
TEST_F(PagesEncode, DecodeLeavesTheTextBytesAsStored) {
    open(70);
    ConfigImage module = randomImage(9);
    accentedTexts(module);
    image() = module;
    window->decode();
    EXPECT_EQ(control<QLineEdit>("riasztas")->text(), QStringLiteral("árvéz óra í áéóí őű€š"));
    for (int i = 512; i < 512 + 20; ++i)
        EXPECT_EQ(image()[i], module[i]) << i;
}

class PagesEdit : public PagesEncode {
  public:
    using PagesFixture::showPage;
    template <class W> W* c(const char* name) { return control<W>(name); }
    void phone(int n, const QString& text) {
        window->findChild<QLineEdit*>(QStringLiteral("MaskEdit%1").arg(n))->setText(text);
    }
};

// Each edit through the widgets changes exactly its own bytes.
TEST_F(PagesEdit, AnEditChangesOnlyItsBytes) {
    using Bytes = std::vector<std::pair<int, QByteArray>>;
    struct Case {
        const char* what;
        int model;
        std::function<void(ConfigImage&)> module; // the module's bytes before the read
        std::function<void(PagesEdit&)> edit;
        Bytes changed;
    } cases[] = {
        {"12-character number",
         70,
         nullptr,
         [](PagesEdit& t) { t.phone(2, QStringLiteral("+36301234567")); },
         {{272, QByteArray("+36301234567\xFF")}}},
        {"16-digit number keeps the next slot",
         70,
         nullptr,
         [](PagesEdit& t) { t.phone(3, QStringLiteral("1234567890123456")); },
         {{288, QByteArray("1234567890123456")}}},
        {"number beginning with '-'",
         70,
         nullptr,
         [](PagesEdit& t) { t.phone(1, QStringLiteral("-1234")); },
         {{256, QByteArray("\xFF")}}},
        {"input 2 central and inverted",
         70,
         [](ConfigImage& i) { i[12] = 0x01; },
         [](PagesEdit& t) {
             t.c<QComboBox>("ComboBox2")->setCurrentIndex(3);
             t.c<QCheckBox>("CheckBox2")->setChecked(true);
         },
         {{12, QByteArray("\x83")}}},
        {"input 2 type only",
         70,
         [](ConfigImage& i) { i[12] = 0x81; },
         [](PagesEdit& t) { t.c<QComboBox>("ComboBox2")->setCurrentIndex(5); },
         {{12, QByteArray("\x85")}}},
        {"input 1 SMS to 1 and 8",
         70,
         [](ConfigImage& i) { i[9] = 0x02; },
         [](PagesEdit& t) {
             t.showPage("TabSheet2");
             t.c<TargetCheckList>("SMSst1")->setTargets(
                 {true, false, false, false, false, false, false, true});
         },
         {{9, QByteArray("\x81")}}},
        {"input 1 options",
         70,
         [](ConfigImage& i) { i[11] = 0x82; },
         [](PagesEdit& t) { t.c<QCheckBox>("best14")->setChecked(true); },
         {{11, QByteArray("\x08")}}},
        {"SMS text with accents",
         70,
         nullptr,
         [](PagesEdit& t) {
             t.c<QLineEdit>("riasztas2")->setText(QStringLiteral("Ablak nyitva áéóí őű"));
         },
         {{544, QByteArray("Ablak nyitva \xE0\xE8\xF2\xEC \xF5\xFB\xFF")}}},
        {"32-character text",
         70,
         nullptr,
         [](PagesEdit& t) { t.c<QLineEdit>("riasztas9")->setText(QString(32, u'T')); },
         {{768, QByteArray(32, 'T')}}},
        {"output 1 bistable on the caller",
         70,
         [](ConfigImage& i) { i[64] = 0x00; },
         [](PagesEdit& t) {
             t.c<QComboBox>("ComboKi1")->setCurrentIndex(1);
             t.c<QCheckBox>("CheckBox1KI1")->setChecked(true);
         },
         {{64, QByteArray("\x05")}}},
        {"output 1 arming on the caller",
         70,
         [](ConfigImage& i) { i[64] = 0x00; },
         [](PagesEdit& t) {
             t.c<QComboBox>("ComboKi1")->setCurrentIndex(2);
             t.c<QCheckBox>("CheckBox1KI1")->setChecked(true);
         },
         {{64, QByteArray("\x14")}}},
        {"output time 90 s then minutes",
         70,
         [](ConfigImage& i) {
             i[64] = 0;
             writeWord(i, 65, 3);
         },
         [](PagesEdit& t) {
             t.c<QSpinBox>("SpinKI1")->setValue(90);
             t.c<QComboBox>("KI1SECMIN")->setCurrentIndex(1);
         },
         {{65, QByteArray("\x00\x3C", 2)}}},
        {"output 2 time",
         70,
         [](ConfigImage& i) { i[67] = 0; },
         [](PagesEdit& t) { t.c<QSpinBox>("SpinKI2")->setValue(600); },
         {{68, QByteArray("\x02\x58")}}},
        {"life signal every 7 days at 9, first after 0",
         70,
         [](ConfigImage& i) {
             put(i, 70,
                 QByteArray("\x00"
                            "12\x05",
                            4));
         },
         [](PagesEdit& t) {
             t.c<QCheckBox>("CheckBox11")->setChecked(true);
             t.c<QSpinBox>("SpinEdit1")->setValue(7);
             t.c<QSpinBox>("SpinEdit2")->setValue(9);
             t.c<QSpinBox>("SpinEdit3")->setValue(3);
             t.c<QSpinBox>("SpinEdit3")->setValue(0);
         },
         {{70, QByteArray("\x07"
                          "09\x01",
                          4)}}},
        {"first life signal after 255 days",
         70,
         [](ConfigImage& i) { i[73] = 9; },
         [](PagesEdit& t) { t.c<QSpinBox>("SpinEdit3")->setValue(255); },
         {{73, QByteArray("\x00", 1)}}},
        {"life signal period alone",
         70,
         [](ConfigImage& i) { i[70] = 3; },
         [](PagesEdit& t) { t.c<QSpinBox>("SpinEdit1")->setValue(14); },
         {{70, QByteArray("\x0E")}}},
        {"life signal off",
         70,
         [](ConfigImage& i) { i[70] = 3; },
         [](PagesEdit& t) { t.c<QCheckBox>("CheckBox11")->setChecked(false); },
         {{70, QByteArray("\x00", 1)}}},
        {"power type 1, box unchecked",
         70,
         [](ConfigImage& i) { i[44] = 0x05; },
         [](PagesEdit& t) {
             t.c<QComboBox>("ComboBox10")->setCurrentIndex(1);
             t.c<QCheckBox>("CheckBox10")->setChecked(false);
         },
         {{44, QByteArray("\x81")}}},
        {"power type 1, box checked",
         70,
         [](ConfigImage& i) { i[44] = 0x85; },
         [](PagesEdit& t) {
             t.c<QComboBox>("ComboBox10")->setCurrentIndex(1);
             t.c<QCheckBox>("CheckBox10")->setChecked(true);
         },
         {{44, QByteArray("\x01")}}},
        {"voltage 12 V over an unknown byte",
         70,
         [](ConfigImage& i) { i[114] = 70; },
         [](PagesEdit& t) { t.c<QComboBox>("ComboBox20")->setCurrentIndex(8); },
         {{114, QByteArray("\x53")}}},
        {"filter byte 2 left, then set",
         70,
         [](ConfigImage& i) { i[80] = 2; },
         [](PagesEdit& t) { t.c<QComboBox>("ComboBox12")->setCurrentIndex(3); },
         {{80, QByteArray("\x0A")}}},
        {"filter 200 shows the module's value",
         70,
         [](ConfigImage& i) { i[80] = 200; },
         [](PagesEdit& t) {
             EXPECT_EQ(t.c<QComboBox>("ComboBox12")->currentText(),
                       QString::fromUtf8("Modul értéke: 200"));
             t.c<QSpinBox>("SpinEdit4")->setValue(45);
         },
         {{78, QByteArray("\x2D")}}},
        {"lift calls 2 and 3 with restore",
         90,
         [](ConfigImage& i) { put(i, 28, QByteArray("\x01\x00\x00\x00", 4)); },
         [](PagesEdit& t) {
             t.showPage("TabSheet19");
             t.c<TargetCheckList>("VOICEst6")->toggle(1);
             t.c<TargetCheckList>("VOICEst6")->toggle(2);
             t.c<QCheckBox>("BEst61")->setChecked(true);
         },
         {{30, QByteArray("\x06\x01")}}},
        {"speed limit",
         90,
         nullptr,
         [](PagesEdit& t) { t.c<QSpinBox>("SpinEdit8")->setValue(130); },
         {{85, QByteArray("\x82")}}},
        {"lift setting",
         90,
         [](ConfigImage& i) { i[86] = 6; },
         [](PagesEdit& t) { t.c<QSpinBox>("SpinEdit9")->setValue(7); },
         {{86, QByteArray("\x07")}}},
        // The spin shows 140 as 32; moved away and back, 32 is what is sent.
        {"a limited value confirmed",
         90,
         [](ConfigImage& i) { i[86] = 140; },
         [](PagesEdit& t) {
             t.c<QSpinBox>("SpinEdit9")->setValue(31);
             t.c<QSpinBox>("SpinEdit9")->setValue(32);
         },
         {{86, QByteArray("\x20")}}},
        {"a text typed and typed back",
         70,
         accentedTexts,
         [](PagesEdit& t) {
             auto* e = t.c<QLineEdit>("riasztas3");
             const QString was = e->text();
             e->setText(QStringLiteral("x"));
             e->setText(was);
         },
         {{576, QByteArray("\xE0rv\xE8z \xF2ra \xEC \xE0\xE8\xF2\xEC \xF5\xFB\x80\x9A\xFF")}}},
        {"GPS receiver off, NMEA on",
         90,
         [](ConfigImage& i) { i[81] = 0x00; },
         [](PagesEdit& t) {
             t.c<QCheckBox>("GPSbit0")->setChecked(false);
             t.c<QCheckBox>("GPSbit1")->setChecked(true);
         },
         {{81, QByteArray("\x03")}}},
        {"120-character SMS header",
         90,
         nullptr,
         [](PagesEdit& t) { t.c<QLineEdit>("Edit12")->setText(QString(120, u'H')); },
         {{1280, QByteArray(120, 'H') + QByteArray("\xFF")}}},
        {"SMS header of ModelCode 100",
         100,
         nullptr,
         [](PagesEdit& t) { t.c<QLineEdit>("Edit12")->setText(QString(120, u'H')); },
         {{896, QByteArray(32, 'H')}}},
        {"security code of 4",
         70,
         nullptr,
         [](PagesEdit& t) { t.c<QLineEdit>("Edit1")->setText(QStringLiteral("9876")); },
         {{0, QByteArray("9876")}}},
        {"security code of 2 is not stored",
         70,
         nullptr,
         [](PagesEdit& t) { t.c<QLineEdit>("Edit1")->setText(QStringLiteral("98")); },
         {}},
        {"redirection to number 5",
         70,
         [](ConfigImage& i) { i[77] = 255; },
         [](PagesEdit& t) {
             t.c<QCheckBox>("CheckEgyeb2")->setChecked(true);
             t.c<QComboBox>("ComboBox11")->setCurrentIndex(4);
         },
         {{77, QByteArray("\x04")}}},
        {"redirection target alone",
         70,
         [](ConfigImage& i) { i[77] = 1; },
         [](PagesEdit& t) { t.c<QComboBox>("ComboBox11")->setCurrentIndex(6); },
         {{77, QByteArray("\x06")}}},
        {"Egyéb boxes",
         70,
         [](ConfigImage& i) { i[76] = 0xE0; },
         [](PagesEdit& t) { t.c<QCheckBox>("CheckEgyeb1")->setChecked(true); },
         {{76, QByteArray("\x41")}}},
        {"temperature maximum",
         70,
         [](ConfigImage& i) {
             i[48] = 0x01;
             i[82] = 255;
         },
         [](PagesEdit& t) {
             t.c<QCheckBox>("hkompmax")->setChecked(true);
             t.c<QSpinBox>("SpinEdit6")->setValue(50);
         },
         {{82, QByteArray("\x32")}}},
        {"emptied number leaves every list",
         70,
         [](ConfigImage& i) {
             for (int record : {8, 12, 16, 20, 24, 28, 40, 44, 48})
                 put(i, record + 1, QByteArray("\x07\x05"));
             i[74] = 0x04;
             i[118] = 0x04; // the opening and closing lists drop the number too
             i[119] = 0xAD;
         },
         [](PagesEdit& t) { t.phone(3, QString()); },
         {{288, QByteArray("\xFF")},
          {9, QByteArray("\x03\x01")},
          {13, QByteArray("\x03\x01")},
          {17, QByteArray("\x03\x01")},
          {21, QByteArray("\x03\x01")},
          {25, QByteArray("\x03\x01")},
          {29, QByteArray("\x03\x01")},
          {41, QByteArray("\x03\x01")},
          {45, QByteArray("\x03\x01")},
          {49, QByteArray("\x07\x05")}, // temperature keeps its lists as they are
          {74, QByteArray("\x00", 1)},
          {118, QByteArray("\x00\xA9", 2)}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        open(k.model);
        // Every number filled, so that only the cases that empty one change the lists.
        ConfigImage module = randomImage(11);
        for (int n = 0; n < 8; ++n)
            put(module, 256 + 16 * n, QByteArray("0612345678\xFF"));
        if (k.module)
            k.module(module);
        image() = module;
        window->decode();
        k.edit(*this);
        window->runPageShowLogic();
        window->encode();
        ConfigImage expected = withAlwaysWritten(module, true);
        for (const auto& [address, bytes] : k.changed)
            put(expected, address, bytes);
        EXPECT_TRUE(image().bytes == expected.bytes) << differences(image(), expected);
    }
}

// An image full of values the controls cannot choose decodes without harm and
// every control shows what the module holds.
TEST_F(PagesEdit, OutOfRangeBytesShowTheModulesValues) {
    open(70);
    image().fill(0xFF, 0, ConfigImage::kSize);
    window->decode();
    EXPECT_EQ(c<QLineEdit>("MaskEdit1")->text(), QString());
    EXPECT_EQ(c<QLineEdit>("riasztas")->text(), QStringLiteral(" "));
    EXPECT_EQ(c<QComboBox>("ComboBox1")->currentText(), QString::fromUtf8("Modul értéke: 127"));
    EXPECT_EQ(c<QComboBox>("ComboBox20")->currentText(), QString::fromUtf8("Modul értéke: 255"));
    EXPECT_EQ(c<QComboBox>("ComboBox12")->currentText(), QString::fromUtf8("Modul értéke: 255"));
    EXPECT_FALSE(c<QCheckBox>("CheckEgyeb2")->isChecked());
    EXPECT_EQ(c<QSpinBox>("SpinEdit4")->value(), 255);
    EXPECT_EQ(c<QSpinBox>("SpinEdit8")->value(), 255);
    EXPECT_EQ(c<QSpinBox>("SpinKI1")->value(), 65535);
    EXPECT_FALSE(c<QCheckBox>("GPSbit0")->isChecked());
    EXPECT_EQ(window->moduleVersion(), 255);

    // A list index past the list is named by an entry of its own and goes
    // back as it is; choosing an item then stores it.
    image()[77] = 9;
    window->decode();
    EXPECT_TRUE(c<QCheckBox>("CheckEgyeb2")->isChecked());
    EXPECT_EQ(c<QComboBox>("ComboBox11")->currentText(), QString::fromUtf8("Modul értéke: 9"));
    window->encode();
    EXPECT_EQ(image()[77], 9);
    c<QComboBox>("ComboBox11")->setCurrentIndex(2);
    window->encode();
    EXPECT_EQ(image()[77], 2);
    // The entry speaks the window's language, also after a switch.
    window->chooseLanguage(2);
    image()[77] = 9;
    window->decode();
    EXPECT_EQ(c<QComboBox>("ComboBox11")->currentText(), QStringLiteral("Wert im Modul: 9"));
    window->chooseLanguage(1);
    EXPECT_EQ(c<QComboBox>("ComboBox11")->currentText(), QStringLiteral("Module's value: 9"));
}

// A stored value outside a control's choices: the control shows it, an
// untouched send keeps it, a step or a listed item writes what it shows, and
// the next read of a listed value leaves no trace of it.
TEST_F(PagesEdit, AValueOutsideTheChoicesIsShownAndKept) {
    struct Case {
        const char* control;
        int model;
        int address;
        uint8_t stored;
        std::function<void(QWidget*)> choose; // as the installer would
        uint8_t written;
        uint8_t listed; // a value the control can show, read next
    } cases[] = {
        {"SpinEdit5", 70, 79, 213, [](QWidget* w) { static_cast<QSpinBox*>(w)->stepBy(-1); }, 180,
         50},
        {"SpinEdit4", 70, 78, 0, [](QWidget* w) { static_cast<QSpinBox*>(w)->stepBy(1); }, 3, 30},
        {"SpinEdit8", 90, 85, 5, [](QWidget* w) { static_cast<QSpinBox*>(w)->stepBy(1); }, 10, 120},
        {"SpinEdit6", 70, 82, 200, [](QWidget* w) { static_cast<QSpinBox*>(w)->stepBy(-1); }, 120,
         40},
        {"ComboBox1", 70, 8, 9, [](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(1); },
         1, 3},
        {"ComboBox12", 70, 80, 15,
         [](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(3); }, 10, 60},
        {"ComboBox20", 70, 114, 70,
         [](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(8); }, 0x53,
         kPowerAlarmVoltageBytes[0]},
        {"ComboBox16", 70, 103, 215,
         [](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(0); }, 230, 165},
        {"ComboBox11", 70, 77, 9,
         [](QWidget* w) { static_cast<QComboBox*>(w)->setCurrentIndex(2); }, 2, 7},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.control);
        open(k.model, 43);
        ConfigImage module = randomImage(5);
        module[k.address] = k.stored;
        image() = module;
        window->decode();
        QWidget* w = c<QWidget>(k.control);
        auto* spin = qobject_cast<QSpinBox*>(w);
        auto* list = qobject_cast<QComboBox*>(w);
        const int listItems = list ? list->count() : 0;
        if (spin)
            EXPECT_EQ(spin->value(), k.stored);
        else
            EXPECT_EQ(list->currentText(), QStringLiteral("Modul értéke: %1").arg(k.stored));

        window->runPageShowLogic();
        window->encode();
        EXPECT_EQ(image()[k.address], k.stored) << "untouched";

        k.choose(w);
        window->runPageShowLogic();
        window->encode();
        EXPECT_EQ(image()[k.address], k.written) << "chosen";

        image() = module;
        image()[k.address] = k.listed;
        window->decode();
        if (spin) {
            EXPECT_EQ(spin->value(), k.listed);
            EXPECT_LE(spin->maximum(), 255);
            EXPECT_TRUE(spin->maximum() < k.stored || spin->minimum() > k.stored);
        } else {
            EXPECT_EQ(list->count(), listItems - 1);
            EXPECT_FALSE(list->currentText().startsWith(QStringLiteral("Modul")));
        }
    }
}

// Text the installer cannot store is not accepted by the edit.
TEST_F(PagesEdit, TextsTakeOnlyWhatTheModuleCanStore) {
    open(70);
    auto* edit = c<QLineEdit>("riasztas");
    const QValidator* v = edit->validator();
    ASSERT_NE(v, nullptr);
    struct Case {
        QString text;
        bool ok;
    } cases[] = {
        {QStringLiteral("Ablak nyitva áéíóöőúüű ÁÉÍÓÖŐÚÜŰ"), true},
        {QStringLiteral("€ š ž ß"), true},
        {QStringLiteral("中"), false},
        {QStringLiteral("emoji 😀"), false},
        {QStringLiteral("ñ"), false},
    };
    for (Case c : cases) {
        int pos = 0;
        EXPECT_EQ(v->validate(c.text, pos) == QValidator::Acceptable, c.ok) << c.text.toStdString();
    }
    // Each byte of the code page stands for a character the edit takes.
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    QString every = fromCodePage1250(all);
    int pos = 0;
    EXPECT_EQ(v->validate(every, pos), QValidator::Acceptable);
    EXPECT_EQ(every.size(), 256);
}
