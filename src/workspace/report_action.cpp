#include "engine/link_engine.h"
#include "engine/status_block.h"
#include "i18n/messages.h"
#include "safety/safety_menu.h"
#include "safety/write_guard.h"
#include "settings/app_context.h"
#include "workspace/configuration_files.h"
#include "workspace/configurator_window.h"
#include "workspace/installation_panel.h"
#include "workspace/report_run.h"

#include <QDir>
#include <QFileInfo>

ReportRun::ReportRun(LinkEngine& engine) : subscription_(engine, this) {
    subscription_.setActive(true);
}

void ReportRun::modemOperationDone(int operation, const ModemResult& result) {
    if (operation == LinkCode::kImeiQuery && result.ok && !result.text.isEmpty())
        imei = result.text;
}

void TAV4Form1::buildReport() {
    reportRun_ = std::make_unique<ReportRun>(*engine_);
    connect(safetyMenu_, &SafetyMenu::reportRequested, this, &TAV4Form1::makeReport);
}

void TAV4Form1::rememberStatus(const QByteArray& block) {
    reportRun_->statusBlock = block;
}

std::optional<CommissioningReport::SendResult> TAV4Form1::lastSendResult() const {
    using Check = CommissioningReport::SendResult::Check;
    CommissioningReport::SendResult s;
    switch (guard_->outcome()) {
    case WriteGuard::Outcome::None:
        return std::nullopt;
    case WriteGuard::Outcome::Verified:
        s.check = Check::Verified;
        break;
    case WriteGuard::Outcome::Differs:
        s.check = Check::Differs;
        s.differences = guard_->report();
        break;
    case WriteGuard::Outcome::NotVerified:
        s.check = Check::NotVerified;
        break;
    case WriteGuard::Outcome::Abandoned:
        s.check = Check::Abandoned;
        break;
    case WriteGuard::Outcome::BackupFailed:
        // No backup was kept this time: the name the guard holds is an earlier send's.
        s.check = Check::BackupFailed;
        s.differences = guard_->report();
        return s;
    }
    s.backupFile = QFileInfo(guard_->lastBackup()).fileName();
    return s;
}

CommissioningReport::Facts TAV4Form1::reportFacts() const {
    CommissioningReport::Facts f;
    f.brandCode = ctx_.brandCode;
    f.modelCode = ModelCode_;
    f.image = imageToSend();
    f.installation = Panel16_->texts();
    f.imei = reportRun_->imei;
    f.lastSend = lastSendResult();
    if (!reportRun_->statusBlock.isEmpty()) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(reportRun_->statusBlock.constData());
        const StatusBlock::Display d =
            StatusBlock::decode({bytes, static_cast<size_t>(reportRun_->statusBlock.size())},
                                ModelCode_, moduleVersion(), language_);
        f.lastStatus = CommissioningReport::StatusPoll{d.signal, d.networkText};
    }
    f.generated = QDateTime::currentDateTime();
    return f;
}

void TAV4Form1::makeReport() {
    if (!holdsModuleData_) {
        showMessage(message("report.no_settings", language_));
        return;
    }
    // The send's outcome and the pages are still changing.
    if (ConfigurationFiles::transferRunning(*engine_) || guard_->busy()) {
        showMessage(message("report.busy", language_));
        return;
    }
    FileDialogRequest r;
    r.save = true;
    r.objectName = QStringLiteral("SaveDialogReport");
    r.nameFilters = {message("report.file_filter", language_), QStringLiteral("*.*")};
    r.defaultSuffix = QStringLiteral("pdf");
    r.directory = files_->dialogDirectory();
    const QString path = files_->chooseFile ? files_->chooseFile(r) : runFileDialog(this, r);
    if (path.isEmpty())
        return;
    QString why;
    if (!CommissioningReport::write(reportFacts(), language_, path, &why)) {
        showMessage(why);
        return;
    }
    showStatus(message("report.written", language_).arg(QDir::toNativeSeparators(path)));
}
