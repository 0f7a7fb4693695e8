#include "cli/universal_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

using Steps = std::vector<std::pair<std::string, std::string>>;

RegisterWords withFirstEight(std::array<std::uint16_t, 8> eight, std::uint16_t rest = 0) {
    RegisterWords w{};
    w.fill(rest);
    std::copy(eight.begin(), eight.end(), w.begin());
    return w;
}

const RegisterWords kDefaults =
    withFirstEight({0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010});

TEST(UniversalModel, StartsAndFinishesAsTheDialog) {
    auto m = makeUniversalModel();
    EXPECT_EQ(m->handledCount(), 8);
    EXPECT_EQ(m->finish(), kDefaults) << "built in the standalone state";

    // Registers past the eighth go back as they came; bits 9-15 of second words do not.
    const RegisterWords host =
        withFirstEight({0xCEAB, 0xFFB6, 0x0019, 0x0210, 0x001F, 0x0010, 0x8003, 0x0111}, 0xBEEF);
    m->startSynchronised(host);
    RegisterWords expected =
        withFirstEight({0xCEAB, 0x01B6, 0x0019, 0x0010, 0x001F, 0x0010, 0x8003, 0x0111}, 0xBEEF);
    EXPECT_EQ(m->finish(), expected);

    m->pressDefaults();
    expected = withFirstEight({0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010}, 0xBEEF);
    EXPECT_EQ(m->finish(), expected);

    m->startStandalone();
    EXPECT_EQ(m->finish(), kDefaults) << "standalone ignores what a previous start held";
}

TEST(UniversalModel, AppliesChoicesAsTheDialogDoes) {
    struct Case {
        const char* what;
        Steps steps;
        std::array<std::uint16_t, 8> words;
    };
    const std::vector<Case> cases{
        {"codes",
         {{"g1.voltage", "7"}, {"g2.type", "1"}, {"g2.current", "2"}, {"g4.fault", "3"}},
         {0x0038, 0x0010, 0x0081, 0x0010, 0x0018, 0x0010, 0x0018, 0x00D0}},
        {"texts in any case, blanks around ignored",
         {{"g3.type", "  rtd "}, {"g3.rtd", "1000PT392"}, {"g3.wiring", "3 WIRE"}, {"g3.units", "degrees f"}},
         {0x0018, 0x0010, 0x0018, 0x0010, 0xB803, 0x0110, 0x0018, 0x0010}},
        {"list texts with leading blanks and double spaces",
         {{"g1.voltage", "0 ..  5v"},
          {"g2.type", "Resistance"},
          {"g2.resistance", "490 Ohm"},
          {"g2.wiring", "\t3 wire"},
          {"g4.type", "RTD"},
          {"g4.rtd", "10cu426"}},
         {0x0028, 0x0010, 0x8004, 0x0011, 0x0018, 0x0010, 0x4003, 0x0010}},
        {"3 wire kept under Resistance",
         {{"g1.type", "RTD"}, {"g1.wiring", "1"}, {"g1.type", "Resistance"}},
         {0x8004, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010}},
        {"3 wire cleared under Thermocouple",
         {{"g1.type", "RTD"}, {"g1.wiring", "1"}, {"g1.type", "thermocouple"}},
         {0x0002, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010}},
        {"leading zeros in group and code",
         {{"g02.format", "003"}, {"g1.filter", "Fast acquire"}},
         {0x0018, 0x001C, 0x0018, 0x0030, 0x0018, 0x0010, 0x0018, 0x0010}},
        {"CJC shows only units",
         {{"g4.type", "cjc"}, {"g4.units", "1"}},
         {0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0005, 0x0110}},
    };
    for (const Case& c : cases) {
        auto m = makeUniversalModel();
        m->startStandalone();
        for (const auto& [name, value] : c.steps) {
            const ActionResult r = m->apply(name, value);
            EXPECT_TRUE(r.ok()) << c.what << ": " << name << "=" << value << ": " << r.error;
        }
        EXPECT_EQ(m->finish(), withFirstEight(c.words)) << c.what;
    }
}

TEST(UniversalModel, HostTypeSixOrSevenIsVoltageOnceItsGroupIsShown) {
    auto m = makeUniversalModel();
    // Groups 1 and 2 have type 6 and 7 with a thermocouple type hidden behind them.
    m->startSynchronised(withFirstEight({0x032E, 0x0010, 0x032F, 0x0010, 0x032F, 0x0010, 0x0018, 0x0010}));
    EXPECT_FALSE(m->apply("g2.thermocouple", "K").ok()) << "taken as Voltage, so its list is hidden";
    EXPECT_TRUE(m->apply("g3.voltage", "+/- 10.0V").ok());
    // Group 1 was on show from the start; group 2 was never shown (the refused
    // action left nothing behind), so its 7 goes back as it came.
    EXPECT_EQ(m->finish(), withFirstEight({0x0328, 0x0010, 0x032F, 0x0010, 0x0320, 0x0010, 0x0018, 0x0010}));
    EXPECT_EQ(m->settings()[0].code, 0);
    EXPECT_EQ(m->settings()[11].code, 7);
}

TEST(UniversalModel, RefusesWithOneLineNamingTheProblem) {
    struct Case {
        std::string name, value;
        std::vector<std::string> mentions;
    };
    const std::vector<Case> cases{
        {"g1.bogus", "1", {"unknown setting", "gN.type", "gN.fault", "1 to 4"}},
        {"G1.type", "1", {"unknown setting"}},
        {"g1type", "1", {"unknown setting"}},
        {"g.type", "1", {"unknown setting"}},
        {"gx.type", "1", {"unknown setting"}},
        {".type", "1", {"unknown setting"}},
        {"g1.", "1", {"unknown setting"}},
        {"", "1", {"unknown setting"}},
        {"g1.type\nsecond line", "1", {"unknown setting"}},
        {"g5.type", "1", {"out of range", "1 to 4"}},
        {"g0.voltage", "1", {"out of range"}},
        {"g99999999999999999999999.fault", "1", {"out of range"}},
        {"g1.voltage", "", {"g1.voltage", "malformed", "\"+/- 0.05V\""}},
        {"g1.voltage", " \t ", {"malformed"}},
        {"g1.voltage", "3\n4", {"malformed"}},
        {"g1.voltage", std::string("3\0", 2), {"malformed"}},
        {"g1.voltage", "8", {"g1.voltage", "not offered", "7 \"0 .. 10V\""}},
        {"g1.voltage", "0 .. 5V", {"not offered"}},
        {"g1.voltage", "-1", {"not offered"}},
        {"g1.voltage", "+3", {"not offered"}},
        {"g1.voltage", "99999999999999999999999999", {"not offered"}},
        {"g1.type", "6", {"g1.type", "not offered", "5 \"CJC\""}},
        {"g1.type", "Volt", {"not offered"}},
        {"g1.format", "16 bits", {"not offered", "0 \"16 Bit\""}},
        {"g1.rtd", "0", {"g1.rtd", "hidden", "Voltage", "RTD", "g1.voltage"}},
        {"g2.wiring",
         "3 wire",
         {"g2.wiring", "hidden", "RTD, Resistance", "allowed: set g2.type to RTD or Resistance first"}},
        {"g3.units", "Degrees C", {"hidden", "Thermocouple, RTD, CJC"}},
        {"g1.current", "0", {"hidden"}},
    };
    for (const Case& c : cases) {
        auto m = makeUniversalModel();
        m->startSynchronised(
            withFirstEight({0x0018, 0x0010, 0x0019, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010}));
        ASSERT_TRUE(m->apply("g4.format", "0").ok());
        const RegisterWords before = m->finish();
        const ActionResult r = m->apply(c.name, c.value);
        ASSERT_FALSE(r.ok()) << c.name << "=" << c.value;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find('\0'), std::string::npos) << r.error;
        for (const std::string& word : c.mentions)
            EXPECT_NE(r.error.find(word), std::string::npos) << c.name << "=" << c.value << ": " << r.error;
        EXPECT_EQ(m->finish(), before) << c.name << "=" << c.value;
    }
}

TEST(UniversalModel, SettingsListEveryGroupInReadingOrder) {
    auto m = makeUniversalModel();
    const auto views = m->settings();
    ASSERT_EQ(views.size(), 44u);
    EXPECT_EQ(views[0].name, "g1.type");
    EXPECT_EQ(views[1].text, "+/- 5.0V");
    EXPECT_EQ(views[10].name, "g1.fault");
    EXPECT_EQ(views[11].name, "g2.type");
    EXPECT_EQ(views[43].name, "g4.fault");
}

TEST(UniversalModel, GarbageNeverBreaksIt) {
    const std::vector<std::string> names{"g1.type",  "g4.voltage", "g2.wiring", "g3.rtd",
                                         "g1.units", "g9.x",       ""};
    const std::vector<std::string> values{"",
                                          "0",
                                          "1",
                                          "3",
                                          "15",
                                          "-0",
                                          "\xff\xfe",
                                          std::string(5000, '9'),
                                          std::string(5000, ' '),
                                          "Resistance",
                                          "rtd",
                                          "3 wire",
                                          "nan",
                                          "1e9"};
    auto m = makeUniversalModel();
    for (const auto& n : names)
        for (const auto& v : values) {
            const ActionResult r = m->apply(n, v);
            EXPECT_EQ(r.error.find('\n'), std::string::npos);
            EXPECT_LT(r.error.size(), 600u) << n << "=" << v.substr(0, 20);
        }
    const RegisterWords words = m->finish();
    m->startSynchronised(words);
    EXPECT_EQ(m->finish(), words) << "what it produced reads back unchanged";
}

} // namespace
} // namespace velmora
