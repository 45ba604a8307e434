#include "serial/tasyncomm32.h"
#include "serial/port_names.h"
#include "serial/serial_trace.h"

#include <QSerialPort>

TAsynComm32::TAsynComm32(QObject* parent) : QObject(parent), port_(new QSerialPort(this)) {
    connect(port_, &QSerialPort::readyRead, this, [this] {
        const auto waiting = port_->bytesAvailable();
        if (waiting > 0)
            emit rxChar(static_cast<int>(waiting));
    });
    // A port that disappears (USB cable pulled) is closed at once and reported;
    // its owner opens it again when it next has work.
    connect(port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError && port_->isOpen()) {
            port_->close();
            if (SerialTrace* trace = SerialTrace::active())
                trace->portLost(PortNames::display(DeviceName));
            emit portLost();
        }
    });
}

TAsynComm32::~TAsynComm32() {
    close();
}

void TAsynComm32::setBaudRate(int baud) {
    BaudRate = baud;
    if (port_->isOpen())
        port_->setBaudRate(baud);
}

void TAsynComm32::open() {
    close();
    port_->setPortName(PortNames::device(DeviceName));
    if (!port_->open(QIODevice::ReadWrite)) {
        if (SerialTrace* trace = SerialTrace::active())
            trace->portOpened(PortNames::display(DeviceName), BaudRate, false,
                              port_->errorString());
        return;
    }
    port_->setBaudRate(BaudRate);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    port_->clear();
    if (SerialTrace* trace = SerialTrace::active())
        trace->portOpened(PortNames::display(DeviceName), BaudRate, true);
}

void TAsynComm32::close() {
    if (!port_->isOpen())
        return;
    port_->close();
    if (SerialTrace* trace = SerialTrace::active())
        trace->portClosed(PortNames::display(DeviceName));
}

bool TAsynComm32::isOpen() const {
    return port_->isOpen();
}

int TAsynComm32::write(const QByteArray& bytes) {
    const int n = writeToPort(bytes);
    if (SerialTrace* trace = SerialTrace::active())
        trace->sent(PortNames::display(DeviceName), bytes, n);
    return n;
}

int TAsynComm32::writeToPort(const QByteArray& bytes) {
    if (!port_->isOpen() || port_->bytesToWrite() > 0)
        return 0;
    const auto n = port_->write(bytes);
    // Hand the bytes to the driver now rather than at the next event-loop turn.
    port_->flush();
    return n < 0 ? 0 : static_cast<int>(n);
}

QByteArray TAsynComm32::read(int count) {
    return traced(port_->read(count));
}

QByteArray TAsynComm32::readAll() {
    return traced(port_->readAll());
}

QByteArray TAsynComm32::traced(QByteArray received) const {
    if (SerialTrace* trace = SerialTrace::active())
        trace->received(PortNames::display(DeviceName), received);
    return received;
}
