#pragma once
#include <QDialog>

class QPlainTextEdit;
class QStackedLayout;

// The converter's help: its user guide, and how to set up its network module
// in TELNET mode. Both texts sit in the same place.
class TForm6 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm6(QWidget* parent = nullptr);

    // Opens modally on the user guide; the caller goes on.
    void showGuide();
    void showTelnet();
    bool telnetShown() const;

  protected:
    void done(int r) override;

  private:
    QStackedLayout* stack_;
    QPlainTextEdit* guide_;
    QPlainTextEdit* telnet_;
};
