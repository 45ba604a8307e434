#pragma once
// "Szám Azonosítás MEM" (TabSheet23, from module version 5.0): the module's
// own list of accepted caller numbers in the grid StringGrid4, read
// (BitBtn18) and written (BitBtn19) with the gauge ProgressBar2.

#include <QObject>
#include <QString>

class CallerIdMemory;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

class CallerIdMemoryPage : public QObject {
    Q_OBJECT
  public:
    explicit CallerIdMemoryPage(QWidget* sheet);

    QTableWidget* grid() const { return StringGrid4; }
    // Row k + 1 of the grid (grid row k here, below the header) is record k.
    QString number(int record) const;
    void setNumber(int record, const QString& text);

    // Header cells and the row numbers of column 0 (every activation).
    void fillHeaders();
    // The 16 records of a block just read.
    void showBlock(const CallerIdMemory& memory, int block);
    // Every row into its record of the copy, for a write.
    void encodeInto(CallerIdMemory& memory) const;
    // Row 1 becomes the current row, so that the grid shows the new contents
    // from the top.
    void selectFirstRow();

    void setGaugeValue(int value);
    void setGaugeVisible(bool visible);
    void setButtonsEnabled(bool enabled);

  signals:
    void readRequested();
    void writeRequested();

  private:
    void cellChanged(QTableWidgetItem* item);

    QTableWidget* StringGrid4;
    QPushButton* BitBtn18;
    QPushButton* BitBtn19;
    QProgressBar* ProgressBar2;
    bool filling_ = false;
};
