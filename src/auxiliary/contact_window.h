#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;

// "Contact": the logo of the search window and the lines of contact.txt from
// the start folder, read again at every activation.
class TAV4Form8 : public QDialog {
    Q_OBJECT
  public:
    explicit TAV4Form8(QWidget* parent = nullptr);
    std::function<QString()> startDirectory = [] { return QString(); };
    // The search window's logo, as it shows it now.
    std::function<QPixmap()> logo;
    QPlainTextEdit* text() const { return Memo1; }
    QLabel* picture() const { return Image1; }
    void activate();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QLabel* Image1;
    QPlainTextEdit* Memo1;
};
