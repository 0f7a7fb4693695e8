#pragma once
// What the command-line models of the two counter modules share: the start,
// Defaults, the words OK writes back and the notes, over a settings class with
// pressDefaults, load, encodeRegisters and writeRegisters. Each model adds its
// own actions, names and views.

#include "cli/module_model.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// "ch1" for channel index 0.
inline std::string channelName(int channel) {
    return "ch" + std::to_string(channel + 1);
}

template <class Settings>
class ChannelModuleModel : public ModuleModel {
public:
    void startStandalone() override {
        notes_.clear();
        start_.fill(0);
        settings_.pressDefaults();
    }

    void startSynchronised(const RegisterWords& words) override {
        notes_.clear();
        start_ = words;
        typename Settings::Registers regs{};
        std::copy_n(words.begin(), regs.size(), regs.begin());
        settings_.load(regs);
    }

    void pressDefaults() override {
        notes_.clear();
        settings_.pressDefaults();
    }

    RegisterWords finish() override { return currentWords(); }

    // The registers past the handled ones keep the words the start gave them.
    RegisterWords currentWords() const override {
        Settings encoded = settings_;
        encoded.encodeRegisters();
        typename Settings::Registers regs{};
        encoded.writeRegisters(regs);
        RegisterWords out = start_;
        std::copy_n(regs.begin(), handledCount(), out.begin());
        return out;
    }

    std::vector<SettingNote> lastNotes() const override { return notes_; }

protected:
    explicit ChannelModuleModel(Settings settings) : settings_(std::move(settings)) {}

    Settings settings_;
    RegisterWords start_{};
    std::vector<SettingNote> notes_;
};

} // namespace velmora
