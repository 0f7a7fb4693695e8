// Decode and encode operations per second of velmora-cli's core, for every
// module: one line "VELMORA_BENCH {json}" per module, which bench/run
// collects. Build it without sanitizers (bench/run does) for figures that mean
// anything.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "cli/commands.h"

namespace {

using namespace velmora;
using Clock = std::chrono::steady_clock;

constexpr double kSecondsPerFigure = 0.4;

// What a user typically does in the module's dialog, as velmora-cli's ACTIONs.
std::vector<std::string> typicalActions(ModuleKind kind) {
    switch (moduleInfo(kind).family) {
    case EditorFamily::Analog:
        return {kind == 1 ? "g1.range=4ma to 20ma" : "g1.range=0V to 10V", "g2.filter=60 Hz",
                "calibration=Once a minute"};
    case EditorFamily::Universal:
        return {"g2.type=RTD", "g2.rtd= 1000Pt385", "g2.wiring=3 wire"};
    case EditorFamily::Counter:
        return {"ch1.mode=BiDirectional", "ch1.range=24V", "ch3.digital_filter=on", "delay=250"};
    case EditorFamily::MultiPurpose:
        return {"ch2.timeout=300", "ch1.range=3", "delay=1234"};
    }
    return {};
}

// Words a host might hold: every bit pattern, the same on every run.
RegisterWords hostWords(ModuleKind kind) {
    RegisterWords words{};
    unsigned state = 2166136261u ^ static_cast<unsigned>(kind);
    for (auto& word : words) {
        state = state * 16777619u + 12345u;
        word = static_cast<std::uint16_t>(state >> 9);
    }
    return words;
}

// Runs `operation` for about kSecondsPerFigure; operations per second.
template <typename Operation>
double perSecond(Operation operation) {
    long long count = 0;
    const auto start = Clock::now();
    auto now = start;
    do {
        for (int i = 0; i < 64; ++i) operation();
        count += 64;
        now = Clock::now();
    } while (std::chrono::duration<double>(now - start).count() < kSecondsPerFigure);
    return static_cast<double>(count) / std::chrono::duration<double>(now - start).count();
}

} // namespace

int main() {
    volatile std::size_t sink = 0;
    for (ModuleKind kind = 0; kind < kModuleCount; ++kind) {
        const ModuleInfo& module = moduleInfo(kind);
        const RegisterWords words = hostWords(kind);
        cli::EncodeRequest request;
        request.kind = kind;
        request.from = words;
        try {
            for (const std::string& action : typicalActions(kind))
                request.actions.push_back(cli::parseAction(action));
            cli::encodeModule(request); // a refused action ends the figures here
        } catch (const std::exception& error) {
            std::fprintf(stderr, "module %d: %s\n", kind, error.what());
            return 1;
        }
        const double decodes =
            perSecond([&] { sink = sink + cli::decodeModule(kind, words).settings.size(); });
        const double encodes = perSecond([&] { sink = sink + cli::encodeModule(request).registers.size(); });
        std::printf(
            "VELMORA_BENCH {\"figure\":\"core_module_%d\",\"label\":\"decode / encode, module %d %s (%s)\","
            "\"text\":\"%.0f decodes/s, %.0f encodes/s (%zu actions)\",\"kind\":%d,\"family\":\"%s\","
            "\"decode_per_s\":%.0f,\"encode_per_s\":%.0f,\"encode_actions\":%zu}\n",
            kind, kind, std::string(module.listName).c_str(),
            std::string(cli::familyName(module.family)).c_str(), decodes, encodes, request.actions.size(),
            kind, std::string(cli::familyName(module.family)).c_str(), decodes, encodes,
            request.actions.size());
    }
    (void)sink;
    return 0;
}
