#include "safety/compare_window.h"

#include "i18n/messages.h"
#include "safety/field_map.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

QString CompareSide::title(int language) const {
    return key ? message(key, language) : fileName;
}

CompareWindow::CompareWindow(const CompareSide& left, const ConfigImage& leftImage,
                             const CompareSide& right, const ConfigImage& rightImage, int modelCode,
                             int carriedBytes, int language, QWidget* parent)
    : QWidget(parent, Qt::Window), left_(left), right_(right), carriedBytes_(carriedBytes) {
    setObjectName(QStringLiteral("CompareWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(this);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("CompareSummary"));
    summary_->setWordWrap(true);
    v->addWidget(summary_);
    carried_ = new QLabel(this);
    carried_->setObjectName(QStringLiteral("CompareCarried"));
    carried_->setWordWrap(true);
    carried_->setVisible(carriedBytes < ConfigImage::kSize);
    v->addWidget(carried_);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("CompareTree"));
    tree_->setColumnCount(3);
    tree_->setRootIsDecorated(true);
    tree_->setAlternatingRowColors(true);
    v->addWidget(tree_, 1);

    QTreeWidgetItem* page = nullptr;
    const auto differences = FieldMap::diff(leftImage, rightImage, modelCode, carriedBytes);
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
    const auto others = FieldMap::otherBytes(leftImage, rightImage, modelCode, carriedBytes);
    if (!others.empty()) {
        otherBytes_ = new QTreeWidgetItem(tree_);
        QFont bold = otherBytes_->font(0);
        bold.setBold(true);
        otherBytes_->setFont(0, bold);
        otherBytes_->setFirstColumnSpanned(true);
        for (const FieldMap::ByteDifference& d : others)
            new QTreeWidgetItem(otherBytes_,
                                {QString::number(d.address), FieldMap::byteText(d.left),
                                 FieldMap::byteText(d.right)});
    }
    otherCount_ = static_cast<int>(others.size());
    tree_->expandAll();
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close_ = buttons->button(QDialogButtonBox::Close);
    close_->setObjectName(QStringLiteral("CompareClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    v->addWidget(buttons);
    // Escape closes it as it would a dialog; embedded, the host decides.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (isWindow())
            close();
    });
    applyLanguage(language);
    resize(900, 520);
}

void CompareWindow::embedIn(QWidget* host) {
    setParent(host, Qt::Widget);
    setAttribute(Qt::WA_DeleteOnClose, false);
    layout()->setContentsMargins(0, 0, 0, 0);
    if (auto* buttons = findChild<QDialogButtonBox*>())
        buttons->hide();
}

void CompareWindow::applyLanguage(int language) {
    setWindowTitle(message("safety.compare_title", language));
    tree_->setHeaderLabels({message("safety.compare_field_column", language), left_.title(language),
                            right_.title(language)});
    if (otherCount_ > 0)
        summary_->setText(
            message("safety.compare_other_count", language).arg(count_).arg(otherCount_));
    else
        summary_->setText(count_ == 0 ? message("safety.compare_same", language)
                                      : message("safety.compare_count", language).arg(count_));
    if (otherBytes_)
        otherBytes_->setText(0, message("safety.compare_other_bytes", language));
    if (carriedBytes_ < ConfigImage::kSize)
        carried_->setText(message("safety.compare_carried", language).arg(carriedBytes_ - 1));
    close_->setText(message("safety.close", language));
}
