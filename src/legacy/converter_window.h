#pragma once
#include "legacy/converter_codec.h"
#include "legacy/legacy_window_base.h"

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

// GPRS-to-Contact ID converter (ModelCode 50): version read on opening, one
// settings block read and written byte by byte, and three one-shot commands.
class TForm5 : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    static constexpr int kWritten = 130;
    static constexpr int kRestart = 200;
    static constexpr int kTelnet = 210;
    static constexpr int kGsmRoute = 220;

    TForm5(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent = nullptr);

    void setLabel3(const QString& text);
    void OlvasasClick() override;
    void ElkuldesClick() override;
    void restartClick();
    void telnetClick();
    void gsmRouteClick();
    void versionClick();
    // The block as last read or written.
    const QByteArray& image() const { return image_; }

  signals:
    // "Leirás": the help window, modal.
    void helpRequested();

  protected:
    void tick() override;
    void versionReceived() override;
    void blockFinished() override;

  private:
    void command(const char* question, int state);
    void showValues(const Converter::Values& v);
    Converter::Values formValues() const;
    void markAccount(bool bad);

    QByteArray image_;
    QByteArray pending_;
    bool readInThisRun_ = false;
    bool reading_ = false;
    int afterCommand_ = 0; // the state a one-shot command returns to

    QLabel* Label3;
    std::array<QCheckBox*, 3> boxes_{};
    std::array<QLineEdit*, 3> fields_{};
    QLineEdit* Edit10;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QComboBox* ComboBox3;
    QSpinBox* SpinEdit1;
    QLineEdit* Edit3;
};
