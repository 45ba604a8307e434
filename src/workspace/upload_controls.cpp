#include "workspace/upload_controls.h"

#include "settings/presets.h"

#include "engine/link_engine.h"
#include "i18n/messages.h"
#include "serial/tasyncomm32.h"
#include "ui/widgets.h"
#include "workspace/configurator_window.h"
#include "workspace/pages/caller_id_memory_page.h"
#include "workspace/pages/configurator_pages.h"
#include "workspace/pages/reporting_pages.h"

#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace {
// Bytes of the telephone-line gains "PSTN send" writes (PSTN Rx and Tx).
constexpr int kPstnRxGainByte = 94;
constexpr int kPstnTxGainByte = 95;
const char* const kSoundsPage = "TabSheet22";
const char* const kCallerIdPage = "TabSheet23";
} // namespace

UploadControls::UploadControls(TAV4Form1& window, LinkEngine& engine, ConfiguratorPages& pages,
                               QTabWidget* pageControl)
    : QObject(&window), window_(window), engine_(engine), pages_(pages), pageControl_(pageControl) {
    page_ = new CallerIdMemoryPage(
        pageControl->findChild<QWidget*>(QString::fromLatin1(kCallerIdPage)));
    engine_.setUploadView(this);
    connect(page_, &CallerIdMemoryPage::readRequested, this, &UploadControls::readCallerIds);
    connect(page_, &CallerIdMemoryPage::writeRequested, this, &UploadControls::writeCallerIds);
    connect(pages_.soundFilesPage(), &SoundFilesPage::uploadRequested, this,
            &UploadControls::uploadInputSound);
    const std::pair<const char*, void (UploadControls::*)()> service[] = {
        {"Button6", &UploadControls::memoryLoad},
        {"Button7", &UploadControls::uploadSiren},
        {"Button13", &UploadControls::uploadDtmf},
        {"Button14", &UploadControls::statusFromService},
        {"Button15", &UploadControls::sendAllFromService},
    };
    for (const auto& [name, action] : service)
        if (auto* b = qobject_cast<QPushButton*>(control(name)))
            connect(b, &QPushButton::clicked, this, action);
    currentPage_ = pageControl_->currentIndex();
    connect(pageControl_, &QTabWidget::currentChanged, this, &UploadControls::pageChanged);
    connect(window_.channel(), &TAsynComm32::portLost, this, &UploadControls::portLost);
}

void UploadControls::portLost() {
    setUploadGaugeVisible(false);
    if (callerIdRunning_ && !engine_.busy()) {
        setCallerIdGaugeVisible(false);
        setCallerIdButtonsEnabled(true);
    }
}

QWidget* UploadControls::control(const char* name) const {
    return window_.findChild<QWidget*>(QString::fromLatin1(name));
}

QString UploadControls::sirenFile() {
    return QDir::temp().filePath(QStringLiteral("foszirena.wav"));
}

QString UploadControls::dtmfFile() {
    return QDir::temp().filePath(QStringLiteral("dtmf.wav"));
}

// Leaving "Hangok" abandons a running upload.
void UploadControls::pageChanged(int index) {
    const QWidget* left = pageControl_->widget(currentPage_);
    currentPage_ = index;
    if (left && left->objectName() == QLatin1String(kSoundsPage) &&
        pageControl_->widget(index) != left)
        engine_.abandonSoundUpload();
}

void UploadControls::uploadInputSound(int index) {
    if (index < 0 || index > 3)
        return;
    const QString file = pages_.soundFilesPage()->file(index);
    if (file.isEmpty()) {
        window_.showMessage(message("upload.no_file", window_.language()));
        return;
    }
    engine_.startSoundUpload(file, kInputSoundAddress[index]);
}

void UploadControls::setIndicatorRed(const char* panel) {
    if (QWidget* p = control(panel))
        setBackground(p, Qt::red);
}

void UploadControls::uploadSiren() {
    setIndicatorRed("Panel30");
    engine_.startSoundUpload(sirenFile(), kSirenAddress);
}

void UploadControls::uploadDtmf() {
    setIndicatorRed("Panel29");
    engine_.startSoundUpload(dtmfFile(), kDtmfAddress);
}

void UploadControls::memoryLoad() {
    // The maker's server comes from the settings; while it is not configured
    // the two fields keep what they hold and the installer is told why.
    const Presets::ServerPair server =
        Presets::defaultServer(window_.context(), kAccessPointLength);
    if (server.usable()) {
        if (auto* host = qobject_cast<QLineEdit*>(control("Edit10")))
            host->setText(server.first);
        if (auto* address = qobject_cast<QLineEdit*>(control("Edit11")))
            address->setText(server.second);
    } else {
        window_.showMessage(message("preset.default_server_missing", window_.language()));
    }
    pages_.cidSmsPage()->loadPartitionTemplate();
    pages_.cidSmsPage()->loadDefaultContactIdCodes();
}

void UploadControls::sendAllFromService() {
    setIndicatorRed("Panel28");
    setIndicatorRed("Panel32");
    window_.BitBtn1Click();
}

void UploadControls::statusFromService() {
    setIndicatorRed("Panel31");
    emit statusWindowRequested();
}

void UploadControls::pstnSend() {
    // Encode writes only the fields the installer touched, and the image holds
    // nothing at these bytes before a read: the gains the window shows go out
    // whether touched or not, never a stale or zero byte.
    ImageValues shown;
    pages_.pstnGainBox()->read(shown);
    window_.image()[kPstnRxGainByte] = static_cast<uint8_t>(shown.gains.pstnRx.value_or(0));
    window_.image()[kPstnTxGainByte] = static_cast<uint8_t>(shown.gains.pstnTx.value_or(0));
    engine_.startPstnSend();
}

void UploadControls::readCallerIds() {
    engine_.startCallerIdRead();
}

void UploadControls::writeCallerIds() {
    page_->encodeInto(engine_.callerIdMemory());
    engine_.startCallerIdWrite();
}

// ---------------------------------------------------------------- UploadView

void UploadControls::setUploadGaugeMaximum(int maximum) {
    pages_.soundFilesPage()->uploadGauge()->setMaximum(maximum);
}

void UploadControls::setUploadGaugeValue(int value) {
    pages_.soundFilesPage()->uploadGauge()->setValue(value);
}

void UploadControls::setUploadGaugeVisible(bool visible) {
    pages_.soundFilesPage()->uploadGauge()->setVisible(visible);
}

void UploadControls::showCallerIdBlock(const CallerIdMemory& memory, int block) {
    page_->showBlock(memory, block);
    if (block == 0)
        page_->selectFirstRow();
}

void UploadControls::callerIdReadDone() {
    page_->selectFirstRow();
}

void UploadControls::setCallerIdGaugeValue(int value) {
    page_->setGaugeValue(value);
}

void UploadControls::setCallerIdGaugeVisible(bool visible) {
    page_->setGaugeVisible(visible);
}

// A caller-ID transfer holds the transfer buttons, the SIM phonebook's and
// its own. The SIM write button comes back as it was: it waits for a
// phonebook read of its own.
void UploadControls::setCallerIdButtonsEnabled(bool enabled) {
    callerIdRunning_ = !enabled;
    QWidget* simWrite = control("BitBtn6");
    if (!enabled && simWrite)
        simWriteWasEnabled_ = simWrite->isEnabled();
    for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn5"})
        if (QWidget* b = control(name))
            b->setEnabled(enabled);
    if (simWrite)
        simWrite->setEnabled(enabled ? simWriteWasEnabled_ : false);
    page_->setButtonsEnabled(enabled);
}
