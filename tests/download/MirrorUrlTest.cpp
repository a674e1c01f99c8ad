#include <gtest/gtest.h>

#include "download/MirrorUrl.h"

namespace {

TEST(MirrorUrl, HostIsTheTextBetweenSchemeAndDownloadFolder) {
    const struct {
        const char* url;
        const char* host;
    } cases[] = {
        {"http://mirror1.example.org/download/92_1012/setup.exe", "mirror1.example.org"},
        {"https://secure.example.org/download/x", "secure.example.org"},
        {"http://127.0.0.2:8080/download/payload.bin", "127.0.0.2:8080"},
        {"http://mirror.example.org/files/setup.exe", ""},   // no /download/
        {"mirror.example.org/download/setup.exe", ""},      // no scheme
        {"ftp://mirror.example.org/download/setup.exe", ""},
        {"/download/http://late.example.org/x", ""},         // /download/ before the scheme
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostOfUrl(c.url), c.host) << c.url;
    }
}

TEST(MirrorUrl, HostWithPortIsPingedAtTheAddressBeforeTheColon) {
    EXPECT_EQ(PingAddressOfHost("127.0.0.2:8080"), "127.0.0.2");
    EXPECT_EQ(PingAddressOfHost("mirror.example.org"), "mirror.example.org");
}

TEST(MirrorUrl, FallbackUrlContainsOneOfTheConfiguredTexts) {
    DownloadConfig config;
    config.fallbackCdnSuffix = ".cdn.example.net";
    config.fallbackCdnPrefix = "cdn-dl.";
    config.fallbackMainHost = "download.example.com";
    EXPECT_TRUE(IsFallbackUrl(config, "http://eu.cdn.example.net/download/a"));
    EXPECT_TRUE(IsFallbackUrl(config, "http://cdn-dl.example.org/download/a"));
    EXPECT_TRUE(IsFallbackUrl(config, "http://download.example.com/download/a"));
    EXPECT_FALSE(IsFallbackUrl(config, "http://mirror.example.org/download/a"));
}

TEST(MirrorUrl, EmptyFallbackTextsMatchNothing) {
    DownloadConfig config;
    config.fallbackCdnSuffix = "";
    config.fallbackCdnPrefix = "";
    config.fallbackMainHost = "";
    EXPECT_FALSE(IsFallbackUrl(config, "http://mirror.example.org/download/a"));
}

}  // namespace
