#pragma once
// A broken invariant must stop the fuzzer with the input saved, so it aborts
// rather than throwing (libFuzzer treats an abort as a crash).

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace velmora::fuzz {

inline void require(bool holds, const char* invariant) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

inline std::string_view asText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace velmora::fuzz
