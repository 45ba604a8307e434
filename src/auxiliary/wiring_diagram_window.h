#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QTabWidget;
class QTimer;

// "Bekötési rajz": the wiring diagram of the connected model. Its caption and
// whether the picture shows follow the configurator's ModelCode, set by a
// short timer after each activation.
class TAV4Form4 : public QDialog {
    Q_OBJECT
  public:
    explicit TAV4Form4(int brandCode, QWidget* parent = nullptr);
    // The configurator's ModelCode.
    std::function<int()> modelCode = [] { return 0; };
    QTimer* modelTimer() const { return timer_; }
    // Sets the caption and the picture from the ModelCode (the timer's work).
    void applyModel();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    int brandCode_;
    QTabWidget* pages_;
    QLabel* Image1;
    QTimer* timer_;
};

// The diagram itself: the module's terminal block and what goes where.
QPixmap wiringDiagramPicture();
