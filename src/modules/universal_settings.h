#pragma once
// Settings of the universal input module (16 channels in four groups of four,
// two registers per group): the register layout as data, the list and button
// texts, and the state behind the universal input dialog. The dialog binds
// its controls to this class; every rule lives here so it runs natively.

#include "modules/register_fields.h"
#include "universal_ids.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// The eleven settings of one channel group; the value is the index into
// the per-group tables below.
enum class UniversalSetting : std::uint8_t {
    Type,
    Voltage,
    Current,
    Thermocouple,
    Rtd,
    Wiring,
    Resistance,
    Units,
    Format,
    Filter,
    Fault,
};
inline constexpr std::size_t kUniversalSettingCount = 11;

// Input type codes as the radio buttons set them. A host may send 6
// or 7, which have no button; such a group is shown as Voltage.
enum class InputType : std::uint8_t { Voltage, Current, Thermocouple, Rtd, Resistance, Cjc };
inline constexpr int kInputTypeCount = 6;

// The eleven list boxes, by control id. The wiring setting has two lists: one
// under the RTD type and one under the resistance range.
enum class UniversalList : int {
    Voltage = IDC_UNI_VOLTAGE,
    Current = IDC_UNI_CURRENT,
    Thermocouple = IDC_UNI_THERMOCOUPLE,
    Rtd = IDC_UNI_RTD,
    Resistance = IDC_UNI_RESISTANCE,
    Units = IDC_UNI_UNITS,
    RtdWiring = IDC_UNI_RTD_WIRING,
    ResistanceWiring = IDC_UNI_RES_WIRING,
    Format = IDC_UNI_FORMAT,
    Filter = IDC_UNI_FILTER,
    Fault = IDC_UNI_FAULT,
};

namespace universal {

inline constexpr int kGroups = 4;
inline constexpr int kRegisters = 8; // group g: first word 2g, second word 2g + 1

inline constexpr std::uint16_t kDefaultFirstWord = 0x0018;
inline constexpr std::uint16_t kDefaultSecondWord = 0x0010;

inline constexpr std::array<std::string_view, kGroups> kGroupButtonTexts{"Chans 1 - 4", "Chans 5 - 8",
                                                                         "Chans 9 - 12", "Chans 13 -16"};
inline constexpr std::array<std::string_view, kInputTypeCount> kTypeButtonTexts{
    "Voltage", "Current", "Thermocouple", "RTD", "Resistance", "CJC"};

// List entries in list order (index = code). Leading blanks and double spaces
// line the entries up in the list boxes and are part of the texts.
inline constexpr std::array<std::string_view, 8> kVoltageTexts{
    "+/- 0.05V", "+/- 0.5V", "+/- 2.0V", "+/- 5.0V", "+/- 10.0V", "0 ..  5V", "1 ..  5V", "0 .. 10V"};
inline constexpr std::array<std::string_view, 3> kCurrentTexts{"+/- 20mA", "0 .. 20mA", "4 .. 20mA"};
inline constexpr std::array<std::string_view, 8> kThermocoupleTexts{"J", "K", "T", "E", "R", "S", "B", "N"};
inline constexpr std::array<std::string_view, 15> kRtdTexts{
    " 100Pt385", " 200Pt385", " 500Pt385", "1000Pt385", " 100Pt392", " 200Pt392", " 500Pt392",  "1000Pt392",
    "  10Cu426", " 100Ni618", " 200Ni618", " 500Ni618", "1000Ni618", " 120Ni672", " 604NiFe518"};
inline constexpr std::array<std::string_view, 4> kResistanceTexts{" 150 Ohm", " 490 Ohm", " 980 Ohm",
                                                                  "3000 Ohm"};
inline constexpr std::array<std::string_view, 2> kUnitsTexts{"Degrees C", "Degrees F"};
inline constexpr std::array<std::string_view, 2> kWiringTexts{"2 or 4 wire", "3 wire"};
inline constexpr std::array<std::string_view, 4> kFormatTexts{"16 Bit", "DVM", "12 bit", "15 bit"};
inline constexpr std::array<std::string_view, 4> kFilterTexts{"Reject 50/60Hz", "Reject high",
                                                              "Reject middle", "Fast acquire"};
inline constexpr std::array<std::string_view, 4> kFaultTexts{"Default", "Max Scale", "Min Scale",
                                                             "Zero On Fault"};

// One setting of a group: where it lives (reg 0 = the group's first word,
// 1 = its second word) and what it offers.
struct SettingInfo {
    UniversalSetting setting;
    RegField field;
    std::span<const std::string_view> entries; // codes past the end have no entry
};

inline constexpr std::array<SettingInfo, kUniversalSettingCount> kSettings{{
    {UniversalSetting::Type, {0, 0, 3}, kTypeButtonTexts},
    {UniversalSetting::Voltage, {0, 3, 3}, kVoltageTexts},
    {UniversalSetting::Current, {0, 6, 2}, kCurrentTexts},
    {UniversalSetting::Thermocouple, {0, 8, 3}, kThermocoupleTexts},
    {UniversalSetting::Rtd, {0, 11, 4}, kRtdTexts},
    {UniversalSetting::Wiring, {0, 15, 1}, kWiringTexts},
    {UniversalSetting::Resistance, {1, 0, 2}, kResistanceTexts},
    {UniversalSetting::Filter, {1, 2, 2}, kFilterTexts},
    {UniversalSetting::Format, {1, 4, 2}, kFormatTexts},
    {UniversalSetting::Fault, {1, 6, 2}, kFaultTexts},
    {UniversalSetting::Units, {1, 8, 1}, kUnitsTexts},
}};

constexpr std::uint8_t typeBit(InputType t) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(t));
}
inline constexpr std::uint8_t kAllTypes = 0x3F;

// One list box: its setting and the input types under which it is shown
// (bit t for type t). The order is the order the dialog fills them in.
struct ListInfo {
    UniversalList list;
    UniversalSetting setting;
    std::uint8_t shownFor;
};

inline constexpr std::array<ListInfo, 11> kLists{{
    {UniversalList::Voltage, UniversalSetting::Voltage, typeBit(InputType::Voltage)},
    {UniversalList::Current, UniversalSetting::Current, typeBit(InputType::Current)},
    {UniversalList::Thermocouple, UniversalSetting::Thermocouple, typeBit(InputType::Thermocouple)},
    {UniversalList::Rtd, UniversalSetting::Rtd, typeBit(InputType::Rtd)},
    {UniversalList::Resistance, UniversalSetting::Resistance, typeBit(InputType::Resistance)},
    {UniversalList::Units, UniversalSetting::Units,
     static_cast<std::uint8_t>(typeBit(InputType::Thermocouple) | typeBit(InputType::Rtd) |
                               typeBit(InputType::Cjc))},
    {UniversalList::RtdWiring, UniversalSetting::Wiring, typeBit(InputType::Rtd)},
    {UniversalList::ResistanceWiring, UniversalSetting::Wiring, typeBit(InputType::Resistance)},
    {UniversalList::Format, UniversalSetting::Format, kAllTypes},
    {UniversalList::Filter, UniversalSetting::Filter, kAllTypes},
    {UniversalList::Fault, UniversalSetting::Fault, kAllTypes},
}};

// A click on an input type button keeps these settings of the group and puts
// the other type-dependent ones to 0 (format, filter and fault are never
// touched). Indexed by type code.
constexpr std::uint16_t settingBit(UniversalSetting s) {
    return static_cast<std::uint16_t>(1u << static_cast<unsigned>(s));
}
inline constexpr std::uint16_t kTypeDependent =
    settingBit(UniversalSetting::Voltage) | settingBit(UniversalSetting::Current) |
    settingBit(UniversalSetting::Thermocouple) | settingBit(UniversalSetting::Rtd) |
    settingBit(UniversalSetting::Wiring) | settingBit(UniversalSetting::Resistance) |
    settingBit(UniversalSetting::Units);
inline constexpr std::array<std::uint16_t, kInputTypeCount> kKeptOnTypeChange{
    settingBit(UniversalSetting::Voltage),
    settingBit(UniversalSetting::Current),
    static_cast<std::uint16_t>(settingBit(UniversalSetting::Thermocouple) |
                               settingBit(UniversalSetting::Units)),
    static_cast<std::uint16_t>(settingBit(UniversalSetting::Rtd) | settingBit(UniversalSetting::Wiring) |
                               settingBit(UniversalSetting::Units)),
    static_cast<std::uint16_t>(settingBit(UniversalSetting::Resistance) |
                               settingBit(UniversalSetting::Wiring)),
    settingBit(UniversalSetting::Units),
};

constexpr const SettingInfo& settingInfo(UniversalSetting s) {
    for (const SettingInfo& info : kSettings)
        if (info.setting == s) return info;
    return kSettings[0]; // unreachable: the table covers every setting (checked below)
}
constexpr const ListInfo& listInfo(UniversalList l) {
    for (const ListInfo& info : kLists)
        if (info.list == l) return info;
    return kLists[0]; // unreachable for the eleven enumerators (checked below)
}
// The setting's field in the working registers of group g.
constexpr RegField fieldOf(UniversalSetting s, int group) {
    const RegField f = settingInfo(s).field;
    return RegField{static_cast<std::uint8_t>(f.reg + 2 * group), f.first, f.width};
}

} // namespace universal

class UniversalSettings {
public:
    using Words = std::array<std::uint16_t, universal::kRegisters>;

    // Built with the defaults, as the dialog's constructor does.
    UniversalSettings() { setDefaults(); }

    // --- the dialog frame ---
    // Default words into every group, group 1 on show, decoded.
    void setDefaults();
    // Working registers to settings; codes are taken as they come.
    void decodeRegisters();
    // Settings to working registers, every word rebuilt from 0.
    void encodeRegisters();
    // What readRegisters() copies from the editor.
    void setRegisters(const Words& words) { regs_ = words; }
    const Words& registers() const { return regs_; }
    // The state part of a control refresh: a host's type 6 or 7 in the group on
    // show becomes Voltage, then the words are encoded. Every user action ends
    // with it; the dialog calls it once more after its initial read or encode.
    void refresh();

    // Dialog start, both modes: the words the edits show and the controls follow.
    void openStandalone();
    void openSynchronised(const Words& hostWords);

    // --- user actions; each one is followed by a refresh ---
    // A group radio button (0-3). Returns false, changing nothing, outside 0-3.
    bool chooseGroup(int group);
    // An input type radio button (0-5) for the group on show, with the clearing
    // rule. Returns false, changing nothing, outside 0-5.
    bool chooseInputType(int type);
    // A selection made in a list box. Returns false, changing nothing, when the
    // list is hidden or the index is not one of its entries (a list box reports
    // -1 when nothing is selected).
    bool chooseListEntry(UniversalList list, int index);
    // The Defaults button.
    void pressDefaults();

    // --- what the controls show ---
    int groupOnShow() const { return group_; }
    // Type button checked for the group on show, 0-5; a type of 6 or 7 shows as Voltage.
    int checkedTypeButton() const;
    bool isListShown(UniversalList list) const;
    // The list's selection for the group on show: its code, or -1 when the code
    // has no entry (current range 3, RTD type 15); set whether shown or not.
    int listSelection(UniversalList list) const;
    static std::span<const std::string_view> listTexts(UniversalList list) {
        return universal::settingInfo(universal::listInfo(list).setting).entries;
    }
    // Register edit text, "%04X" of working register `index` (0-7); "" outside.
    std::string registerText(int index) const;

    // --- settings by group (0-3) ---
    int code(int group, UniversalSetting setting) const;
    // The entry text for the code, "" when the code has no entry.
    std::string_view text(int group, UniversalSetting setting) const;
    // The input type the dialog treats the group as having (6 and 7 as Voltage).
    static InputType effectiveType(int typeCode);

private:
    int& at(int group, UniversalSetting s) {
        return codes_[static_cast<std::size_t>(s)][static_cast<std::size_t>(group)];
    }
    int at(int group, UniversalSetting s) const {
        return codes_[static_cast<std::size_t>(s)][static_cast<std::size_t>(group)];
    }

    Words regs_{};
    std::array<std::array<int, universal::kGroups>, kUniversalSettingCount> codes_{};
    int group_ = 0;
};

} // namespace velmora
