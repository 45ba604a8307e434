#pragma once
#include <QString>

class CallerIdMemory;

// What the sound uploads and the caller-ID memory transfers show: the upload
// gauge `Gauge1` of "Hangok", and the grid `StringGrid4`, its gauge
// `ProgressBar2` and the buttons a caller-ID transfer holds of "Szám
// Azonosítás MEM". The configurator window implements it; without one the
// engine shows nothing of them.
class UploadView {
  public:
    virtual ~UploadView() = default;

    virtual void setUploadGaugeMaximum(int /*maximum*/) {}
    virtual void setUploadGaugeValue(int /*value*/) {}
    virtual void setUploadGaugeVisible(bool /*visible*/) {}

    // Block `block` of the caller-ID copy has been read: its 16 records go to
    // their grid rows.
    virtual void showCallerIdBlock(const CallerIdMemory& /*memory*/, int /*block*/) {}
    // A caller-ID read has ended: the grid shows its first row.
    virtual void callerIdReadDone() {}
    virtual void setCallerIdGaugeValue(int /*value*/) {}
    virtual void setCallerIdGaugeVisible(bool /*visible*/) {}
    // `BitBtn1`, `BitBtn2`, `BitBtn5`, `BitBtn6`, `BitBtn18`, `BitBtn19`.
    virtual void setCallerIdButtonsEnabled(bool /*enabled*/) {}
};
