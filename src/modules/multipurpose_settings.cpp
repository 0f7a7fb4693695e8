#include "modules/multipurpose_settings.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr std::size_t idx(MultiPurposeSetting s) {
    return static_cast<std::size_t>(s);
}

constexpr RegField timeoutField(int channel) {
    return inRegister(kMultiPurposeTimeoutField, kMultiPurposeTimeoutField.reg + channel);
}

constexpr auto multiPurposeRegisterMap() {
    constexpr int n = MultiPurposeSettings::kChannels;
    std::array<RegField, n * kMultiPurposeSettingCount + 1 + n> map{};
    std::size_t k = 0;
    for (int ch = 0; ch < n; ++ch)
        for (const auto& s : kMultiPurposeLayout) map[k++] = inRegister(s.field, ch);
    map[k++] = kMultiPurposeDelayField;
    for (int ch = 0; ch < n; ++ch) map[k++] = timeoutField(ch);
    return map;
}

constexpr bool layoutTextsFit() {
    for (const auto& s : kMultiPurposeLayout)
        if (!textsFit(s)) return false;
    return true;
}

static_assert(wellFormed(multiPurposeRegisterMap(), MultiPurposeSettings::kRegisterCount));
static_assert(layoutTextsFit());
static_assert(
    multiPurposeInfo(MultiPurposeSetting::Size).field.get(MultiPurposeSettings::kDefaultChannelWord) == 1);

} // namespace

MultiPurposeSettings::MultiPurposeSettings() {
    setDefaults();
}

int MultiPurposeSettings::limitTimeout(std::int64_t seconds) {
    return static_cast<int>(std::clamp<std::int64_t>(seconds, 0, kTimeoutMax));
}

void MultiPurposeSettings::setDefaults() {
    current_ = 0;
    regs_.fill(0);
    std::fill_n(regs_.begin(), kChannels, kDefaultChannelWord);
    typedDelay_.reset();
    typedTimeout_.reset();
    decodeRegisters();
}

void MultiPurposeSettings::decodeRegisters() {
    for (int ch = 0; ch < kChannels; ++ch)
        for (std::size_t s = 0; s < kMultiPurposeSettingCount; ++s)
            values_[ch][s] = static_cast<int>(kMultiPurposeLayout[s].field.get(regs_[ch]));
    delay_ = static_cast<std::uint16_t>(kMultiPurposeDelayField.get(regs_));
    for (int ch = 0; ch < kChannels; ++ch)
        timeouts_[ch] = limitTimeout(static_cast<std::int16_t>(timeoutField(ch).get(regs_)));
}

void MultiPurposeSettings::encodeRegisters() {
    for (int ch = 0; ch < kChannels; ++ch) {
        std::uint16_t word = 0;
        for (std::size_t s = 0; s < kMultiPurposeSettingCount; ++s)
            word = kMultiPurposeLayout[s].field.with(word, static_cast<unsigned>(values_[ch][s]));
        regs_[ch] = word;
    }
    kMultiPurposeDelayField.set(regs_, delay_);
    for (int ch = 0; ch < kChannels; ++ch) {
        timeouts_[ch] = limitTimeout(timeouts_[ch]);
        timeoutField(ch).set(regs_, static_cast<unsigned>(timeouts_[ch]));
    }
    decodeRegisters();
}

void MultiPurposeSettings::readRegisters(const Registers& from) {
    regs_ = from;
}

void MultiPurposeSettings::writeRegisters(Registers& to) const {
    to = regs_;
}

void MultiPurposeSettings::load(const Registers& words) {
    readRegisters(words);
    decodeRegisters();
    afterAction();
}

void MultiPurposeSettings::afterAction() {
    encodeRegisters();
    typedDelay_.reset();
    typedTimeout_.reset();
}

bool MultiPurposeSettings::chooseChannel(int index) {
    if (index < 0 || index >= kChannels) return false;
    current_ = index;
    afterAction();
    return true;
}

bool MultiPurposeSettings::choose(MultiPurposeSetting setting, int code) {
    if (!hasButton(setting, code)) return false;
    values_[current_][idx(setting)] = code;
    afterAction();
    return true;
}

void MultiPurposeSettings::typeDelay(std::string_view text) {
    delay_ = typedWord(text);
    encodeRegisters();
    typedDelay_ = std::string(text);
    typedTimeout_.reset();
}

void MultiPurposeSettings::typeTimeout(std::string_view text) {
    // Limited on the whole number: "65536" is 240, not the 0 its low 16 bits give.
    timeouts_[current_] = limitTimeout(typedNumber(text));
    encodeRegisters();
    typedTimeout_ = std::string(text);
    typedDelay_.reset();
}

void MultiPurposeSettings::pressDefaults() {
    setDefaults();
    afterAction();
}

int MultiPurposeSettings::value(MultiPurposeSetting setting, int channel) const {
    if (channel < 0 || channel >= kChannels) return 0;
    return values_[channel][idx(setting)];
}

std::string_view MultiPurposeSettings::text(MultiPurposeSetting setting, int channel) const {
    const int code = value(setting, channel);
    if (!hasButton(setting, code)) return "(none)";
    return multiPurposeInfo(setting).texts[static_cast<std::size_t>(code)];
}

bool MultiPurposeSettings::hasButton(MultiPurposeSetting setting, int code) const {
    return code >= 0 && code < static_cast<int>(multiPurposeInfo(setting).texts.size());
}

int MultiPurposeSettings::timeout(int channel) const {
    if (channel < 0 || channel >= kChannels) return 0;
    return timeouts_[channel];
}

std::string MultiPurposeSettings::registerText(int index) const {
    return registerWordText(regs_, index);
}

std::string MultiPurposeSettings::delayEditText() const {
    return typedDelay_ ? *typedDelay_ : std::to_string(delay_);
}

std::string MultiPurposeSettings::timeoutEditText() const {
    return typedTimeout_ ? *typedTimeout_ : std::to_string(timeouts_[current_]);
}

} // namespace velmora
