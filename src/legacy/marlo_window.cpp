#include "legacy/marlo_window.h"
#include "serial/memory_frame.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Marlo;

namespace {
constexpr uint8_t kRecordRead = 0x40;
constexpr uint8_t kRecordWrite = 0x80;
const char* kColumns[kValues] = {"Latitude min", "Longitude min", "Latitude max", "Longitude max"};
} // namespace

TForm7::TForm7(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent)
    : LegacyDeviceWindow(ctx, std::move(discoveryPortReleased), QStringLiteral("TForm7"),
                         QStringLiteral("Alvento_Marlo"),
                         BlockTransfer::AcceptRule::EchoWrittenData, 9600, parent),
      block_(kBlockSize, '\0'), records_(kRecords * kRecordSize, '\0') {
    auto* v = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("AV_GPS_MARLO"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(Label6);
    v->addLayout(header);

    auto* form = new QFormLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kPhoneLength);
    Edit1->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("+0000000000000000")) +
                           16);
    form->addRow(QStringLiteral("Értesitendő &telefonszám:"), Edit1);
    v->addLayout(form);

    StringGrid1 = new QTableWidget(kRows, kValues, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    QStringList columns;
    for (const char* c : kColumns)
        columns << QString::fromLatin1(c);
    StringGrid1->setHorizontalHeaderLabels(columns);
    for (int r = 0; r < kRows; ++r)
        for (int j = 0; j < kValues; ++j)
            StringGrid1->setItem(r, j, new QTableWidgetItem);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(
        fontMetrics().horizontalAdvance(QStringLiteral("Longitude min")) + 24);
    StringGrid1->setMinimumHeight(StringGrid1->verticalHeader()->defaultSectionSize() * 12);
    auto* gridLabel = new QLabel(QStringLiteral("&Területek:"), this);
    gridLabel->setBuddy(StringGrid1);
    v->addWidget(gridLabel);
    v->addWidget(StringGrid1, 1);

    auto* wiring = new QPushButton(QStringLiteral("&Bekötési rajz"), this);
    wiring->setObjectName(QStringLiteral("wiringButton"));
    connect(wiring, &QPushButton::clicked, this, &TForm7::wiringDiagramRequested);
    addTransferRow(v, {wiring});
    setTransferButtons(false);
    resize(640, 620);
}

void TForm7::versionReceived() {
    setTransferButtons(true);
}

void TForm7::OlvasasClick() {
    startBlock(BlockTransfer::kReading, 0, kBlockSize, kAreaRead);
    transferStarted(kBlockSize + kRecords);
}

void TForm7::ElkuldesClick() {
    // Without a read the bytes after the number's "*" would go back as zeros.
    if (!readInThisRun_) {
        tell(QStringLiteral("Küldés előtt olvassa ki a modul beállításait az Olvasás gombbal!"));
        return;
    }
    const Grid g = grid();
    if (const auto bad = firstBadCell(g, records_)) {
        tell(QStringLiteral("hiba GPS ertek"));
        StringGrid1->setCurrentCell(bad->row, bad->value);
        StringGrid1->setFocus();
        return;
    }
    const QString number = Edit1->text();
    pendingBlock_ = block_;
    if (number != phone(block_)) {
        if (!phoneValid(number)) {
            tell(QStringLiteral("A telefonszám legfeljebb %1 számjegy lehet, az elején + jellel.")
                     .arg(kPhoneLength));
            Edit1->setFocus();
            return;
        }
        pendingBlock_ = withPhone(block_, number);
    }
    pendingRecords_ = encodeGrid(g, records_);
    link_.BlockBuffer.replace(kPhoneAddress, kPhoneLength,
                              pendingBlock_.mid(kPhoneAddress, kPhoneLength));
    startBlock(BlockTransfer::kWriting, kPhoneAddress, kPhoneLength, kAreaWrite, kPhoneAddress);
    transferStarted(kPhoneLength + kRecords);
}

void TForm7::blockFinished() {
    record_ = 0;
    if (link_.LinkState == kAreaRead) {
        block_ = link_.BlockBuffer.left(kBlockSize);
        Edit1->setText(phone(block_));
    } else if (link_.LinkState == kAreaWrite) {
        block_ = pendingBlock_;
    } else {
        return;
    }
    sendRecordRequest(true);
}

void TForm7::tick() {
    // Record requests go out again on every tick, with no hold-off.
    if (link_.LinkState == kAreaRead || link_.LinkState == kAreaWrite)
        sendRecordRequest(false);
    else
        LegacyDeviceWindow::tick();
}

void TForm7::sendRecordRequest(bool fresh) {
    const uint8_t high = recordHigh(record_);
    const uint8_t low = recordLow(record_);
    if (link_.LinkState == kAreaRead) {
        if (fresh)
            records_rx_.newRequest();
        writeFrame(MemoryFrame::fromHeader(0, kRecordRead, high, low).toByteArray());
        return;
    }
    QByteArray frame = MemoryFrame::fromHeader(0, kRecordWrite, high, low).toByteArray();
    frame += pendingRecords_.mid(record_ * kRecordSize, kRecordSize);
    // The module does not check a sum here; the byte after the record is 0.
    frame += '\0';
    writeFrame(frame);
}

void TForm7::received(const QByteArray& bytes) {
    if (link_.LinkState == kAreaRead) {
        if (records_rx_.receive(bytes) == RecordAssembler::Result::Good)
            recordReceived(records_rx_.record());
        // A reply with a wrong sum is not taken; the next tick asks again.
        return;
    }
    if (link_.LinkState == kAreaWrite) {
        if (rx_.receive(bytes) == FrameAssembler::Result::Valid)
            recordWritten();
        return;
    }
    LegacyDeviceWindow::received(bytes);
}

void TForm7::recordReceived(const QByteArray& record) {
    records_.replace(record_ * kRecordSize, kRecordSize, record);
    showRows(record_);
    blockProgress();
    if (++record_ < kRecords) {
        sendRecordRequest(true);
        return;
    }
    readInThisRun_ = true;
    areaTableDone();
}

void TForm7::recordWritten() {
    rx_.clear();
    records_.replace(record_ * kRecordSize, kRecordSize,
                     pendingRecords_.mid(record_ * kRecordSize, kRecordSize));
    blockProgress();
    if (++record_ < kRecords) {
        sendRecordRequest(true);
        return;
    }
    areaTableDone();
}

void TForm7::areaTableDone() {
    link_.LinkState = 0;
    transferEnded();
}

void TForm7::showRows(int record) {
    const Grid g = decodeGrid(records_);
    for (int r = 2 * record; r < 2 * record + 2; ++r)
        for (int j = 0; j < kValues; ++j)
            StringGrid1->item(r, j)->setText(g[r][j]);
}

Grid TForm7::grid() const {
    Grid g;
    for (int r = 0; r < kRows; ++r)
        for (int j = 0; j < kValues; ++j)
            g[r][j] = StringGrid1->item(r, j)->text().trimmed();
    return g;
}
