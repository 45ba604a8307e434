#pragma once
#include "legacy/legacy_window_base.h"
#include "legacy/marlo_codec.h"
#include "legacy/record_assembler.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// GPS module, Marlo variant (ModelCode 61): version read on opening, the phone
// number to notify (bytes) and the table of 64 position areas (64-byte records).
class TForm7 : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    static constexpr int kAreaRead = 300;
    static constexpr int kAreaWrite = 350;

    TForm7(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent = nullptr);

    void OlvasasClick() override;
    void ElkuldesClick() override;
    // The module's block 0 ... 49 and its 32 area records as last read or written.
    const QByteArray& block() const { return block_; }
    const QByteArray& records() const { return records_; }
    int currentRecord() const { return record_; }

  signals:
    // "Bekötési rajz": the wiring diagram, modal.
    void wiringDiagramRequested();

  protected:
    void tick() override;
    void received(const QByteArray& bytes) override;
    void versionReceived() override;
    void blockFinished() override;

  private:
    void sendRecordRequest(bool fresh);
    void recordReceived(const QByteArray& record);
    void recordWritten();
    void showRows(int record);
    Marlo::Grid grid() const;
    void areaTableDone();

    QByteArray block_;
    QByteArray records_;
    QByteArray pendingBlock_;
    QByteArray pendingRecords_;
    int record_ = 0;
    bool readInThisRun_ = false;
    RecordAssembler records_rx_;

    QLineEdit* Edit1;
    QTableWidget* StringGrid1;
};
