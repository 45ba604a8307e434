#include "maintenance/monitor_window.h"

#include <algorithm>

#include "engine/link_engine.h"
#include "i18n/messages.h"
#include "image/file_access.h"
#include "image/file_text.h"
#include "maintenance/fault_report.h"
#include "maintenance/maintenance_captions.h"
#include "settings/app_context.h"
#include "ui/widgets.h"

#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const CaptionRow kCaptions[] = {
    {"", "Monitor", "Monitor", "Überwachen", "Nadzor"},
    {"BitBtn1", "Rendben", "OK", "OK", "OK"},
    {"BitBtn2", "Mentés Fileba", "Save to file", "In Datei speichern", "Shrani v datoteko"},
    {"Button1", "Törlés", "Delete", "Löschen", "Izbriši"},
    {"Button2", "Elküld", "Send", "Senden", "Pošlji"},
    {"Label1", "Monitorozás után, kérem indítsa újra a GSM modult!!!",
     "After monitoring please restart GSM module!!!", "GSM-Modul nach Überwachung neustarten!!!",
     "Po nadzoru prosim znova zaženi GSM modul!"},
};
} // namespace

TAV4Form3::TAV4Form3(LinkEngine& engine, AppContext& ctx, QWidget* parent)
    : QDialog(parent), engine_(engine), ctx_(ctx), subscription_(engine, this),
      Timer1(new QTimer(this)), sender_(new FaultReportSender(this)) {
    setObjectName(QStringLiteral("TAV4Form3"));
    setWindowTitle(QStringLiteral("Monitor"));
    askText = [this](const QString& caption, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    askSaveFile = [this] {
        QFileDialog d(this, QString(), ctx_.startDir, QStringLiteral("Szöveges File (*.TXT)"));
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setDefaultSuffix(QStringLiteral("TXT"));
        return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty()
                   ? d.selectedFiles().first()
                   : QString();
    };
    showMessage = [this](const QString& text) { ::showMessage(this, text); };
    clock = [] { return QDateTime::currentDateTime(); };

    auto* v = new QVBoxLayout(this);
    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setUndoRedoEnabled(false);
    RichEdit1->setMaximumBlockCount(kMaxLines);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    RichEdit1->setFont(mono);
    v->addWidget(RichEdit1, 1);
    Label1 =
        new QLabel(QStringLiteral("Monitorozás után, kérem indítsa újra a GSM modult!!!"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(
        QStringLiteral("color: red; background-color: yellow; font-weight: bold;"));
    Label1->setAlignment(Qt::AlignCenter);
    v->addWidget(Label1);
    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    BitBtn2 = button("BitBtn2", "Mentés Fileba");
    Button1 = button("Button1", "Törlés");
    Button2 = button("Button2", "Elküld");
    buttons->addStretch(1);
    BitBtn1 = button("BitBtn1", "Rendben");
    v->addLayout(buttons);
    resize(760, 520);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &TAV4Form3::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &TAV4Form3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TAV4Form3::Button2Click);
    connect(sender_, &FaultReportSender::finished, this, [this](bool ok) {
        Button2->setEnabled(true);
        showMessage(ok ? QStringLiteral("OK") : message("monitor.send_failed", language()));
    });

    // The marks run from program start, whether the window is open or not.
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kFirstMarkMs);
    connect(Timer1, &QTimer::timeout, this, &TAV4Form3::Timer1Tick);
    Timer1->start();
}

int TAV4Form3::language() const {
    return languageFromSetting(ctx_.read(QStringLiteral("Language")));
}

bool TAV4Form3::reportRunning() const {
    return sender_->running();
}

bool TAV4Form3::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && isVisible() && activated_)
        FormActivate();
    return QDialog::event(e);
}

void TAV4Form3::openWindow() {
    subscription_.setActive(true);
    applyCaptions(this, kCaptions, int(std::size(kCaptions)), language());
    setWindowModality(Qt::ApplicationModal);
    activated_ = false;
    show();
    raise();
    activateWindow();
    FormActivate();
    activated_ = true;
}

void TAV4Form3::FormActivate() {
    // Already in monitor mode (a message box closed over the window): stay.
    const int32_t c = engine_.state().LinkCommand;
    if (c != LinkCode::kMonitorEnter && c != LinkCode::kMonitorRunning)
        engine_.startMonitor();
    Timer1->setInterval(kFirstMarkMs);
    Timer1->start();
    if (!scaled_) {
        scaled_ = true;
        applyScreenScale(this, screenScale(ctx_.read(QStringLiteral("monitor"))));
    }
}

void TAV4Form3::Timer1Tick() {
    Timer1->setInterval(kMarkMs);
    const QDateTime now = clock();
    const QLocale locale;
    QString mark = QStringLiteral("##########") +
                   locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                   now.time().toString(QStringLiteral("HH:mm:ss"));
    // A mark is a line of its own.
    if (lineLength_ > 0)
        mark.prepend(QLatin1Char('\n'));
    append(mark + QLatin1Char('\n'));
}

void TAV4Form3::monitorText(const QByteArray& bytes) {
    append(fromFileText(bytes));
}

void TAV4Form3::append(const QString& text) {
    // Line ends come as CR LF; the control keeps one line per block.
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\r'))
            continue;
        if (c == QLatin1Char('\n')) {
            lineLength_ = 0;
        } else if (++lineLength_ > kMaxLineLength) {
            out += QLatin1Char('\n');
            lineLength_ = 1;
        }
        out += c;
    }
    QTextDocument* doc = RichEdit1->document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(out);
    if (doc->characterCount() > kMaxCharacters) {
        // The oldest whole lines go, down to nine tenths of the limit, so that
        // this happens once in a while rather than with every piece of text.
        const int cut = doc->characterCount() - kMaxCharacters / 10 * 9;
        int upTo = 0;
        for (QTextBlock b = doc->begin(); b.isValid() && upTo < cut; b = b.next())
            upTo = b.position() + b.length();
        QTextCursor oldest(doc);
        oldest.setPosition(0);
        oldest.setPosition(std::min(upTo, doc->characterCount() - 1), QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
    RichEdit1->moveCursor(QTextCursor::End);
}

QString TAV4Form3::monitorText() const {
    QString text = RichEdit1->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TAV4Form3::BitBtn2Click() {
    const QString path = askSaveFile();
    if (path.isEmpty())
        return;
    // Only ever in place of a regular file, whole or not at all.
    if (const FileAccess::Error e =
            FileAccess::writeWhole(path, toFileText(monitorText() + QStringLiteral("\r\n"))))
        showMessage(FileAccess::errorText(e));
}

void TAV4Form3::Button1Click() {
    RichEdit1->clear();
    lineLength_ = 0;
}

void TAV4Form3::Button2Click() {
    const int lang = language();
    // Nothing is asked of the installer for a report that could not go anywhere.
    const QString setting = ctx_.read(QStringLiteral("reportserver"));
    if (setting.trimmed().isEmpty()) {
        showMessage(message("monitor.no_server", lang));
        return;
    }
    const FaultReport::ServerCheck check = FaultReport::checkServer(setting);
    if (!check.server) {
        showMessage(message("monitor.send_failed", lang) + QLatin1Char('\n') +
                    FaultReport::faultText(check, lang));
        return;
    }
    const auto imei =
        askText(message("monitor.imei_title", lang), message("monitor.ask_imei", lang));
    if (!imei)
        return;
    if (imei->size() != FaultReport::kImeiLength) {
        showMessage(message("monitor.bad_imei", lang));
        return;
    }
    const auto description =
        askText(message("monitor.error_title", lang), message("monitor.error_prompt", lang));
    if (!description)
        return;
    const auto& server = check.server;
    Button2->setEnabled(false);
    sender_->send(*server, FaultReport::build(*imei, engine_.state().ModuleVersion, *description,
                                              monitorText()));
}

void TAV4Form3::done(int result) {
    subscription_.setActive(false);
    // The module goes back to its own program.
    engine_.leaveMonitor();
    QDialog::done(result);
}
