#pragma once
#include "workspace/pages/config_page.h"

#include <array>

class QLineEdit;
class QMenu;

// Page "Telefonszámok": the eight numbers MaskEdit1..MaskEdit8 at 256 + 16 (n - 1).
// Each takes 16 positions: a digit, '+' or '-' first, then digits; blank
// positions read as spaces. Numbers 5..8 sit in "PhoneNumbers5to8", which
// ModelCode 80 hides. A right click offers "Delete", "+3630" and "+3620".
class PhoneNumbersPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit PhoneNumbersPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;

    // The 16-character texts, blanks as spaces, as the check lists need them.
    PhoneTexts texts() const;
    QLineEdit* edit(int index) const { return edits_[size_t(index)]; }

    // PopupMenu1 and the edit it acts on (the one last right-clicked).
    QMenu* popup() const { return PopupMenu1; }
    void setPopupTarget(QLineEdit* edit) { popupTarget_ = edit; }

  private:
    std::array<QLineEdit*, 8> edits_{};
    QMenu* PopupMenu1 = nullptr;
    QLineEdit* popupTarget_ = nullptr;
};
