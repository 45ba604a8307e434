// What the configurator holds and where it came from: the title, the edits
// not yet sent, and the question before an action would drop them.
#include "workspace/configurator_window.h"

#include "i18n/messages.h"
#include "image/image_convert.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "ui/mnemonic_groups.h"
#include "workspace/configuration_files.h"
#include "workspace/installation_panel.h"
#include "workspace/pages/configurator_pages.h"
#include "workspace/send_plan.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
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

// The fields the installer touched whose values the window's bytes (the module
// as last read or sent, the file last opened or saved) do not hold yet. The
// defaults of a window that never held a module are no edit.
bool TAV4Form1::hasUnsentEdits() const {
    const ImageValues shown = pages_->shownValues();
    const ImageContext context = imageContext();
    const SendPlan::WindowState asHeld{nullptr, &image_};
    const SendPlan::WindowState edited{&pages_->touchedValues(), &image_};
    return SendPlan::target(image_, shown, context, edited).bytes !=
           SendPlan::target(image_, shown, context, asHeld).bytes;
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

QString TAV4Form1::versionBoxText() const {
    switch (ctx_.brandCode) {
    case 10:
        return QStringLiteral("Olmira Programska različica 2.1");
    case 20:
        return QStringLiteral("Program version 2.1");
    case 30:
        return QStringLiteral("Belvance Program version 2.2");
    case 50:
        return QStringLiteral("Dravik program version 2.3");
    default:
        break;
    }
    const EditionInfo& e = edition(ctx_.brandCode);
    QString text = captionWithoutFirmware(QString::fromUtf8(e.configuratorTitle));
    if (!moduleFirmware_.isEmpty())
        text += QStringLiteral(" / ") +
                message("workspace.title_firmware", language_).arg(moduleFirmware_);
    return text;
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

namespace {

// Enter and Return press the focused button, as Space does: in a main window
// there is no dialog to take them as its default button.
class EnterPressesButton : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || (key != Qt::Key_Return && key != Qt::Key_Enter) || !button->isEnabled())
            return false;
        button->animateClick();
        return true;
    }
};

} // namespace

QList<QAbstractButton*> TAV4Form1::mnemonicButtons() const {
    return {BitBtn2, BitBtn1, Panel16_->saveButton(), Panel16_->openButton(), BitBtn4, BitBtn3};
}

QList<QAbstractButton*> TAV4Form1::laterMnemonicButtons() const {
    QList<QAbstractButton*> service;
    for (QWidget* w : serviceControls_)
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            service << b;
    return service;
}

void TAV4Form1::placeMnemonics() {
    MnemonicGroups::place(menuBar(), mnemonicButtons(), laterMnemonicButtons());
}

void TAV4Form1::setUpKeyboard() {
    placeMnemonics();
    auto shortcut = [this](QAction* action, const QKeySequence& key) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    };
    shortcut(menuItem("Olvass1"), QKeySequence(Qt::Key_F5));
    auto* save = new QAction(this);
    save->setObjectName(QStringLiteral("saveShortcut"));
    shortcut(save, QKeySequence::Save);
    connect(save, &QAction::triggered, this, &TAV4Form1::saveConfiguration);
    auto* open = new QAction(this);
    open->setObjectName(QStringLiteral("openShortcut"));
    shortcut(open, QKeySequence::Open);
    connect(open, &QAction::triggered, this, &TAV4Form1::openConfiguration);
    addActions({save, open});

    auto* enter = new EnterPressesButton(this);
    for (QPushButton* b : findChildren<QPushButton*>())
        b->installEventFilter(enter);

    // Reading order: the pages, the installation panel, then the buttons below.
    QList<QWidget*> chain;
    auto collect = [&chain](QWidget* root) {
        QWidget* w = root;
        do {
            if (w == root || root->isAncestorOf(w))
                if (w->focusPolicy() & Qt::TabFocus && !chain.contains(w))
                    chain << w;
            w = w->nextInFocusChain();
        } while (w != root);
    };
    collect(PageControl1);
    collect(Panel16_);
    for (QWidget* b : {static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtn2),
                       static_cast<QWidget*>(BitBtn4), static_cast<QWidget*>(BitBtn3)})
        chain << b;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    // The focused control stands out from the others at a glance; the mark
    // takes no room from a button's caption.
    QPalette p = palette();
    p.setColor(QPalette::Highlight, QColor(0, 70, 200));
    setPalette(p);
    setStyleSheet(QStringLiteral("QPushButton:focus { border: 2px solid rgb(0, 70, 200); "
                                 "border-radius: 3px; padding: 0px; background: white; }"));
}
