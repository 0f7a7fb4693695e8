// The pause after each exchange: 500 ms, which tests of the whole program may
// only shorten, through VELMORA_TEST_EXCHANGE_PAUSE_MS.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/fakes_app.h"

namespace velmora {
namespace {

using testing::AppRig;

TEST(ExchangePause, OnlyAShorterWholeNumberOfMillisecondsChangesIt)
{
    struct Case {
        const char* value;
        unsigned pause;
    };
    const Case cases[] = {
        {nullptr, 500}, {"", 500},     {"0", 0},       {"40", 40},     {"0040", 40},
        {"499", 499},   {"500", 500},  {"501", 500},   {"86400000", 500},
        {"99999999999999999999999", 500}, {"-1", 500}, {"+40", 500},   {" 40", 500},
        {"40 ", 500},   {"40ms", 500}, {"4 0", 500},   {"0x20", 500},  {"1e2", 500},
    };
    for (const Case& c : cases)
        EXPECT_EQ(exchangePauseSetting(c.value), c.pause) << (c.value ? c.value : "(no value)");
}

TEST(ExchangePause, EveryExchangeOfTheCyclePausesAsThePortsSay)
{
    for (const unsigned pause : {500u, 40u, 0u}) {
        SCOPED_TRACE(pause);
        AppRig rig;
        const auto window = rig.host.addParameterWindow(std::string(ModuleCatalogue[7].defaultTitle));
        rig.dialogAction = [](RegisterBlock&) { return 1; };
        // The first poll after the host window closed ends the run.
        rig.clock.onSleep = [](int, unsigned ms) {
            if (ms == kPollIntervalMs) {
                theApp()->lockState();
                theApp()->setRunMode(RunMode::Quit);
                theApp()->unlockState();
            }
        };
        AppPorts ports = rig.ports();
        if (pause != kPauseAfterExchangeMs)
            ports.pauseAfterExchangeMs = pause;
        ConfigApp app(std::move(ports));
        app.runCycle({"SYNC_WITH_CONCEPT"});
        EXPECT_EQ(rig.host.pressCount(window.ok), 1);
        // The read's pause, the write's pause, one poll.
        EXPECT_EQ(rig.clock.sleeps, (std::vector<unsigned>{pause, pause, kPollIntervalMs}));
    }
}

} // namespace
} // namespace velmora
