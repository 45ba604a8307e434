#include "startup/start_window.h"
#include "discovery/model_table.h"
#include "serial/port_names.h"
#include "serial/tasyncomm32.h"
#include "settings/app_context.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TForm1::TForm1(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), AsynComm321(new TAsynComm32(this)), start_(new QTimer(this)),
      adas_(new QTimer(this)), ablakSTART_(new QTimer(this)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Start...."));
    AsynComm321->setObjectName(QStringLiteral("AsynComm321"));
    ctx_.startDir = QDir::currentPath();

    layout_ = new QVBoxLayout(this);
    Label3 = new QLabel(QStringLiteral("Alvento nem található"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    exitButton_ = new QPushButton(QStringLiteral("Kilépés"), this);
    exitButton_->setObjectName(QStringLiteral("exitButton"));
    layout_->addWidget(Label3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exitButton_);
    layout_->addLayout(buttons);
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);

    start_->setObjectName(QStringLiteral("start"));
    start_->setInterval(250);
    connect(start_, &QTimer::timeout, this, &TForm1::startTimer);
    adas_->setObjectName(QStringLiteral("adas"));
    adas_->setInterval(3000); // the first identify frame leaves 3 s after start
    connect(adas_, &QTimer::timeout, this, &TForm1::adasTimer);
    ablakSTART_->setObjectName(QStringLiteral("ablakSTART"));
    ablakSTART_->setInterval(2000);
    connect(ablakSTART_, &QTimer::timeout, this, &TForm1::ablakSTARTTimer);
    connect(AsynComm321, &TAsynComm32::rxChar, this, &TForm1::AsynComm321RxChar);
    connect(AsynComm321, &TAsynComm32::portLost, this, [this] {
        portLost_ = true;
        reopenTicks_ = 0;
    });
}

TForm1::~TForm1() {
    AsynComm321->close();
}

void TForm1::setLabel3(const QString& text) {
    Label3->setText(text);
}

void TForm1::hostRole(StartWindowRole* role) {
    role_ = role;
    QWidget* w = role->roleWidget();
    layout_->insertWidget(1, w, 1);
    // Until the module is found the start window only says that it is looking.
    w->hide();
}

void TForm1::enableTransferButtons() {
    if (!role_)
        return;
    roleActive_ = true;
    // The search window may have closed the port already; the role's first
    // transfer must find it closed for idleness so that it opens it again.
    idleClosed_ = !AsynComm321->isOpen();
    role_->buttonRow()->addWidget(exitButton_);
    role_->roleWidget()->show();
    role_->begin();
    adjustSize();
}

int TForm1::linkState() const {
    return roleActive_ ? role_->linkState() : handshake_.LinkState;
}

bool TForm1::event(QEvent* e) {
    // Activation by the window system; the first one is run by start() itself so
    // that it happens the same way with or without a window manager.
    if (e->type() == QEvent::WindowActivate && activated_)
        FormActivate();
    return QWidget::event(e);
}

void TForm1::FormActivate() {
    activated_ = true;
    // Once the start window configures the module itself, the port belongs to
    // its transfers: searching again would cut a write short half way.
    if (roleActive_)
        return;
    const AppContext& ctx = ctx_;
    const QString port = ctx.comport();
    AsynComm321->setDeviceName(port);
    if (ctx.read(QStringLiteral("mode")) == QLatin1String("TREKKA")) {
        AsynComm321->setBaudRate(4800);
        emit trekkaModeSet();
    } else {
        AsynComm321->setBaudRate(9600);
    }
    AsynComm321->open();
    ctx.write(QStringLiteral("StartDir"), ctx.startDir);
    emit portShown(PortNames::display(port));
    handshake_.restart();
    wakeSendTimer();
}

void TForm1::startTimer() {
    const AppContext& ctx = ctx_;
    QString language = ctx.read(QStringLiteral("Language"));
    if (language.isEmpty() && ctx.brandCode == 20) {
        ctx.write(QStringLiteral("Language"), QStringLiteral("1"));
        language = QStringLiteral("1");
    }
    if (!language.isEmpty()) {
        start_->stop();
        hide();
        gatePassed_ = true;
        emit searchRequested();
        return;
    }
    hide();
    emit languageChooserRequested();
    start_->stop();
}

void TForm1::adasTimer() {
    // Identify frames go out only once the search window is in front: a module
    // found while the language is still being chosen would open its window
    // behind the chooser.
    if (!gatePassed_)
        return;
    // The port is held only while there is something to do.
    const int state = linkState();
    if (state == 0 && !idleClosed_) {
        idleClosed_ = true;
        AsynComm321->close();
    } else if (state != 0 && idleClosed_) {
        idleClosed_ = false;
        AsynComm321->open();
    }
    adas_->setInterval(150);
    if (portLost_ && state != 0 && !idleClosed_) {
        // The adapter was pulled during the search: try it again about once a
        // second, so the search goes on when it is plugged back in.
        if (++reopenTicks_ % kReopenEveryTicks == 0) {
            AsynComm321->open();
            portLost_ = !AsynComm321->isOpen();
        }
    }
    if (roleActive_) {
        role_->tick();
        stopWhenIdle();
        return;
    }
    const IdentifyHandshake::Tick t = handshake_.tick();
    if (t.senderCalled)
        showCounters();
    if (t.frame)
        AsynComm321->write(t.frame->toByteArray());
    stopWhenIdle();
}

void TForm1::stopWhenIdle() {
    // Once the dispatch has given the port away (or the module-30 form's
    // transfer has ended) and the hold-off has run out, a tick changes
    // nothing; wakeSendTimer starts the timer again.
    const int holdOff = roleActive_ ? role_->holdOff() : handshake_.HoldOff;
    if (linkState() != 0 || !idleClosed_ || holdOff > 0)
        return;
    adas_->stop();
    sendTimerIdle_ = true;
}

void TForm1::wakeSendTimer() {
    if (!sendTimerIdle_)
        return;
    sendTimerIdle_ = false;
    adas_->start();
}

void TForm1::AsynComm321RxChar(int count) {
    const QByteArray bytes = AsynComm321->read(count);
    if (bytes.isEmpty())
        return;
    if (roleActive_) {
        role_->receive(bytes);
        return;
    }
    const IdentifyHandshake::Received r = handshake_.receive(bytes);
    if (r.frames)
        showCounters();
    if (r.modelCode)
        onModelReported(*r.modelCode);
}

void TForm1::onModelReported(int code) {
    emit modelReported(code);
    if (!discoveryDispatches(code))
        return;
    const ModelInfo* m = findModel(code);
    // Further replies within the two seconds do not put the dispatch off.
    if (!ablakSTART_->isActive())
        ablakSTART_->start();
    emit blinkRequested(m->pictureIndex, m->blink);
}

void TForm1::startDemo(int modelCode, int pictureIndex) {
    handshake_.ModelCode = modelCode;
    ablakSTART_->start();
    emit blinkRequested(pictureIndex, true);
}

void TForm1::showCounters() {
    emit countersChanged(handshake_.TxCount, handshake_.RxCount, handshake_.BadCount);
}

void TForm1::ablakSTARTTimer() {
    ablakSTART_->stop();
    emit dispatchRequested();
}

void TForm1::closePort() {
    AsynComm321->close();
}

void TForm1::closeEvent(QCloseEvent* e) {
    AsynComm321->close();
    QWidget::closeEvent(e);
    if (e->isAccepted())
        emit programEnded();
}
