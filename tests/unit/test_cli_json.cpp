#include "cli/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace velmora::cli {
namespace {

TEST(CliJson, StringsAreEscapedIntoAscii) {
    const std::pair<std::string, std::string> cases[] = {
        {"770_ZHC_358VM", "\"770_ZHC_358VM\""},
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\b", "\"a\\\\b\""},
        {"tab\there", "\"tab\\there\""},
        {"cr\r lf\n", "\"cr\\r lf\\n\""},
        {"\b\f", "\"\\b\\f\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x01\x1f\x7f", "\"\\u0001\\u001f\\u007f\""},
        {"caf\xe9", "\"caf\\u00e9\""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(jsonString(in), out);
}

TEST(CliJson, NumbersReadBackExactlyAndStayJson) {
    EXPECT_EQ(jsonNumber(-10.0), "-10");
    EXPECT_EQ(jsonNumber(0.5), "0.5");
    EXPECT_EQ(jsonNumber(-0.0), "0");
    EXPECT_EQ(jsonNumber(std::nan("")), "null");
    EXPECT_EQ(jsonNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(jsonNumber(-std::numeric_limits<double>::infinity()), "null");
    for (double v : {32768.0 * (20.0 / 65535.0) - 10.0, 4.464, 1e-7, 1.0 / 3.0, 65535.0, 1e300}) {
        const std::string text = jsonNumber(v);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        EXPECT_EQ(std::stod(text), v) << text;
    }
}

TEST(CliJson, WriterPlacesSeparatorsInNestedValues) {
    JsonWriter json;
    json.beginObject()
        .key("a")
        .value(1)
        .key("b")
        .beginArray()
        .value("x")
        .null()
        .beginObject()
        .endObject()
        .beginArray()
        .endArray()
        .endArray()
        .key("c")
        .beginObject()
        .key("d")
        .value(2.5)
        .key("e")
        .null()
        .endObject()
        .key("f")
        .value(-7LL)
        .endObject();
    EXPECT_EQ(json.text(),
              "{\"a\": 1, \"b\": [\"x\", null, {}, []], \"c\": {\"d\": 2.5, \"e\": null}, \"f\": -7}");

    JsonWriter list;
    list.beginArray().value(1).value(2).endArray();
    EXPECT_EQ(list.text(), "[1, 2]");
}

} // namespace
} // namespace velmora::cli
