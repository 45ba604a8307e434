#include "maintenance/report_server_dialog.h"

#include "i18n/messages.h"
#include "maintenance/fault_report.h"
#include "ui/widgets.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ReportServerDialog::ReportServerDialog(const AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setObjectName(QString::fromLatin1(kObjectName));
    auto* v = new QVBoxLayout(this);

    current_ = new QLabel(this);
    current_->setObjectName(QStringLiteral("ReportServerCurrent"));
    current_->setWordWrap(true);
    current_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(current_);

    prompt_ = new QLabel(this);
    prompt_->setObjectName(QStringLiteral("ReportServerLabel"));
    prompt_->setWordWrap(true);
    v->addWidget(prompt_);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("ReportServerEdit"));
    edit_->setMinimumWidth(360);
    edit_->setMaxLength(kLongestValue);
    prompt_->setBuddy(edit_);
    v->addWidget(edit_);

    hint_ = new QLabel(this);
    hint_->setObjectName(QStringLiteral("ReportServerHint"));
    hint_->setWordWrap(true);
    v->addWidget(hint_);

    auto* buttons = new QDialogButtonBox(this);
    save_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    save_->setObjectName(QStringLiteral("ReportServerSave"));
    save_->setDefault(true);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel_->setObjectName(QStringLiteral("ReportServerCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    v->addWidget(buttons);
    applyLanguage(0);
}

void ReportServerDialog::applyLanguage(int language) {
    language_ = language;
    setWindowTitle(message("report_server.title", language));
    prompt_->setText(message("report_server.prompt", language));
    hint_->setText(message("report_server.hint", language).arg(FaultReport::kDefaultPort));
    save_->setText(message("report_server.save", language));
    cancel_->setText(message("report_server.cancel", language));
    showCurrent();
}

void ReportServerDialog::showCurrent() {
    const QString stored = ctx_.read(QString::fromLatin1(kSettingName)).trimmed();
    current_->setText(stored.isEmpty() ? message("report_server.current_none", language_)
                                       : message("report_server.current", language_).arg(stored));
}

void ReportServerDialog::openWindow() {
    edit_->setText(ctx_.read(QString::fromLatin1(kSettingName)).trimmed());
    applyLanguage(languageFromSetting(ctx_.read(QStringLiteral("Language"))));
    setWindowModality(Qt::ApplicationModal);
    adjustSize();
    centreOnScreen(this);
    show();
    edit_->setFocus();
    edit_->selectAll();
}

void ReportServerDialog::accept() {
    const QString typed = edit_->text().trimmed();
    if (!typed.isEmpty()) {
        const FaultReport::ServerCheck check = FaultReport::checkServer(typed);
        if (!check.server) {
            showMessage(this, FaultReport::faultText(check, language_));
            return;
        }
    }
    ctx_.write(QString::fromLatin1(kSettingName), typed);
    showCurrent();
    QDialog::accept();
}
