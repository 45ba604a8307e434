#pragma once
#include <QDialog>
#include <QString>

class QLabel;

// The Marlo module's wiring diagram: the maker's picture from the data folder
// (or a note that it is not installed; this window is Hungarian) and "Kilépés".
class TrajzGPS14 : public QDialog {
    Q_OBJECT
  public:
    explicit TrajzGPS14(QWidget* parent = nullptr);
    // Opens modally; the caller goes on.
    void showDiagram();
    QString picturePath;
    bool hasPicture() const;

  private:
    QLabel* Image1;
};
