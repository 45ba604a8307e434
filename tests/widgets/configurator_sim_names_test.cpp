// The SIM names grid of "Szám azonosítás": read from and written to a
// simulated module's SIM through the window's buttons, saved and opened as a
// SIM names file.
#include "pages_fixture.h"
#include "support/pty_sim.h"
#include "support/wait.h"
#include "workspace/configuration_files.h"

#include <QCheckBox>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

namespace {
QString cell(QTableWidget* grid, int gridRow, int column) {
    const QTableWidgetItem* item = grid->item(gridRow - 1, column);
    return item ? item->text() : QString();
}
void setCell(QTableWidget* grid, int gridRow, int column, const QString& text) {
    grid->setItem(gridRow - 1, column, new QTableWidgetItem(text));
}
} // namespace

class SimNamesGrid : public PagesFixture {
  protected:
    QString phonebookFile() const { return settingsDir.filePath(QStringLiteral("sim.txt")); }
    QByteArray savedPhonebook() const {
        QFile f(phonebookFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TAV4Form1* openOn(PtySim& sim) {
        open(71, 43);
        ctx.portOverride = sim.path();
        window->setTickInterval(20);
        return window.get();
    }
    bool finish() {
        return waitUntil([this] { return !window->engine().busy(); }, 60000);
    }
};

// The read asks 100 slots, or 250 with the box ticked; each entry lands in the
// row of its slot, and the write is possible only after a read.
TEST_F(SimNamesGrid, ReadFillsTheRowsOfTheirSlotsThenWriteSendsTheEdits) {
    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "250 slots" : "100 slots");
        QFile f(phonebookFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("3\t+3630111\t145\tHarmadik\n10\t+3610\t145\tKept ten\n200\t+36200\t145\tFar\n");
        f.close();
        PtySim sim({QStringLiteral("--phonebook"), phonebookFile()});
        ASSERT_TRUE(sim.started());
        openOn(sim);
        auto* grid = control<QTableWidget>("StringGrid1");
        auto* write = control<QPushButton>("BitBtn6");
        ASSERT_TRUE(grid && write);
        EXPECT_FALSE(write->isEnabled());
        control<QCheckBox>("CheckBox12")->setChecked(all);
        control<QPushButton>("BitBtn5")->click();
        EXPECT_TRUE(!control<QProgressBar>("Gauge2")->isHidden());
        ASSERT_TRUE(finish());
        EXPECT_EQ(sim.countLines(QStringLiteral("CMD AT+CPBR=")), all ? 250 : 100);
        EXPECT_FALSE(!control<QProgressBar>("Gauge2")->isHidden());
        EXPECT_TRUE(write->isEnabled());
        EXPECT_EQ(grid->rowCount(), all ? 200 : 10);
        EXPECT_EQ(cell(grid, 3, 0), QStringLiteral("3"));
        EXPECT_EQ(cell(grid, 3, 1), QStringLiteral("+3630111"));
        EXPECT_EQ(cell(grid, 3, 2), QStringLiteral("Harmadik"));
        EXPECT_EQ(cell(grid, 10, 2), QStringLiteral("Kept ten"));
        EXPECT_TRUE(cell(grid, 4, 1).isEmpty());
        if (all)
            EXPECT_EQ(cell(grid, 200, 1), QStringLiteral("+36200"));

        setCell(grid, 5, 1, QStringLiteral("+36305555"));
        setCell(grid, 5, 2, QStringLiteral("Ötödik"));
        const int off = sim.countLines(QStringLiteral("MODEM OFF"));
        write->click();
        ASSERT_TRUE(finish());
        ASSERT_TRUE(
            waitUntil([&] { return sim.countLines(QStringLiteral("MODEM OFF")) > off; }, 10000));
        EXPECT_EQ(sim.countLines(QStringLiteral("PHONEBOOK ")), all ? 4 : 3);
        sim.stop(); // the simulator keeps its SIM in the file when it ends
        EXPECT_EQ(window->statusPanel(3), QStringLiteral("Phonebook write OK"));
        // The SIM as the simulator keeps it: written entries with type 129 and
        // their names in Latin-1.
        const QByteArray saved = savedPhonebook();
        EXPECT_TRUE(saved.contains("5\t+36305555\t129\t\xD6t\xF6"
                                   "dik\n"))
            << saved.toStdString();
        EXPECT_TRUE(saved.contains("3\t+3630111\t129\tHarmadik\n")) << saved.toStdString();
        window.reset();
    }
}

TEST_F(SimNamesGrid, FileRoundTripAndNewRow) {
    open(71, 43);
    auto* grid = control<QTableWidget>("StringGrid1");
    ASSERT_NE(grid, nullptr);
    // The grid stands on its page, below the caller-identification box.
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->resize(1036, 708);
    window->show();
    showPage("TabSheet15");
    QApplication::processEvents();
    EXPECT_TRUE(grid->isVisible());
    QWidget* callerBox = control("CallerIdGroup");
    ASSERT_NE(callerBox, nullptr);
    EXPECT_GT(grid->mapTo(window.get(), QPoint(0, 0)).y(),
              callerBox->mapTo(window.get(), QPoint(0, callerBox->height())).y() - 1);
    EXPECT_GT(grid->height(), 150);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("SIM"));
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Number"));
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), QStringLiteral("Name"));
    const int before = grid->rowCount();
    ASSERT_GE(before, 1);
    EXPECT_EQ(cell(grid, 1, 0), QStringLiteral("1"));
    control<QPushButton>("Button2")->click();
    control<QPushButton>("Button2")->click();
    EXPECT_EQ(grid->rowCount(), before + 2);
    EXPECT_EQ(cell(grid, before + 2, 0), QString::number(before + 2));
    setCell(grid, 1, 1, QStringLiteral("+3611"));
    setCell(grid, 1, 2, QStringLiteral("Első"));
    setCell(grid, before + 2, 1, QStringLiteral("+36301234567"));

    const QString file = settingsDir.filePath(QStringLiteral("names.sim"));
    window->files().chooseFile = [&](const FileDialogRequest&) { return file; };
    QStringList messages;
    window->files().showMessage = [&](const QString& t) { messages << t; };
    control<QPushButton>("Button3")->click();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // Another grid, then the file back.
    setCell(grid, 1, 1, QStringLiteral("x"));
    grid->setRowCount(1);
    control<QPushButton>("Button4")->click();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(grid->rowCount(), before + 2);
    EXPECT_EQ(cell(grid, 1, 1), QStringLiteral("+3611"));
    EXPECT_EQ(cell(grid, 1, 2), QStringLiteral("Első"));
    EXPECT_EQ(cell(grid, before + 2, 1), QStringLiteral("+36301234567"));
    EXPECT_EQ(cell(grid, before + 2, 0), QString::number(before + 2));

    // A file that is not a SIM names file changes nothing.
    QFile bad(settingsDir.filePath(QStringLiteral("bad.sim")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a count\n");
    bad.close();
    window->files().chooseFile = [&](const FileDialogRequest&) { return bad.fileName(); };
    control<QPushButton>("Button4")->click();
    EXPECT_FALSE(messages.isEmpty());
    EXPECT_EQ(grid->rowCount(), before + 2);
    EXPECT_EQ(cell(grid, 1, 1), QStringLiteral("+3611"));
}
