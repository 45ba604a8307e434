#pragma once
#include "image/config_image.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// One side of a comparison: one of the tool's own (the window, the module),
// named by a message key, or a file, named by its file name in every language.
struct CompareSide {
    const char* key = nullptr;
    QString fileName;

    static CompareSide own(const char* key) { return {key, {}}; }
    static CompareSide file(const QString& name) { return {nullptr, name}; }
    QString title(int language) const;
};

// Two configurations side by side, field by field and page by page: only the
// fields whose values differ, named and shown as the pages name and show them,
// then the differing bytes that no field holds (address, both values).
class CompareWindow : public QWidget {
    Q_OBJECT
  public:
    CompareWindow(const CompareSide& left, const ConfigImage& leftImage, const CompareSide& right,
                  const ConfigImage& rightImage, int modelCode,
                  int carriedBytes = ConfigImage::kSize, int language = 0,
                  QWidget* parent = nullptr);

    // Title, column headers, summary and button in the language; the fields
    // are the pages' and stay as they are.
    void applyLanguage(int language);

    QTreeWidget* tree() const { return tree_; }
    int differenceCount() const { return count_; }
    // Differing bytes that no field holds, listed under their own heading.
    int otherByteCount() const { return otherCount_; }
    // Shows the comparison as part of another window: no frame and no close
    // button of its own; it lives as long as its parent keeps it.
    void embedIn(QWidget* host);

  private:
    CompareSide left_;
    CompareSide right_;
    int carriedBytes_;
    QTreeWidget* tree_;
    QLabel* summary_;
    QLabel* carried_; // which bytes a shorter file lets the comparison see
    QPushButton* close_;
    QTreeWidgetItem* otherBytes_ = nullptr;
    int count_ = 0;
    int otherCount_ = 0;
};
