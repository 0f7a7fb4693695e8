// Host field texts: any bytes read without a crash and as the C library's
// strtoull reads base 16, and a word written reads back as itself whatever
// prefix, case or trailing text the host puts around it.

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/host_text.h"
#include "fuzz_check.h"

using namespace velmora;
using velmora::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string bytes(velmora::fuzz::asText(data, size));
    // strtoull held to 32 bits the way a 32-bit unsigned long is; it stops at
    // a NUL, which the reader also never reads past.
    errno = 0;
    const unsigned long long raw = std::strtoull(bytes.c_str(), nullptr, 16);
    const std::size_t first = bytes.find_first_not_of(" \t\n\v\f\r");
    const bool negative = first != std::string::npos && bytes[first] == '-';
    const unsigned long long magnitude = negative ? 0ull - raw : raw;
    const std::uint32_t expected = errno == ERANGE || magnitude > 0xFFFFFFFFull ? 0xFFFFFFFFu
                                   : negative ? 0u - static_cast<std::uint32_t>(magnitude)
                                              : static_cast<std::uint32_t>(magnitude);
    require(readHostNumber(bytes) == expected, "lenient read matches strtoull");
    require(readHostText(bytes) == (expected & 0xFFFFu), "the word is the low 16 bits");

    const std::uint16_t word = size >= 2 ? static_cast<std::uint16_t>(data[0] | data[1] << 8) : 0;
    std::string text = writeHostText(word);
    require(readHostText(" \t0x" + text + "g" + bytes) == word && readHostNumber("-" + text) == 0u - word,
            "a written word reads back after blanks and 0x, and a minus sign negates it modulo 2^32");
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    require(readHostText("+0X" + text + "\r\n") == word, "upper case and a plus sign read the same");
    return 0;
}
