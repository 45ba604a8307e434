#pragma once
#include "image/config_image.h"

#include <QWidget>

class QLabel;
class QTreeWidget;

// Two configurations side by side, field by field and page by page: only the
// fields whose values differ, named and shown as the pages name and show them.
class CompareWindow : public QWidget {
    Q_OBJECT
  public:
    CompareWindow(const QString& leftTitle, const ConfigImage& left, const QString& rightTitle,
                  const ConfigImage& right, int modelCode, int carriedBytes = ConfigImage::kSize,
                  QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tree_; }
    int differenceCount() const { return count_; }
    // Shows the comparison as part of another window: no frame and no close
    // button of its own; it lives as long as its parent keeps it.
    void embedIn(QWidget* host);

  private:
    QTreeWidget* tree_;
    QLabel* summary_;
    int count_ = 0;
};
