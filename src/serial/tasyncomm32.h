#pragma once
#include "serial/serial_channel.h"
#include <QObject>

class QSerialPort;

// The serial channel each device window owns (named AsynComm321 there).
// Port events arrive on the GUI thread; rxChar(count) is the receive event.
class TAsynComm32 : public QObject, public SerialChannel {
    Q_OBJECT
  public:
    explicit TAsynComm32(QObject* parent = nullptr);
    ~TAsynComm32() override;

    void setDeviceName(const QString& name) override { DeviceName = name; }
    QString deviceName() const override { return DeviceName; }
    void setBaudRate(int baud) override;
    int baudRate() const override { return BaudRate; }
    void open() override;
    void close() override;
    bool isOpen() const override;
    int write(const QByteArray& bytes) override;

    // Bytes waiting in the receive queue, taken without waiting.
    QByteArray read(int count);
    QByteArray readAll();

  signals:
    void rxChar(int count);
    // The open port has gone away (USB adapter pulled, device removed). The
    // channel has closed it; the owner decides what that means for its work.
    void portLost();

  private:
    int writeToPort(const QByteArray& bytes);
    // Hands bytes read from the port to the serial trace, when one is running.
    QByteArray traced(QByteArray received) const;

    QString DeviceName = QStringLiteral("COM2");
    int BaudRate = 9600;
    QSerialPort* port_;
};
