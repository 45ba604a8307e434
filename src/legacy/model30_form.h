#pragma once
#include "legacy/model30_codec.h"
#include "serial/block_transfer.h"
#include "serial/frame_assembler.h"
#include "startup/start_window.h"

#include <QWidget>
#include <array>
#include <functional>

class SerialChannel;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

// The start window's controls for the GPRS Contact ID module (ModelCode 30):
// heartbeat, line-simulator format, account code and twenty event codes, read
// and written byte by byte in two blocks.
class Model30Form : public QWidget, public StartWindowRole {
    Q_OBJECT
  public:
    // Link states of this role beyond reading (100) and writing (101).
    static constexpr int kBetweenReadBlocks = 110;
    static constexpr int kRead = 120;
    static constexpr int kBetweenWriteBlocks = 130;
    static constexpr int kSent = 131;

    explicit Model30Form(SerialChannel& port, QWidget* parent = nullptr);

    QWidget* roleWidget() override { return this; }
    QBoxLayout* buttonRow() override { return buttonRow_; }
    void begin() override;
    int linkState() const override { return link_.LinkState; }
    void tick() override;
    void receive(const QByteArray& bytes) override;

    void OlvasasClick();
    void ElkuldesClick();

    // Where a message goes; tests read it instead of a message box.
    std::function<void(const QString&)> tell;
    // The module memory as last read or written (0 ... 510).
    const QByteArray& image() const { return image_; }
    int holdOff() const override { return link_.HoldOff; }

  signals:
    // A transfer has begun: the start window's send timer must run.
    void transferStarted();

  private:
    void startBlock(int state, int address, int count, int nextState);
    void sendRequest();
    void blockFinished();
    void transferEnded();
    void showSettings(const Model30::Values& v);
    void showCodes(const Model30::Values& v);
    Model30::Values formValues() const;
    void setTransferButtons(bool on);

    SerialChannel& port_;
    BlockTransfer link_;
    FrameAssembler rx_;
    QByteArray image_;
    QByteArray pending_; // the image a send is writing
    bool readInThisRun_ = false;

    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QWidget* ugyfel;
    QRadioButton* automaticButton_;
    QRadioButton* manualButton_;
    QLineEdit* Edit1;
    std::array<QCheckBox*, Model30::kEvents> boxes_{};
    std::array<QLineEdit*, Model30::kEvents> fields_{};
    QBoxLayout* buttonRow_;
    QPushButton* readButton_;
    QPushButton* sendButton_;
    QProgressBar* kijelzo;
};
