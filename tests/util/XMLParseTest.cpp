#include "util/XMLParse.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/log/ILog.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<download size=\"1250109064\" name=\"92_1012_87822f29/mss.exe\" version=\"1\">\n"
    "  <url size=\"2\">\n"
    "    <item_0 value=\"http://m1.example.com/download/92_1012_87822f29/mss.exe\"/>\n"
    "    <item_1 value=\"http://m2.example.com/download/92_1012_87822f29/mss.exe\"/>\n"
    "  </url>\n"
    "  <hash size=\"2\">\n"
    "    <item_0 value=\"0123456789ABCDEF0123456789ABCDEF\"/>\n"
    "    <item_1 value=\"FEDCBA9876543210FEDCBA9876543210\"/>\n"
    "  </hash>\n"
    "</download>\n";

std::shared_ptr<IXMLParse> Load(const std::string& xml) {
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    EXPECT_TRUE(doc->LoadFromMemory(xml.c_str(), xml.size() + 1)) << xml;
    return doc;
}

// A document whose root element a carries one attribute v with the given text.
std::shared_ptr<IXMLParse> WithValue(const std::string& text) {
    return Load("<a v=\"" + text + "\"/>");
}

TEST(XMLParse, FactoryMakesEmptyDocumentThatIsNotLoaded) {
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    EXPECT_FALSE(doc->IsLoaded());
    EXPECT_TRUE(doc->GetRoot().empty());
}

TEST(XMLParse, ReadsManifestThroughAttributePaths) {
    std::shared_ptr<IXMLParse> doc = Load(kManifest);
    std::int32_t version = 0, size = 0, urls = 0;
    EXPECT_TRUE(doc->ReadInt("download.version", version));
    EXPECT_EQ(version, 1);
    EXPECT_TRUE(doc->ReadInt("download.size", size));
    EXPECT_EQ(size, 1250109064);
    EXPECT_TRUE(doc->ReadInt("download.url.size", urls));
    EXPECT_EQ(urls, 2);
    std::string url, hash;
    EXPECT_TRUE(doc->ReadString("download.url.item_1.value", url));
    EXPECT_EQ(url, "http://m2.example.com/download/92_1012_87822f29/mss.exe");
    EXPECT_TRUE(doc->ReadString("download.hash.item_0.value", hash));
    EXPECT_EQ(hash, "0123456789ABCDEF0123456789ABCDEF");
}

struct IntReadCase {
    const char* text;
    bool ok;
    std::int32_t value;
};

TEST(XMLParse, ReadIntAcceptsOnlyWholeNumbersOtherThanTheSentinel) {
    const IntReadCase cases[] = {
        {"1", true, 1},          {"-5", true, -5},        {"2147483647", true, 2147483647},
        {"abc", false, 0},       {"-9999999", false, 0},  {"12abc", false, 0},
        {"2147483648", false, 0}, {"", false, 0},         {"1.5", false, 0},
    };
    for (const IntReadCase& c : cases) {
        std::int32_t value = 42;
        EXPECT_EQ(WithValue(c.text)->ReadInt("a.v", value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 42) << c.text;
    }
}

struct UnsignedReadCase {
    const char* text;
    bool ok;
    std::uint64_t value;
};

TEST(XMLParse, ReadUIntRejectsSignsOverflowAndTheSentinel) {
    const UnsignedReadCase cases[] = {
        {"0", true, 0},      {"4294967295", true, 4294967295u}, {"4294967296", false, 0},
        {"-1", false, 0},    {" -1", false, 0},                 {"999999", false, 0},
        {"abc", false, 0},
    };
    for (const UnsignedReadCase& c : cases) {
        std::uint32_t value = 7;
        EXPECT_EQ(WithValue(c.text)->ReadUInt("a.v", value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 7u) << c.text;
    }
}

TEST(XMLParse, ReadUInt64HandlesValuesBeyond32Bits) {
    const UnsignedReadCase cases[] = {
        {"18446744073709551615", true, 18446744073709551615u},
        {"1250109064000", true, 1250109064000u},
        {"18446744073709551616", false, 0},
        {"-1", false, 0},
        {"999999", false, 0},
    };
    for (const UnsignedReadCase& c : cases) {
        std::uint64_t value = 7;
        EXPECT_EQ(WithValue(c.text)->ReadUInt64("a.v", value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 7u) << c.text;
    }
}

TEST(XMLParse, UnsignedReadFailureIsLoggedWithTheRewrittenPath) {
    std::shared_ptr<IXMLParse> doc = Load(kManifest);
    LogCapture log;
    std::uint32_t value = 0;
    EXPECT_FALSE(doc->ReadUInt("download.missing", value));
    EXPECT_TRUE(log.Contains("XMLParse: error read unsigned int from download.<xmlattr>.missing\n"));
}

TEST(XMLParse, ReadFloatFailsOnSentinelAndText) {
    float value = 0;
    EXPECT_TRUE(WithValue("2.5")->ReadFloat("a.v", value));
    EXPECT_EQ(value, 2.5f);
    value = 1;
    EXPECT_FALSE(WithValue("-99999.9")->ReadFloat("a.v", value));
    EXPECT_FALSE(WithValue("x")->ReadFloat("a.v", value));
    EXPECT_EQ(value, 1);
}

TEST(XMLParse, ReadStringFailureLeavesTheOutTextAsItWas) {
    std::shared_ptr<IXMLParse> doc = Load(kManifest);
    std::string text = "unchanged";
    EXPECT_FALSE(doc->ReadString("download.url.item_5.value", text));
    EXPECT_FALSE(doc->ReadString("download.nothing", text));
    EXPECT_FALSE(WithValue(kXMLStringSentinel)->ReadString("a.v", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(WithValue("")->ReadString("a.v", text));
    EXPECT_EQ(text, "");
}

TEST(XMLParse, AttributePathsWithoutDotOrWithEmptyNamesFail) {
    std::shared_ptr<IXMLParse> doc = Load("<version version=\"1\"/>");
    for (const char* path : {"version", "", ".version", "version.", "a..b"}) {
        std::int32_t number = 0;
        std::string text;
        EXPECT_FALSE(doc->ReadInt(path, number)) << path;
        EXPECT_FALSE(doc->ReadString(path, text)) << path;
        EXPECT_FALSE(doc->WriteInt(path, 1)) << path;
        EXPECT_FALSE(doc->SetString(path, "x")) << path;
    }
    EXPECT_FALSE(doc->RemoveAttribute("version"));
}

TEST(XMLParse, WritesCreateOrReplaceAttributes) {
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    EXPECT_TRUE(doc->WriteInt("cfg.node.count", -12));
    EXPECT_TRUE(doc->WriteUInt("cfg.node.size", 4000000000u));
    EXPECT_TRUE(doc->WriteUInt64("cfg.node.total", 18000000000000000000u));
    EXPECT_TRUE(doc->WriteFloat("cfg.node.ratio", 0.1f));
    EXPECT_TRUE(doc->WriteString("cfg.node.name", "first"));
    EXPECT_TRUE(doc->WriteString("cfg.node.name", "second"));

    std::int32_t count = 0;
    std::uint32_t size = 0;
    std::uint64_t total = 0;
    float ratio = 0;
    std::string name;
    EXPECT_TRUE(doc->ReadInt("cfg.node.count", count));
    EXPECT_TRUE(doc->ReadUInt("cfg.node.size", size));
    EXPECT_TRUE(doc->ReadUInt64("cfg.node.total", total));
    EXPECT_TRUE(doc->ReadFloat("cfg.node.ratio", ratio));
    EXPECT_TRUE(doc->ReadString("cfg.node.name", name));
    EXPECT_EQ(count, -12);
    EXPECT_EQ(size, 4000000000u);
    EXPECT_EQ(total, 18000000000000000000u);
    EXPECT_EQ(ratio, 0.1f);
    EXPECT_EQ(name, "second");
    EXPECT_EQ(doc->GetRoot().get_child("cfg.node.<xmlattr>").count("name"), 1u);
}

TEST(XMLParse, SetOperationsAddWhenAbsentAndReplaceOtherwise) {
    std::shared_ptr<IXMLParse> doc = Load("<a b=\"1\"/>");
    EXPECT_TRUE(doc->SetInt("a.b", 2));
    EXPECT_TRUE(doc->SetInt("a.c", 3));
    EXPECT_TRUE(doc->SetUInt("a.d", 4));
    EXPECT_TRUE(doc->SetUInt64("a.e", 5));
    EXPECT_TRUE(doc->SetFloat("a.f", 6.5f));
    EXPECT_TRUE(doc->SetString("x.y.z", "made"));
    std::int32_t b = 0, c = 0;
    std::string z;
    EXPECT_TRUE(doc->ReadInt("a.b", b));
    EXPECT_TRUE(doc->ReadInt("a.c", c));
    EXPECT_TRUE(doc->ReadString("x.y.z", z));
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c, 3);
    EXPECT_EQ(z, "made");
    EXPECT_EQ(doc->GetRoot().get_child("a.<xmlattr>").count("b"), 1u);
}

TEST(XMLParse, IntListRoundTripsAndRewriteLeavesOnlyTheNewItems) {
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    std::vector<std::int32_t> values;
    EXPECT_TRUE(doc->WriteIntList("a.b", {3, 4}));
    EXPECT_TRUE(doc->ReadIntList("a.b", values));
    EXPECT_THAT(values, ElementsAre(3, 4));

    EXPECT_TRUE(doc->WriteIntList("a.b", {5}));
    EXPECT_EQ(doc->GetRoot().get_child("a.b").count("item"), 1u);
    EXPECT_TRUE(doc->ReadIntList("a.b", values));
    EXPECT_THAT(values, ElementsAre(5));

    EXPECT_TRUE(doc->WriteIntList("a.b", {}));
    EXPECT_TRUE(doc->ReadIntList("a.b", values));
    EXPECT_THAT(values, IsEmpty());
}

TEST(XMLParse, FloatAndStringListsRoundTrip) {
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    std::vector<float> floats;
    std::vector<std::string> texts;
    EXPECT_TRUE(doc->WriteFloatList("cfg.weights", {0.5f, -1.25f}));
    EXPECT_TRUE(doc->WriteStringList("cfg.names", {"one", "two words", ""}));
    EXPECT_TRUE(doc->ReadFloatList("cfg.weights", floats));
    EXPECT_TRUE(doc->ReadStringList("cfg.names", texts));
    EXPECT_THAT(floats, ElementsAre(0.5f, -1.25f));
    EXPECT_THAT(texts, ElementsAre("one", "two words", ""));
}

TEST(XMLParse, ListReadIgnoresAttributesButFailsOnAnyOtherChild) {
    struct ListCase {
        const char* xml;
        bool ok;
    };
    const ListCase cases[] = {
        {"<a><b size=\"2\"><item key=\"1\"/><item key=\"2\"/></b></a>", true},
        {"<a><b><item key=\"1\"/><other key=\"2\"/></b></a>", false},
        {"<a><b><item key=\"1\"/><item/></b></a>", false},
        {"<a><b><item key=\"1\"/><item key=\"x\"/></b></a>", false},
        {"<a><b><!-- note --><item key=\"1\"/></b></a>", false},
        {"<a><c/></a>", false},
    };
    for (const ListCase& c : cases) {
        std::vector<std::int32_t> values = {99};
        EXPECT_EQ(Load(c.xml)->ReadIntList("a.b", values), c.ok) << c.xml;
        if (c.ok) {
            EXPECT_THAT(values, ElementsAre(1, 2));
        } else {
            EXPECT_THAT(values, ElementsAre(99)) << c.xml;
        }
    }
}

TEST(XMLParse, ListWriteKeepsOtherChildrenAndAttributes) {
    std::shared_ptr<IXMLParse> doc = Load("<a><b n=\"1\"><item key=\"7\"/><keep/></b></a>");
    EXPECT_TRUE(doc->WriteStringList("a.b", {"x"}));
    const boost::property_tree::ptree& b = doc->GetRoot().get_child("a.b");
    EXPECT_EQ(b.count("item"), 1u);
    EXPECT_EQ(b.count("keep"), 1u);
    EXPECT_EQ(b.get<std::string>("<xmlattr>.n"), "1");
}

TEST(XMLParse, SetListsWriteTheirLists) {
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    EXPECT_TRUE(doc->SetIntList("cfg.ints", {1, 2}));
    EXPECT_TRUE(doc->SetFloatList("cfg.floats", {1.5f}));
    EXPECT_TRUE(doc->SetStringList("cfg.texts", {"a"}));
    std::vector<std::int32_t> ints;
    std::vector<float> floats;
    std::vector<std::string> texts;
    EXPECT_TRUE(doc->ReadIntList("cfg.ints", ints));
    EXPECT_TRUE(doc->ReadFloatList("cfg.floats", floats));
    EXPECT_TRUE(doc->ReadStringList("cfg.texts", texts));
    EXPECT_THAT(ints, ElementsAre(1, 2));
    EXPECT_THAT(floats, ElementsAre(1.5f));
    EXPECT_THAT(texts, ElementsAre("a"));
    // The attribute-list sets go through SetString first, which needs a dot.
    EXPECT_FALSE(doc->SetIntList("ints", {1}));
    EXPECT_FALSE(doc->SetFloatList("floats", {1}));
    EXPECT_TRUE(doc->SetStringList("texts", {"b"}));
}

TEST(XMLParse, SetElementAddsElementOrReplacesItsText) {
    std::shared_ptr<IXMLParse> doc = Load("<a><b x=\"1\">old<c/></b></a>");
    EXPECT_TRUE(doc->SetElementString("a.b", "new"));
    EXPECT_TRUE(doc->SetElementInt("a.n", 12));
    EXPECT_TRUE(doc->SetElementFloat("a.f", 2.5f));
    EXPECT_TRUE(doc->SetElementString("top", "t"));
    EXPECT_FALSE(doc->SetElementString("a..b", "t"));
    const boost::property_tree::ptree& root = doc->GetRoot();
    EXPECT_EQ(root.get<std::string>("a.b"), "new");
    EXPECT_EQ(root.get<std::string>("a.b.<xmlattr>.x"), "1");
    EXPECT_EQ(root.get_child("a.b").count("c"), 1u);
    EXPECT_EQ(root.get<int>("a.n"), 12);
    EXPECT_EQ(root.get<float>("a.f"), 2.5f);
    EXPECT_EQ(root.get<std::string>("top"), "t");
}

TEST(XMLParse, RemoveErasesTheNamedNodeAndSucceedsWhenNothingIsThere) {
    std::shared_ptr<IXMLParse> doc = Load("<a v=\"1\" w=\"2\"><b/><c/><c k=\"second\"/></a>");
    EXPECT_TRUE(doc->Remove("a.missing"));
    EXPECT_TRUE(doc->Remove("x.y.z"));
    EXPECT_TRUE(doc->Remove(""));
    EXPECT_TRUE(doc->Remove("a.b"));
    EXPECT_TRUE(doc->Remove("a.c"));
    EXPECT_TRUE(doc->RemoveAttribute("a.v"));
    EXPECT_TRUE(doc->RemoveAttribute("a.none"));

    const boost::property_tree::ptree& a = doc->GetRoot().get_child("a");
    EXPECT_EQ(a.count("b"), 0u);
    EXPECT_EQ(a.count("c"), 1u);
    EXPECT_EQ(a.get<std::string>("c.<xmlattr>.k"), "second");
    std::string text;
    EXPECT_FALSE(doc->ReadString("a.v", text));
    EXPECT_TRUE(doc->ReadString("a.w", text));
}

TEST(XMLParse, MalformedTextFailsAndLeavesTheTreeAsItWas) {
    const char* const cases[] = {
        "",
        "   ",
        "not xml",
        "<download version=\"1\">",
        "<download version=\"1\"></wrong",
        "<download version='1/>",
        "<download version=1/>",
        "<a/><b/>",
        "<!-- only a comment -->",
        "<?xml version=\"1.0\"?>",
        "</a>",
    };
    for (const char* text : cases) {
        std::shared_ptr<IXMLParse> doc = Load(kManifest);
        EXPECT_FALSE(doc->LoadFromMemory(text, std::strlen(text))) << text;
        std::int32_t version = 0;
        EXPECT_TRUE(doc->ReadInt("download.version", version)) << text;
        EXPECT_EQ(version, 1);
    }
    EXPECT_FALSE(CreateXMLParse()->LoadFromMemory(nullptr, 10));
}

TEST(XMLParse, LoadFromMemoryStopsAtLengthOrFirstNul) {
    const std::string withTail = "<a v=\"1\"/><b/>";
    EXPECT_TRUE(CreateXMLParse()->LoadFromMemory(withTail.data(), 10));
    EXPECT_FALSE(CreateXMLParse()->LoadFromMemory(withTail.data(), withTail.size()));

    const char withNul[] = "<a v=\"1\"/>\0<b/>";
    EXPECT_TRUE(CreateXMLParse()->LoadFromMemory(withNul, sizeof withNul));

    // No terminator at all: the exact bytes, nothing past them is read.
    const std::string xml = "<a v=\"3\"/>";
    std::vector<char> exact(xml.begin(), xml.end());
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    EXPECT_TRUE(doc->LoadFromMemory(exact.data(), exact.size()));
    std::int32_t v = 0;
    EXPECT_TRUE(doc->ReadInt("a.v", v));
    EXPECT_EQ(v, 3);
}

TEST(XMLParse, CommentsAndDeclarationAroundTheRootAreAccepted) {
    std::shared_ptr<IXMLParse> doc =
        Load("\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- made by hand --><a v=\"1\"/><!-- end -->");
    std::int32_t v = 0;
    EXPECT_TRUE(doc->ReadInt("a.v", v));
}

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(XMLParse, DeepNestingIsRefusedInsteadOfExhaustingTheStack) {
    const int deep = 200000;
    const std::string cases[] = {
        Repeat("<a>", deep),
        Repeat("<a>", deep) + Repeat("</a>", deep),
        // Closing tags hidden where the parser does not see them must not
        // offset the real opening ones.
        "<r><!-- " + Repeat("</a>", deep) + " -->" + Repeat("<a>", deep),
        "<r><![CDATA[" + Repeat("</a>", deep) + "]]>" + Repeat("<a>", deep),
        "<r x=\"" + Repeat("</a>", deep) + "\">" + Repeat("<a>", deep),
        "<!DOCTYPE r [" + Repeat("</a>", deep) + "]><r>" + Repeat("<a>", deep),
        // The parser takes a quote as part of an element name.
        "<a\">" + Repeat("<a>", deep),
    };
    for (const std::string& text : cases) {
        EXPECT_FALSE(CreateXMLParse()->LoadFromMemory(text.data(), text.size()))
            << text.substr(0, 40);
    }
    const std::string ordinary = Repeat("<a>", 100) + Repeat("</a>", 100);
    EXPECT_TRUE(CreateXMLParse()->LoadFromMemory(ordinary.data(), ordinary.size()));
}

TEST(XMLParse, LoadFileOfMissingFileFailsAndStaysUnloaded) {
    TempDir dir;
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    EXPECT_FALSE(doc->LoadFile(dir.Path("missing.xml")));
    EXPECT_FALSE(doc->IsLoaded());
    EXPECT_FALSE(doc->LoadFile(dir.WriteFile("bad.xml", "<download")));
    EXPECT_FALSE(doc->IsLoaded());
    EXPECT_EQ(doc->Save(), E_FAIL);
}

TEST(XMLParse, SaveAsThenLoadFileRoundTripsThroughANewFolder) {
    TempDir dir;
    std::shared_ptr<IXMLParse> doc = Load(kManifest);
    EXPECT_TRUE(doc->WriteString("download.note", "a < b & \"c\""));
    EXPECT_TRUE(doc->WriteIntList("download.blocks", {1, 2}));
    const std::string path = dir.Path("new/folder/manifest.xml");
    ASSERT_EQ(doc->SaveAs(path), S_OK);

    const std::string text = TempDir::ReadFile(path);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
    EXPECT_THAT(text, HasSubstr("\n\t<url size=\"2\">"));
    EXPECT_THAT(text, HasSubstr("\n\t\t<item_0 "));

    std::shared_ptr<IXMLParse> loaded = CreateXMLParse();
    ASSERT_TRUE(loaded->LoadFile(path));
    EXPECT_TRUE(loaded->IsLoaded());
    std::string note, hash;
    std::vector<std::int32_t> blocks;
    EXPECT_TRUE(loaded->ReadString("download.note", note));
    EXPECT_TRUE(loaded->ReadString("download.hash.item_1.value", hash));
    EXPECT_TRUE(loaded->ReadIntList("download.blocks", blocks));
    EXPECT_EQ(note, "a < b & \"c\"");
    EXPECT_EQ(hash, "FEDCBA9876543210FEDCBA9876543210");
    EXPECT_THAT(blocks, ElementsAre(1, 2));
}

TEST(XMLParse, SaveWritesBackToTheLoadedFile) {
    TempDir dir;
    const std::string path = dir.WriteFile("cfg.xml", "<cfg count=\"1\"/>");
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    ASSERT_TRUE(doc->LoadFile(path));
    EXPECT_TRUE(doc->WriteInt("cfg.count", 2));
    ASSERT_EQ(doc->Save(), S_OK);

    std::shared_ptr<IXMLParse> reread = CreateXMLParse();
    ASSERT_TRUE(reread->LoadFile(path));
    std::int32_t count = 0;
    EXPECT_TRUE(reread->ReadInt("cfg.count", count));
    EXPECT_EQ(count, 2);
}

TEST(XMLParse, SaveAsIntoUnwritablePlaceFails) {
    TempDir dir;
    // A regular file where a folder should be: no permission setting makes that writable.
    const std::string file = dir.WriteFile("plain", "x");
    std::shared_ptr<IXMLParse> doc = Load(kManifest);
    EXPECT_EQ(doc->SaveAs(file + "/doc.xml"), E_FAIL);
    EXPECT_EQ(doc->SaveAs(dir.path()), E_FAIL);
    EXPECT_EQ(doc->SaveAs(""), E_FAIL);
}

TEST(XMLParse, CloneCopiesEverythingAndIsIndependent) {
    TempDir dir;
    std::shared_ptr<IXMLParse> doc = CreateXMLParse();
    ASSERT_TRUE(doc->LoadFile(dir.WriteFile("a.xml", "<a v=\"1\"/>")));
    std::shared_ptr<IXMLParse> copy = doc->Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsLoaded());
    EXPECT_TRUE(copy->WriteInt("a.v", 2));
    ASSERT_EQ(copy->Save(), S_OK);

    std::int32_t original = 0;
    EXPECT_TRUE(doc->ReadInt("a.v", original));
    EXPECT_EQ(original, 1);
    std::shared_ptr<IXMLParse> reread = CreateXMLParse();
    ASSERT_TRUE(reread->LoadFile(dir.Path("a.xml")));
    std::int32_t saved = 0;
    EXPECT_TRUE(reread->ReadInt("a.v", saved));
    EXPECT_EQ(saved, 2);
}

TEST(XMLParse, TableRoundTripsAsItemElementsWithAttributes) {
    std::shared_ptr<IXMLParse> doc = Load("<cfg><mirrors><keep/></mirrors></cfg>");
    const XMLRecordTable table = {
        {"m1", {{"host", "m1.example.com"}, {"weight", "3"}}},
        {"m2", {{"host", "m2.example.com"}}},
    };
    EXPECT_TRUE(doc->WriteTable("cfg.mirrors", table, "id"));

    const boost::property_tree::ptree& mirrors = doc->GetRoot().get_child("cfg.mirrors");
    EXPECT_EQ(mirrors.count("item"), 2u);
    EXPECT_EQ(mirrors.get<std::string>("item.<xmlattr>.id"), "m1");
    EXPECT_EQ(mirrors.get<std::string>("item.<xmlattr>.host"), "m1.example.com");

    const XMLRecordTable read = doc->ReadTable("cfg.mirrors", {"id", "host", "weight"}, "id");
    const XMLRecordTable expected = {
        {"m1", {{"id", "m1"}, {"host", "m1.example.com"}, {"weight", "3"}}},
        {"m2", {{"id", "m2"}, {"host", "m2.example.com"}}},
    };
    EXPECT_EQ(read, expected);  // the keep child has no id and is skipped

    EXPECT_THAT(doc->ReadTable("cfg.none", {"id"}, "id"), IsEmpty());
    EXPECT_FALSE(doc->WriteTable("cfg.mirrors", {{"m3", {{"", "x"}}}}, "id"));
    EXPECT_FALSE(doc->WriteTable("cfg.mirrors", table, ""));
    EXPECT_EQ(doc->GetRoot().get_child("cfg.mirrors").count("item"), 2u);
}

}  // namespace
