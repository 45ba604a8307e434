#pragma once
#include <QDialog>
#include <QString>
#include <functional>

class QTextEdit;

// "Telepítői leírás": the maker's installer's manual, the same in every
// language and edition, read from the data folder. While the maker's text is
// not installed the box says so. The box can be typed into; nothing typed is
// kept beyond the run.
class Tleiras : public QDialog {
    Q_OBJECT
  public:
    explicit Tleiras(QWidget* parent = nullptr);
    QTextEdit* text() const { return RichEdit1; }
    // The configurator's language, for the note of a missing manual.
    std::function<int()> language = [] { return 0; };
    // The maker's manual (text) in the data folder.
    QString manualPath;
    bool hasManual() const { return loaded_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void loadManual();
    QTextEdit* RichEdit1;
    bool loaded_ = false;
};
