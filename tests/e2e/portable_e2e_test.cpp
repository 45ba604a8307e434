// Export, import and set as an installer runs them: the real program, real
// files, and the simulator on a pseudo-terminal for a module.
#include "image/portable_document.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/alvento_run.h"
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The document with one field's value replaced.
QByteArray withValue(const QByteArray& document, const QString& id, const QJsonValue& value) {
    QJsonObject doc = QJsonDocument::fromJson(document).object();
    QJsonArray fields = doc["fields"].toArray();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].toObject().value("id") == id) {
            QJsonObject f = fields[i].toObject();
            f["value"] = value;
            f.remove("bytes");
            fields[i] = f;
        }
    doc["fields"] = fields;
    return QJsonDocument(doc).toJson();
}

QJsonValue valueOf(const QByteArray& document, const QString& id) {
    for (const QJsonValue f : QJsonDocument::fromJson(document).object()["fields"].toArray())
        if (f.toObject().value("id") == id)
            return f.toObject().value("value");
    return QJsonValue(QJsonValue::Undefined);
}

class PortableCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toLocal8Bit());
        SettingsStore::WriteString(settingsKeyPath(buildBrandCode()), QStringLiteral("company"),
                                   QStringLiteral("PLAIN"));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    CliRun run(const QStringList& args, PtySim* sim = nullptr, const QByteArray& input = {}) {
        return runAlvento(args, {.sim = sim, .input = input});
    }

    QTemporaryDir dir_;
};

// A module's configuration exported, one value changed in the document, and
// the document sent back: the module then holds the new value, and a read of
// it exports the same document otherwise.
TEST_F(PortableCli, ExportFromAModuleAndImportBackToIt) {
    PtySim sim({"--model", "80", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    const QString port = sim.path();
    const CliRun exported = run({"export", "port:" + port, "--out", path("a.json")}, &sim);
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QByteArray doc = readFile(path("a.json"));
    EXPECT_EQ(QJsonDocument::fromJson(doc)["model"].toInt(), 80);
    EXPECT_EQ(QJsonDocument::fromJson(doc)["version"].toString(), "4.3");

    ASSERT_EQ(run({"read", "--port", port, "--out", path("a.dat")}, &sim).exitCode, 0);
    const CliRun fromFile = run({"export", path("a.dat")});
    ASSERT_EQ(fromFile.exitCode, 0);
    EXPECT_EQ(fromFile.out.toUtf8(), doc) << "a module and its file export the same document";

    writeFile(path("b.json"), withValue(doc, "SpinEdit4", 77));
    const CliRun sent = run({"import", path("b.json"), "--port", port}, &sim);
    ASSERT_EQ(sent.exitCode, 0) << sent.out.toStdString() << sent.err.toStdString();
    EXPECT_TRUE(sent.out.contains("Verified")) << sent.out.toStdString();

    const CliRun after = run({"export", "port:" + port}, &sim);
    ASSERT_EQ(after.exitCode, 0);
    EXPECT_EQ(valueOf(after.out.toUtf8(), "SpinEdit4"), QJsonValue(77));
    EXPECT_EQ(valueOf(after.out.toUtf8(), "SpinEdit5"), valueOf(doc, "SpinEdit5"));
}

// What the target cannot take is listed first; declined, nothing is written.
TEST_F(PortableCli, ImportToAnotherModelAsksBeforeItWrites) {
    PtySim sim({"--model", "71", "--version", "43", "--example-config"});
    ASSERT_TRUE(sim.started());
    ASSERT_EQ(run({"read", "--port", sim.path(), "--out", path("a.dat")}, &sim).exitCode, 0);
    sim.stop();
    ASSERT_EQ(run({"export", path("a.dat"), "--out", path("a.json")}).exitCode, 0);

    const QStringList args{"import",  path("a.json"), "--out",     path("b.dat"),
                           "--model", "100",          "--version", "4.3"};
    const CliRun declined = run(args, nullptr, "n\n");
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_TRUE(declined.err.contains(QString::fromUtf8("nem vihető át: Sebesség / SMS szöveg")))
        << declined.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("b.dat")));

    const CliRun confirmed = run(args, nullptr, "i\n");
    EXPECT_EQ(confirmed.exitCode, 0) << confirmed.err.toStdString();
    EXPECT_EQ(readFile(path("b.dat")).size(), 8192 + 6 * 128);
    const CliRun again = run({"export", path("b.dat")});
    EXPECT_EQ(QJsonDocument::fromJson(again.out.toUtf8())["model"].toInt(), 100);
    EXPECT_EQ(valueOf(again.out.toUtf8(), "SpinEdit4"),
              valueOf(readFile(path("a.json")), "SpinEdit4"));
}

// Scripted edits: accepted values change their field, a refused one changes
// nothing and names the field.
TEST_F(PortableCli, SetEditsAFileWithThePagesChecks) {
    PtySim sim({"--model", "80", "--version", "30", "--example-config"});
    ASSERT_TRUE(sim.started());
    ASSERT_EQ(run({"read", "--port", sim.path(), "--out", path("a.dat")}, &sim).exitCode, 0);
    sim.stop();
    const QByteArray before = readFile(path("a.dat"));

    const CliRun refused = run({"set", path("a.dat"), "MaskEdit1=+3611112222", "SpinEdit5=500"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("SpinEdit5")) << refused.err.toStdString();
    EXPECT_EQ(readFile(path("a.dat")), before);

    const CliRun done = run({"set", path("a.dat"), "MaskEdit1=+3611112222",
                             QString::fromUtf8("ComboBox12=Erős"), "SMSst11=1"});
    ASSERT_EQ(done.exitCode, 0) << done.err.toStdString();
    const QByteArray doc = run({"export", path("a.dat")}).out.toUtf8();
    EXPECT_EQ(valueOf(doc, "MaskEdit1").toString().trimmed(), "+3611112222");
    EXPECT_EQ(valueOf(doc, "ComboBox12").toObject().value("item").toString(),
              QString::fromUtf8("Erős"));
    EXPECT_EQ(valueOf(doc, "SMSst11"), QJsonValue(QJsonArray{1}));
}

} // namespace
