#pragma once
#include "workspace/pages/config_page.h"

#include <QLineEdit>
#include <array>
#include <functional>

class QLabel;
class QMenu;

// One number's edit: the cursor never lands beyond the number typed so far,
// blanks left between digits close up when the edit is left, and a key the
// mask refuses is reported rather than dropped without a sign.
class PhoneNumberEdit : public QLineEdit {
    Q_OBJECT
  public:
    PhoneNumberEdit(int number, QWidget* parent);
    // The positions up to the last one that is not blank.
    int typedLength() const;

  signals:
    void keyRefused(QChar key);
    // The focus went elsewhere.
    void left();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void keepCursorInNumber();
    void closeGaps();
};

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
    void setLanguageSource(std::function<int()> language) { language_ = std::move(language); }
    // "phoneHint": why the last key did nothing or which numbers would not
    // reach the module as they stand; hidden when there is nothing to say.
    QLabel* hint() const { return hint_; }

  private:
    int language() const;
    void showHint(const QString& text);
    // Marks each number the module would not store as shown, with the reason.
    void markUnsendable();

    std::array<PhoneNumberEdit*, 8> edits_{};
    QLabel* hint_ = nullptr;
    std::function<int()> language_;
    QString refusal_; // until the edit is left
    QMenu* PopupMenu1 = nullptr;
    QLineEdit* popupTarget_ = nullptr;
};
