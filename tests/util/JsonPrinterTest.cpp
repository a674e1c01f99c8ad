#include "util/JsonNode.h"

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace {

struct DoubleCase {
    double value;
    const char* printed;  // in the document text
    const char* asText;   // as member text
};

const DoubleCase kDoubles[] = {
    // Integral to within DBL_EPSILON: "%.0f".
    {1.0, "1", "1.000000"},
    {-2.0, "-2", "-2.000000"},
    {0.0, "0", "0.000000e+00"},
    {1e-17, "0", "1.000000e-17"},
    {1.5e10, "15000000000", "1.500000e+10"},
    // Between 1e-6 and 1e9: "%f".
    {0.5, "0.500000", "0.500000"},
    {-0.25, "-0.250000", "-0.250000"},
    {123456789.25, "123456789.250000", "123456789.250000"},
    {1e-6 + 1e-7, "0.000001", "0.000001"},
    // Outside that range: "%lf", which is printf's "%f" again.
    {1.5e-7, "0.000000", "1.500000e-07"},
    {2500000000.5, "2500000000.500000", "2.500000e+09"},
    {-2500000000.5, "-2500000000.500000", "-2.500000e+09"},
    // The bounds themselves are not outside the range.
    {1e9, "1000000000", "1000000000.000000"},
};

TEST(JsonPrinter, PrintsDoublesByTheSpecificationsRules) {
    for (const DoubleCase& c : kDoubles) {
        std::unique_ptr<JsonNode> node = MakeJsonDouble(c.value);
        EXPECT_EQ(PrintJson(*node, false), c.printed) << c.value;
        EXPECT_EQ(JsonValueAsText(*node), c.asText) << c.value;
    }
}

TEST(JsonPrinter, PrintsLargeIntegralDoublesInFullAsPrintfDoes) {
    for (const double value : {1e300, -1.7976931348623157e308, 9007199254740993.0}) {
        char expected[400];
        std::snprintf(expected, sizeof expected, "%.0f", value);
        EXPECT_EQ(PrintJson(*MakeJsonDouble(value), false), expected);
    }
}

TEST(JsonPrinter, PrintsNonFiniteDoublesAsNull) {
    EXPECT_EQ(PrintJson(*MakeJsonDouble(std::numeric_limits<double>::infinity()), false), "null");
    EXPECT_EQ(PrintJson(*MakeJsonDouble(-std::numeric_limits<double>::infinity()), false), "null");
    EXPECT_EQ(PrintJson(*MakeJsonDouble(std::nan("")), false), "null");
}

// The window toolkit puts the process in the user's locale; a decimal comma
// would break the reports. The test compiles a German locale into a temporary
// folder (the locale sources come with Debian's locales package) and switches
// the process to it.
TEST(JsonPrinter, IgnoresTheProcessLocale) {
    TempDir dir;
    const std::string command = "localedef -i de_DE -f UTF-8 '" + dir.Path("de_DE.UTF-8") + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "localedef could not compile de_DE";
    ScopedEnv locpath("LOCPATH", dir.path());
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    char probe[32];
    std::snprintf(probe, sizeof probe, "%f", 0.5);
    const std::string printfResult = probe;
    const std::string printed = PrintJson(*MakeJsonDouble(0.5), false);
    const std::string asText = JsonValueAsText(*MakeJsonDouble(2e10));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(printfResult, "0,500000");  // the locale is really in force
    EXPECT_EQ(printed, "0.500000");
    EXPECT_EQ(asText, "2.000000e+10");
}

struct IntegerCase {
    std::unique_ptr<JsonNode> (*make)();
    const char* printed;
};

const IntegerCase kIntegers[] = {
    {[] { return MakeJsonSigned(-5); }, "-5"},
    {[] { return MakeJsonUnsigned(7); }, "7"},
    {[] { return MakeJsonSigned(std::numeric_limits<std::int32_t>::min()); }, "-2147483648"},
    {[] { return MakeJsonSigned(-1099511627776); }, "-1099511627776"},
    {[] { return MakeJsonSigned(std::numeric_limits<std::int64_t>::min()); }, "-9223372036854775808"},
    {[] { return MakeJsonUnsigned(4294967295u); }, "4294967295"},
    {[] { return MakeJsonUnsigned(4294967296u); }, "4294967296"},
    {[] { return MakeJsonUnsigned((std::uint64_t{1} << 63) + 1); }, "9223372036854775809"},
    {[] { return MakeJsonUnsigned(std::numeric_limits<std::uint64_t>::max()); }, "18446744073709551615"},
};

TEST(JsonPrinter, PrintsIntegersByTheirSignedness) {
    for (const IntegerCase& c : kIntegers) {
        std::unique_ptr<JsonNode> node = c.make();
        EXPECT_EQ(PrintJson(*node, false), c.printed);
        EXPECT_EQ(JsonValueAsText(*node), c.printed);
    }
}

TEST(JsonPrinter, GivesTextOnlyForScalars) {
    EXPECT_EQ(JsonValueAsText(*MakeJsonString("a\"b")), "a\"b");
    EXPECT_EQ(JsonValueAsText(*MakeJsonBool(true)), "true");
    EXPECT_EQ(JsonValueAsText(*MakeJsonBool(false)), "false");
    EXPECT_EQ(JsonValueAsText(*MakeJsonNull()), "");
    EXPECT_EQ(JsonValueAsText(*MakeJsonArray()), "");
    EXPECT_EQ(JsonValueAsText(*MakeJsonObject()), "");
}

TEST(JsonPrinter, EscapesQuotesBackslashesAndControlBytes) {
    const std::string raw = std::string("q\"b\\s/\b\f\n\r\t\x01\x1f\x7f\0", 15) + "caf\xC3\xA9";
    const std::string printed = PrintJson(*MakeJsonString(raw), false);
    EXPECT_EQ(printed, std::string("\"q\\\"b\\\\s/\\b\\f\\n\\r\\t\\u0001\\u001f\x7f\\u0000") + "caf\xC3\xA9\"");
    std::size_t errorOffset = 0;
    std::unique_ptr<JsonNode> back = ParseJson(printed, kMaxJsonDepth, errorOffset);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text, raw);
}

TEST(JsonPrinter, EscapesKeysLikeValues) {
    std::unique_ptr<JsonNode> object = MakeJsonObject();
    std::unique_ptr<JsonNode> member = MakeJsonNull();
    member->key = "a\"\n";
    object->children.push_back(std::move(member));
    EXPECT_EQ(PrintJson(*object, false), "{\"a\\\"\\n\":null}");
}

TEST(JsonPrinter, PrintsEmptyContainers) {
    EXPECT_EQ(PrintJson(*MakeJsonObject(), false), "{}");
    EXPECT_EQ(PrintJson(*MakeJsonArray(), false), "[]");
    EXPECT_EQ(PrintJson(*MakeJsonObject(), true), "{\n}");
    EXPECT_EQ(PrintJson(*MakeJsonArray(), true), "[\n]");
}

TEST(JsonPrinter, PrintsScalarsAlikeInBothLayouts) {
    EXPECT_EQ(PrintJson(*MakeJsonString("x"), true), "\"x\"");
    EXPECT_EQ(PrintJson(*MakeJsonNull(), true), "null");
    EXPECT_EQ(PrintJson(*MakeJsonBool(true), false), "true");
}

}  // namespace
