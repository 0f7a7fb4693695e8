#pragma once
// What the analog input dialog shows and does, without windows: its nineteen
// lists (entries, selection, enabled), the register words it shows, and the
// write-back of every list on any selection change. The dialog binds each list
// control to an entry of analogLists and forwards selection changes here.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "analog_ids.h"
#include "modules/analog_rules.h"

namespace velmora {

enum class AnalogSetting { Range, Format, Filter, Acquisition, Calibration, Trigger, Timestamp };

struct AnalogList {
    AnalogSetting setting;
    int group;     // 0-3; -1 for the module-wide lists
    int controlId; // list box of dialog template 102
};

// In the order the lists are written back on a selection change.
inline constexpr std::array<AnalogList, 19> analogLists{{
    {AnalogSetting::Range, 0, IDC_ANALOG_RANGE1},
    {AnalogSetting::Range, 1, IDC_ANALOG_RANGE2},
    {AnalogSetting::Range, 2, IDC_ANALOG_RANGE3},
    {AnalogSetting::Range, 3, IDC_ANALOG_RANGE4},
    {AnalogSetting::Format, 0, IDC_ANALOG_FORMAT1},
    {AnalogSetting::Format, 1, IDC_ANALOG_FORMAT2},
    {AnalogSetting::Format, 2, IDC_ANALOG_FORMAT3},
    {AnalogSetting::Format, 3, IDC_ANALOG_FORMAT4},
    {AnalogSetting::Filter, 0, IDC_ANALOG_FILTER1},
    {AnalogSetting::Filter, 1, IDC_ANALOG_FILTER2},
    {AnalogSetting::Filter, 2, IDC_ANALOG_FILTER3},
    {AnalogSetting::Filter, 3, IDC_ANALOG_FILTER4},
    {AnalogSetting::Acquisition, 0, IDC_ANALOG_ACQUISITION1},
    {AnalogSetting::Acquisition, 1, IDC_ANALOG_ACQUISITION2},
    {AnalogSetting::Acquisition, 2, IDC_ANALOG_ACQUISITION3},
    {AnalogSetting::Acquisition, 3, IDC_ANALOG_ACQUISITION4},
    {AnalogSetting::Calibration, -1, IDC_ANALOG_CALIBRATION},
    {AnalogSetting::Trigger, -1, IDC_ANALOG_TRIGGER},
    {AnalogSetting::Timestamp, -1, IDC_ANALOG_TIMESTAMP},
}};

// Texts by code; a code beyond its table has no text.
inline constexpr std::array<std::string_view, 6> kAnalogRangeTexts{
    "-10V to +10V", "1V to 5V", "0V to 5V", "0V to 10V", "0ma to 20ma", "4ma to 20ma"};
inline constexpr std::array<std::string_view, 4> kAnalogFormatTexts{"16 Bit", "DVM", "12 Bit", "15 Bit"};
inline constexpr std::array<std::string_view, 4> kAnalogFilterTexts{"10 Hz", "50 Hz", "60 Hz", "1000 Hz"};
inline constexpr std::array<std::string_view, 2> kAnalogAcquisitionTexts{"Single Ended", "Differential"};
inline constexpr std::array<std::string_view, 4> kAnalogCalibrationTexts{
    "Once at Power On", "Once a minute", "Once every 10 minutes", "Once every 30 minutes"};
inline constexpr std::array<std::string_view, 2> kAnalogTriggerTexts{"Scrolling Trigger", "Latched Trigger"};
inline constexpr std::array<std::string_view, 2> kAnalogTimestampTexts{"Disabled", "Enabled"};

// The caption set at initialisation, from the selected module's host window title.
std::string analogDialogCaption(std::string_view hostTitle);

class AnalogInputForm {
public:
    // The dialog's initialisation: lists filled and selected from the words
    // the editor holds, as they are (nothing is normalized here).
    explicit AnalogInputForm(AnalogRules& rules);
    AnalogInputForm(const AnalogInputForm&) = delete;
    AnalogInputForm& operator=(const AnalogInputForm&) = delete;

    // `list` indexes analogLists.
    const std::vector<std::string>& entries(int list) const;
    // The trigger and timestamp lists (and the Alarms button) only work on the alarm model.
    bool isEnabled(int list) const;
    bool alarmsEnabled() const { return rules_.hasAlarms(); }
    // -1 when the list has no selection.
    int selection(int list) const;
    // The list position that showing `code` would select, -1 for none.
    int positionOfCode(int list, int code) const;
    // The setting's code as the registers hold it (timestamp: 0 "Disabled",
    // 1 "Enabled", the list position).
    int code(int list) const;

    // A selection change by the user: every list is written back, then the
    // words are normalized and shown. False (nothing done) for a disabled
    // list or a position the list does not have.
    bool select(int list, int position);
    // Defaults button: default words, then every list re-selected.
    void pressDefaults();
    // The three hex texts as the dialog last showed them.
    const std::array<std::string, 3>& wordTexts() const { return wordTexts_; }

    AnalogRules& rules() { return rules_; }

private:
    void showSettings();
    void readSettings();
    void showRegisterWords();

    AnalogRules& rules_;
    std::array<std::vector<std::string>, analogLists.size()> entries_;
    std::array<int, analogLists.size()> selection_;
    std::array<std::string, 3> wordTexts_;
};

} // namespace velmora
