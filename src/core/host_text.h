#pragma once
// Register words as the host's edit fields hold them: hexadecimal text, read
// leniently and written in lower case without leading zeros.

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The text as an unsigned 32-bit hexadecimal number, read the way the C
// library's strtoul reads base 16: leading blanks skipped, an optional sign,
// an optional "0x"/"0X", digits up to the first non-hex character. No digits
// give 0; a value beyond 32 bits gives 0xFFFFFFFF; a minus sign negates the
// value modulo 2^32 (so "-1" is 0xFFFFFFFF).
std::uint32_t readHostNumber(std::string_view text);

// The register word a host field holds: the low 16 bits of readHostNumber.
std::uint16_t readHostText(std::string_view text);

// "0", "ab", "a00", "ffff".
std::string writeHostText(std::uint16_t value);

} // namespace velmora
