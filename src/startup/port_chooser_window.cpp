#include "startup/port_chooser_window.h"

#include "i18n/messages.h"
#include "serial/memory_frame.h"
#include "serial/port_names.h"
#include "serial/tasyncomm32.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kComport = QStringLiteral("comport");
const QString kPrefix = QStringLiteral("\\\\.\\");
constexpr int kOtherItem = 8; // "Egyéb:", the free port number

// A reply counts as a module only when its data byte lies in this range of
// model codes; other valid frames on a port are not taken for one.
constexpr int kLowestModelByte = 11;
constexpr int kHighestModelByte = 253;
} // namespace

Tcomprt::Tcomprt(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("Tcomprt"));
    setWindowTitle(QStringLiteral("COM port"));

    RadioGroup1 = new QGroupBox(QStringLiteral("COM port"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    radioButtons_ = new QButtonGroup(this);
    auto* grid = new QGridLayout(RadioGroup1);
    for (int i = 0; i < kOtherItem; ++i) {
        auto* item = new QRadioButton(QStringLiteral("COM%1").arg(i + 1), RadioGroup1);
        radioButtons_->addButton(item, i);
        grid->addWidget(item, i % 4, i / 4);
    }
    auto* other = new QRadioButton(QStringLiteral("Egyéb:"), RadioGroup1);
    radioButtons_->addButton(other, kOtherItem);
    grid->addWidget(other, 4, 0);
    SpinEdit1 = new QSpinBox(RadioGroup1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(1, 512);
    SpinEdit1->setValue(1);
    grid->addWidget(SpinEdit1, 4, 1);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setPlaceholderText(QStringLiteral("USB kereso"));
    ComboBox1->setMinimumContentsLength(24);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));

    BitBtn1 = new QPushButton(QStringLiteral("Rendben (kilép)"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Mégse"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    BitBtn3 = new QPushButton(QStringLiteral("COM port auto detect"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addWidget(ComboBox1);
    layout->addWidget(BitBtn3);
    layout->addWidget(Label1);
    probeLabel_ = new QLabel(this);
    probeLabel_->setObjectName(QStringLiteral("probeLabel"));
    probeLabel_->setWordWrap(true);
    layout->addWidget(probeLabel_);
    layout->addLayout(buttons);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(80);

    AsynComm321 = new TAsynComm32(this);
    AsynComm321->setObjectName(QStringLiteral("AsynComm321"));

    connect(BitBtn1, &QPushButton::clicked, this, &Tcomprt::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &Tcomprt::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &Tcomprt::BitBtn3Click);
    connect(ComboBox1, &QComboBox::activated, this, &Tcomprt::ComboBox1Change);
    connect(Timer1, &QTimer::timeout, this, &Tcomprt::Timer1Timer);
    connect(AsynComm321, &TAsynComm32::rxChar, this, &Tcomprt::AsynComm321RxChar);
}

Tcomprt::~Tcomprt() = default;

void Tcomprt::setOkCaption(const QString& caption) {
    BitBtn1->setText(caption);
}

void Tcomprt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

QList<Tcomprt::PortEntry> Tcomprt::systemPorts() {
    QList<PortEntry> ports;
    for (const auto& info : QSerialPortInfo::availablePorts())
        ports.append({info.portName(), info.description(), info.systemLocation()});
    return ports;
}

void Tcomprt::showPortList(const QList<PortEntry>& ports) {
    ports_ = ports;
    // A search that was probing the old list starts over with the numbered ports.
    if (probeListIndex_ >= 0) {
        probeListIndex_ = -1;
        probeNumber_ = 1;
        phase_ = 0;
        found_ = false;
        AsynComm321->close();
    }
    ComboBox1->clear();
    for (const auto& port : ports_) {
        const QString text = port.description.isEmpty()
                                 ? port.name
                                 : QStringLiteral("%1 (%2)").arg(port.name, port.description);
        ComboBox1->addItem(text);
    }
    ComboBox1->setCurrentIndex(-1);
    // The port in use so far is shown as chosen in the list, too.
    const QString stored = ctx_.read(kComport);
    for (int i = 0; i < ports_.size(); ++i)
        if (storedFormOf(ports_[i]) == stored)
            ComboBox1->setCurrentIndex(i);
}

void Tcomprt::checkRadio(int index) {
    if (index >= 0) {
        radioButtons_->button(index)->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last checked button.
    radioButtons_->setExclusive(false);
    for (auto* b : radioButtons_->buttons())
        b->setChecked(false);
    radioButtons_->setExclusive(true);
}

void Tcomprt::FormActivate() {
    showPortList(systemPorts());
    foundListed_.clear();
    Label1->clear();
    probeLabel_->clear();

    QString stored = ctx_.read(kComport);
    if (stored.isEmpty()) {
        stored = QStringLiteral("COM1");
        ctx_.write(kComport, stored);
    }

    checkRadio(-1);
    for (int i = 0; i < kOtherItem; ++i)
        if (stored == QStringLiteral("COM%1").arg(i + 1))
            checkRadio(i);
    if (stored.startsWith(kPrefix)) {
        checkRadio(kOtherItem);
        bool ok = false;
        const int number = stored.mid(7).toInt(&ok);
        if (ok)
            SpinEdit1->setValue(number);
    }
}

void Tcomprt::BitBtn1Click() {
    const int index = radioButtons_->checkedId();
    if (index >= 0 && index < kOtherItem)
        ctx_.write(kComport, QStringLiteral("COM%1").arg(index + 1));
    else if (index == kOtherItem)
        ctx_.write(kComport, PortNames::numbered(SpinEdit1->value()));
    else if (!foundListed_.isEmpty())
        ctx_.write(kComport, foundListed_);
    leave(QDialog::Accepted);
}

void Tcomprt::BitBtn2Click() {
    leave(QDialog::Rejected);
}

QString Tcomprt::storedFormOf(const PortEntry& entry) {
    // Names the system numbers as COM ports keep the prefixed numbered form the
    // other windows understand; anything else is opened by its path.
    if (entry.name.startsWith(QStringLiteral("COM")))
        return kPrefix + entry.name;
    return entry.location;
}

void Tcomprt::ComboBox1Change(int index) {
    if (index < 0 || index >= ports_.size())
        return;
    ctx_.write(kComport, storedFormOf(ports_[index]));
    leave(QDialog::Accepted);
}

void Tcomprt::BitBtn3Click() {
    probeNumber_ = 1;
    probeListIndex_ = -1;
    phase_ = 0;
    found_ = false;
    foundListed_.clear();
    Label1->clear();
    probeLabel_->clear();
    roundsWithoutAnswer_ = 0;
    Timer1->start();
}

void Tcomprt::Timer1Timer() {
    switch (phase_) {
    case 0:
        if (probeListIndex_ < 0) {
            AsynComm321->setDeviceName(PortNames::numbered(probeNumber_));
            SpinEdit1->setValue(probeNumber_);
        } else {
            AsynComm321->setDeviceName(ports_[probeListIndex_].location);
        }
        probeLabel_->setText(
            message("chooser.trying", language())
                .arg(probeListIndex_ < 0 ? QStringLiteral("COM%1").arg(probeNumber_)
                                         : ports_[probeListIndex_].name) +
            (roundsWithoutAnswer_ > 0 ? u'\n' + message("chooser.round_without_answer", language())
                                      : QString()));
        AsynComm321->open();
        phase_ = 1;
        break;
    case 1:
        AsynComm321->write(Frames::identifyRead().toByteArray());
        assembler_.frameSent();
        phase_ = 2;
        break;
    default:
        phase_ = 0;
        AsynComm321->close();
        if (!found_) {
            advanceProbe();
            break;
        }
        Timer1->stop();
        probeLabel_->clear();
        if (probeListIndex_ < 0) {
            checkRadio(kOtherItem);
            Label1->setText(QStringLiteral("Ready COM%1").arg(probeNumber_));
        } else {
            const PortEntry& port = ports_[probeListIndex_];
            checkRadio(-1);
            ComboBox1->setCurrentIndex(probeListIndex_);
            foundListed_ = storedFormOf(port);
            Label1->setText(QStringLiteral("Ready ") + port.name);
        }
        break;
    }
}

void Tcomprt::advanceProbe() {
    if (probeListIndex_ < 0) {
        if (probeNumber_ < kHighestProbedNumber) {
            ++probeNumber_;
            return;
        }
#ifndef Q_OS_WIN
        // Outside Windows, USB adapters and the like are not reachable by a
        // COM number, so the ports the system lists get their turn as well.
        if (!ports_.isEmpty()) {
            probeListIndex_ = 0;
            return;
        }
#endif
    } else if (probeListIndex_ + 1 < ports_.size()) {
        ++probeListIndex_;
        return;
    }
    probeListIndex_ = -1;
    probeNumber_ = 1;
    // A module plugged in meanwhile is found on the next round.
    ++roundsWithoutAnswer_;
    probeLabel_->setText(message("chooser.round_without_answer", language()));
}

int Tcomprt::language() const {
    return languageFromSetting(ctx_.read(QStringLiteral("Language")));
}

void Tcomprt::AsynComm321RxChar(int count) {
    const QByteArray bytes = AsynComm321->read(count);
    if (assembler_.receive(bytes) != FrameAssembler::Result::Valid)
        return;
    const int model = assembler_.byte(3);
    if (model >= kLowestModelByte && model <= kHighestModelByte)
        found_ = true;
}

void Tcomprt::leave(int result) {
    done(result);
}

// Every way out of the chooser ends the program, the title bar and Escape
// included: the search window has closed its port, so there is nothing to go
// back to, and the new port takes effect at the next start.
void Tcomprt::done(int result) {
    Timer1->stop();
    AsynComm321->close();
    QDialog::done(result);
    emit programEndRequested();
}
