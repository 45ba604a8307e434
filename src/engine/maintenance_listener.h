#pragma once
// What the maintenance operations of the link engine (status poll, monitor,
// firmware download) report to the windows that run them.

#include <QByteArray>
#include <cstdint>
#include <span>

// The module's answer to the processor query.
struct ProcessorAnswer {
    int processor = 0; // 10 ("J10") or 11 ("J11")
    int software = 0;  // SW: software version x 10
    int hardware = 0;  // HW
    int third = 0;     // BW
    // Modules of version 2.9 and 6.8 answer without valid check bytes; their
    // version bytes are not taken.
    bool withoutVersions = false;
};

enum class FirmwareFailure {
    // A block went out the most times allowed without its acknowledgement.
    BlockNotAcknowledged,
    // Stream download: the answer named another block, or none came.
    StreamAnswerWrong,
};

class MaintenanceListener {
  public:
    virtual ~MaintenanceListener() = default;
    // A complete status block: 16 bytes, or 32 for ModelCode 100 from 2.5.
    virtual void statusBlockRead(std::span<const uint8_t> /*block*/) {}
    // The module took the end of the test ("Tesztelés END").
    virtual void testEndAcknowledged() {}
    virtual void monitorEntered() {}
    // Monitor text as it arrives, bytes as the module sent them.
    virtual void monitorText(const QByteArray& /*bytes*/) {}
    virtual void processorAnswered(const ProcessorAnswer& /*answer*/) {}
    virtual void firmwareDownloadStarted() {}
    virtual void firmwareBlockSent(int /*block*/) {}
    virtual void firmwareBlockAcknowledged(int /*block*/) {}
    virtual void firmwareLoadSent() {}
    virtual void firmwareFailed(FirmwareFailure /*failure*/) {}
};
