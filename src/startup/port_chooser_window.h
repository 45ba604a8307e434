#pragma once
#include "serial/frame_assembler.h"
#include "settings/app_context.h"

#include <QDialog>
#include <QList>
#include <QString>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;
class TAsynComm32;

// The COM port chooser. Whatever the user picks is stored as "comport" and then
// the start window is closed, which ends the program: the new port is used from
// the next start on.
class Tcomprt : public QDialog {
    Q_OBJECT
  public:
    // One serial port the system reports: its name ("COM5", "ttyUSB0"), the
    // driver's description (the USB adapter's product name) and the path the
    // operating system opens.
    struct PortEntry {
        QString name;
        QString description;
        QString location;
    };

    explicit Tcomprt(AppContext& ctx, QWidget* parent = nullptr);
    ~Tcomprt() override;

    // The OK button speaks the search window's language.
    void setOkCaption(const QString& caption);

    // Runs every time the window is shown: fills the port list from the system
    // and selects the stored port.
    void FormActivate();
    // Replaces the port list; the automatic search probes these entries too.
    void showPortList(const QList<PortEntry>& ports);
    static QList<PortEntry> systemPorts();

    // One 80 ms tick of the automatic search.
    void Timer1Timer();

    // Number of probe ticks per port: open, send the identify read, close.
    static constexpr int kPhases = 3;
    static constexpr int kHighestProbedNumber = 32;

  signals:
    // Every way out of the chooser ends the program.
    void programEndRequested();

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void ComboBox1Change(int index);
    void AsynComm321RxChar(int count);

    void checkRadio(int index);
    void advanceProbe();
    void leave(int result);
    static QString storedFormOf(const PortEntry& entry);

    AppContext& ctx_;

    QGroupBox* RadioGroup1;
    QButtonGroup* radioButtons_;
    QSpinBox* SpinEdit1;
    QComboBox* ComboBox1;
    QPushButton* BitBtn1; // "Rendben (kilép)"
    QPushButton* BitBtn2; // "Mégse"
    QPushButton* BitBtn3; // "COM port auto detect"
    QLabel* Label1;       // result of the automatic search
    QLabel* probeLabel_;
    int language() const;
    int roundsWithoutAnswer_ = 0; // the port the automatic search tries, or its round's result
    QTimer* Timer1;
    TAsynComm32* AsynComm321;

    QList<PortEntry> ports_;
    FrameAssembler assembler_;

    // Automatic search: the numbered port being probed (1..32), or, once those
    // are done, the index of the listed port being probed (-1 while numbered).
    int probeNumber_ = 1;
    int probeListIndex_ = -1;
    int phase_ = 0;
    bool found_ = false;
    // Stored form of a listed port the search found; OK stores it while no
    // radio item is chosen.
    QString foundListed_;
};
