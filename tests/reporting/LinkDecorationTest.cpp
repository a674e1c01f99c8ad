#include "reporting/LinkDecoration.h"

#include <gtest/gtest.h>

#include "reporting/Base64.h"

namespace {

struct Base64Case {
    std::string bytes;
    const char* text;
};

TEST(Base64, EncodeBase64_MatchesTheRfc4648VectorsAndUsesPlusAndSlash) {
    const Base64Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xfb\xff\xbf", 3), "+/+/"},
        {std::string("\0\0", 2), "AAA="},
        {"00-1a-2b-3c-4d-5e", "MDAtMWEtMmItM2MtNGQtNWU="},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeBase64(c.bytes), c.text) << c.text;
}

struct LinkCase {
    const char* link;
    const char* decorated;
};

// "00-1a-2b-3c-4d-5e" is "MDAtMWEtMmItM2MtNGQtNWU=" in Base64.
TEST(LinkDecoration, DecorateLink_PutsTheMachineParameterFirstInTheQuery) {
    const LinkCase cases[] = {
        {"https://www.example.com/thankyou.htm?v=1",
         "https://www.example.com/thankyou.htm?client_m=MDAtMWEtMmItM2MtNGQtNWU=&v=1"},
        {"https://www.example.com/page.htm", "https://www.example.com/page.htm?client_m=MDAtMWEtMmItM2MtNGQtNWU="},
        {"http://h/a?ad=x&s=y&v=", "http://h/a?client_m=MDAtMWEtMmItM2MtNGQtNWU=&ad=x&s=y&v="},
        {"http://h/a?", "http://h/a?client_m=MDAtMWEtMmItM2MtNGQtNWU=&"},
        // Every "?" takes the parameter, the way the web site has always been sent links.
        {"http://h/a?x=1?y=2", "http://h/a?client_m=MDAtMWEtMmItM2MtNGQtNWU=&x=1?client_m=MDAtMWEtMmItM2MtNGQtNWU=&y=2"},
        {"", "?client_m=MDAtMWEtMmItM2MtNGQtNWU="},
    };
    for (const auto& c : cases) EXPECT_EQ(DecorateLink(c.link, "00-1a-2b-3c-4d-5e"), c.decorated) << c.link;
}

TEST(LinkDecoration, DecorateLink_WithoutAnAddressAddsAnEmptyValue) {
    EXPECT_EQ(DecorateLink("http://h/a?v=2", ""), "http://h/a?client_m=&v=2");
}

}  // namespace
