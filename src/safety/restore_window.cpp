#include "safety/restore_window.h"

#include "i18n/messages.h"
#include "safety/compare_window.h"
#include "safety/field_map.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
enum Column { kDate, kModel, kAccount, kDifferences, kColumnCount };
const QString kNoAccount = QStringLiteral("none");
} // namespace

RestoreWindow::RestoreWindow(std::function<int()> language, std::function<QString()> backupFolder,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), language_(std::move(language)),
      backupFolder_(std::move(backupFolder)) {
    setObjectName(QStringLiteral("RestoreWindow"));
    auto* v = new QVBoxLayout(this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("RestoreStatus"));
    status_->setWordWrap(true);
    v->addWidget(status_);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("RestoreList"));
    list_->setColumnCount(kColumnCount);
    list_->setRootIsDecorated(false);
    list_->setAlternatingRowColors(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    v->addWidget(list_, 1);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &RestoreWindow::showSelected);

    hint_ = new QLabel(this);
    hint_->setWordWrap(true);
    v->addWidget(hint_);
    compareHost_ = new QWidget(this);
    auto* compareLayout = new QVBoxLayout(compareHost_);
    compareLayout->setContentsMargins(0, 0, 0, 0);
    v->addWidget(compareHost_, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    send_ = new QPushButton(this);
    send_->setObjectName(QStringLiteral("RestoreSend"));
    send_->setEnabled(false);
    connect(send_, &QPushButton::clicked, this, &RestoreWindow::sendSelected);
    buttons->addWidget(send_);
    close_ = new QPushButton(this);
    close_->setObjectName(QStringLiteral("RestoreClose"));
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(close_);
    v->addLayout(buttons);
    applyTexts();
    resize(820, 640);
}

QString RestoreWindow::text(const char* key) const {
    return message(key, language_ ? language_() : 0);
}

void RestoreWindow::applyTexts() {
    setWindowTitle(text("restore.title"));
    list_->setHeaderLabels({text("restore.date"), text("restore.model"), text("restore.account"),
                            text("restore.differences")});
    hint_->setText(text("restore.hint"));
    send_->setText(text("restore.send"));
    close_->setText(text("restore.close"));
}

void RestoreWindow::openWindow() {
    applyTexts();
    rows_.clear();
    list_->clear();
    delete compare_;
    send_->setEnabled(false);
    status_->setText(text("restore.reading"));
    waiting_ = true;
    show();
    raise();
    activateWindow();
    emit moduleReadRequested();
}

void RestoreWindow::showModuleUnavailable(const QString& why) {
    waiting_ = false;
    status_->setText(why);
}

void RestoreWindow::showModule(const ConfigImage& module, int bytesRead, int modelCode) {
    // A read that comes after the window was closed, or that it did not ask for.
    if (!waiting_ || !isVisible())
        return;
    waiting_ = false;
    module_ = module;
    moduleBytes_ = bytesRead;
    modelCode_ = modelCode;

    const BackupStore store(backupFolder_ ? backupFolder_() : BackupStore::defaultFolder());
    const BackupStore::ModuleKey key =
        BackupStore::keyOf(module, modelCode, module[ImageAddress::kModuleVersion]);
    const auto accountText = [this](const QString& account) {
        return account == kNoAccount ? text("restore.no_account") : account;
    };
    for (const BackupStore::Backup& b : store.backupsFor(key)) {
        Row row{b, BackupStore::load(b.path, modelCode)};
        const QString differences =
            row.loaded.ok
                ? QString::number(FieldMap::diff(row.loaded.image, module, modelCode,
                                                 std::min(row.loaded.carriedBytes, bytesRead))
                                      .size())
                : QStringLiteral("?");
        auto* item = new QTreeWidgetItem(
            list_, {b.taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                    QString::number(b.key.modelCode), accountText(b.key.account), differences});
        item->setToolTip(kDate, b.path);
        if (b.otherNumbers(key))
            for (int column = 0; column < kColumnCount; ++column) {
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
                item->setToolTip(column, text("restore.other_numbers") + u'\n' + b.path);
            }
        rows_.push_back(std::move(row));
    }
    if (rows_.empty()) {
        status_->setText(text("restore.none"));
        return;
    }
    status_->setText(text("restore.module").arg(modelCode).arg(accountText(key.account)));
    list_->setCurrentItem(list_->topLevelItem(0));
}

void RestoreWindow::showSelected() {
    delete compare_;
    send_->setEnabled(false);
    const int index = list_->indexOfTopLevelItem(list_->currentItem());
    if (index < 0 || size_t(index) >= rows_.size())
        return;
    const Row& row = rows_[size_t(index)];
    if (!row.loaded.ok) {
        status_->setText(text("restore.unreadable").arg(row.loaded.error));
        return;
    }
    compare_ =
        new CompareWindow(CompareSide::own("restore.backup"), row.loaded.image,
                          CompareSide::own("restore.module_column"), module_, modelCode_,
                          std::min(row.loaded.carriedBytes, moduleBytes_),
                          language_ ? language_() : 0);
    compare_->embedIn(compareHost_);
    compareHost_->layout()->addWidget(compare_);
    compare_->show();
    send_->setEnabled(true);
}

void RestoreWindow::sendSelected() {
    const int index = list_->indexOfTopLevelItem(list_->currentItem());
    if (index < 0 || size_t(index) >= rows_.size() || !rows_[size_t(index)].loaded.ok)
        return;
    const QString path = rows_[size_t(index)].backup.path;
    close();
    emit restoreRequested(path);
}
