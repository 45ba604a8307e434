#pragma once
#include <QDialog>

class QLabel;

// The Marlo module's wiring diagram: a picture and "Kilépés".
class TrajzGPS14 : public QDialog {
    Q_OBJECT
  public:
    explicit TrajzGPS14(QWidget* parent = nullptr);
    // Opens modally; the caller goes on.
    void showDiagram() { open(); }
    bool hasPicture() const;

  private:
    QLabel* Image1;
};
