#pragma once
#include <QWidget>

class AlventoApplication;
class ClickableLabel;

// First-start language chooser: four flags, no close button.
class TForm10 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm10(AlventoApplication& app, QWidget* parent = nullptr);
    // Flag i (0 Hungarian, 1 English, 2 German, 3 Slovenian) was clicked.
    void chooseLanguage(int language);
    ClickableLabel* flag(int language) const { return flags_[language]; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    AlventoApplication& app_;
    ClickableLabel* flags_[4];
};

// Resource path of a language's flag picture.
QString flagPicture(int language);
