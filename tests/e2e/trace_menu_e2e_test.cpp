// The configurator's serial trace menu item against the module simulator: a
// file chosen in its dialog receives the read-all's requests and the module's
// replies in the order they crossed the line; a dialog left without a file or
// a file that cannot be written leaves the item unchecked and writes nothing.

#include "app/alvento_application.h"
#include "serial/serial_trace.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configurator_window.h"
#include "workspace/trace_menu.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kModel = 71;
constexpr int kVersion = 43; // reads six blocks of 256 bytes

struct Exchange {
    QByteArray request;
    QByteArray reply; // every byte received until the next request
};

// The data lines of a trace as request/reply pairs, in file order. A line
// that is neither data, a port event nor a comment fails the test.
std::vector<Exchange> exchangesIn(const QString& path) {
    static const QRegularExpression data(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  \\S+  (TX|RX) +(\\d+)  "
                       "([0-9A-F]{2}(?: [0-9A-F]{2})*)$"));
    static const QRegularExpression event(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  \\S+  --  .+$"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << path.toStdString();
    std::vector<Exchange> out;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(lines.size() - 2), QStringLiteral("# end of trace"));
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || event.match(line).hasMatch())
            continue;
        const auto m = data.match(line);
        if (!m.hasMatch()) {
            ADD_FAILURE() << "not a trace line: " << line.toStdString();
            continue;
        }
        const QByteArray bytes = QByteArray::fromHex(m.captured(3).toLatin1());
        EXPECT_EQ(bytes.size(), m.captured(2).toInt()) << line.toStdString();
        if (m.captured(1) == QLatin1String("TX"))
            out.push_back({bytes, {}});
        else if (out.empty())
            ADD_FAILURE() << "received before anything was sent: " << line.toStdString();
        else
            out.back().reply += bytes;
    }
    return out;
}

QByteArray blockReadRequest(int block) {
    const uint8_t address = static_cast<uint8_t>(16 * block);
    const uint8_t check = static_cast<uint8_t>(0xF7 + address - 1);
    return QByteArray("\x00\xF7", 2) + char(address) + '\0' + char(0xFF - check) + char(check);
}

class TraceMenuE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("Language"),
                                   QStringLiteral("1"));
    }
    void TearDown() override {
        SerialTrace::stop();
        if (app)
            app->configurator()->askYesNo = [](const QString&) { return true; };
        app.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }

    // Triggers the item; `answer` fills in its dialog (empty: the dialog is
    // cancelled). Whether a dialog came up at all.
    bool trigger(QAction* item, const QString& answer) {
        bool dialogSeen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialogSeen = dialog->objectName() == QLatin1String(TraceMenuItem::kDialogName);
            if (answer.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(answer);
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, with its checks
        });
        item->trigger();
        return dialogSeen;
    }

    QTemporaryDir dir;
    std::unique_ptr<AlventoApplication> app;
};

} // namespace

TEST_F(TraceMenuE2E, ATraceChosenInTheMenuHoldsTheReadAllsRequestsAndReplies) {
    QByteArray memory(8192, '\0');
    QRandomGenerator rng(17);
    for (char& b : memory)
        b = static_cast<char>(rng.bounded(256));
    const QString memoryPath = dir.filePath(QStringLiteral("module.bin"));
    {
        QFile f(memoryPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(memory);
    }
    // Every third reply reaches the tool in two pieces.
    PtySim sim({QStringLiteral("--model"), QString::number(kModel), QStringLiteral("--version"),
                QString::number(kVersion), QStringLiteral("--memory"), memoryPath,
                QStringLiteral("--split-every"), QStringLiteral("3")});
    ASSERT_TRUE(sim.started());
    // The module answers with its own build, version and model bytes.
    memory[252] = 1;
    memory[254] = static_cast<char>(kVersion);
    memory[255] = static_cast<char>(kModel);

    SettingsStore::WriteString(settingsKeyPath(40), QStringLiteral("comport"), sim.path());
    AlventoApplication::Options o;
    o.brandCode = 40;
    app = std::make_unique<AlventoApplication>(o);
    app->start();
    TAV4Form1* c = app->configurator();
    ASSERT_TRUE(waitUntil([&] { return c->isVisible() && !c->engine().busy(); }, 15000));

    QAction* item = c->menuAction(QString::fromLatin1(TraceMenuItem::kObjectName));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());

    // Left without a file: nothing is traced.
    EXPECT_TRUE(trigger(item, QString()));
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(SerialTrace::active(), nullptr);

    // A file that cannot be written: said so, and nothing is traced.
    const QString unwritable = dir.filePath(QStringLiteral("no-such-folder/trace.txt"));
    EXPECT_TRUE(trigger(item, unwritable));
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(SerialTrace::active(), nullptr);
    QMessageBox* box = nullptr;
    for (QMessageBox* b : c->findChildren<QMessageBox*>(QStringLiteral("MessageBox")))
        if (b->isVisible() && b->text().contains(QStringLiteral("trace.txt")))
            box = b;
    ASSERT_NE(box, nullptr);
    box->close();

    const QString tracePath = dir.filePath(QStringLiteral("read.txt"));
    EXPECT_TRUE(trigger(item, tracePath));
    EXPECT_TRUE(item->isChecked());
    ASSERT_NE(SerialTrace::active(), nullptr);

    c->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
    ASSERT_TRUE(waitUntil(
        [&] { return c->statusPanel(3) == QStringLiteral("Successful readout!"); }, 60000));
    // Unchecking ends the trace without a dialog.
    EXPECT_FALSE(trigger(item, QString()));
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(SerialTrace::active(), nullptr);

    // The blocks in order, each request followed by the module's reply
    // (a request repeated only when its reply did not come through whole).
    // A version query of the window's activation may stand among them.
    const QByteArray versionQuery("\x00\x00\xFE\x00\x02\xFD", 6);
    int block = -1;
    std::array<QByteArray, 6> lastReply;
    for (const Exchange& e : exchangesIn(tracePath)) {
        if (e.request == versionQuery)
            continue;
        if (block < 5 && e.request == blockReadRequest(block + 1))
            ++block;
        ASSERT_GE(block, 0) << "not the first block read: " << e.request.toHex(' ').toStdString();
        ASSERT_EQ(e.request, blockReadRequest(block));
        lastReply[size_t(block)] = e.reply;
    }
    ASSERT_EQ(block, 5);
    for (int b = 0; b < 6; ++b) {
        QByteArray expected = memory.mid(256 * b, 256);
        uint8_t sum = 0;
        for (char x : expected)
            sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(x));
        expected += static_cast<char>(sum);
        EXPECT_EQ(lastReply[size_t(b)], expected) << "block " << b;
    }
}
