// What the configurator holds and where it came from: the title, the edits
// not yet sent, and the question before an action would drop them.
#include "workspace/configurator_window.h"

#include "i18n/messages.h"
#include "image/image_convert.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "workspace/configuration_files.h"
#include "workspace/pages/configurator_pages.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTime>
#include <QTimer>

namespace {

// An edition's caption names a firmware of its own; only the module can say
// which one it runs, so that part is left to the read.
QString captionWithoutFirmware(const QString& caption) {
    static const QRegularExpression firmware(QStringLiteral("(GSM\\s+)?Firmware:\\s*[0-9.]+"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString text = caption;
    text.remove(firmware);
    text.replace(QRegularExpression(QStringLiteral("\\s*/\\s*/\\s*")), QStringLiteral(" / "));
    text = text.simplified();
    while (text.endsWith(u'/') || text.startsWith(u'/'))
        text = (text.endsWith(u'/') ? text.chopped(1) : text.mid(1)).trimmed();
    return text;
}

} // namespace

bool TAV4Form1::hasUnsentEdits() const {
    ConfigImage untouched = image_;
    encodeImage(untouched, ImageValues{}, imageContext());
    return imageToSend().bytes != untouched.bytes;
}

bool TAV4Form1::settleUnsentEdits() {
    if (!hasUnsentEdits())
        return true;
    switch (askUnsentEdits()) {
    case UnsentChoice::Discard:
        return true;
    case UnsentChoice::Send:
        BitBtn1Click();
        return false;
    case UnsentChoice::Cancel:
        return false;
    }
    return false;
}

void TAV4Form1::refreshTitle() {
    const EditionInfo& e = edition(ctx_.brandCode);
    QStringList parts{captionWithoutFirmware(
        QString::fromUtf8(e.configuratorCaption ? e.configuratorCaption : e.configuratorTitle))};
    if (!titleSource_.isEmpty())
        parts << titleSource_;
    if (!moduleFirmware_.isEmpty())
        parts << message("workspace.title_firmware", language_).arg(moduleFirmware_);
    setWindowTitle(parts.join(QStringLiteral(" - ")) + QStringLiteral("[*]"));
    refreshModifiedMark();
}

void TAV4Form1::refreshModifiedMark() {
    setWindowModified(hasUnsentEdits());
}

void TAV4Form1::watchForEdits() {
    // Many controls change at once when a page is filled: one look afterwards.
    modifiedCheck_ = new QTimer(this);
    modifiedCheck_->setSingleShot(true);
    modifiedCheck_->setInterval(0);
    connect(modifiedCheck_, &QTimer::timeout, this, &TAV4Form1::refreshModifiedMark);
    auto later = [this] { modifiedCheck_->start(); };
    for (QWidget* w : centralWidget()->findChildren<QWidget*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            connect(edit, &QLineEdit::textChanged, this, later);
        else if (auto* box = qobject_cast<QComboBox*>(w))
            connect(box, &QComboBox::currentIndexChanged, this, later);
        else if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->isCheckable())
            connect(button, &QAbstractButton::toggled, this, later);
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
            connect(spin, &QAbstractSpinBox::editingFinished, this, later);
        else if (auto* list = qobject_cast<QListWidget*>(w))
            connect(list, &QListWidget::itemChanged, this, later);
    }
    // Spins and check lists report some changes only by their value.
    for (QObject* o : centralWidget()->findChildren<QObject*>()) {
        const QMetaObject* m = o->metaObject();
        for (const char* signal : {"targetsChanged()", "valueChanged(int)"}) {
            const int index = m->indexOfSignal(signal);
            if (index >= 0)
                QObject::connect(o, m->method(index), modifiedCheck_,
                                 modifiedCheck_->metaObject()->method(
                                     modifiedCheck_->metaObject()->indexOfSlot("start()")));
        }
    }
}

void TAV4Form1::noteSaved(const QString& path) {
    titleSource_ = QFileInfo(path).fileName();
    showStatus(message("workspace.saved", language_).arg(QDir::toNativeSeparators(path)));
    refreshTitle();
}
