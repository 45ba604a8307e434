#include "maintenance/firmware_window.h"

#include "engine/link_engine.h"
#include "ui/widgets.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRegion>
#include <QTimer>

namespace {
constexpr int kCornerRadius = 40;
constexpr int kProgressMaximum = 511;
// While the module loads, the bar counts half-seconds up to about two minutes.
constexpr int kLoadTicks = 256;
constexpr int kLoadTickMs = 500;
constexpr int kParseDelayMs = 1000;

bool firmwareCommand(const LinkEngineState& s) {
    const int32_t c = s.LinkCommand;
    return c == LinkCode::kProcessorQuery || c == LinkCode::kFirmwareStreamStart ||
           c == LinkCode::kFirmwareBlock || c == LinkCode::kFirmwareLoad ||
           (c == LinkCode::kVersionQuery && s.VersionPopup == 3);
}
} // namespace

TAV4Form9::TAV4Form9(LinkEngine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine), Timer1(new QTimer(this)), parseTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("TAV4Form9"));
    setWindowTitle(QStringLiteral("Firmware"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setBackground(this, QColor(Qt::red));
    askText = [this](const QString& caption, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    showMessage = [this](const QString& text) { ::showMessage(this, text); };

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(40, 30, 40, 30);
    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    Label1 = label("Label1", QStringLiteral("Firmware download FPGA (Tápot ne húzza le FPGA "
                                            "letöltésekor)"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setWordWrap(true);
    Label2 = label("Label2", QStringLiteral("Firmware: Not"));
    Label3 = label("Label3", QStringLiteral("?"));
    Label4 = label("Label4", QStringLiteral("?"));
    Label5 = label("Label5", QStringLiteral("?"));
    Label6 = label("Label6", QStringLiteral("Nincs elérhető új Firmware!"));
    Label6->hide();
    Label6->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* old = new QAction(QStringLiteral("Download OLD firmware!"), Label6);
    old->setObjectName(QStringLiteral("DownloadOLDfirmware1"));
    Label6->addAction(old);
    connect(old, &QAction::triggered, this, &TAV4Form9::oldFirmware);
    Button1 = new QPushButton(QStringLiteral("Download Start"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);
    BitBtn3 = new QPushButton(QStringLiteral("Kilépés"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, kProgressMaximum);
    ProgressBar1->setValue(0);

    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(Label2, 1, 0, 1, 3);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(Label4, 2, 1);
    grid->addWidget(Label5, 2, 2);
    grid->addWidget(Label6, 3, 0, 1, 3);
    grid->addWidget(ProgressBar1, 4, 0, 1, 3);
    grid->addWidget(Button1, 5, 0);
    grid->addWidget(BitBtn3, 5, 2);
    resize(520, 300);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kLoadTickMs);
    connect(Timer1, &QTimer::timeout, this, [this] {
        ProgressBar1->setValue(ProgressBar1->value() + 1);
        if (ProgressBar1->value() >= kLoadTicks)
            Timer1->stop();
    });
    parseTimer_->setSingleShot(true);
    parseTimer_->setInterval(kParseDelayMs);
    connect(parseTimer_, &QTimer::timeout, this, &TAV4Form9::startDownload);
    connect(Button1, &QPushButton::clicked, this, &TAV4Form9::Button1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
}

TAV4Form9::~TAV4Form9() {
    listen(false);
}

void TAV4Form9::listen(bool on) {
    if (on == listening_)
        return;
    listening_ = on;
    if (on)
        engine_.addMaintenanceListener(this);
    else
        engine_.removeMaintenanceListener(this);
}

void TAV4Form9::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    QPainterPath path;
    path.addRoundedRect(rect(), kCornerRadius, kCornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

bool TAV4Form9::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && isVisible() && activated_)
        FormActivate();
    return QDialog::event(e);
}

void TAV4Form9::openWindow() {
    listen(true);
    setWindowModality(Qt::ApplicationModal);
    activated_ = false;
    show();
    raise();
    activateWindow();
    FormActivate();
    activated_ = true;
}

void TAV4Form9::FormActivate() {
    // A download on its way keeps its labels and its command; one the engine
    // has let go of (the port was lost) does not.
    if (downloading_ && firmwareCommand(engine_.state()))
        return;
    downloading_ = false;
    for (QLabel* l : {Label2, Label3, Label4, Label5})
        l->setText(QStringLiteral("?"));
    Button1->setEnabled(false);
    engine_.startProcessorQuery();
}

void TAV4Form9::processorAnswered(const ProcessorAnswer& a) {
    processor_ = a.processor;
    Label2->setText(a.processor == FirmwareImage::kProcessor ? QStringLiteral("Processor: J10")
                                                             : QStringLiteral("Processor: J11"));
    if (a.processor == FirmwareImage::kProcessor && !a.startsAtOnce) {
        Label3->setText(QStringLiteral("SW:%1").arg(a.software));
        Label4->setText(QStringLiteral("HW:%1").arg(a.hardware));
        Label5->setText(QStringLiteral("BW:%1").arg(a.third));
        // The same version may be downloaded again; a newer one is kept.
        const bool older = FirmwareImage::kCarriedVersion < a.software;
        Button1->setEnabled(!older);
        Label6->setVisible(older);
        return;
    }
    // The oldest modules start at once; a J11 is told the image is not for it.
    parseTimer_->start();
}

void TAV4Form9::Button1Click() {
    parseTimer_->start();
}

void TAV4Form9::oldFirmware() {
    const auto code = askText(QStringLiteral("Activation OLD firmware"),
                              QStringLiteral("Please enter your activation code"));
    if (code && *code == QLatin1String(kServiceCode))
        Button1Click();
}

void TAV4Form9::startDownload() {
    if (processor_ != FirmwareImage::kProcessor) {
        showMessage(QStringLiteral("FAULT FIRMWARE"));
        return;
    }
    static const FirmwareImage::Parsed kNone{{}, QStringLiteral("No firmware image is carried.")};
    const FirmwareImage::Parsed& image = carriedImage ? carriedImage() : kNone;
    if (!image.ok()) {
        showMessage(image.error);
        return;
    }
    downloading_ = true;
    Button1->setEnabled(false);
    ProgressBar1->setValue(0);
    engine_.startFirmwareDownload(std::span(
        reinterpret_cast<const uint8_t*>(image.bytes.constData()), size_t(image.bytes.size())));
}

void TAV4Form9::firmwareDownloadStarted() {
    Label1->setText(QStringLiteral("Memory Download"));
}

void TAV4Form9::firmwareBlockSent(int block) {
    Label5->setText(QStringLiteral("FirmPnt:%1").arg(block));
}

void TAV4Form9::firmwareBlockAcknowledged(int block) {
    ProgressBar1->setValue(std::min(block + 1, kProgressMaximum));
}

void TAV4Form9::firmwareLoadSent() {
    Label1->setText(QStringLiteral("FPGA Download please wait..."));
    ProgressBar1->setValue(0);
    Timer1->start();
}

void TAV4Form9::firmwareFailed(FirmwareFailure failure) {
    downloading_ = false;
    if (failure == FirmwareFailure::BlockNotAcknowledged) {
        showMessage(QStringLiteral("ERROR communication!"));
        return;
    }
    ProgressBar1->setValue(0);
    Label1->setText(QStringLiteral("ERROR please check communication"));
}

void TAV4Form9::versionAfterLoad() {
    downloading_ = false;
    if (isVisible())
        accept();
}

void TAV4Form9::done(int result) {
    Timer1->stop();
    parseTimer_->stop();
    ProgressBar1->setValue(0);
    // Closing stops the download wherever it is; the module keeps what it has.
    if (firmwareCommand(engine_.state()))
        engine_.stopCommand();
    downloading_ = false;
    listen(false);
    QDialog::done(result);
}
