#pragma once
#include <QDialog>

class QTextEdit;

// "Telepítői leírás": the installer's manual, the same in every language and
// edition. The box can be typed into; nothing typed is kept beyond the run.
class Tleiras : public QDialog {
    Q_OBJECT
  public:
    explicit Tleiras(QWidget* parent = nullptr);
    QTextEdit* text() const { return RichEdit1; }

  private:
    QTextEdit* RichEdit1;
};

// The manual's text as shipped with the program.
QString installerManualText();
