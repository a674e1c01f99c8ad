#include "util/CJsonObject.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "util/JsonNode.h"

namespace {

const std::string kParseError = "prase json string error at ";
const std::string kNullError = "json data is null!";
const std::string kNotObjectError = "not a json object! json array?";
const std::string kNotArrayError = "not a json array! json object?";

CJsonObject Parsed(const std::string& text) {
    CJsonObject json;
    EXPECT_TRUE(json.Parse(text)) << text << ": " << json.GetErrMsg();
    return json;
}

// ---- building, reading and the error texts ----

TEST(CJsonObject, AddsSignedThenUnsignedMembersInOrder) {
    CJsonObject json;
    EXPECT_TRUE(json.Add("n", std::int32_t{-5}));
    EXPECT_EQ(json.ToText(), R"({"n":-5})");
    EXPECT_TRUE(json.Add("u", std::uint32_t{7}));
    EXPECT_EQ(json.ToText(), R"({"n":-5,"u":7})");
}

TEST(CJsonObject, DoubleMemberIsNotAnInteger) {
    const CJsonObject json = Parsed(R"({"a":1.0})");
    std::int32_t asInt = 99;
    EXPECT_FALSE(json.Get("a", asInt));
    EXPECT_EQ(asInt, 99);
    double asDouble = 0.0;
    EXPECT_TRUE(json.Get("a", asDouble));
    EXPECT_EQ(asDouble, 1.0);
}

TEST(CJsonObject, IntegerMemberIsNotTextButHasATextForm) {
    const CJsonObject json = Parsed(R"({"a":1})");
    std::string text = "unchanged";
    EXPECT_FALSE(json.Get("a", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(json("a"), "1");
}

TEST(CJsonObject, MemberWithoutValueIsAParseError) {
    CJsonObject json;
    EXPECT_FALSE(json.Parse(R"({"a":})"));
    EXPECT_EQ(json.GetErrMsg().rfind(kParseError, 0), 0u);
    EXPECT_EQ(json.GetErrMsg(), kParseError + "}");
    EXPECT_TRUE(json.IsEmpty());
}

TEST(CJsonObject, KeyedAddOnAnArrayFails) {
    CJsonObject json = Parsed("[1]");
    EXPECT_FALSE(json.Add("k", 1));
    EXPECT_EQ(json.GetErrMsg(), kNotObjectError);
    EXPECT_EQ(json.ToText(), "[1]");
}

// ---- layout ----

// The shape of a result report: scalars, nested objects and arrays, empties.
CJsonObject MakeNestedReport() {
    CJsonObject json;
    json.Add("name", "Mirvak");
    json.AddSubArray("mirrors");
    json["mirrors"].Add("a.example.com");
    json["mirrors"].Add(3);
    json.AddSubObject("speed");
    json["speed"].Add("avg", 1.5);
    json["speed"].AddSubArray("samples");
    json["speed"]["samples"].Add(1);
    json["speed"]["samples"].Add(2);
    json["speed"].AddSubArray("empty");
    json.AddSubObject("none");
    json.Add("ok", true);
    return json;
}

TEST(CJsonObject, PrintsNestedObjectWithoutWhitespace) {
    EXPECT_EQ(MakeNestedReport().ToText(),
              R"({"name":"Mirvak","mirrors":["a.example.com",3],)"
              R"("speed":{"avg":1.500000,"samples":[1,2],"empty":[]},"none":{},"ok":true})");
}

TEST(CJsonObject, PrintsNestedObjectIndentedWithTabs) {
    const std::string expected =
        "{\n"
        "\t\"name\":\t\"Mirvak\",\n"
        "\t\"mirrors\":\t[\n"
        "\t\t\"a.example.com\",\n"
        "\t\t3\n"
        "\t],\n"
        "\t\"speed\":\t{\n"
        "\t\t\"avg\":\t1.500000,\n"
        "\t\t\"samples\":\t[\n"
        "\t\t\t1,\n"
        "\t\t\t2\n"
        "\t\t],\n"
        "\t\t\"empty\":\t[\n"
        "\t\t]\n"
        "\t},\n"
        "\t\"none\":\t{\n"
        "\t},\n"
        "\t\"ok\":\ttrue\n"
        "}";
    const CJsonObject json = MakeNestedReport();
    EXPECT_EQ(json.ToIndentedText(), expected);
    EXPECT_TRUE(Parsed(expected) == json);
    // A member wrapper prints its own subtree from level zero.
    CJsonObject copy = json;
    EXPECT_EQ(copy["mirrors"].ToIndentedText(), "[\n\t\"a.example.com\",\n\t3\n]");
}

TEST(CJsonObject, EmptyObjectPrintsEmptyText) {
    const CJsonObject json;
    EXPECT_TRUE(json.IsEmpty());
    EXPECT_FALSE(json.IsArray());
    EXPECT_EQ(json.ToText(), "");
    EXPECT_EQ(json.ToIndentedText(), "");
}

// ---- overloads ----

TEST(CJsonObject, ChoosesTheValueKindByTheArgumentType) {
    CJsonObject json;
    json.Add("literal", "text");
    json.Add("string", std::string("s"));
    json.Add("null", static_cast<const char*>(nullptr));
    json.Add("bool", true);
    json.Add("int", -5);
    json.Add("unsigned", 5u);
    json.Add("long long", -6LL);
    json.Add("unsigned long long", std::numeric_limits<unsigned long long>::max());
    json.Add("size", std::size_t{8});
    json.Add("short", static_cast<short>(-3));
    json.Add("char", 'A');
    json.Add("float", 0.5f);
    json.Add("long double", 0.25L);
    EXPECT_EQ(json.ToText(),
              R"({"literal":"text","string":"s","null":null,"bool":true,"int":-5,"unsigned":5,)"
              R"("long long":-6,"unsigned long long":18446744073709551615,"size":8,"short":-3,)"
              R"("char":65,"float":0.500000,"long double":0.250000})");
    std::string text;
    EXPECT_TRUE(json.Get("literal", text));
    EXPECT_EQ(text, "text");
    bool flag = false;
    EXPECT_TRUE(json.Get("bool", flag));
    EXPECT_TRUE(flag);
    std::int64_t wide = 0;
    EXPECT_TRUE(json.Get("long long", wide));
    EXPECT_EQ(wide, -6);
}

TEST(CJsonObject, ElementOverloadsChooseAlike) {
    CJsonObject json;
    EXPECT_TRUE(json.Add("text"));
    EXPECT_TRUE(json.Add(2));
    EXPECT_TRUE(json.AddFront(false));
    EXPECT_TRUE(json.AddFront(-1LL));
    EXPECT_TRUE(json.Add(2.5));
    EXPECT_TRUE(json.Replace(1, "front"));
    EXPECT_TRUE(json.Replace(0, 9ULL));
    EXPECT_TRUE(json.IsArray());
    EXPECT_EQ(json.ToText(), R"([9,"front","text",2,2.500000])");
}

// ---- typed reads ----

TEST(CJsonObject, TypedGetsNeedTheMatchingKind) {
    const CJsonObject json =
        Parsed(R"({"s":"x","neg":-5,"big":4294967301,"d":2.5,"t":true,"f":false,"n":null,"o":{"k":1}})");
    std::int32_t i32 = 0;
    std::uint32_t u32 = 0;
    std::int64_t i64 = 0;
    std::uint64_t u64 = 0;
    EXPECT_TRUE(json.Get("neg", i32));
    EXPECT_EQ(i32, -5);
    EXPECT_TRUE(json.Get("neg", u32));
    EXPECT_EQ(u32, 4294967291u);
    EXPECT_TRUE(json.Get("neg", u64));
    EXPECT_EQ(u64, std::numeric_limits<std::uint64_t>::max() - 4);
    // 32-bit reads take the low 32 bits.
    EXPECT_TRUE(json.Get("big", u32));
    EXPECT_EQ(u32, 5u);
    EXPECT_TRUE(json.Get("big", i64));
    EXPECT_EQ(i64, 4294967301);

    float f = 0.0f;
    double d = 0.0;
    EXPECT_TRUE(json.Get("d", f));
    EXPECT_EQ(f, 2.5f);
    EXPECT_TRUE(json.Get("d", d));
    EXPECT_EQ(d, 2.5);
    EXPECT_FALSE(json.Get("neg", d));

    bool flag = true;
    EXPECT_TRUE(json.Get("f", flag));
    EXPECT_FALSE(flag);
    flag = false;
    EXPECT_TRUE(json.Get("t", flag));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(json.Get("n", flag));
    EXPECT_FALSE(json.Get("s", flag));

    std::string text;
    EXPECT_TRUE(json.Get("s", text));
    EXPECT_EQ(text, "x");
    CJsonObject object;
    EXPECT_TRUE(json.Get("o", object));
    EXPECT_EQ(object.ToText(), R"({"k":1})");
    EXPECT_FALSE(json.Get("missing", object));
    EXPECT_EQ(object.ToText(), R"({"k":1})");
    EXPECT_FALSE(json.Get("missing", i32));
    EXPECT_EQ(i32, -5);
}

TEST(CJsonObject, MemberAndElementTextForms) {
    const CJsonObject json = Parsed(R"({"s":"x","n":-7,"d":1e-7,"t":true,"z":null,"a":[1,"y",2.5],"o":{}})");
    EXPECT_EQ(json("s"), "x");
    EXPECT_EQ(json("n"), "-7");
    EXPECT_EQ(json("d"), "1.000000e-07");
    EXPECT_EQ(json("t"), "true");
    EXPECT_EQ(json("z"), "");
    EXPECT_EQ(json("a"), "");
    EXPECT_EQ(json("o"), "");
    EXPECT_EQ(json("missing"), "");
    CJsonObject copy = json;
    CJsonObject& array = copy["a"];
    EXPECT_EQ(array(0), "1");
    EXPECT_EQ(array(1), "y");
    EXPECT_EQ(array(2), "2.500000");
    EXPECT_EQ(array(3), "");
    EXPECT_EQ(array(-1), "");
    std::string text;
    EXPECT_TRUE(array.Get(1, text));
    EXPECT_EQ(text, "y");
    EXPECT_EQ(array.ArraySize(), 3);
}

// ---- error texts ----

TEST(CJsonObject, EmptyObjectReportsNullData) {
    CJsonObject json;
    std::int32_t value = 0;
    EXPECT_FALSE(json.Get("k", value));
    EXPECT_EQ(json.GetErrMsg(), kNullError);
    json.Parse("{");  // any other error in between
    EXPECT_FALSE(json.Remove("k"));
    EXPECT_EQ(json.GetErrMsg(), kNullError);
    json.Parse("{");
    EXPECT_FALSE(json.Replace("k", 1));
    EXPECT_EQ(json.GetErrMsg(), kNullError);
    json.Parse("{");
    EXPECT_EQ(json("k"), "");
    EXPECT_EQ(json.GetErrMsg(), kNullError);
    json.Parse("{");
    EXPECT_FALSE(json.Get(0, value));
    EXPECT_EQ(json.GetErrMsg(), kNullError);
    json.Parse("{");
    EXPECT_FALSE(json.Remove(0));
    EXPECT_EQ(json.GetErrMsg(), kNullError);
    json.Parse("{");
    EXPECT_TRUE(json[0].IsEmpty());
    EXPECT_EQ(json.GetErrMsg(), kNullError);
    EXPECT_TRUE(json.IsEmpty());
    EXPECT_EQ(json.ArraySize(), 0);
}

TEST(CJsonObject, KeyedOperationsOnNonObjectsFail) {
    CJsonObject json = Parsed("[1]");
    std::int32_t value = 0;
    EXPECT_FALSE(json.Get("k", value));
    EXPECT_EQ(json.GetErrMsg(), kNotObjectError);
    json.Parse("{");
    json.Parse("[1]");
    EXPECT_FALSE(json.AddSubObject("k"));
    EXPECT_EQ(json.GetErrMsg(), kNotObjectError);
    // A wrapper of a scalar member is not an object either.
    CJsonObject object = Parsed(R"({"s":"x"})");
    EXPECT_FALSE(object["s"].Add("k", 1));
    EXPECT_EQ(object["s"].GetErrMsg(), kNotObjectError);
}

TEST(CJsonObject, IndexedOperationsOnObjectsFail) {
    CJsonObject json = Parsed(R"({"a":1})");
    EXPECT_FALSE(json.Add(1));
    EXPECT_EQ(json.GetErrMsg(), kNotArrayError);
    json.Parse("{");
    json.Parse(R"({"a":1})");
    std::int32_t value = 0;
    EXPECT_FALSE(json.Get(0, value));
    EXPECT_EQ(json.GetErrMsg(), kNotArrayError);
    EXPECT_FALSE(json.Replace(0, 1));
    EXPECT_FALSE(json.AddFront("x"));
    EXPECT_EQ(json.ArraySize(), 0);
    EXPECT_EQ(json.ToText(), R"({"a":1})");
}

TEST(CJsonObject, SubContainersStopAtTheDepthLimit) {
    CJsonObject json;
    CJsonObject* level = &json;
    int depth = 1;
    while (level->AddSubObject("k")) {
        ++depth;
        level = &(*level)["k"];
    }
    EXPECT_EQ(depth, kMaxJsonDepth);
    EXPECT_EQ(level->GetErrMsg(), "create sub empty object error!");
    EXPECT_FALSE(level->AddSubArray("k"));
    EXPECT_EQ(level->GetErrMsg(), "create sub empty array error!");
    // Scalars still fit at the deepest level, and the tree still copies.
    EXPECT_TRUE(level->Add("leaf", 1));
    const CJsonObject copy = json;
    EXPECT_FALSE(copy.IsEmpty());
    EXPECT_TRUE(copy == json);
}

TEST(CJsonObject, AddedObjectsGetOnlyTheDepthThatIsLeft) {
    const auto depth = static_cast<std::size_t>(kMaxJsonDepth);
    const CJsonObject deepest = Parsed(std::string(depth, '[') + std::string(depth, ']'));
    CJsonObject json;
    EXPECT_FALSE(json.Add("deep", deepest));
    EXPECT_EQ(json.GetErrMsg(), kParseError + std::string(1, '[') + std::string(depth, ']'));
    EXPECT_EQ(json.ToText(), "{}");
    const CJsonObject fits = Parsed(std::string(depth - 1, '[') + std::string(depth - 1, ']'));
    EXPECT_TRUE(json.Add("deep", fits));
}

TEST(CJsonObject, AddingAnEmptyObjectIsAParseError) {
    CJsonObject json;
    EXPECT_FALSE(json.Add("k", CJsonObject()));
    EXPECT_EQ(json.GetErrMsg(), kParseError);
}

// ---- child wrappers ----

TEST(CJsonObject, WrapperWritesIntoTheParentTree) {
    CJsonObject json = Parsed(R"({"o":{},"a":[]})");
    EXPECT_TRUE(json["o"].Add("k", "v"));
    EXPECT_TRUE(json["a"].Add(1));
    EXPECT_EQ(json.ToText(), R"({"o":{"k":"v"},"a":[1]})");
}

TEST(CJsonObject, WrapperOutlivesChangesToOtherMembers) {
    CJsonObject json = Parsed(R"({"a":{"x":1},"b":2,"c":3})");
    CJsonObject& a = json["a"];
    CJsonObject& x = a["x"];
    EXPECT_TRUE(json.Replace("b", "two"));
    EXPECT_TRUE(json.Remove("c"));
    for (int i = 0; i < 100; ++i) json.Add("m" + std::to_string(i), i);  // the member list grows
    EXPECT_EQ(a.ToText(), R"({"x":1})");
    EXPECT_EQ(x.ToText(), "1");
    EXPECT_EQ(&json["a"], &a);
}

TEST(CJsonObject, ReplaceAndRemoveDropTheWrapperOfTheirMember) {
    CJsonObject json = Parsed(R"({"a":{"x":1},"b":2})");
    json["a"]["x"];
    EXPECT_TRUE(json.Replace("a", json["a"]["x"]));  // the value is the old member's own child
    EXPECT_EQ(json["a"].ToText(), "1");
    EXPECT_EQ(json.ToText(), R"({"a":1,"b":2})");
    json["b"];
    EXPECT_TRUE(json.Remove("b"));
    EXPECT_TRUE(json["b"].IsEmpty());
    EXPECT_FALSE(json.Remove("b"));
    EXPECT_FALSE(json.Replace("b", 1));
}

TEST(CJsonObject, ClearAndParseDropTheWrappers) {
    CJsonObject json = Parsed(R"({"a":{"x":1}})");
    EXPECT_EQ(json["a"]["x"].ToText(), "1");
    EXPECT_TRUE(json.Parse(R"({"a":{"x":2}})"));
    EXPECT_EQ(json["a"]["x"].ToText(), "2");
    json.Clear();
    EXPECT_TRUE(json.IsEmpty());
    EXPECT_TRUE(json["a"].IsEmpty());
    json.Add("a", 3);
    EXPECT_EQ(json["a"].ToText(), "3");
    json = Parsed("[4]");
    EXPECT_EQ(json[0].ToText(), "4");
}

TEST(CJsonObject, WrapperOfAnAbsentMemberTakesItUpLater) {
    CJsonObject json = Parsed("{}");
    CJsonObject& later = json["later"];
    EXPECT_TRUE(later.IsEmpty());
    json.Add("later", 5);
    EXPECT_EQ(&json["later"], &later);
    EXPECT_EQ(later.ToText(), "5");
}

TEST(CJsonObject, ElementWrappersFollowTheirElements) {
    CJsonObject json = Parsed(R"(["a","b","c"])");
    CJsonObject& b = json[1];
    CJsonObject& c = json[2];
    EXPECT_TRUE(json.AddFront("z"));
    EXPECT_EQ(&json[2], &b);
    EXPECT_EQ(json[2].ToText(), R"("b")");
    EXPECT_TRUE(json.Remove(0));
    EXPECT_EQ(&json[1], &b);
    EXPECT_TRUE(json.Remove(1));  // b goes, c moves up
    EXPECT_EQ(&json[1], &c);
    EXPECT_EQ(c.ToText(), R"("c")");
    EXPECT_TRUE(json.Replace(0, 1));
    EXPECT_EQ(json[0].ToText(), "1");
    EXPECT_FALSE(json.Remove(5));
    EXPECT_FALSE(json.Remove(-1));
    EXPECT_FALSE(json.Replace(2, 1));
    EXPECT_EQ(json.ToText(), R"([1,"c"])");
}

TEST(CJsonObject, AssigningToAWrapperDetachesIt) {
    CJsonObject json = Parsed(R"({"a":1})");
    json["a"] = Parsed("2");
    EXPECT_EQ(json["a"].ToText(), "2");
    EXPECT_EQ(json.ToText(), R"({"a":1})");
}

// ---- copies, equality, parsing ----

TEST(CJsonObject, CopiesAreIndependent) {
    CJsonObject original = Parsed(R"({"a":[1,{"b":"c"}]})");
    CJsonObject copy(original);
    CJsonObject fromPointer(&original);
    copy["a"].Add(2);
    EXPECT_EQ(original.ToText(), R"({"a":[1,{"b":"c"}]})");
    EXPECT_TRUE(fromPointer == original);
    EXPECT_FALSE(copy == original);
    EXPECT_TRUE(CJsonObject(static_cast<const CJsonObject*>(nullptr)).IsEmpty());
    const CJsonObject empty;
    const CJsonObject copyOfEmpty(empty);
    EXPECT_TRUE(copyOfEmpty.IsEmpty());
    EXPECT_EQ(copyOfEmpty.GetErrMsg(), "");
}

TEST(CJsonObject, AssignsFromItselfAndFromItsOwnMember) {
    CJsonObject json = Parsed(R"({"a":{"b":1}})");
    CJsonObject& self = json;
    json = self;
    EXPECT_EQ(json.ToText(), R"({"a":{"b":1}})");
    json = json["a"];
    EXPECT_EQ(json.ToText(), R"({"b":1})");
    EXPECT_TRUE(json.Get("b", json));
    EXPECT_EQ(json.ToText(), "1");
}

TEST(CJsonObject, AddedObjectIsACopy) {
    CJsonObject value = Parsed(R"({"x":1})");
    CJsonObject json;
    EXPECT_TRUE(json.Add("v", value));
    value.Add("y", 2);
    EXPECT_EQ(json.ToText(), R"({"v":{"x":1}})");
    EXPECT_TRUE(json.Add("self", json));
    EXPECT_EQ(json.ToText(), R"({"v":{"x":1},"self":{"v":{"x":1}}})");
}

TEST(CJsonObject, EqualityComparesUnformattedText) {
    EXPECT_TRUE(Parsed(R"({ "a" : [ 1 , 2 ] })") == Parsed(R"({"a":[1,2]})"));
    EXPECT_FALSE(Parsed(R"({"a":1,"b":2})") == Parsed(R"({"b":2,"a":1})"));
    EXPECT_TRUE(CJsonObject() == CJsonObject());
}

TEST(CJsonObject, CopyRereadsNumbersFromTheirText) {
    CJsonObject json;
    json.Add("d", 1.0);
    const CJsonObject copy = json;
    EXPECT_EQ(copy.ToText(), R"({"d":1})");
    double d = 0.0;
    std::int32_t i = 0;
    EXPECT_FALSE(copy.Get("d", d));
    EXPECT_TRUE(copy.Get("d", i));
    EXPECT_EQ(i, 1);
}

TEST(CJsonObject, ParsesTopLevelScalars) {
    EXPECT_EQ(Parsed(" 5 ").ToText(), "5");
    EXPECT_EQ(Parsed("\"x\"").ToText(), "\"x\"");
    EXPECT_EQ(Parsed("null").ToText(), "null");
    EXPECT_FALSE(Parsed("true").IsArray());
    EXPECT_TRUE(Parsed("[]").IsArray());
}

TEST(CJsonObject, DuplicateKeysFindTheFirstUntilItGoes) {
    CJsonObject json;
    json.Add("k", 1);
    json.Add("k", 2);
    EXPECT_EQ(json.ToText(), R"({"k":1,"k":2})");
    EXPECT_EQ(json("k"), "1");
    EXPECT_EQ(json["k"].ToText(), "1");
    EXPECT_TRUE(json.Remove("k"));
    EXPECT_EQ(json["k"].ToText(), "2");
}

TEST(CJsonObject, StringsRoundTripThroughText) {
    const std::string raw = std::string("line\nquote\"tab\tnul", 18) + std::string(1, '\0') +
                            "\x01\xF0\x9F\x98\x80";
    CJsonObject json;
    json.Add("s", raw);
    const CJsonObject back = Parsed(json.ToText());
    std::string text;
    EXPECT_TRUE(back.Get("s", text));
    EXPECT_EQ(text, raw);
    EXPECT_EQ(Parsed(R"({"e":"\ud83d\ude00"})")("e"), "\xF0\x9F\x98\x80");
}

}  // namespace
