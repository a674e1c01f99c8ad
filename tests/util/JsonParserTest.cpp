#include "util/JsonNode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "util/CJsonObject.h"

namespace {

const std::string kParseError = "prase json string error at ";

std::unique_ptr<JsonNode> ParseOk(const std::string& text) {
    std::size_t errorOffset = 0;
    std::unique_ptr<JsonNode> node = ParseJson(text, kMaxJsonDepth, errorOffset);
    EXPECT_NE(node, nullptr) << text << " failed at " << errorOffset;
    return node;
}

// The string value of a one-string document.
std::string ParseStringValue(const std::string& text) {
    std::unique_ptr<JsonNode> node = ParseOk(text);
    if (!node) return "<parse failed>";
    EXPECT_EQ(node->type, JsonType::String) << text;
    return node->text;
}

struct RejectCase {
    const char* name;
    std::string text;
    std::string rest;  // the text after "prase json string error at "
};

// Every case must fail, leave the object empty and name where it stopped.
const RejectCase kRejected[] = {
    {"empty text", "", ""},
    {"only whitespace", " \t\r\n ", ""},
    {"member without value", "{\"a\":}", "}"},
    {"unterminated string", "\"abc", "\"abc"},
    {"unterminated string in array", "[1,\"abc", "\"abc"},
    {"unterminated key", "{\"ab", "\"ab"},
    {"backslash at the end", "\"abc\\", "\\"},
    {"truncated unicode escape", "\"\\u12", "\\u12"},
    {"unicode escape cut after u", "\"\\u", "\\u"},
    {"non-hex unicode escape", "\"\\u12G4\"", "\\u12G4\""},
    {"unknown escape", "\"\\x41\"", "\\x41\""},
    {"raw control byte in string", "\"a\x01z\"", "\x01z\""},
    {"raw newline in string", "\"a\nz\"", "\nz\""},
    {"minus alone", "-", "-"},
    {"minus before letter", "-a", "-a"},
    {"fraction without digits", "1.", "1."},
    {"exponent without digits", "1e", "1e"},
    {"exponent sign without digits", "1e+", "1e+"},
    {"leading point", ".5", ".5"},
    {"leading plus", "+1", "+1"},
    {"leading zero", "01", "1"},
    {"double overflow", "1e400", "1e400"},
    {"double underflow", "-1e-400", "-1e-400"},
    {"garbage after object", "{\"a\":1} x", "x"},
    {"second value", "{\"a\":1}{}", "{}"},
    {"extra closing brace", "{\"a\":1}}", "}"},
    {"garbage after array", "[1,2]garbage", "garbage"},
    {"garbage after literal", "nullx", "x"},
    {"byte after a NUL", std::string("{}\0x", 4), "x"},
    {"truncated literal", "tru", "tru"},
    {"trailing comma in array", "[1,]", "]"},
    {"trailing comma in object", "{\"a\":1,}", "}"},
    {"comma without member", "{,}", ",}"},
    {"missing colon", "{\"a\" 1}", "1}"},
    {"unquoted key", "{a:1}", "a:1}"},
    {"missing comma", "[1 2]", "2]"},
    {"unclosed array", "[1,2", ""},
    {"unclosed object", "{\"a\":1", ""},
    {"single quotes", "'a'", "'a'"},
};

TEST(JsonParser, RejectsMalformedTextWithItsPosition) {
    for (const RejectCase& c : kRejected) {
        CJsonObject json;
        json.Parse("{\"old\":1}");
        EXPECT_FALSE(json.Parse(c.text)) << c.name;
        EXPECT_EQ(json.GetErrMsg(), kParseError + c.rest) << c.name;
        EXPECT_TRUE(json.IsEmpty()) << c.name;
    }
}

TEST(JsonParser, DeepNestingFailsAtTheLimitWithoutExhaustingTheStack) {
    const std::size_t kHostileDepth = 100000;
    const std::string openArrays(kHostileDepth, '[');
    const std::string closedArrays = openArrays + std::string(kHostileDepth, ']');
    std::string openObjects;
    for (std::size_t i = 0; i < kHostileDepth; ++i) openObjects += "{\"a\":";
    std::string mixed;
    for (std::size_t i = 0; i < kHostileDepth / 2; ++i) mixed += "[{\"k\":";

    const std::string* const texts[] = {&openArrays, &closedArrays, &openObjects, &mixed};
    for (const std::string* text : texts) {
        std::size_t errorOffset = 0;
        EXPECT_EQ(ParseJson(*text, kMaxJsonDepth, errorOffset), nullptr);
        // It stops at the bracket that would open level kMaxJsonDepth + 1.
        std::size_t expected = 0;
        for (int level = 0; level < kMaxJsonDepth; ++level)
            expected = text->find_first_of("[{", expected) + 1;
        EXPECT_EQ(errorOffset, text->find_first_of("[{", expected));
    }
}

TEST(JsonParser, AcceptsNestingUpToTheLimit) {
    const auto depth = static_cast<std::size_t>(kMaxJsonDepth);
    const std::string atLimit = std::string(depth, '[') + std::string(depth, ']');
    std::size_t errorOffset = 0;
    EXPECT_NE(ParseJson(atLimit, kMaxJsonDepth, errorOffset), nullptr);
    const std::string beyond = "[" + atLimit + "]";
    EXPECT_EQ(ParseJson(beyond, kMaxJsonDepth, errorOffset), nullptr);
    EXPECT_EQ(errorOffset, depth);
    // A value placed inside a tree gets only the room that is left.
    EXPECT_EQ(ParseJson("[[]]", 1, errorOffset), nullptr);
    EXPECT_EQ(errorOffset, 1u);
    EXPECT_NE(ParseJson("[[]]", 2, errorOffset), nullptr);
    EXPECT_NE(ParseJson("5", 0, errorOffset), nullptr);
}

TEST(JsonParser, ReadsEscapesAndSurrogatePairsAsUtf8) {
    EXPECT_EQ(ParseStringValue(R"("q\"b\\s\/\b\f\n\r\t")"), "q\"b\\s/\b\f\n\r\t");
    EXPECT_EQ(ParseStringValue(R"("\u0041\u00e9\u20AC")"), "A\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(ParseStringValue(R"("\ud83d\ude00")"), "\xF0\x9F\x98\x80");      // U+1F600
    EXPECT_EQ(ParseStringValue(R"("\uDBFF\uDFFF")"), "\xF4\x8F\xBF\xBF");      // U+10FFFF
    EXPECT_EQ(ParseStringValue(R"("\u0000")"), std::string("\0", 1));
    EXPECT_EQ(ParseStringValue("\"caf\xC3\xA9\""), "caf\xC3\xA9");  // raw UTF-8 passes through
}

// A surrogate without its partner has no UTF-8 form; it reads as U+FFFD and
// whatever follows it is read on its own.
TEST(JsonParser, LoneSurrogatesBecomeReplacementCharacters) {
    const std::string kReplacement = "\xEF\xBF\xBD";
    EXPECT_EQ(ParseStringValue(R"("\ud800")"), kReplacement);
    EXPECT_EQ(ParseStringValue(R"("\udc00x")"), kReplacement + "x");
    EXPECT_EQ(ParseStringValue(R"("\ud800\u0041")"), kReplacement + "A");
    EXPECT_EQ(ParseStringValue(R"("\ud800\ud800\udc00")"), kReplacement + "\xF0\x90\x80\x80");
    EXPECT_EQ(ParseStringValue(R"("\ud800\n")"), kReplacement + "\n");
    std::size_t errorOffset = 0;
    EXPECT_EQ(ParseJson(R"("\ud800\uZZZZ")", kMaxJsonDepth, errorOffset), nullptr);
    EXPECT_EQ(errorOffset, 7u);  // at the second, broken escape
}

struct NumberCase {
    const char* text;
    JsonType type;
    JsonSign sign;            // integers only
    std::int64_t intValue;    // integers only: the bits
    double doubleValue;
};

const NumberCase kNumbers[] = {
    {"0", JsonType::Integer, JsonSign::Unsigned, 0, 0.0},
    {"-0", JsonType::Integer, JsonSign::Signed, 0, 0.0},
    {"42", JsonType::Integer, JsonSign::Unsigned, 42, 42.0},
    {"-42", JsonType::Integer, JsonSign::Signed, -42, -42.0},
    {"18446744073709551615", JsonType::Integer, JsonSign::Unsigned, -1, 18446744073709551615.0},
    {"-9223372036854775808", JsonType::Integer, JsonSign::Signed,
     std::numeric_limits<std::int64_t>::min(), -9223372036854775808.0},
    // Past 64 bits: a double instead of a wrapped-around integer.
    {"18446744073709551616", JsonType::Double, JsonSign::Signed, 0, 18446744073709551616.0},
    {"-9223372036854775809", JsonType::Double, JsonSign::Signed, 0, -9223372036854775809.0},
    {"123456789012345678901234567890", JsonType::Double, JsonSign::Signed, 0, 1.2345678901234568e29},
    {"1.0", JsonType::Double, JsonSign::Signed, 0, 1.0},
    {"-2.5e-3", JsonType::Double, JsonSign::Signed, 0, -0.0025},
    {"1E2", JsonType::Double, JsonSign::Signed, 0, 100.0},
    {"1e+2", JsonType::Double, JsonSign::Signed, 0, 100.0},
    {"4.9e-324", JsonType::Double, JsonSign::Signed, 0, 4.9e-324},
    {"1e00000000000000000000000000000002", JsonType::Double, JsonSign::Signed, 0, 100.0},
};

TEST(JsonParser, ReadsNumbersAsIntegersOrDoubles) {
    for (const NumberCase& c : kNumbers) {
        std::unique_ptr<JsonNode> node = ParseOk(c.text);
        if (!node) continue;
        EXPECT_EQ(node->type, c.type) << c.text;
        EXPECT_EQ(node->doubleValue, c.doubleValue) << c.text;
        if (c.type == JsonType::Integer) {
            EXPECT_EQ(node->sign, c.sign) << c.text;
            EXPECT_EQ(node->intValue, c.intValue) << c.text;
        }
    }
}

TEST(JsonParser, DoubleNodeKeepsASaturatedTruncation) {
    EXPECT_EQ(ParseOk("-2.75")->intValue, -2);
    EXPECT_EQ(ParseOk("1e300")->intValue, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseOk("-1e300")->intValue, std::numeric_limits<std::int64_t>::min());
}

TEST(JsonParser, SkipsControlBytesBetweenTokensAndKeepsMemberOrder) {
    std::unique_ptr<JsonNode> root = ParseOk("\x01 {\x1f\"b\" :\t1 ,\r\n\"a\":[ true , false,null ] } \x20");
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0]->key, "b");
    EXPECT_EQ(root->children[1]->key, "a");
    const JsonNode& array = *root->children[1];
    ASSERT_EQ(array.children.size(), 3u);
    EXPECT_EQ(array.children[0]->type, JsonType::True);
    EXPECT_EQ(array.children[1]->type, JsonType::False);
    EXPECT_EQ(array.children[2]->type, JsonType::Null);
}

TEST(JsonParser, KeepsDuplicateKeysAndFindsTheFirst) {
    std::unique_ptr<JsonNode> root = ParseOk(R"({"k":1,"k":2})");
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(FindJsonMember(*root, "k")->intValue, 1);
    EXPECT_EQ(FindJsonMemberIndex(*root, "k"), 0);
    EXPECT_EQ(FindJsonMember(*root, "missing"), nullptr);
}

}  // namespace
