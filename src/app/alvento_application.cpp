#include "app/alvento_application.h"
#include "auxiliary/contact_window.h"
#include "auxiliary/description_window.h"
#include "auxiliary/screen_size_window.h"
#include "auxiliary/wiring_diagram_window.h"
#include "discovery/search_window.h"
#include "legacy/converter_help_window.h"
#include "legacy/legacy_device_window.h"
#include "legacy/model30_form.h"
#include "legacy/wiring_window.h"
#include "maintenance/firmware_form.h"
#include "maintenance/firmware_window.h"
#include "maintenance/monitor_window.h"
#include "maintenance/report_server_dialog.h"
#include "maintenance/status_window.h"
#include "safety/backup_store.h"
#include "safety/restore_window.h"
#include "serial/tasyncomm32.h"
#include "settings/edition.h"
#include "startup/language_window.h"
#include "startup/port_chooser_window.h"
#include "startup/start_window.h"
#include "ui/picture.h"
#include "ui/widgets.h"
#include "workspace/balance_window.h"
#include "workspace/configurator_window.h"
#include "workspace/sms_centre_window.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QTimer>

template <class W, class... Args> W* AlventoApplication::create(Args&&... args) {
    W* w = new W(std::forward<Args>(args)...);
    windows_.emplace_back(w);
    return w;
}

void AlventoApplication::createPlaceholder(const char* className) {
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(className));
    windows_.emplace_back(w);
}

AlventoApplication::AlventoApplication(const Options& options) {
    initPictures();
    ctx_.brandCode = options.brandCode ? options.brandCode : buildBrandCode();
    // Until the configurator fixes it, the key path is the default edition's.
    ctx_.keyPath = settingsKeyPath(1);
    ctx_.portOverride = options.portOverride;

    form1_ = create<TForm1>(ctx_);
    // ModelCode 30 is configured in the start window itself, on its port.
    model30_ = new Model30Form(*form1_->channel());
    form1_->hostRole(model30_);
    // The device windows take the port only once the start window has let it go.
    auto released = [this] { return form1_->idleClosed(); };
    form8_ = create<TForm8>(ctx_);
    form7_ = create<TForm7>(ctx_, released);
    createPlaceholder("TForm2");
    createPlaceholder("TForm3");
    createPlaceholder("TForm4");
    form5_ = create<TForm5>(ctx_, released);
    form6_ = create<TForm6>();
    rajz_ = create<TrajzGPS14>();
    trekka_ = create<Ttrekkamain>(ctx_, released);
    av4_ = create<TAV4Form1>(ctx_, released);
    av4Form2_ = create<TAV4Form2>(av4_->engine(), ctx_);
    comprt_ = create<Tcomprt>(ctx_);
    form10_ = create<TForm10>(ctx_);
    av4Form3_ = create<TAV4Form3>(av4_->engine(), ctx_);
    av4Form4_ = create<TAV4Form4>(ctx_.brandCode);
    createPlaceholder("Tav4Form5");
    createPlaceholder("TAV4Form6");
    av4Form7_ = create<TAV4Form7>(ctx_);
    av4Form8_ = create<TAV4Form8>();
    av4Form9_ = create<TAV4Form9>(av4_->engine(), ctx_);
    firmware_ = create<TFirmware>();
    leiras_ = create<Tleiras>();
    smsk_ = create<TSMSk>(av4_->engine());
    mess1_ = create<TMESS1>(av4_->engine());
    // Not one of the windows of the fixed order: the configurator's own, and
    // gone with it.
    restore_ = new RestoreWindow([this] { return av4_->language(); },
                                 [] { return BackupStore::defaultFolder(); }, av4_);
    reportServer_ = std::make_unique<ReportServerDialog>(ctx_);
    wire();
}

// The windows never call each other; what one needs of another is connected here.
void AlventoApplication::wire() {
    // Start window -> search window: what discovery shows.
    QObject::connect(form1_, &TForm1::portShown, form8_, &TForm8::setPortPanel);
    QObject::connect(form1_, &TForm1::trekkaModeSet, form8_, &TForm8::showTrekkaMode);
    QObject::connect(form1_, &TForm1::countersChanged, form8_, &TForm8::setCounters);
    QObject::connect(form1_, &TForm1::modelReported, form8_, &TForm8::setModelPanel);
    QObject::connect(form1_, &TForm1::blinkRequested, form8_, &TForm8::startBlinking);
    QObject::connect(form1_, &TForm1::dispatchRequested, form1_, [this] { dispatch(); });
    // The module-30 form works on the start window's port and send timer.
    QObject::connect(model30_, &Model30Form::transferStarted, form1_, &TForm1::wakeSendTimer);

    // The language gate.
    QObject::connect(form1_, &TForm1::searchRequested, form8_, &TForm8::showModalSearch);
    QObject::connect(form1_, &TForm1::languageChooserRequested, form10_, &QWidget::show);
    QObject::connect(form10_, &TForm10::closed, form1_, [this] { form1_->timerStart()->start(); });

    // Search window -> start window and port chooser.
    QObject::connect(form8_, &TForm8::discoveryPortReleaseRequested, form1_, &TForm1::closePort);
    QObject::connect(form8_, &TForm8::portChooserRequested, comprt_, [this] { comprt_->exec(); });
    QObject::connect(form8_, &TForm8::chooserOkCaptionChanged, comprt_, &Tcomprt::setOkCaption);
    QObject::connect(form8_, &TForm8::demoRequested, form1_,
                     [this](int model, int picture, int presetVersion) {
                         if (presetVersion)
                             demoModuleVersion_ = presetVersion;
                         form1_->startDemo(model, picture);
                     });

    // Every way of ending the program closes the start window.
    QObject::connect(form8_, &TForm8::programEndRequested, form1_, [this] { endProgram(); });
    QObject::connect(comprt_, &Tcomprt::programEndRequested, form1_, [this] { endProgram(); });
    QObject::connect(av4_, &TAV4Form1::programEndRequested, form1_, [this] { endProgram(); });
    // The configurator's modem windows.
    QObject::connect(av4_, &TAV4Form1::smsCentreRequested, smsk_, &TSMSk::openWindow);
    QObject::connect(av4_, &TAV4Form1::balanceRequested, mess1_, &TMESS1::openAndQuery);
    // The maintenance windows.
    QObject::connect(av4_, &TAV4Form1::statusWindowRequested, av4Form2_, &TAV4Form2::openWindow);
    QObject::connect(av4Form2_, &TAV4Form2::output1Active, av4_, &TAV4Form1::showOutput1Active);
    QObject::connect(av4Form2_, &TAV4Form2::testEndPressed, av4_,
                     &TAV4Form1::resetServiceIndicators);
    QObject::connect(av4Form2_, &TAV4Form2::statusShown, av4_, &TAV4Form1::rememberStatus);
    QObject::connect(av4_, &TAV4Form1::monitorWindowRequested, av4Form3_, &TAV4Form3::openWindow);
    QObject::connect(av4_, &TAV4Form1::firmwareWindowRequested, av4Form9_, &TAV4Form9::openWindow);
    QObject::connect(av4_, &TAV4Form1::firmwareWindowCloseRequested, av4Form9_,
                     &TAV4Form9::versionAfterLoad);
    // Restore from a backup: the window lists, the configurator reads and sends.
    QObject::connect(av4_, &TAV4Form1::restoreWindowRequested, restore_,
                     &RestoreWindow::openWindow);
    QObject::connect(restore_, &RestoreWindow::moduleReadRequested, av4_,
                     &TAV4Form1::readModuleForRestore);
    QObject::connect(av4_, &TAV4Form1::moduleReadForRestore, restore_, &RestoreWindow::showModule);
    QObject::connect(av4_, &TAV4Form1::moduleReadRefused, restore_,
                     &RestoreWindow::showModuleUnavailable);
    QObject::connect(restore_, &RestoreWindow::restoreRequested, av4_, &TAV4Form1::restoreBackup);
    // Only a maker's build carries an image; the stock tool's window opens a file.
    if (firmware_->carries())
        av4Form9_->carriedImage = [this]() -> const FirmwareImage::Parsed& {
            return firmware_->image();
        };
    // The configurator's small windows, each modal over it.
    av4Form4_->modelCode = [this] { return av4_->modelCode(); };
    av4Form4_->language = [this] { return av4_->language(); };
    leiras_->language = [this] { return av4_->language(); };
    av4Form8_->startDirectory = [this] { return ctx_.startDir; };
    av4Form8_->logo = [this] {
        const auto* banner = form8_->findChild<QLabel*>(QStringLiteral("Image14"));
        return banner ? banner->pixmap() : QPixmap();
    };
    const std::pair<const char*, QDialog*> smallWindows[] = {
        {"Bektsirajz1", av4Form4_},
        {"eleptilers1", leiras_},
        {"Contact1", av4Form8_},
        {"Kpernyfelbontsbelltsa1", av4Form7_},
    };
    for (const auto& [item, window] : smallWindows)
        QObject::connect(av4_->menuAction(QString::fromLatin1(item)), &QAction::triggered, window,
                         [window] {
                             // Modal over the whole program; the configurator's
                             // activation runs again when it closes.
                             window->setWindowModality(Qt::ApplicationModal);
                             if (window->layout()->sizeConstraint() == QLayout::SetFixedSize)
                                 window->adjustSize();
                             centreOnScreen(window);
                             window->show();
                         });
    QObject::connect(av4_->menuAction(QStringLiteral("Hibajelentoszerver1")), &QAction::triggered,
                     reportServer_.get(), &ReportServerDialog::openWindow);
    // The older windows' modal helpers.
    QObject::connect(form5_, &TForm5::helpRequested, form6_, &TForm6::showGuide);
    QObject::connect(form7_, &TForm7::wiringDiagramRequested, rajz_, &TrajzGPS14::showDiagram);
    for (LegacyDeviceWindow* w :
         {static_cast<LegacyDeviceWindow*>(form5_), static_cast<LegacyDeviceWindow*>(form7_),
          static_cast<LegacyDeviceWindow*>(trekka_)})
        QObject::connect(w, &LegacyDeviceWindow::programEndRequested, form1_,
                         [this] { endProgram(); });

    QObject::connect(form1_, &TForm1::programEnded, form1_, [this] {
        ended_ = true;
        for (auto& w : windows_)
            if (w.get() != form1_ && w->isVisible())
                w->hide();
        restore_->hide();
    });
}

void AlventoApplication::endProgram() {
    if (!ended_)
        form1_->close();
}

AlventoApplication::~AlventoApplication() {
    ended_ = true;
    // Windows go in reverse order of creation; the start window last.
    while (!windows_.empty())
        windows_.pop_back();
}

QStringList AlventoApplication::creationOrder() const {
    QStringList names;
    for (const auto& w : windows_)
        names << w->objectName();
    return names;
}

QWidget* AlventoApplication::window(const QString& className) const {
    for (const auto& w : windows_)
        if (w->objectName() == className)
            return w.get();
    return nullptr;
}

void AlventoApplication::start() {
    form1_->show();
    form1_->FormActivate();
    form1_->timerStart()->start();
    form1_->timerAdas()->start();
}
