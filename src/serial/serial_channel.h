#pragma once
#include <QByteArray>
#include <QString>

// What the protocol code needs of a serial port. TAsynComm32 is the real one;
// the link engine and the command-line mode talk to a port only through this.
class SerialChannel {
  public:
    virtual ~SerialChannel() = default;
    virtual void setDeviceName(const QString& name) = 0;
    virtual QString deviceName() const = 0;
    virtual void setBaudRate(int baud) = 0;
    virtual int baudRate() const = 0;
    // Opens the port named by deviceName(); on failure the channel stays closed.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Starts writing; returns the bytes accepted (0 when closed or still busy).
    virtual int write(const QByteArray& bytes) = 0;
};
