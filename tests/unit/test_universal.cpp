// The universal input module: its settings class and command-line model.

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "cli/universal_model.h"
#include "modules/universal_settings.h"

namespace velmora {
namespace {

using S = UniversalSetting;
using L = UniversalList;
using Words = UniversalSettings::Words;

std::set<L> shownLists(const UniversalSettings& st) {
    std::set<L> out;
    for (const auto& info : universal::kLists)
        if (st.isListShown(info.list)) out.insert(info.list);
    return out;
}

// Group 0 with every field non-zero: RTD, voltage 5, current 2, thermocouple 6,
// RTD 9, wiring 1 | resistance 2, filter 1, format 3, fault 2, units 1.
constexpr std::uint16_t kBusyFirst = 0xCEAB, kBusySecond = 0x01B6;

// Bits 9-15 of every second word go; the group on show takes a host's type 6
// or 7 as Voltage, a group not yet shown keeps it.
TEST(UniversalSettings, OpeningReencodesAndShowsAHostTypeSixOrSevenAsVoltage) {
    // clang-format off
    const std::pair<Words, Words> cases[] = {
        {{0x0018, 0xFE10, 0x0018, 0x0210, 0x0018, 0x8010, 0x0018, 0xFFFF},
         {0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x01FF}},
        {{0x001E, 0x0010}, {0x0018, 0x0010}}, {{0xFFFF}, {0xFFF8}},
        {{0x0001, 0, 0x0626, 0, 0x0007, 0, 0xCEAF, 0x01B6},
         {0x0001, 0, 0x0626, 0, 0x0007, 0, 0xCEAF, 0x01B6}}};
    // clang-format on
    for (const auto& [host, shown] : cases) {
        UniversalSettings st;
        st.openSynchronised(host);
        EXPECT_EQ(st.registers(), shown);
    }
}

// A type click keeps only the type-dependent settings the new type shows.
TEST(UniversalSettings, TypeClickKeepsOnlyWhatTheNewTypeShows) {
    // Type; voltage, current, thermocouple, rtd, wiring, resistance and units after; lists shown.
    // clang-format off
    const std::tuple<int, std::array<int, 7>, std::set<L>> cases[] = {
        {0, {5, 0, 0, 0, 0, 0, 0}, {L::Voltage, L::Format, L::Filter, L::Fault}},
        {1, {0, 2, 0, 0, 0, 0, 0}, {L::Current, L::Format, L::Filter, L::Fault}},
        {2, {0, 0, 6, 0, 0, 0, 1}, {L::Thermocouple, L::Units, L::Format, L::Filter, L::Fault}},
        {3, {0, 0, 0, 9, 1, 0, 1}, {L::Rtd, L::Units, L::RtdWiring, L::Format, L::Filter, L::Fault}},
        {4, {0, 0, 0, 0, 1, 2, 0}, {L::Resistance, L::ResistanceWiring, L::Format, L::Filter, L::Fault}},
        {5, {0, 0, 0, 0, 0, 0, 1}, {L::Units, L::Format, L::Filter, L::Fault}}};
    // clang-format on
    for (const auto& [type, kept, lists] : cases) {
        UniversalSettings st;
        st.openSynchronised({kBusyFirst, kBusySecond, kBusyFirst, kBusySecond});
        st.chooseGroup(1);
        ASSERT_TRUE(st.chooseInputType(type));
        std::array<int, 7> after{}; // in UniversalSetting order, after the type
        for (int i = 0; i < 7; ++i) after[static_cast<std::size_t>(i)] = st.code(1, S(i + 1));
        EXPECT_EQ(std::tuple(after, st.code(1, S::Type), shownLists(st)), std::tuple(kept, type, lists));
        EXPECT_EQ(std::tuple(st.registers()[0], st.registers()[1]), std::tuple(kBusyFirst, kBusySecond));
        // Both wiring lists select the one setting, so Resistance shows RTD's "3 wire".
        EXPECT_EQ(st.listSelection(L::ResistanceWiring), kept[4]);
    }
}

TEST(UniversalSettings, ListChoicesReachTheirBitsOfTheGroupOnShow) {
    // clang-format off
    const std::tuple<int, L, int, std::uint16_t, std::uint16_t> cases[] = {{0, L::Voltage, 7, 0x0038, 0x0010},
        {1, L::Current, 2, 0x0081, 0x0010}, {2, L::Thermocouple, 7, 0x0702, 0x0010},
        {2, L::Units, 1, 0x0002, 0x0110}, {3, L::Rtd, 14, 0x7003, 0x0010},
        {3, L::RtdWiring, 1, 0x8003, 0x0010}, {4, L::Resistance, 3, 0x0004, 0x0013},
        {4, L::ResistanceWiring, 1, 0x8004, 0x0010}, {5, L::Units, 1, 0x0005, 0x0110},
        {5, L::Format, 0, 0x0005, 0x0000}, {0, L::Filter, 3, 0x0018, 0x001C},
        {0, L::Fault, 3, 0x0018, 0x00D0}};
    // clang-format on
    for (const auto& [type, list, index, first, second] : cases) {
        UniversalSettings st;
        st.chooseGroup(2);
        st.chooseInputType(type);
        ASSERT_TRUE(st.chooseListEntry(list, index)) << static_cast<int>(list);
        EXPECT_EQ(std::tuple(st.listSelection(list), st.registers()),
                  std::tuple(index, Words{0x0018, 0x0010, 0x0018, 0x0010, first, second, 0x0018, 0x0010}));
    }
}

// Notifications no user can make: a hidden list, no selection, an entry or
// button that does not exist.
TEST(UniversalSettings, ActionsNoUserCanMakeChangeNothing) {
    using U = UniversalSettings&;
    // clang-format off
    const std::function<bool(U)> cases[] = {
        [](U s) { return s.chooseListEntry(L::Rtd, 2); }, [](U s) { return s.chooseListEntry(L::Format, 4); },
        [](U s) { return s.chooseListEntry(L::Voltage, -1); }, [](U s) { return s.chooseGroup(4); },
        [](U s) { return s.chooseListEntry(L::Voltage, 8); }, [](U s) { return s.chooseInputType(6); },
        [](U s) { return s.chooseListEntry(L::ResistanceWiring, 1); },
        [](U s) { return s.chooseGroup(-1) || s.chooseInputType(-1); }};
    // clang-format on
    for (const auto& act : cases) {
        UniversalSettings st;
        st.openSynchronised({0x001E, 0x0010, kBusyFirst, kBusySecond});
        st.chooseGroup(1);
        st.chooseInputType(0);
        const Words before = st.registers();
        EXPECT_FALSE(act(st));
        EXPECT_EQ(std::tuple(st.registers(), st.groupOnShow()), std::tuple(before, 1));
    }
}

// Current range 3 and RTD type 15 have no list entry: nothing is selected and
// the codes go back as they came.
TEST(UniversalSettings, CodesWithoutAnEntryGoBack) {
    UniversalSettings st;
    st.openSynchronised({0x78C1, 0x0010, 0x78C3, 0x0010});
    EXPECT_EQ(std::tuple(st.listSelection(L::Current), st.text(0, S::Current), st.text(1, S::Rtd),
                         UniversalSettings::effectiveType(6), UniversalSettings::effectiveType(-1)),
              std::tuple(-1, "", "", InputType::Voltage, InputType::Voltage));
    ASSERT_TRUE(st.chooseGroup(1) && st.chooseListEntry(L::Units, 1));
    EXPECT_EQ(std::tuple(st.listSelection(L::Rtd), st.registerText(0), st.registerText(2), st.registerText(3),
                         st.registerText(8)),
              std::tuple(-1, "78C1", "78C3", "0110", ""));
    st.pressDefaults();
    EXPECT_EQ(std::tuple(st.groupOnShow(), st.registers()[2], st.registers()[3]),
              std::tuple(0, 0x0018, 0x0010));
}

// Registers past the eighth go back as they came; a refused action leaves a
// group with a host's type 7 unshown, so it keeps its 7. Values are taken by
// code or by the list's text, any case, blanks around ignored.
TEST(UniversalModel, ValuesAndRefusals) {
    auto m = makeUniversalModel();
    m->startSynchronised({0x032E, 0x0010, 0x032F, 0xFFB6, 0x0018, 0x0010, 0x0018, 0x0010, 0xBEEF});
    // clang-format off
    const std::tuple<std::string, std::string, std::string> cases[] = {{"g3.type", "  rtd ", ""},
        {"g3.rtd", "1000PT392", ""}, {"g3.wiring", "3 WIRE", ""}, {"g1.voltage", "1 ..  5v", ""},
        {"g04.format", "003", ""}, {"g2.thermocouple", "K", "hidden while g2.type is Voltage"},
        {"g1.bogus", "1", "unknown setting \"g1.bogus\"; allowed: gN.type, gN.voltage"},
        {"g5.type", "1", "out of range; allowed: 1 to 4"},
        {"g1.voltage", std::string("3\0", 2), "g1.voltage: malformed"}, {"g1.type", "Volt", "5 \"CJC\""},
        {"g4.units", "1", "allowed: set g4.type to Thermocouple, RTD or CJC first"}};
    // clang-format on
    for (const auto& [name, value, refusal] : cases) {
        const RegisterWords before = m->finish();
        const ActionResult r = m->apply(name, value);
        EXPECT_EQ(r.ok(), refusal.empty()) << name << "=" << value.substr(0, 9) << ": " << r.error;
        EXPECT_NE(r.error.find(refusal), std::string::npos) << r.error;
        EXPECT_TRUE(r.ok() || (m->finish() == before && r.error.find('\n') == std::string::npos)) << name;
    }
    EXPECT_EQ(m->finish(),
              (RegisterWords{0x0330, 0x0010, 0x032F, 0x01B6, 0xB803, 0x0010, 0x0018, 0x0030, 0xBEEF}));
    m->startStandalone();
    EXPECT_EQ(m->finish()[8], 0) << "standalone ignores what a previous start held";
}

} // namespace
} // namespace velmora
