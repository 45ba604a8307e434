#pragma once
#include "workspace/pages/config_page.h"
#include "workspace/pages/page_fields.h"

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QSpinBox;

// Page "Kimenet": output 1 at 64..66, output 2 at 67..69 (group "Output2Group",
// hidden for ModelCode 80). Each output keeps its time in seconds; the spin
// shows it in the unit its selector (KInSECMIN) chooses.
class OutputPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit OutputPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;

    // The kept time of output 0 or 1, in seconds.
    int keptSeconds(int output) const { return outputs_[size_t(output)].kept; }
    // After a read the output-2 unit selector shows "Sec" again.
    void resetOutput2Unit();

  private:
    // The time spins are the page's own: they show the kept seconds in the
    // chosen unit.
    std::optional<PageFields> fields_;
    struct Output {
        QComboBox* mode = nullptr;    // ComboKiN
        QSpinBox* time = nullptr;     // SpinKIN
        QComboBox* unit = nullptr;    // KINSECMIN: "Sec", "Min"
        QCheckBox* onAlarm = nullptr; // CheckBox2KIN
        QCheckBox* onCallerId = nullptr;
        QCheckBox* noCallerId = nullptr;    // output 1 only
        int kept = kOutputSecondsRange.min; // seconds, whatever the unit shows
    };
    void build(int index, QWidget* group);
    void applyModeRule(Output& o);
    // Shows the kept time in the selected unit. A user's switch to "Min"
    // counts as a change of the spin, so the kept time becomes whole minutes.
    void applyUnitRule(Output& o, bool userSwitch);
    void showKept(Output& o);

    std::array<Output, 2> outputs_;
    bool filling_ = false;
};
