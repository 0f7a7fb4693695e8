#pragma once
// Register rules of the four analog input modules (kinds 0-3): the layout of
// Reg1-Reg3, the model's flags, the defaults, and the rules that keep the words
// consistent, including the upkeep of the alarm setpoints Reg4-Reg19 when a
// group's range or format changes. The editor and both dialogs work through it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/text.h"
#include "modules/analog_scaling.h"
#include "modules/register_fields.h"

namespace velmora {

struct AnalogFlags {
    bool hasVoltageRanges = false;
    bool hasCurrentRanges = false;
    bool hasAlarms = false;
    int writtenCount = 0; // registers that go back to the host
};

// The flags of module `kind` as the catalogue gives them; only kinds 0-3 have any.
AnalogFlags analogFlags(int kind);

namespace analog_layout {
// Indexed by group 0-3.
inline constexpr std::array<RegField, 4> range{{{0, 0, 3}, {0, 3, 3}, {0, 6, 3}, {0, 9, 3}}};
inline constexpr std::array<RegField, 4> filter{{{0, 12, 3}, {1, 0, 3}, {1, 3, 3}, {1, 6, 3}}};
inline constexpr std::array<RegField, 4> format{{{1, 9, 2}, {1, 11, 2}, {1, 13, 2}, {2, 0, 2}}};
inline constexpr std::array<RegField, 4> acquisition{{{2, 4, 1}, {2, 5, 1}, {2, 6, 1}, {2, 7, 1}}};
// Module-wide, all in Reg3.
inline constexpr RegField timestampOff{2, 2, 1}; // 1 = time stamping "Disabled"
inline constexpr RegField trigger{2, 3, 1};
inline constexpr RegField calibration{2, 8, 2};

// Bits that survive normalize, per register. Reg2 also loses the high bit of
// its three filter fields (codes 4-7 have no meaning there); Reg1 keeps bit 14,
// the same bit of the Group1 filter. Reg3 bit 15 is the host's and is kept.
inline constexpr std::array<std::uint16_t, 3> normalizeKeep{0x7FFF, 0x7EDB, 0x83FF};

inline constexpr std::array<RegField, 19> all{
    range[0],       range[1],       range[2],     range[3],  filter[0],  filter[1],      filter[2],
    filter[3],      format[0],      format[1],    format[2], format[3],  acquisition[0], acquisition[1],
    acquisition[2], acquisition[3], timestampOff, trigger,   calibration};
static_assert(wellFormed(all, 3));
} // namespace analog_layout

inline constexpr std::uint16_t kAnalogDefaultReg1Voltage = 0x2000;
inline constexpr std::uint16_t kAnalogDefaultReg1Current = 0x2924;
inline constexpr std::uint16_t kAnalogDefaultReg2 = 0x2A92;
inline constexpr std::uint16_t kAnalogDefaultReg3 = 0x8205;

// A change of one alarm word by one step of the rules, for explanations.
// `rule` names the limit rule in plain words; it is empty for a word stored
// by storeAndCheck.
struct AlarmWordEffect {
    int reg = 0;
    std::uint16_t before = 0;
    std::uint16_t after = 0;
    std::string rule;
};

class AnalogRules {
public:
    // The editor's construction: flags from the kind, then applyDefaults.
    explicit AnalogRules(int kind);

    const AnalogFlags& flags() const { return flags_; }
    bool hasVoltageRanges() const { return flags_.hasVoltageRanges; }
    bool hasCurrentRanges() const { return flags_.hasCurrentRanges; }
    bool hasAlarms() const { return flags_.hasAlarms; }

    // Registers as the editor holds them, without any rule applied.
    const RegisterWords& words() const { return regs_; }
    void load(const RegisterWords& words) { regs_ = words; }
    // 0 for an index outside 0-23; a store there changes nothing.
    std::uint16_t word(int index) const;
    void setWord(int index, std::uint16_t value);

    // True for the registers that go back to the host: Reg1-Reg19 with alarms,
    // Reg1-Reg3 otherwise.
    bool isWritten(int index) const;
    int writtenCount() const { return flags_.writtenCount; }

    // Field reads; group 0-3 (other groups read 0).
    int range(int group) const;
    int format(int group) const;
    int filter(int group) const;
    int acquisition(int group) const;
    int calibration() const;
    int trigger() const;
    int timestampOff() const;

    // Each write replaces only its bits. setRange and setFormat carry the
    // group's alarm limits over to the new span and apply the limit rules.
    void setRange(int group, int code);
    void setFormat(int group, int code);
    void setFilter(int group, int code);
    void setAcquisition(int group, int value); // bit set when value != 0
    void setCalibration(int code);
    void setTrigger(int value);          // bit set when value != 0
    void setTimestamp(int listPosition); // position 0 "Disabled" sets the off bit

    void normalize();
    void applyDefaults();
    // Stores the word when index is 0-18, then normalize and the limit rules
    // on every group; any other index only normalizes and clamps.
    void storeAndCheck(int index, std::uint16_t word);
    // Both pairs of the group to the full span of its present range and format.
    void resetLimits(int group);

    // The range list: voltage codes 0-3 when the model has them, then current
    // codes 4-5 when it has them.
    int rangeListSize() const;
    // List position of a range code, -1 when the list has no entry for it.
    int rangeListPosition(int code) const;
    // Range code at a list position, -1 for a position outside the list.
    int rangeCodeAt(int position) const;

    // While set, every change of an alarm word by the rules is added to
    // `trace`; null (the default) records nothing. A copy of the rules
    // records into no one's trace: it may outlive the owner of this one.
    void setTrace(std::vector<AlarmWordEffect>* trace) { trace_.to = trace; }

private:
    // A write of the group's range or format (`fields` is analog_layout::range
    // or ::format): the alarm limits carried over to the new span.
    void setSpanField(int group, const std::array<RegField, 4>& fields, int code);
    // Notes the changes the limit rules made to the group's alarm words since
    // `before`: a rescale from (oldRange, oldFormat), then the limits.
    void traceLimits(int group, const RegisterWords& before, int oldRange, int oldFormat);

    AnalogFlags flags_;
    RegisterWords regs_{};
    struct TraceTarget {
        std::vector<AlarmWordEffect>* to = nullptr;
        TraceTarget() = default;
        TraceTarget(const TraceTarget&) {}
        TraceTarget& operator=(const TraceTarget&) { return *this; }
    };
    TraceTarget trace_;
};

} // namespace velmora
