#include "modules/universal_settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace velmora {
namespace {

using S = UniversalSetting;
using L = UniversalList;
using Words = UniversalSettings::Words;

constexpr std::array<L, 11> kAllLists{L::Voltage,    L::Current, L::Thermocouple, L::Rtd,
                                      L::Resistance, L::Units,   L::RtdWiring,    L::ResistanceWiring,
                                      L::Format,     L::Filter,  L::Fault};

std::vector<std::string> edits(const UniversalSettings& st) {
    std::vector<std::string> out;
    for (int i = 0; i < 8; ++i) out.push_back(st.registerText(i));
    return out;
}

std::set<L> shownLists(const UniversalSettings& st) {
    std::set<L> out;
    for (L l : kAllLists)
        if (st.isListShown(l)) out.insert(l);
    return out;
}

// Group 0 with every field non-zero: RTD, voltage 5, current 2, thermocouple 6,
// RTD 9, wiring 1 | resistance 2, filter 1, format 3, fault 2, units 1.
constexpr std::uint16_t kBusyFirst = 0xCEAB;
constexpr std::uint16_t kBusySecond = 0x01B6;

TEST(UniversalSettings, DefaultsAsTheDialogOpens) {
    UniversalSettings st;
    st.chooseGroup(2);
    st.chooseInputType(2);
    st.pressDefaults();
    EXPECT_EQ(edits(st),
              (std::vector<std::string>{"0018", "0010", "0018", "0010", "0018", "0010", "0018", "0010"}));
    EXPECT_EQ(st.groupOnShow(), 0);
    EXPECT_EQ(st.checkedTypeButton(), 0);
    EXPECT_EQ(
        UniversalSettings::listTexts(L::Voltage)[static_cast<std::size_t>(st.listSelection(L::Voltage))],
        "+/- 5.0V");
    EXPECT_EQ(UniversalSettings::listTexts(L::Format)[static_cast<std::size_t>(st.listSelection(L::Format))],
              "DVM");
    EXPECT_EQ(shownLists(st), (std::set<L>{L::Voltage, L::Format, L::Filter, L::Fault}));
    EXPECT_EQ(st.text(3, S::Rtd), " 100Pt385");
}

TEST(UniversalSettings, DecodesEveryFieldFromItsBits) {
    struct Case {
        std::uint16_t first, second;
        std::array<int, kUniversalSettingCount> codes; // in UniversalSetting order
    };
    // type, voltage, current, thermocouple, rtd, wiring, resistance, units, format, filter, fault
    const std::vector<Case> cases{
        {0x0018, 0x0010, {0, 3, 0, 0, 0, 0, 0, 0, 1, 0, 0}},
        {kBusyFirst, kBusySecond, {3, 5, 2, 6, 9, 1, 2, 1, 3, 1, 2}},
        {0xFFFF, 0xFFFF, {7, 7, 3, 7, 15, 1, 3, 1, 3, 3, 3}},
        {0x0007, 0x0001, {7, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
        {0x0038, 0x0004, {0, 7, 0, 0, 0, 0, 0, 0, 0, 1, 0}},
        {0x00C0, 0x0030, {0, 0, 3, 0, 0, 0, 0, 0, 3, 0, 0}},
        {0x0700, 0x00C0, {0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 3}},
        {0x7800, 0x0100, {0, 0, 0, 0, 15, 0, 0, 1, 0, 0, 0}},
        {0x8000, 0xFE00, {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        for (int g = 0; g < 4; ++g) {
            Words w{};
            w[static_cast<std::size_t>(2 * g)] = c.first;
            w[static_cast<std::size_t>(2 * g + 1)] = c.second;
            UniversalSettings st;
            st.setRegisters(w);
            st.decodeRegisters();
            for (std::size_t s = 0; s < kUniversalSettingCount; ++s) {
                EXPECT_EQ(st.code(g, static_cast<S>(s)), c.codes[s])
                    << std::hex << c.first << "/" << c.second << " group " << g << " setting " << s;
                EXPECT_EQ(st.code((g + 1) % 4, static_cast<S>(s)), 0) << "neighbour group";
            }
        }
    }
}

TEST(UniversalSettings, EncodeRoundTripKeepsAllButTheUnusedBits) {
    for (int g = 0; g < 4; ++g) {
        for (unsigned v = 0; v <= 0xFFFF; v += (g == 0 ? 1 : 97)) {
            Words w{};
            w[static_cast<std::size_t>(2 * g)] = static_cast<std::uint16_t>(v);
            w[static_cast<std::size_t>(2 * g + 1)] = static_cast<std::uint16_t>(v ^ 0xA5A5);
            UniversalSettings st;
            st.setRegisters(w);
            st.decodeRegisters();
            st.encodeRegisters();
            Words expected = w;
            expected[static_cast<std::size_t>(2 * g + 1)] &= 0x01FF;
            ASSERT_EQ(st.registers(), expected) << "group " << g << " word " << v;
        }
    }
}

TEST(UniversalSettings, HostWordsAreReencodedOnOpen) {
    struct Case {
        Words host;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases{
        // Bits 9-15 of every second word go, shown group or not.
        {{0x0018, 0xFE10, 0x0018, 0x0210, 0x0018, 0x8010, 0x0018, 0xFFFF},
         {"0018", "0010", "0018", "0010", "0018", "0010", "0018", "01FF"}},
        // A host's type 6 or 7 on the group on show is shown, and sent, as Voltage.
        {{0x001E, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010},
         {"0018", "0010", "0018", "0010", "0018", "0010", "0018", "0010"}},
        {{0xFFFF, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000},
         {"FFF8", "0000", "0000", "0000", "0000", "0000", "0000", "0000"}},
        // ... but a group never shown keeps it.
        {{0x0001, 0x0000, 0x0006, 0x0000, 0x0007, 0x0000, 0xCEAF, 0x01B6},
         {"0001", "0000", "0006", "0000", "0007", "0000", "CEAF", "01B6"}},
    };
    for (const Case& c : cases) {
        UniversalSettings fresh;
        fresh.openSynchronised(c.host);
        EXPECT_EQ(edits(fresh), c.shown);
        fresh.encodeRegisters(); // OK
        EXPECT_EQ(edits(fresh), c.shown);
    }
}

TEST(UniversalSettings, TypeSixOrSevenBecomesVoltageOnlyWhenShown) {
    for (std::uint16_t type : {std::uint16_t{6}, std::uint16_t{7}}) {
        const std::uint16_t first = static_cast<std::uint16_t>(0x0620 | type); // thermocouple 6, voltage 4
        UniversalSettings st;
        st.setRegisters({0x0018, 0x0010, first, 0x0010, first, 0x0010, 0x0018, 0x0010});
        st.decodeRegisters();
        st.chooseGroup(1);
        EXPECT_EQ(st.checkedTypeButton(), 0);
        EXPECT_EQ(shownLists(st), (std::set<L>{L::Voltage, L::Format, L::Filter, L::Fault}));
        EXPECT_EQ(st.listSelection(L::Voltage), 4);
        EXPECT_EQ(st.code(1, S::Type), 0);
        EXPECT_EQ(st.code(1, S::Thermocouple), 6) << "no type click, nothing cleared";
        EXPECT_EQ(st.registerText(2), "0620");
        EXPECT_EQ(st.code(2, S::Type), type);
        EXPECT_EQ(st.registers()[4], first);
    }
}

TEST(UniversalSettings, TypeClickKeepsOnlyWhatTheNewTypeShows) {
    struct Case {
        int type;
        // voltage, current, thermocouple, rtd, wiring, resistance, units
        std::array<int, 7> kept;
        std::set<L> shown;
    };
    const std::vector<Case> cases{
        {0, {5, 0, 0, 0, 0, 0, 0}, {L::Voltage}},
        {1, {0, 2, 0, 0, 0, 0, 0}, {L::Current}},
        {2, {0, 0, 6, 0, 0, 0, 1}, {L::Thermocouple, L::Units}},
        {3, {0, 0, 0, 9, 1, 0, 1}, {L::Rtd, L::Units, L::RtdWiring}}, // the type it already has
        {4, {0, 0, 0, 0, 1, 2, 0}, {L::Resistance, L::ResistanceWiring}},
        {5, {0, 0, 0, 0, 0, 0, 1}, {L::Units}},
    };
    const std::array<S, 7> dependent{S::Voltage, S::Current,    S::Thermocouple, S::Rtd,
                                     S::Wiring,  S::Resistance, S::Units};
    for (const Case& c : cases) {
        UniversalSettings st;
        st.openSynchronised(
            {kBusyFirst, kBusySecond, kBusyFirst, kBusySecond, 0x0018, 0x0010, 0x0018, 0x0010});
        st.chooseGroup(1);
        ASSERT_TRUE(st.chooseInputType(c.type));
        EXPECT_EQ(st.code(1, S::Type), c.type);
        for (std::size_t i = 0; i < dependent.size(); ++i)
            EXPECT_EQ(st.code(1, dependent[i]), c.kept[i]) << "type " << c.type << " setting " << i;
        EXPECT_EQ(st.code(1, S::Format), 3);
        EXPECT_EQ(st.code(1, S::Filter), 1);
        EXPECT_EQ(st.code(1, S::Fault), 2);
        EXPECT_EQ(st.registers()[0], kBusyFirst) << "other groups untouched";
        EXPECT_EQ(st.registers()[1], kBusySecond);
        std::set<L> shown = c.shown;
        shown.insert({L::Format, L::Filter, L::Fault});
        EXPECT_EQ(shownLists(st), shown) << "type " << c.type;
        EXPECT_EQ(st.checkedTypeButton(), c.type);
        // Both wiring lists select the one setting, so Resistance shows RTD's "3 wire".
        EXPECT_EQ(st.listSelection(L::RtdWiring), c.kept[4]);
        EXPECT_EQ(st.listSelection(L::ResistanceWiring), c.kept[4]);
    }
}

TEST(UniversalSettings, ListChoicesReachTheirBitsOfTheGroupOnShow) {
    struct Case {
        int type;
        L list;
        int index;
        std::uint16_t first, second;
    };
    const std::vector<Case> cases{
        {0, L::Voltage, 7, 0x0038, 0x0010},      {1, L::Current, 2, 0x0081, 0x0010},
        {2, L::Thermocouple, 7, 0x0702, 0x0010}, {2, L::Units, 1, 0x0002, 0x0110},
        {3, L::Rtd, 14, 0x7003, 0x0010},         {3, L::RtdWiring, 1, 0x8003, 0x0010},
        {4, L::Resistance, 3, 0x0004, 0x0013},   {4, L::ResistanceWiring, 1, 0x8004, 0x0010},
        {5, L::Units, 1, 0x0005, 0x0110},        {5, L::Format, 0, 0x0005, 0x0000},
        {0, L::Filter, 3, 0x0018, 0x001C},       {0, L::Fault, 3, 0x0018, 0x00D0},
    };
    for (const Case& c : cases) {
        UniversalSettings st;
        st.chooseGroup(2);
        st.chooseInputType(c.type);
        ASSERT_TRUE(st.chooseListEntry(c.list, c.index)) << static_cast<int>(c.list);
        EXPECT_EQ(st.listSelection(c.list), c.index);
        const Words expected{0x0018, 0x0010, 0x0018, 0x0010, c.first, c.second, 0x0018, 0x0010};
        EXPECT_EQ(st.registers(), expected) << static_cast<int>(c.list) << " " << c.index;
    }
}

TEST(UniversalSettings, ActionsNoUserCanMakeChangeNothing) {
    struct Case {
        const char* what;
        bool (*act)(UniversalSettings&);
    };
    const std::vector<Case> cases{
        {"hidden list", [](UniversalSettings& s) { return s.chooseListEntry(L::Rtd, 2); }},
        {"hidden wiring list",
         [](UniversalSettings& s) { return s.chooseListEntry(L::ResistanceWiring, 1); }},
        {"no selection", [](UniversalSettings& s) { return s.chooseListEntry(L::Voltage, -1); }},
        {"past the last entry", [](UniversalSettings& s) { return s.chooseListEntry(L::Voltage, 8); }},
        {"past the current entries", [](UniversalSettings& s) { return s.chooseListEntry(L::Format, 4); }},
        {"group 5", [](UniversalSettings& s) { return s.chooseGroup(4); }},
        {"group -1", [](UniversalSettings& s) { return s.chooseGroup(-1); }},
        {"type 6", [](UniversalSettings& s) { return s.chooseInputType(6); }},
        {"type -1", [](UniversalSettings& s) { return s.chooseInputType(-1); }},
    };
    for (const Case& c : cases) {
        UniversalSettings st;
        st.openSynchronised({0x001E, 0x0010, kBusyFirst, kBusySecond, 0x0018, 0x0010, 0x0018, 0x0010});
        st.chooseGroup(1);
        st.chooseInputType(0);
        const Words before = st.registers();
        EXPECT_FALSE(c.act(st)) << c.what;
        EXPECT_EQ(st.registers(), before) << c.what;
        EXPECT_EQ(st.groupOnShow(), 1) << c.what;
    }
}

TEST(UniversalSettings, SwitchingGroupsChangesNoSetting) {
    UniversalSettings st;
    st.openSynchronised({kBusyFirst, kBusySecond, 0x0018, 0x0010, 0x0042, 0x0025, 0x00C1, 0x0010});
    const Words before = st.registers();
    const std::vector<std::pair<int, std::array<int, 3>>> cases{
        // group, then voltage, current and format selections shown
        {2, {0, 1, 2}},
        {3, {0, -1, 1}},
        {1, {3, 0, 1}},
        {0, {5, 2, 3}}};
    for (const auto& [g, selections] : cases) {
        ASSERT_TRUE(st.chooseGroup(g));
        EXPECT_EQ(st.registers(), before) << "group " << g;
        EXPECT_EQ(st.listSelection(L::Voltage), selections[0]) << "group " << g;
        EXPECT_EQ(st.listSelection(L::Current), selections[1]) << "group " << g;
        EXPECT_EQ(st.listSelection(L::Format), selections[2]) << "group " << g;
    }
}

TEST(UniversalSettings, CodesWithoutAnEntryStayAndGoBack) {
    // Current range 3 and RTD type 15 have no list entry.
    UniversalSettings st;
    st.openSynchronised({0x78C1, 0x0010, 0x78C3, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010});
    EXPECT_EQ(st.listSelection(L::Current), -1);
    EXPECT_EQ(st.listSelection(L::Rtd), -1);
    EXPECT_EQ(st.text(0, S::Current), "");
    EXPECT_EQ(st.text(1, S::Rtd), "");
    st.chooseListEntry(L::Format, 3);
    st.chooseGroup(1);
    st.chooseListEntry(L::Units, 1);
    st.encodeRegisters();
    EXPECT_EQ(st.registers()[0], 0x78C1);
    EXPECT_EQ(st.registers()[2], 0x78C3);
    EXPECT_EQ(st.registerText(1), "0030");
    EXPECT_EQ(st.registerText(3), "0110");
    EXPECT_EQ(st.registerText(8), "");
    EXPECT_EQ(st.registerText(-1), "");
}

} // namespace
} // namespace velmora
