#pragma once
#include <QDialog>
#include <QString>
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
    // The configurator's ModelCode and language.
    std::function<int()> modelCode = [] { return 0; };
    std::function<int()> language = [] { return 0; };
    // The maker's wiring diagram (JPEG) in the data folder.
    QString picturePath;
    bool hasPicture() const;
    QTimer* modelTimer() const { return timer_; }
    // Sets the caption and the picture from the ModelCode (the timer's work).
    void applyModel();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void loadPicture();
    int brandCode_;
    QTabWidget* pages_;
    QLabel* Image1;
    QTimer* timer_;
};
