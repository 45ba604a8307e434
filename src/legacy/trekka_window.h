#pragma once
#include "legacy/legacy_window_base.h"
#include "legacy/record_assembler.h"
#include "legacy/trekka_codec.h"

#include <array>

class QAction;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

// GPS module, TREKKA variant (ModelCode 60): 4800 baud, replies marked 0xAB;
// server address, port, APN and G sensor byte by byte, or the server address
// alone in the 64-byte record of the older ("wavecom") firmware.
class Ttrekkamain : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    static constexpr int kRecordRead = 300;
    static constexpr int kRecordReadBeforeWrite = 301;
    static constexpr int kRecordWrite = 302;

    Ttrekkamain(AppContext& ctx, std::function<bool()> discoveryPortReleased,
                QWidget* parent = nullptr);

    void OlvasasClick() override;
    void ElkuldesClick() override;
    void setWavecom(bool on);
    void choosePreset(int index); // "IP cimek" item index (0, 1)
    void updateServerPresets();
    QString statusPanel(int i) const;
    // The byte memory as last read or written.
    const QByteArray& image() const { return image_; }
    int errorCount() const { return errors_; }

  protected:
    void tick() override;
    void sendRequest() override;
    void received(const QByteArray& bytes) override;
    void blockFinished() override;
    void portOpened(const QString& name) override;

  private:
    void sendRecordRead(bool fresh);
    void sendRecordWrite();
    void recordRead(const QByteArray& reply);
    void countSent();
    void setStatus(int panel, const QString& text);
    void setTransferButtons(bool on) override;
    void finished(const QString& status);
    Trekka::Values formValues() const;

    QByteArray image_;
    QByteArray pending_;
    QByteArray recordPayload_; // 65 bytes: the record as read, sum included
    QString recordIpRead_;
    bool byteReadInThisRun_ = false;
    bool writing_ = false;
    int sent_ = 0;
    int errors_ = 0;
    RecordAssembler records_rx_;

    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QCheckBox* CheckBox1;
    QAction* readAction_;
    QAction* writeAction_;
    QAction* wavecom_;
    static constexpr int kServerPresets = 2;
    std::array<QAction*, kServerPresets> serverActions_{};
    std::array<QLabel*, 5> sbar1_{};
};
