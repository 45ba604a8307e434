#include "workspace/pages/caller_id_memory_page.h"

#include "engine/caller_id_memory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kNumberColumn = 1;
} // namespace

CallerIdMemoryPage::CallerIdMemoryPage(QWidget* sheet) : QObject(sheet) {
    auto* column = new QVBoxLayout(sheet);
    // One row per record the module keeps: a number typed into a row beyond
    // them could never be written.
    StringGrid4 = new QTableWidget(CallerIdMemory::kRecords, 2, sheet);
    StringGrid4->setObjectName(QStringLiteral("StringGrid4"));
    StringGrid4->verticalHeader()->hide();
    // 304 rows: compact ones, so that a screen shows many numbers.
    StringGrid4->verticalHeader()->setDefaultSectionSize(StringGrid4->fontMetrics().height() + 6);
    StringGrid4->horizontalHeader()->setSectionResizeMode(kNumberColumn, QHeaderView::Stretch);
    StringGrid4->setColumnWidth(0, 60);
    StringGrid4->setAccessibleName(QStringLiteral("Telefonszám"));
    column->addWidget(StringGrid4, 1);
    ProgressBar2 = new QProgressBar(sheet);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    ProgressBar2->setMaximum(CallerIdMemory::kBlocks);
    ProgressBar2->hide();
    column->addWidget(ProgressBar2);
    auto* row = new QHBoxLayout;
    BitBtn18 = new QPushButton(QStringLiteral("Olvasás"), sheet);
    BitBtn18->setObjectName(QStringLiteral("BitBtn18"));
    BitBtn19 = new QPushButton(QStringLiteral("Írás"), sheet);
    BitBtn19->setObjectName(QStringLiteral("BitBtn19"));
    row->addWidget(BitBtn18);
    row->addWidget(BitBtn19);
    row->addStretch(1);
    column->addLayout(row);
    fillHeaders();
    connect(BitBtn18, &QPushButton::clicked, this, &CallerIdMemoryPage::readRequested);
    connect(BitBtn19, &QPushButton::clicked, this, &CallerIdMemoryPage::writeRequested);
    connect(StringGrid4, &QTableWidget::itemChanged, this, &CallerIdMemoryPage::cellChanged);
}

void CallerIdMemoryPage::fillHeaders() {
    filling_ = true;
    StringGrid4->setHorizontalHeaderLabels({QStringLiteral("POZ"), QStringLiteral("Telefonszám")});
    for (int r = 0; r < StringGrid4->rowCount(); ++r) {
        if (!StringGrid4->item(r, 0)) {
            auto* item = new QTableWidgetItem;
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            StringGrid4->setItem(r, 0, item);
        }
        StringGrid4->item(r, 0)->setText(QString::number(r + 1));
    }
    filling_ = false;
}

QString CallerIdMemoryPage::number(int record) const {
    const QTableWidgetItem* item = StringGrid4->item(record, kNumberColumn);
    return item ? item->text() : QString();
}

void CallerIdMemoryPage::setNumber(int record, const QString& text) {
    if (record < 0 || record >= StringGrid4->rowCount())
        return;
    if (QTableWidgetItem* item = StringGrid4->item(record, kNumberColumn))
        item->setText(text);
    else
        StringGrid4->setItem(record, kNumberColumn, new QTableWidgetItem(text));
}

// The module keeps 14 characters of a number: a longer entry is cut as it is made.
void CallerIdMemoryPage::cellChanged(QTableWidgetItem* item) {
    if (filling_ || item->column() != kNumberColumn)
        return;
    if (item->text().size() > CallerIdMemory::kNumberLength)
        item->setText(item->text().left(CallerIdMemory::kNumberLength));
}

void CallerIdMemoryPage::showBlock(const CallerIdMemory& memory, int block) {
    for (int r = 0; r < CallerIdMemory::kRecordsPerBlock; ++r) {
        const int record = block * CallerIdMemory::kRecordsPerBlock + r;
        setNumber(record, memory.recordText(record));
    }
}

void CallerIdMemoryPage::encodeInto(CallerIdMemory& memory) const {
    for (int record = 0; record < CallerIdMemory::kRecords; ++record)
        memory.setRecord(record, number(record));
}

void CallerIdMemoryPage::selectFirstRow() {
    StringGrid4->setCurrentCell(1, kNumberColumn);
    StringGrid4->setCurrentCell(0, kNumberColumn);
    StringGrid4->scrollToTop();
}

void CallerIdMemoryPage::setGaugeValue(int value) {
    ProgressBar2->setValue(value);
}

void CallerIdMemoryPage::setGaugeVisible(bool visible) {
    ProgressBar2->setVisible(visible);
}

void CallerIdMemoryPage::setButtonsEnabled(bool enabled) {
    BitBtn18->setEnabled(enabled);
    BitBtn19->setEnabled(enabled);
}
