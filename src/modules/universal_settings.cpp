#include "modules/universal_settings.h"

#include "core/text.h"

namespace velmora {

namespace universal {
namespace {

constexpr bool everySettingOnce() {
    for (std::size_t s = 0; s < kUniversalSettingCount; ++s) {
        int seen = 0;
        for (const SettingInfo& info : kSettings)
            if (static_cast<std::size_t>(info.setting) == s) ++seen;
        if (seen != 1) return false;
    }
    return true;
}

constexpr std::array<RegField, kUniversalSettingCount> groupLayout() {
    std::array<RegField, kUniversalSettingCount> out{};
    for (std::size_t i = 0; i < kSettings.size(); ++i) out[i] = kSettings[i].field;
    return out;
}

constexpr std::array<RegField, kUniversalSettingCount * kGroups> fullLayout() {
    std::array<RegField, kUniversalSettingCount * kGroups> out{};
    std::size_t n = 0;
    for (int g = 0; g < kGroups; ++g)
        for (const SettingInfo& info : kSettings) out[n++] = fieldOf(info.setting, g);
    return out;
}

constexpr std::uint16_t usedBits(std::uint8_t reg) {
    std::uint16_t bits = 0;
    for (const SettingInfo& info : kSettings)
        if (info.field.reg == reg) bits = static_cast<std::uint16_t>(bits | info.field.mask());
    return bits;
}

constexpr bool entriesFitFields() {
    for (const SettingInfo& info : kSettings)
        if (info.entries.empty() || info.entries.size() > info.field.maxValue() + 1u) return false;
    return true;
}

constexpr bool listsDistinct() {
    for (std::size_t i = 0; i < kLists.size(); ++i)
        for (std::size_t j = i + 1; j < kLists.size(); ++j)
            if (kLists[i].list == kLists[j].list) return false;
    return true;
}

// The clearing rule keeps exactly the type-dependent settings whose lists the
// new type shows.
constexpr bool keptMatchesShown() {
    for (int t = 0; t < kInputTypeCount; ++t) {
        std::uint16_t shown = 0;
        for (const ListInfo& l : kLists)
            if (l.shownFor & (1u << t)) shown = static_cast<std::uint16_t>(shown | settingBit(l.setting));
        if ((shown & kTypeDependent) != kKeptOnTypeChange[static_cast<std::size_t>(t)]) return false;
    }
    return true;
}

static_assert(everySettingOnce());
static_assert(wellFormed(groupLayout(), 2));
static_assert(wellFormed(fullLayout(), kRegisters));
static_assert(usedBits(0) == 0xFFFF, "the first word is fully used");
static_assert(usedBits(1) == 0x01FF, "bits 9-15 of the second word carry nothing");
static_assert(entriesFitFields());
static_assert(listsDistinct() && kLists.size() == 11);
static_assert(keptMatchesShown());
static_assert(settingInfo(UniversalSetting::Type).entries.size() == kInputTypeCount);

} // namespace
} // namespace universal

using namespace universal;

void UniversalSettings::setDefaults() {
    for (int g = 0; g < kGroups; ++g) {
        regs_[static_cast<std::size_t>(2 * g)] = kDefaultFirstWord;
        regs_[static_cast<std::size_t>(2 * g + 1)] = kDefaultSecondWord;
    }
    group_ = 0;
    decodeRegisters();
}

void UniversalSettings::decodeRegisters() {
    for (int g = 0; g < kGroups; ++g)
        for (const SettingInfo& info : kSettings)
            at(g, info.setting) = static_cast<int>(fieldOf(info.setting, g).get(regs_));
}

void UniversalSettings::encodeRegisters() {
    Words words{};
    for (int g = 0; g < kGroups; ++g)
        for (const SettingInfo& info : kSettings)
            fieldOf(info.setting, g).set(words, static_cast<unsigned>(at(g, info.setting)));
    regs_ = words;
}

void UniversalSettings::refresh() {
    // Taken as Voltage before encoding, so the edits show what OK will send.
    int& type = at(group_, UniversalSetting::Type);
    if (type >= kInputTypeCount) type = static_cast<int>(InputType::Voltage);
    encodeRegisters();
}

void UniversalSettings::openStandalone() {
    encodeRegisters();
    refresh();
}

void UniversalSettings::openSynchronised(const Words& hostWords) {
    setRegisters(hostWords);
    decodeRegisters();
    refresh();
}

bool UniversalSettings::chooseGroup(int group) {
    if (group < 0 || group >= kGroups) return false;
    group_ = group;
    refresh();
    return true;
}

bool UniversalSettings::chooseInputType(int type) {
    if (type < 0 || type >= kInputTypeCount) return false;
    const std::uint16_t kept = kKeptOnTypeChange[static_cast<std::size_t>(type)];
    for (const SettingInfo& info : kSettings) {
        const std::uint16_t bit = settingBit(info.setting);
        if ((kTypeDependent & bit) && !(kept & bit)) at(group_, info.setting) = 0;
    }
    at(group_, UniversalSetting::Type) = type;
    refresh();
    return true;
}

bool UniversalSettings::chooseListEntry(UniversalList list, int index) {
    // Both checks guard against notifications no user made: a hidden list or
    // "no selection" (-1) would otherwise be stored and masked into a code.
    if (!isListShown(list)) return false;
    const ListInfo& info = listInfo(list);
    if (index < 0 || static_cast<std::size_t>(index) >= listTexts(list).size()) return false;
    at(group_, info.setting) = index;
    refresh();
    return true;
}

void UniversalSettings::pressDefaults() {
    setDefaults();
    refresh();
}

InputType UniversalSettings::effectiveType(int typeCode) {
    if (typeCode < 0 || typeCode >= kInputTypeCount) return InputType::Voltage;
    return static_cast<InputType>(typeCode);
}

int UniversalSettings::checkedTypeButton() const {
    return static_cast<int>(effectiveType(at(group_, UniversalSetting::Type)));
}

bool UniversalSettings::isListShown(UniversalList list) const {
    const unsigned type = static_cast<unsigned>(effectiveType(at(group_, UniversalSetting::Type)));
    return (listInfo(list).shownFor & (1u << type)) != 0;
}

int UniversalSettings::listSelection(UniversalList list) const {
    const int c = at(group_, listInfo(list).setting);
    return static_cast<std::size_t>(c) < listTexts(list).size() ? c : -1;
}

std::string UniversalSettings::registerText(int index) const {
    if (index < 0 || index >= kRegisters) return {};
    return wordText(regs_[static_cast<std::size_t>(index)]);
}

int UniversalSettings::code(int group, UniversalSetting setting) const {
    if (group < 0 || group >= kGroups) return 0;
    return at(group, setting);
}

std::string_view UniversalSettings::text(int group, UniversalSetting setting) const {
    const int c = code(group, setting);
    const auto entries = settingInfo(setting).entries;
    return static_cast<std::size_t>(c) < entries.size() ? entries[static_cast<std::size_t>(c)]
                                                        : std::string_view{};
}

} // namespace velmora
