#include "app/alvento_application.h"
#include "app/edition.h"
#include "app/language_window.h"
#include "app/port_chooser_window.h"
#include "app/shell_windows.h"
#include "app/start_window.h"
#include "discovery/search_window.h"
#include "legacy/legacy_device_window.h"
#include "workspace/configurator_window.h"

#include <QTimer>

template <class W> W* AlventoApplication::create() {
    W* w;
    if constexpr (std::is_same_v<W, Tcomprt>)
        w = new W(ctx_);
    else
        w = new W(*this);
    windows_.emplace_back(w);
    return w;
}

static void initResources() {
    Q_INIT_RESOURCE(assets);
}

AlventoApplication::AlventoApplication(const Options& options) {
    // The pictures live in the static widget library's resources.
    initResources();
    ctx_.brandCode = options.brandCode ? options.brandCode : buildBrandCode();
    // Until the configurator fixes it, the key path is the default edition's.
    ctx_.keyPath = settingsKeyPath(1);
    ctx_.portOverride = options.portOverride;
    ctx_.closeStartWindow = [this] {
        if (form1_)
            form1_->close();
    };

    form1_ = create<TForm1>();
    form8_ = create<TForm8>();
    form7_ = create<TForm7>();
    create<TForm2>();
    create<TForm3>();
    create<TForm4>();
    form5_ = create<TForm5>();
    create<TForm6>();
    create<TrajzGPS14>();
    trekka_ = create<Ttrekkamain>();
    av4_ = create<TAV4Form1>();
    create<TAV4Form2>();
    comprt_ = create<Tcomprt>();
    form10_ = create<TForm10>();
    create<TAV4Form3>();
    create<TAV4Form4>();
    create<Tav4Form5>();
    create<TAV4Form6>();
    create<TAV4Form7>();
    create<TAV4Form8>();
    create<TAV4Form9>();
    create<TFirmware>();
    create<Tleiras>();
    create<TSMSk>();
    create<TMESS1>();

    QObject::connect(form1_, &TForm1::programEnded, form1_, [this] {
        ended_ = true;
        for (auto& w : windows_)
            if (w.get() != form1_ && w->isVisible())
                w->hide();
    });
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
