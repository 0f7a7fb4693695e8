// Host field texts: any bytes read without a crash and as the C library's
// strtoull reads base 16; every word written reads back as itself, whatever
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

namespace {

// strtoull held to 32 bits the way a 32-bit unsigned long is.
std::uint32_t strtoullRead(const std::string& text) {
    errno = 0;
    const unsigned long long raw = std::strtoull(text.c_str(), nullptr, 16);
    if (errno == ERANGE) return 0xFFFFFFFFu;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    const unsigned long long magnitude = negative ? 0ull - raw : raw;
    if (magnitude > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    return negative ? 0u - static_cast<std::uint32_t>(magnitude) : static_cast<std::uint32_t>(magnitude);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string bytes(velmora::fuzz::asText(data, size));
    const std::uint32_t number = readHostNumber(bytes);
    // strtoull stops at a NUL, which the reader also never reads past.
    require(number == strtoullRead(bytes), "lenient read matches strtoull");
    require(readHostText(bytes) == (number & 0xFFFFu), "the word is the low 16 bits");

    const std::uint16_t word = size >= 2 ? static_cast<std::uint16_t>(data[0] | data[1] << 8) : 0;
    const std::string text = writeHostText(word);
    require(text.size() <= 4 && (text == "0" || text.front() != '0') &&
                text.find_first_not_of("0123456789abcdef") == std::string::npos,
            "one to four lower-case digits, no leading zeros");
    std::string upper = text;
    for (char& c : upper) c = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
    require(readHostText(" \t0x" + text + "g" + bytes) == word &&
                readHostText("+0X" + upper + "\r\n") == word,
            "a written word reads back");
    require(readHostNumber("-" + text) == 0u - word, "a minus sign negates modulo 2^32");
    return 0;
}
