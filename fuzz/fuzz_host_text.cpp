// Host field texts: any bytes read without a crash and exactly as a plain
// reference reader (and the C library's strtoull) read them; every word written
// reads back as itself, whatever prefix or case the host puts around it.

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "core/host_text.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

// Reference reader, written for clarity rather than speed: find the digit run,
// drop its leading zeros, and more than eight digits left is beyond 32 bits.
std::uint32_t referenceRead(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        if (i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) i += 2;
    }
    std::size_t end = i;
    while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
    std::string digits = text.substr(i, end - i);
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.size() > 8) return 0xFFFFFFFFu;
    const std::uint32_t value =
        digits.empty() ? 0u : static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
    return negative ? 0u - value : value;
}

// The C library's own reader, held to 32 bits the way a 32-bit unsigned long is.
std::uint32_t strtoullRead(const std::string& text) {
    errno = 0;
    const unsigned long long raw = std::strtoull(text.c_str(), nullptr, 16);
    if (errno == ERANGE) return 0xFFFFFFFFu;
    // The magnitude before a minus sign negated it.
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    const unsigned long long magnitude = negative ? 0ull - raw : raw;
    if (magnitude > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    const auto value = static_cast<std::uint32_t>(magnitude);
    return negative ? 0u - value : value;
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string bytes(velmora::fuzz::asText(data, size));

    const std::uint32_t number = readHostNumber(bytes);
    require(number == referenceRead(bytes), "lenient read matches the reference reader");
    // strtoull stops at a NUL, which the reader also never reads past.
    require(number == strtoullRead(bytes), "lenient read matches strtoull");
    require(readHostText(bytes) == (number & 0xFFFFu), "the word is the low 16 bits");

    std::uint16_t word = 0;
    if (size >= 2) word = static_cast<std::uint16_t>(data[0] | data[1] << 8);
    const std::string text = writeHostText(word);
    require(!text.empty() && text.size() <= 4, "a word is one to four digits");
    require(text == "0" || text.front() != '0', "no leading zeros");
    require(text.find_first_not_of("0123456789abcdef") == std::string::npos,
            "lower-case hexadecimal digits only");
    require(readHostText(text) == word, "a written word reads back");
    require(readHostText(" \t0x" + text) == word, "blanks and 0x before a word");
    require(readHostText("0X" + upper(text)) == word, "upper case reads the same");
    require(readHostText("+" + text + "\r\n") == word, "a plus sign and a line end");
    require(readHostNumber("-" + text) == 0u - word, "a minus sign negates modulo 2^32");
    // What follows the digits is never read.
    require(readHostText(text + "g" + bytes) == word, "text after the digits is ignored");
    return 0;
}
