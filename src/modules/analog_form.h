#pragma once
// What the analog input dialog shows and does, without windows: its nineteen
// lists (entries, selection, enabled), the register words it shows, and the
// write-back of every list on any selection change. The dialog binds each list
// control to an entry of analogLists and forwards selection changes here.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "modules/analog_rules.h"

namespace velmora {

enum class AnalogSetting { Range, Format, Filter, Acquisition, Calibration, Trigger, Timestamp };

struct AnalogList {
    AnalogSetting setting;
    int group;     // 0-3; -1 for the module-wide lists
    int controlId; // list box of dialog template 102
};

// In the order the lists are written back on a selection change.
// clang-format off
inline constexpr std::array<AnalogList, 19> analogLists{{
    {AnalogSetting::Range, 0, 442},       {AnalogSetting::Range, 1, 444},
    {AnalogSetting::Range, 2, 446},       {AnalogSetting::Range, 3, 448},
    {AnalogSetting::Format, 0, 417},      {AnalogSetting::Format, 1, 419},
    {AnalogSetting::Format, 2, 421},      {AnalogSetting::Format, 3, 423},
    {AnalogSetting::Filter, 0, 426},      {AnalogSetting::Filter, 1, 428},
    {AnalogSetting::Filter, 2, 430},      {AnalogSetting::Filter, 3, 432},
    {AnalogSetting::Acquisition, 0, 408}, {AnalogSetting::Acquisition, 1, 410},
    {AnalogSetting::Acquisition, 2, 412}, {AnalogSetting::Acquisition, 3, 414},
    {AnalogSetting::Calibration, -1, 405},
    {AnalogSetting::Trigger, -1, 451},
    {AnalogSetting::Timestamp, -1, 450},
}};
// clang-format on

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

inline constexpr int kAnalogAlarmsButtonId = 452;
inline constexpr int kAnalogDefaultsButtonId = 454;
inline constexpr std::array<int, 3> kAnalogWordEditIds{434, 435, 436};

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
    // Lists 450 and 451 (and the Alarms button) only work on the alarm model.
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
