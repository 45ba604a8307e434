#include "workspace/trace_menu.h"

#include "i18n/messages.h"
#include "serial/serial_trace.h"
#include "ui/widgets.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

TraceMenuItem::TraceMenuItem(QMenu* menu, QWidget* window, std::function<int()> language)
    : QObject(window), window_(window), language_(std::move(language)) {
    // Made by the menu, so that the window finds it among its menu items.
    action_ = menu->addAction(QStringLiteral("Soros napló (trace)..."));
    action_->setObjectName(QString::fromLatin1(kObjectName));
    action_->setCheckable(true);
    action_->setChecked(SerialTrace::active() != nullptr);
    connect(action_, &QAction::triggered, this, &TraceMenuItem::triggered);
    connect(menu, &QMenu::aboutToShow, this,
            [this] { action_->setChecked(SerialTrace::active() != nullptr); });
}

QString TraceMenuItem::text(const char* key) const {
    return message(key, language_ ? language_() : 0);
}

void TraceMenuItem::triggered(bool checked) {
    if (!checked) {
        SerialTrace::stop();
        return;
    }
    const QString path = chooseFile();
    if (path.isEmpty()) {
        action_->setChecked(false);
        return;
    }
    QString error;
    if (!SerialTrace::start(path, &error)) {
        action_->setChecked(false);
        showMessage(window_, text("trace.cannot_write").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    lastFolder_ = QFileInfo(path).absolutePath();
}

QString TraceMenuItem::chooseFile() {
    QFileDialog dialog(window_, text("trace.save_title"));
    dialog.setObjectName(QString::fromLatin1(kDialogName));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({text("trace.file_filter"), text("trace.all_files")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(lastFolder_.isEmpty() ? QDir::homePath() : lastFolder_);
    dialog.selectFile(
        QStringLiteral("alvento-trace-%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
