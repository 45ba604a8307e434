#include "safety/compare_window.h"

#include "safety/field_map.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CompareWindow::CompareWindow(const QString& leftTitle, const ConfigImage& left,
                             const QString& rightTitle, const ConfigImage& right, int modelCode,
                             int carriedBytes, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowTitle(QStringLiteral("Összehasonlítás"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(this);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("CompareSummary"));
    v->addWidget(summary_);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("CompareTree"));
    tree_->setColumnCount(3);
    tree_->setHeaderLabels({QStringLiteral("Lap / mező"), leftTitle, rightTitle});
    tree_->setRootIsDecorated(true);
    tree_->setAlternatingRowColors(true);
    v->addWidget(tree_, 1);

    QTreeWidgetItem* page = nullptr;
    const auto differences = FieldMap::diff(left, right, modelCode, carriedBytes);
    for (const FieldMap::FieldDifference& d : differences) {
        if (!page || page->text(0) != d.page) {
            page = new QTreeWidgetItem(tree_, {d.page});
            QFont bold = page->font(0);
            bold.setBold(true);
            page->setFont(0, bold);
            page->setFirstColumnSpanned(true);
        }
        auto* item = new QTreeWidgetItem(page, {d.name, d.left, d.right});
        item->setToolTip(0, QStringLiteral("%1..%2").arg(d.first).arg(d.last));
    }
    count_ = static_cast<int>(differences.size());
    QString summary = count_ == 0 ? QStringLiteral("Nincs eltérés: a két beállítás mezőről mezőre "
                                                   "ugyanaz.")
                                  : QStringLiteral("%1 mező tér el.").arg(count_);
    if (carriedBytes < ConfigImage::kSize)
        summary += QStringLiteral(" Csak a 0..%1 bájtok mezői: a fájl többet nem tartalmaz.")
                       .arg(carriedBytes - 1);
    summary_->setText(summary);
    tree_->expandAll();
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Bezárás"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    v->addWidget(buttons);
    resize(900, 520);
}

void CompareWindow::embedIn(QWidget* host) {
    setParent(host, Qt::Widget);
    setAttribute(Qt::WA_DeleteOnClose, false);
    layout()->setContentsMargins(0, 0, 0, 0);
    if (auto* buttons = findChild<QDialogButtonBox*>())
        buttons->hide();
}
