#pragma once
// The link engine's two ends for tests that run it without a port or a
// window: a channel that keeps every write, and a view that records what the
// engine shows. Tests read the members directly; a test that needs more
// subclasses the view.
#include "engine/link_view.h"
#include "serial/serial_channel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

// A port that remembers what was done to it. Writes to a closed port are lost,
// as on the real channel, and counted apart.
class RecordingChannel : public SerialChannel {
  public:
    void setDeviceName(const QString& n) override { name = n; }
    QString deviceName() const override { return name; }
    void setBaudRate(int b) override { baud = b; }
    int baudRate() const override { return baud; }
    void open() override {
        ++opens;
        opened = !refuseOpen;
    }
    void close() override {
        if (opened)
            ++closes;
        opened = false;
    }
    bool isOpen() const override { return opened; }
    int write(const QByteArray& bytes) override {
        if (!opened) {
            ++writesWhileClosed;
            return 0;
        }
        writes.push_back(bytes);
        return static_cast<int>(bytes.size());
    }

    QString name;
    int baud = 0;
    bool opened = false;
    bool refuseOpen = false; // the device is not there
    int opens = 0;
    int closes = 0;
    int writesWhileClosed = 0;
    std::vector<QByteArray> writes;
};

class RecordingView : public LinkView {
  public:
    void showPortName(const QString& n) override { portName = n; }
    void showModuleVersion(const QString& t) override { version = t; }
    void showStatus(const QString& t) override { statuses.push_back(t); }
    void setGaugeMaximum(int m) override { gaugeMax = m; }
    void setGaugeValue(int v) override { gaugeValue = v; }
    void setGaugeVisible(bool v) override { gaugeVisible = v; }
    void setTransferButtonsEnabled(bool e) override { buttonsEnabled = e; }
    void showMessage(const QString& t) override { messages << t; }
    void encode() override { ++encodes; }
    void decode() override { ++decodes; }
    void runPageShowLogic() override { ++pageShowRuns; }
    void applyVersionRules() override { ++versionRuleRuns; }
    void resetOutput2TimeUnit() override { ++output2Resets; }
    void showTime(const QString& t) override { time = t; }
    void setTickInterval(int ms) override { tickInterval = ms; }
    void ticksNeeded() override { ++tickRequests; }
    void closeFirmwareWindow() override {
        ++firmwareClosed;
        if (onFirmwareClose)
            onFirmwareClose();
    }
    void showPhonebookSlot(const PhonebookEntry& e) override { grid[e.slot] = e; }
    void setPhonebookButtonsEnabled(bool r, bool w) override {
        readEnabled = r;
        writeEnabled = w;
    }

    // The last status text.
    QString status() const { return statuses.empty() ? QString() : statuses.back(); }

    QString portName, version, time;
    std::vector<QString> statuses;
    QStringList messages;
    int gaugeMax = -1, gaugeValue = -1, tickInterval = 1000;
    bool gaugeVisible = false, buttonsEnabled = true;
    int encodes = 0, decodes = 0, pageShowRuns = 0, versionRuleRuns = 0, output2Resets = 0;
    int tickRequests = 0;
    int firmwareClosed = 0;
    std::function<void()> onFirmwareClose;
    std::map<int, PhonebookEntry> grid; // SIM slot -> what was shown
    bool readEnabled = true, writeEnabled = false;
};
