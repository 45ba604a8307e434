#include "maintenance/firmware_window.h"

#include "engine/link_engine.h"
#include "i18n/messages.h"
#include "image/file_access.h"
#include "settings/app_context.h"
#include "ui/widgets.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
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

// A software version byte as the status bar shows it: 43 is "4.3".
QString versionText(int v) {
    return QStringLiteral("%1.%2").arg(v / 10).arg(v % 10);
}
} // namespace

TAV4Form9::TAV4Form9(LinkEngine& engine, const AppContext& ctx, QWidget* parent)
    : QDialog(parent), engine_(engine), ctx_(ctx), subscription_(engine, this),
      Timer1(new QTimer(this)), parseTimer_(new QTimer(this)) {
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
    chooseFile = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(this, caption, ctx_.startDir, filter);
    };
    askYesNo = [this](const QString& question) {
        return QMessageBox::question(this, QString(), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
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
    imageLabel_ = label("firmwareImage", QString());
    imageLabel_->setWordWrap(true);
    imageLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Button1 = new QPushButton(QStringLiteral("Download Start"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setEnabled(false);
    openButton_ = new QPushButton(this);
    openButton_->setObjectName(QStringLiteral("openFirmwareFile"));
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
    grid->addWidget(imageLabel_, 4, 0, 1, 3);
    grid->addWidget(ProgressBar1, 5, 0, 1, 3);
    grid->addWidget(Button1, 6, 0);
    grid->addWidget(openButton_, 6, 1);
    grid->addWidget(BitBtn3, 6, 2);
    resize(560, 380);

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
    connect(openButton_, &QPushButton::clicked, this, &TAV4Form9::openImageFile);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
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
    subscription_.setActive(true);
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
    processor_ = 0;
    moduleSoftware_.reset();
    showImageState();
    engine_.startProcessorQuery();
}

int TAV4Form9::language() const {
    return languageFromSetting(ctx_.read(QStringLiteral("Language")));
}

const FirmwareImage::Parsed* TAV4Form9::image() const {
    if (carriedImage)
        return &carriedImage();
    return opened_ ? &opened_->image : nullptr;
}

QString TAV4Form9::imageDescription() const {
    const int lang = language();
    if (carriedImage)
        return message("firmware.carried_info", lang)
            .arg(QString::number(FirmwareImage::kImageBytes),
                 QString::fromLatin1(FirmwareImage::kShownVersion));
    if (!opened_)
        return message("firmware.none_loaded", lang);
    // A hex text says nothing of its version, and none is made up for it.
    return message("firmware.file_info", lang)
        .arg(opened_->fileName, QString::number(opened_->image.bytes.size()),
             QString::number(opened_->fileBytes), message("firmware.version_not_stated", lang));
}

QString TAV4Form9::confirmation() const {
    const int lang = language();
    const int module = moduleSoftware_.value_or(engine_.state().ModuleVersion);
    QString text =
        message("firmware.confirm", lang)
            .arg(imageDescription(), module > 0 ? versionText(module)
                                                : message("firmware.module_version_unknown", lang));
    if (!carriedImage)
        text += QStringLiteral("\n\n") + message("firmware.confirm_unknown_version", lang);
    return text;
}

void TAV4Form9::showImageState() {
    const int lang = language();
    imageLabel_->setText(imageDescription());
    openButton_->setText(message("firmware.open", lang));
    openButton_->setVisible(!carriedImage);
    openButton_->setEnabled(!downloading_);
    // Only the carried image states its version; an opened file is not
    // refused as older, the confirmation says that it could not be compared.
    const bool newerModule =
        carriedImage && moduleSoftware_ && FirmwareImage::kCarriedVersion < *moduleSoftware_;
    Label6->setVisible(newerModule);
    Button1->setEnabled(!downloading_ && processor_ == FirmwareImage::kProcessor && image() &&
                        !newerModule);
}

void TAV4Form9::processorAnswered(const ProcessorAnswer& a) {
    processor_ = a.processor;
    Label2->setText(a.processor == FirmwareImage::kProcessor ? QStringLiteral("Processor: J10")
                                                             : QStringLiteral("Processor: J11"));
    if (a.processor != FirmwareImage::kProcessor) {
        // A J11 is told at once that no firmware here is for it.
        showImageState();
        parseTimer_->start();
        return;
    }
    if (!a.withoutVersions) {
        Label3->setText(QStringLiteral("SW:%1").arg(a.software));
        Label4->setText(QStringLiteral("HW:%1").arg(a.hardware));
        Label5->setText(QStringLiteral("BW:%1").arg(a.third));
        moduleSoftware_ = a.software;
    }
    // Even the oldest modules, whose answer carries no versions, wait for
    // "Download Start" and the confirmation: opening the window sends nothing.
    showImageState();
}

void TAV4Form9::Button1Click() {
    if (downloading_)
        return;
    parseTimer_->start();
}

void TAV4Form9::oldFirmware() {
    const auto code = askText(QStringLiteral("Activation OLD firmware"),
                              QStringLiteral("Please enter your activation code"));
    if (code && *code == QLatin1String(kServiceCode))
        Button1Click();
}

void TAV4Form9::openImageFile() {
    if (downloading_)
        return;
    const int lang = language();
    const QString path =
        chooseFile(message("firmware.open_title", lang), message("firmware.file_filter", lang));
    if (!path.isEmpty())
        loadImageFile(path);
}

bool TAV4Form9::loadImageFile(const QString& path) {
    if (downloading_)
        return false;
    const int lang = language();
    const QString shown = QDir::toNativeSeparators(path);
    // A pipe or a device could block the window or never end; only a regular
    // file is opened (without waiting on a pipe that takes its place), and only
    // as much of it as a hex image can have is read.
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, FirmwareImage::kMaxFileBytes + 1);
    if (read.error.problem == FileAccess::Problem::NotAFile) {
        showMessage(message("firmware.not_regular", lang).arg(shown));
        return false;
    }
    if (read.error) {
        showMessage(
            message("firmware.cannot_read", lang).arg(shown, FileAccess::errorText(read.error)));
        return false;
    }
    const QByteArray& text = read.bytes;
    if (text.size() > FirmwareImage::kMaxFileBytes) {
        showMessage(message("firmware.too_large", lang)
                        .arg(shown, QString::number(FirmwareImage::kMaxFileBytes)));
        return false;
    }
    FirmwareImage::Parsed parsed = FirmwareImage::parse(text);
    if (!parsed.ok()) {
        showMessage(
            message("firmware.refused_file", lang).arg(shown, FirmwareImage::fault(parsed, lang)));
        return false;
    }
    opened_ = OpenedImage{std::move(parsed), QFileInfo(path).fileName(), text.size()};
    ++imageSerial_;
    showImageState();
    return true;
}

void TAV4Form9::startDownload() {
    if (downloading_)
        return;
    if (processor_ != FirmwareImage::kProcessor) {
        showMessage(QStringLiteral("FAULT FIRMWARE"));
        return;
    }
    const int lang = language();
    const FirmwareImage::Parsed* firmware = image();
    if (!firmware) {
        showMessage(message("firmware.none_loaded", lang));
        return;
    }
    if (!firmware->ok()) {
        showMessage(
            message("firmware.refused_send", lang).arg(FirmwareImage::fault(*firmware, lang)));
        return;
    }
    const int serial = imageSerial_;
    if (!askYesNo(confirmation()))
        return;
    // The question box lets events through: the window may have been closed,
    // or the image replaced, meanwhile.
    if (!isVisible() || downloading_ || imageSerial_ != serial)
        return;
    downloading_ = true;
    showImageState();
    ProgressBar1->setValue(0);
    engine_.startFirmwareDownload(
        std::span(reinterpret_cast<const uint8_t*>(firmware->bytes.constData()),
                  size_t(firmware->bytes.size())));
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
    openButton_->setEnabled(true);
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
    // The next opening may be for another module: a file is opened afresh.
    opened_.reset();
    ++imageSerial_;
    subscription_.setActive(false);
    QDialog::done(result);
}
