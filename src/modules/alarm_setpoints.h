#pragma once
// The alarm setpoint dialog without windows: the sixteen setpoints Reg4-Reg19
// of the alarm model, each shown as engineering units, as its word in hex and
// as its group's range and format; typed units read back through the editor's
// rules. The dialog binds its edits to alarmSetpointControls and forwards
// focus losses, Defaults, OK and Cancel here.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "analog_ids.h"
#include "modules/analog_rules.h"

namespace velmora {

// A setpoint is numbered 0-15: setpoint s is register index s + 3 (Reg4 is 0),
// the minimum of its pair when s is even. Its group is s / 4.
constexpr int alarmSetpointRegister(int setpoint) {
    return setpoint + kFirstSetpointRegister;
}
constexpr int alarmSetpointGroup(int setpoint) {
    return setpoint / 4;
}

struct AlarmSetpointControls {
    int valueEdit;
    int hexEdit;
    int textEdit;
    int label;
};

// Indexed by setpoint (row k's minimum, then its maximum), template 134.
inline constexpr std::array<AlarmSetpointControls, kAlarmSetpoints> alarmSetpointControls{{
    {IDC_ALARM_MIN1_VALUE, IDC_ALARM_MIN1_HEX, IDC_ALARM_MIN1_TEXT, IDC_ALARM_MIN1_LABEL},
    {IDC_ALARM_MAX1_VALUE, IDC_ALARM_MAX1_HEX, IDC_ALARM_MAX1_TEXT, IDC_ALARM_MAX1_LABEL},
    {IDC_ALARM_MIN2_VALUE, IDC_ALARM_MIN2_HEX, IDC_ALARM_MIN2_TEXT, IDC_ALARM_MIN2_LABEL},
    {IDC_ALARM_MAX2_VALUE, IDC_ALARM_MAX2_HEX, IDC_ALARM_MAX2_TEXT, IDC_ALARM_MAX2_LABEL},
    {IDC_ALARM_MIN3_VALUE, IDC_ALARM_MIN3_HEX, IDC_ALARM_MIN3_TEXT, IDC_ALARM_MIN3_LABEL},
    {IDC_ALARM_MAX3_VALUE, IDC_ALARM_MAX3_HEX, IDC_ALARM_MAX3_TEXT, IDC_ALARM_MAX3_LABEL},
    {IDC_ALARM_MIN4_VALUE, IDC_ALARM_MIN4_HEX, IDC_ALARM_MIN4_TEXT, IDC_ALARM_MIN4_LABEL},
    {IDC_ALARM_MAX4_VALUE, IDC_ALARM_MAX4_HEX, IDC_ALARM_MAX4_TEXT, IDC_ALARM_MAX4_LABEL},
    {IDC_ALARM_MIN5_VALUE, IDC_ALARM_MIN5_HEX, IDC_ALARM_MIN5_TEXT, IDC_ALARM_MIN5_LABEL},
    {IDC_ALARM_MAX5_VALUE, IDC_ALARM_MAX5_HEX, IDC_ALARM_MAX5_TEXT, IDC_ALARM_MAX5_LABEL},
    {IDC_ALARM_MIN6_VALUE, IDC_ALARM_MIN6_HEX, IDC_ALARM_MIN6_TEXT, IDC_ALARM_MIN6_LABEL},
    {IDC_ALARM_MAX6_VALUE, IDC_ALARM_MAX6_HEX, IDC_ALARM_MAX6_TEXT, IDC_ALARM_MAX6_LABEL},
    {IDC_ALARM_MIN7_VALUE, IDC_ALARM_MIN7_HEX, IDC_ALARM_MIN7_TEXT, IDC_ALARM_MIN7_LABEL},
    {IDC_ALARM_MAX7_VALUE, IDC_ALARM_MAX7_HEX, IDC_ALARM_MAX7_TEXT, IDC_ALARM_MAX7_LABEL},
    {IDC_ALARM_MIN8_VALUE, IDC_ALARM_MIN8_HEX, IDC_ALARM_MIN8_TEXT, IDC_ALARM_MIN8_LABEL},
    {IDC_ALARM_MAX8_VALUE, IDC_ALARM_MAX8_HEX, IDC_ALARM_MAX8_TEXT, IDC_ALARM_MAX8_LABEL},
}};

inline constexpr std::array<std::string_view, 6> kAlarmRangeTexts{"-/+10v", "1/5v",   "0/5v",
                                                                  "0/10v",  "0/20ma", "4/20ma"};
inline constexpr std::array<std::string_view, 4> kAlarmFormatTexts{" 16Bit", " DVM", " 12Bit", " 15Bit"};

// The caption set at initialisation, from the selected module's host window title.
std::string alarmDialogCaption(std::string_view hostTitle);

// Typed text as a number: leading white space skipped, then the longest
// decimal prefix (sign, digits, point, exponent); 0 when there is none. Hex,
// "inf" and "nan" are not decimal and read as 0; a prefix too large for a
// double reads as an infinity.
double parseSetpointText(std::string_view text);
// Whether the whole text, blanks around it aside, is one decimal number.
bool isWellFormedSetpointText(std::string_view text);

// "%.3f" of a value.
std::string alarmUnitsText(double value);
// The range text followed by the format text; empty for a range without text.
std::string alarmKindText(int range, int format);

// Each setpoint of the words in units, by its group's codes in Reg1-Reg3;
// nullopt when the group's range has no scaling row.
std::array<std::optional<double>, kAlarmSetpoints> alarmSetpointUnits(const RegisterWords& words);

class AlarmEditor {
public:
    struct Fields {
        std::string value; // editable; "" for a setpoint without scaling
        std::string hex;
        std::string kind;
    };

    // The dialog's initialisation: Reg1-Reg19 saved, every setpoint shown.
    explicit AlarmEditor(AnalogRules& rules);
    AlarmEditor(const AlarmEditor&) = delete;
    AlarmEditor& operator=(const AlarmEditor&) = delete;

    const Fields& fields(int setpoint) const;
    // A setpoint whose group's range has no scaling row shows only its word;
    // the dialog keeps its value edit read-only.
    bool isScaled(int setpoint) const;

    // The user edits a value field; nothing is read until a field loses focus.
    void type(int setpoint, std::string text);
    // A value field lost the focus: two passes over all sixteen setpoints, so
    // a minimum that a later maximum reset is shown as stored. A field still
    // showing its word's text keeps that text: its word moves only to another
    // word of the same text, or when a limit rule moves it.
    void focusLost();
    // Defaults button: both pairs of every group to its full span.
    void pressDefaults();
    // OK with the focus on the OK button: the words are normalized and kept.
    void commit();
    // Cancel: Reg1-Reg19 exactly as they were when the dialog opened.
    void cancel();

    // Where Enter in a value edit moves the focus (OK pressed with the focus
    // elsewhere): minimum of a row -> its maximum -> next row's minimum, the
    // last back to the first; 0 (the dialog itself) from any other control.
    static int nextFocus(int controlId);

private:
    void showSetpoint(int setpoint);
    void showAll();
    void readSetpoint(int setpoint);
    // Whether the limit rules, run with `word` stored at `index`, keep it and
    // move no other word that they would not move with the current one.
    bool limitsAllow(int index, std::uint16_t word) const;

    AnalogRules& rules_;
    std::array<std::uint16_t, 19> saved_{};
    std::array<Fields, kAlarmSetpoints> fields_;
};

} // namespace velmora
