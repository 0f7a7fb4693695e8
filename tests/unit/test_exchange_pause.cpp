// The pause after each exchange: 500 ms unless the ports give another.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/fakes_app.h"

namespace velmora {
namespace {

using testing::AppRig;

TEST(ExchangePause, EveryExchangeOfTheCyclePausesAsThePortsSay) {
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
        if (pause != kPauseAfterExchangeMs) ports.pauseAfterExchangeMs = pause;
        ConfigApp app(std::move(ports));
        app.runCycle({"SYNC_WITH_CONCEPT"});
        EXPECT_EQ(rig.host.pressCount(window.ok), 1);
        // The read's pause, the write's pause, one poll.
        EXPECT_EQ(rig.clock.sleeps(), (std::vector<unsigned>{pause, pause, kPollIntervalMs}));
    }
}

} // namespace
} // namespace velmora
