// What a send writes, against the simulator: the fields the window shows,
// onto the bytes the module holds just before the send. A fresh window sends
// its defaults and nothing else; a window read from one module and sent to
// another keeps the other module's own bytes; an undone edit writes nothing;
// a field the module does not store is named by the read-back.
#include "app/alvento_application.h"
#include "image/config_file.h"
#include "safety/field_map.h"
#include "safety/write_guard.h"
#include "safety/write_verify.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configuration_files.h"
#include "workspace/configurator_window.h"
#include "workspace/pages/configurator_pages.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

QByteArray randomMemory(quint32 seed, int model, int version) {
    QRandomGenerator rng(seed);
    QByteArray m(ConfigImage::kSize, '\0');
    for (auto& c : m)
        c = static_cast<char>(rng.bounded(256));
    m[252] = 1;
    m[254] = static_cast<char>(version);
    m[255] = static_cast<char>(model);
    return m;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

ConfigImage imageOf(const QByteArray& bytes) {
    ConfigImage image;
    for (int a = 0; a < ConfigImage::kSize && a < bytes.size(); ++a)
        image[a] = static_cast<uint8_t>(bytes[a]);
    return image;
}

// Bytes every send writes the same whatever the pages show.
bool constantOfEverySend(int a) {
    return (a >= 32 && a <= 39) || (a >= 52 && a <= 63) || a == 102 || a == 111 || a == 112 ||
           a == 120 || a == 121 || (a >= 384 && a <= 399);
}

// The fields the window shows must read in `after` as shown; every byte no
// shown field covers, and no send constant, must be as in `before`. Only the
// first `extent` bytes are compared.
void expectShownFieldsAndNothingElse(const ImageValues& shown, const ConfigImage& before,
                                     const ConfigImage& after, int model, int extent) {
    const FieldMap::Decoded held = FieldMap::decode(after, model);
    std::set<int> covered;
    int checkedFields = 0;
    for (const FieldMap::Field& f : FieldMap::fields()) {
        if (!FieldMap::carriedBy(f, model) || f.last >= extent)
            continue;
        const std::optional<QString> wanted = f.show(shown);
        if (!wanted)
            continue;
        for (int a = f.first; a <= f.last; ++a)
            covered.insert(a);
        ++checkedFields;
        if (!f.show(held.values))
            continue; // a byte Decode does not read: the bytes are compared below
        const QString found = FieldMap::valueText(f, held);
        EXPECT_TRUE(WriteVerify::sameValue(*wanted, found))
            << FieldMap::label(f.page, f.name).toStdString() << ": shown " << wanted->toStdString()
            << ", held " << found.toStdString();
    }
    EXPECT_GT(checkedFields, 20);
    for (int a = 0; a < extent; ++a)
        if (!covered.count(a) && !constantOfEverySend(a))
            EXPECT_EQ(int(after[a]), int(before[a]))
                << "byte " << a << " (" << FieldMap::fieldsAt(a, model).join(", ").toStdString()
                << ")";
}

class SendRule : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QStringLiteral("1"));
    }
    void TearDown() override { close(); }
    void close() {
        if (app)
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
    }

    TAV4Form1* open(const QString& port) {
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), port);
        AlventoApplication::Options o;
        o.brandCode = 40;
        app = std::make_unique<AlventoApplication>(o);
        app->start();
        TAV4Form1* c = app->configurator();
        EXPECT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 15000));
        return c;
    }
    QPushButton* button(TAV4Form1* c, const char* name) {
        return c->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    bool read(TAV4Form1* c) {
        button(c, "BitBtn2")->click();
        return waitUntil([&] { return c->statusPanel(3) == QStringLiteral("Successful readout!"); },
                         60000);
    }
    bool send(TAV4Form1* c) {
        button(c, "BitBtn1")->click();
        return waitUntil(
            [&] {
                const auto o = c->safetyNet().outcome();
                return o != WriteGuard::Outcome::None && !c->safetyNet().busy() &&
                       !c->engine().busy();
            },
            120000);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    std::unique_ptr<AlventoApplication> app;
};

struct Module {
    const char* name;
    int model;
    int version;
};

class FreshWindow : public SendRule, public ::testing::WithParamInterface<Module> {};

// No read, no file: the pages show their defaults, and so does the module
// after the send; its bytes outside the shown fields stay as they were. A save
// writes the same fields into the file.
TEST_P(FreshWindow, ASendBeforeAnyReadWritesWhatThePagesShowAndNothingElse) {
    const Module& m = GetParam();
    const QByteArray memory = randomMemory(7u * m.model + m.version, m.model, m.version);
    writeFile(path("module.bin"), memory);
    PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version),
                "--memory", path("module.bin"), "--save", path("saved.bin")});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim.path());
    const ImageValues shown = c->pages().shownValues();

    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified)
        << c->safetyNet().report().join('\n').toStdString();
    EXPECT_TRUE(c->statusPanel(3).isEmpty() || !c->statusPanel(3).startsWith("ERROR"))
        << c->statusPanel(3).toStdString();
    sim.stop();
    const ConfigImage before = imageOf(memory);
    const ConfigImage after = imageOf(readFile(path("saved.bin")));
    {
        SCOPED_TRACE("module");
        expectShownFieldsAndNothingElse(shown, before, after, m.model, ConfigImage::kSize);
    }
    // Byte 75 and 123..255 are the module's own.
    EXPECT_EQ(after[75], before[75]);
    for (int a = 123; a <= 255; ++a)
        ASSERT_EQ(int(after[a]), int(before[a])) << "byte " << a;
}

// The same window saved before any read: the file holds what the pages show.
TEST_P(FreshWindow, ASaveBeforeAnyReadWritesWhatThePagesShow) {
    const Module& m = GetParam();
    PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version)});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim.path());
    const ImageValues shown = c->pages().shownValues();
    c->files().chooseFile = [this](const FileDialogRequest&) { return path("saved.dat"); };
    c->files().showMessage = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
    ASSERT_TRUE(c->files().saveConfiguration());
    const QByteArray file = readFile(path("saved.dat"));
    const int imageSize = m.model == 100 ? ConfigImage::kSize : 1024;
    ASSERT_EQ(file.size(), ConfigFile::fileSize(imageSize));
    expectShownFieldsAndNothingElse(shown, ConfigImage{}, imageOf(file.left(imageSize)), m.model,
                                    imageSize);
}

const Module kModules[] = {
    {"model70_v32", 70, 32},   {"model70_v38", 70, 38},   {"model70_v43", 70, 43},
    {"model71_v32", 71, 32},   {"model71_v38", 71, 38},   {"model71_v43", 71, 43},
    {"model80_v32", 80, 32},   {"model80_v38", 80, 38},   {"model80_v43", 80, 43},
    {"model90_v32", 90, 32},   {"model90_v38", 90, 38},   {"model90_v43", 90, 43},
    {"model100_v32", 100, 32}, {"model100_v38", 100, 38}, {"model100_v43", 100, 43},
};

INSTANTIATE_TEST_SUITE_P(Modules, FreshWindow, ::testing::ValuesIn(kModules),
                         [](const auto& info) { return std::string(info.param.name); });

// Read module A (configured), then module B takes its place on the same port: B gets the
// values A's window shows, and keeps its own bytes everywhere else (its 75
// and 123..255 among them).
TEST_F(SendRule, AWindowReadFromOneModuleSendsItsFieldsOntoAnother) {
    const QString link = path("ttyLINK");
    // B: configured as A is, but with another ring time, its own state byte,
    // working bytes and a byte outside every field.
    QByteArray memoryB;
    {
        PtySim example({"--model", "71", "--version", "43", "--example-config", "--save",
                        path("example.bin")});
        ASSERT_TRUE(example.started());
        example.stop();
        memoryB = readFile(path("example.bin"));
        ASSERT_GE(memoryB.size(), 1536);
        memoryB[75] = char(0x46);
        memoryB[78] = char(memoryB[78] == char(40) ? 41 : 40);
        for (int a = 123; a <= 251; ++a)
            memoryB[a] = char(a);
        memoryB[253] = char(0x5a);
        ASSERT_TRUE(FieldMap::fieldsAt(1500, 71).isEmpty());
        memoryB[1500] = char(0xa5);
        writeFile(path("b.bin"), memoryB);
    }
    TAV4Form1* c = nullptr;
    ImageValues shown;
    {
        PtySim a({"--model", "71", "--version", "43", "--example-config", "--link", link});
        ASSERT_TRUE(a.started());
        c = open(link);
        ASSERT_TRUE(read(c));
        shown = c->pages().shownValues();
        a.stop();
        // The window notices the module gone before the other one is attached.
        waitUntil([&] { return c->statusPanel(3).contains(QStringLiteral("lost")); }, 5000);
    }
    PtySim b({"--model", "71", "--version", "43", "--memory", path("b.bin"), "--link", link,
              "--save", path("saved.bin")});
    ASSERT_TRUE(b.started());
    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified)
        << c->safetyNet().report().join('\n').toStdString();
    b.stop();
    const ConfigImage before = imageOf(memoryB);
    const ConfigImage after = imageOf(readFile(path("saved.bin")));
    expectShownFieldsAndNothingElse(shown, before, after, 71, ConfigImage::kSize);
    EXPECT_EQ(after[75], before[75]);
    for (int a = 123; a <= 255; ++a)
        ASSERT_EQ(int(after[a]), int(before[a])) << "byte " << a;
}

// A file holding values outside the controls' choices (redials 213 past the
// spin's 180, a filter byte no item stores): the window shows them as stored,
// and sending the file's fields writes them as the file holds them.
TEST_F(SendRule, AFileValueOutsideAControlsChoicesReachesTheModuleAsStored) {
    PtySim sim(
        {"--model", "71", "--version", "43", "--example-config", "--save", path("saved.bin")});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim.path());
    ASSERT_TRUE(read(c));
    c->files().chooseFile = [&](const FileDialogRequest&) { return path("odd.dat"); };
    ASSERT_TRUE(c->files().saveConfiguration());
    QByteArray file = readFile(path("odd.dat"));
    ASSERT_GT(file.size(), 80);
    file[79] = char(213);
    file[80] = char(15);
    writeFile(path("odd.dat"), file);
    c->files().showMessage = [](const QString&) {};
    ASSERT_TRUE(c->files().openConfiguration());
    for (QMessageBox* box : c->findChildren<QMessageBox*>())
        box->deleteLater(); // the offer to compare
    EXPECT_EQ(c->findChild<QSpinBox*>(QStringLiteral("SpinEdit5"))->value(), 213);
    EXPECT_EQ(c->findChild<QComboBox*>(QStringLiteral("ComboBox12"))->currentText(),
              QStringLiteral("Module's value: 15"));
    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified)
        << c->safetyNet().report().join('\n').toStdString();
    sim.stop();
    const QByteArray saved = readFile(path("saved.bin"));
    EXPECT_EQ(int(uint8_t(saved[79])), 213);
    EXPECT_EQ(int(uint8_t(saved[80])), 15);
}

class UndoneEdit : public SendRule, public ::testing::WithParamInterface<Module> {};

// A spin nudged up and back: the send changes no byte of the module.
TEST_P(UndoneEdit, WritesNothing) {
    const Module& m = GetParam();
    PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version),
                "--example-config", "--save", path("saved.bin")});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim.path());
    ASSERT_TRUE(read(c));
    const ConfigImage before = c->image();
    auto* redials = c->findChild<QSpinBox*>(QStringLiteral("SpinEdit5"));
    redials->setValue(redials->value() + 1);
    redials->setValue(redials->value() - 1);
    auto* days = c->findChild<QSpinBox*>(QStringLiteral("SpinEdit3"));
    if (days) {
        days->setValue(days->value() + 1);
        days->setValue(days->value() - 1);
    }
    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Verified)
        << c->safetyNet().report().join('\n').toStdString();
    sim.stop();
    const QByteArray saved = readFile(path("saved.bin"));
    const int extent = m.model == 100 ? ConfigImage::kSize : m.version >= 43 ? 1536 : 1024;
    for (int a = 0; a < extent; ++a)
        if (a != 120 && a != 121) // the module's scratch bytes, which a read shows cleared
            ASSERT_EQ(int(uint8_t(saved[a])), int(before[a])) << "byte " << a;
}

const Module kMethods[] = {
    {"bytes_model71_v32", 71, 32},
    {"blocks_model71_v43", 71, 43},
    {"records_model100_v43", 100, 43},
};

INSTANTIATE_TEST_SUITE_P(Methods, UndoneEdit, ::testing::ValuesIn(kMethods),
                         [](const auto& info) { return std::string(info.param.name); });

class KeptOldByte : public SendRule, public ::testing::WithParamInterface<Module> {};

// The module acknowledges the redial count but keeps its old byte: the send
// is not verified, and the read-back names the field.
TEST_P(KeptOldByte, IsNotVerifiedAndNamesTheField) {
    const Module& m = GetParam();
    PtySim sim({"--model", QString::number(m.model), "--version", QString::number(m.version),
                "--example-config", "--drop-write-at", "79"});
    ASSERT_TRUE(sim.started());
    TAV4Form1* c = open(sim.path());
    ASSERT_TRUE(read(c));
    auto* redials = c->findChild<QSpinBox*>(QStringLiteral("SpinEdit5"));
    const int old = redials->value();
    redials->setValue(old == 7 ? 8 : 7);
    ASSERT_TRUE(send(c));
    EXPECT_EQ(c->safetyNet().outcome(), WriteGuard::Outcome::Differs);
    const QString report = c->safetyNet().report().join('\n');
    EXPECT_TRUE(report.contains(QStringLiteral("Max hivásismétlések száma")))
        << report.toStdString();
    EXPECT_TRUE(c->statusPanel(3).startsWith(QStringLiteral("ERROR")))
        << c->statusPanel(3).toStdString();
    EXPECT_EQ(c->findChild<QLabel*>(QStringLiteral("StatusPanelVerify"))->text(),
              QStringLiteral("NOT verified: differences!"));
}

INSTANTIATE_TEST_SUITE_P(Methods, KeptOldByte, ::testing::ValuesIn(kMethods),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
