#pragma once
// Register layouts as data: each field is stated once (register, first bit,
// width); the shift and mask are derived, and tables are checked at compile
// time for fields that overflow their word or overlap a neighbour.

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora {

// Every parameter register of a module, Reg1 first.
using RegisterWords = std::array<std::uint16_t, 24>;

struct RegField {
    std::uint8_t reg;   // register index, 0 = "Reg1"
    std::uint8_t first; // lowest bit
    std::uint8_t width; // number of bits

    constexpr std::uint16_t mask() const { return static_cast<std::uint16_t>(((1u << width) - 1u) << first); }
    constexpr unsigned maxValue() const { return (1u << width) - 1u; }
    constexpr unsigned get(std::uint16_t word) const {
        return (static_cast<unsigned>(word) >> first) & maxValue();
    }
    // `word` with this field replaced by the low `width` bits of `value`.
    constexpr std::uint16_t with(std::uint16_t word, unsigned value) const {
        return static_cast<std::uint16_t>((word & ~mask()) | ((value & maxValue()) << first));
    }
    template <std::size_t N>
    constexpr unsigned get(const std::array<std::uint16_t, N>& regs) const {
        return get(regs[reg]);
    }
    template <std::size_t N>
    constexpr void set(std::array<std::uint16_t, N>& regs, unsigned value) const {
        regs[reg] = with(regs[reg], value);
    }
};

constexpr bool fitsWord(RegField f) {
    return f.width >= 1 && f.width <= 16 && f.first + f.width <= 16;
}

// True when every field fits its word and no two fields of one register share a bit.
template <std::size_t N>
constexpr bool wellFormed(const std::array<RegField, N>& fields, std::size_t registers = 24) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!fitsWord(fields[i]) || fields[i].reg >= registers) return false;
        for (std::size_t j = i + 1; j < N; ++j)
            if (fields[i].reg == fields[j].reg && (fields[i].mask() & fields[j].mask()) != 0) return false;
    }
    return true;
}

static_assert(RegField{0, 4, 3}.mask() == 0x0070);
static_assert(RegField{0, 4, 3}.with(0xFFFF, 0) == 0xFF8F);
static_assert(RegField{0, 15, 1}.get(std::uint16_t{0x8000}) == 1);
static_assert(!wellFormed(std::array{RegField{0, 0, 4}, RegField{0, 3, 2}}));
static_assert(wellFormed(std::array{RegField{0, 0, 4}, RegField{0, 4, 2}, RegField{1, 0, 16}}));

} // namespace velmora
