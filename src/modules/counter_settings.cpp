#include "modules/counter_settings.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr std::size_t idx(CounterSetting s) {
    return static_cast<std::size_t>(s);
}

// The whole register map of one model, for the compile-time layout checks.
template <int Channels>
constexpr auto counterRegisterMap() {
    std::array<RegField, Channels * kCounterSettingCount + 1> map{};
    std::size_t k = 0;
    for (int ch = 0; ch < Channels; ++ch)
        for (const auto& s : kCounterLayout) map[k++] = inRegister(s.field, ch);
    map[k] = RegField{static_cast<std::uint8_t>(Channels), 0, 16};
    return map;
}

constexpr bool layoutTextsFit() {
    for (const auto& s : kCounterLayout)
        if (!textsFit(s) || s.texts.size() != s.field.maxValue() + 1u) return false;
    return true;
}

static_assert(wellFormed(counterRegisterMap<8>(), CounterSettings::kRegisterCount));
static_assert(wellFormed(counterRegisterMap<4>(), CounterSettings::kRegisterCount));
static_assert(layoutTextsFit(), "every counter code has its own button");
static_assert(pairOwned(CounterSetting::Range) && pairOwned(CounterSetting::Mode));
static_assert(!pairOwned(CounterSetting::Size) && !pairOwned(CounterSetting::DigitalFilter) &&
              !pairOwned(CounterSetting::AnalogFilter) && !pairOwned(CounterSetting::Rate));

} // namespace

const ModuleInfo& counterModuleInfo(ModuleKind kind) {
    constexpr ModuleKind kEightChannels = 5;
    const ModuleInfo& info = moduleInfo(kind);
    return info.family == EditorFamily::Counter ? info : moduleInfo(kEightChannels);
}

int counterChannelCount(ModuleKind kind) {
    return counterModuleInfo(kind).channels;
}

CounterSettings::CounterSettings(int channelCount) : channels_(channelCount == 4 ? 4 : 8) {
    setDefaults();
}

void CounterSettings::setDefaults() {
    current_ = 0;
    std::fill_n(regs_.begin(), channels_ + 1, std::uint16_t{0});
    typedDelay_.reset();
    decodeRegisters();
}

void CounterSettings::decodeRegisters() {
    for (int ch = 0; ch < channels_; ++ch) {
        for (std::size_t s = 0; s < kCounterSettingCount; ++s) {
            const bool fromFirst = isSecondMember(ch) && pairOwned(static_cast<CounterSetting>(s));
            values_[ch][s] = static_cast<int>(kCounterLayout[s].field.get(regs_[fromFirst ? ch - 1 : ch]));
        }
    }
    delay_ = regs_[channels_];
}

void CounterSettings::encodeOnly() {
    for (int ch = 0; ch < channels_; ++ch) {
        // The pair's mode is the first member's as it stands now, so a mode
        // change shows its copy at once rather than on a later encoding.
        if (isSecondMember(ch) && values_[ch - 1][idx(CounterSetting::Mode)] != kUniDirectional) {
            regs_[ch] = regs_[ch - 1];
            continue;
        }
        std::uint16_t word = 0;
        for (std::size_t s = 0; s < kCounterSettingCount; ++s) {
            if (isSecondMember(ch) && pairOwned(static_cast<CounterSetting>(s))) continue;
            word = kCounterLayout[s].field.with(word, static_cast<unsigned>(values_[ch][s]));
        }
        regs_[ch] = word;
    }
    regs_[channels_] = delay_;
}

void CounterSettings::encodeRegisters() {
    encodeOnly();
    decodeRegisters();
}

void CounterSettings::readRegisters(const Registers& from) {
    std::copy_n(from.begin(), channels_ + 1, regs_.begin());
}

void CounterSettings::writeRegisters(Registers& to) const {
    std::copy_n(regs_.begin(), channels_ + 1, to.begin());
}

void CounterSettings::load(const Registers& words) {
    readRegisters(words);
    decodeRegisters();
    afterAction();
}

void CounterSettings::afterAction() {
    encodeRegisters();
    typedDelay_.reset();
}

bool CounterSettings::chooseChannel(int index) {
    // A hidden button can still be made to report a click.
    if (!channelShown(index)) return false;
    current_ = index;
    afterAction();
    return true;
}

bool CounterSettings::choose(CounterSetting setting, int code) {
    const auto& info = counterInfo(setting);
    if (!isEnabled(setting) || code < 0 || code >= static_cast<int>(info.texts.size())) return false;
    values_[current_][idx(setting)] = code;
    afterAction();
    return true;
}

void CounterSettings::typeDelay(std::string_view text) {
    delay_ = typedWord(text);
    encodeRegisters();
    typedDelay_ = std::string(text);
}

void CounterSettings::pressDefaults() {
    setDefaults();
    afterAction();
}

int CounterSettings::value(CounterSetting setting, int channel) const {
    if (channel < 0 || channel >= kMaxChannels) return 0;
    return values_[channel][idx(setting)];
}

std::string_view CounterSettings::text(CounterSetting setting, int channel) const {
    const auto& texts = counterInfo(setting).texts;
    return texts[static_cast<std::size_t>(value(setting, channel))];
}

bool CounterSettings::isEnabled(CounterSetting setting) const {
    if (!isSecondMember(current_)) return true;
    if (pairOwned(setting)) return false;
    return values_[current_ - 1][idx(CounterSetting::Mode)] == kUniDirectional;
}

std::string CounterSettings::registerText(int index) const {
    return registerWordText(regs_, index);
}

std::string CounterSettings::delayEditText() const {
    return typedDelay_ ? *typedDelay_ : std::to_string(delay_);
}

std::string_view CounterSettings::caption() const {
    return channels_ == 4 ? " Configure 770-ZHC-354-00VM" : " Configure 770-ZHC-358-00VM";
}

} // namespace velmora
