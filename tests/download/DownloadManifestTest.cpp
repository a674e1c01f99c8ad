#include <gtest/gtest.h>

#include "download/DownloadManifest.h"
#include "support/TempDir.h"
#include "util/IXMLParse.h"
#include "util/Md5.h"

namespace {

const char* const kDigest = "0123456789ABCDEF0123456789ABCDEF";

// A manifest with the given root attributes and url/hash lists; an empty
// count leaves the size attribute out.
std::string Manifest(const std::string& rootAttributes, const std::string& urlCount, int urlItems,
                     const std::string& hashCount, int hashItems) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?><download " + rootAttributes + "><url";
    text += urlCount.empty() ? ">" : " size=\"" + urlCount + "\">";
    for (int i = 0; i < urlItems; ++i) {
        text += "<item_" + std::to_string(i) + " value=\"http://m" + std::to_string(i) + ".example.org/download/f\"/>";
    }
    text += "</url><hash";
    text += hashCount.empty() ? ">" : " size=\"" + hashCount + "\">";
    for (int i = 0; i < hashItems; ++i) {
        text += "<item_" + std::to_string(i) + " value=\"" + kDigest + "\"/>";
    }
    return text + "</hash></download>";
}

ManifestReadResult ReadText(const std::string& text) {
    auto document = CreateXMLParse();
    EXPECT_TRUE(document->LoadFromMemory(text.data(), text.size())) << text;
    return DownloadManifest::Read(document.get(), "/tmp/setup.exe");
}

TEST(DownloadManifest, EveryUnreadableEntryHasItsErrorCode) {
    const std::string good = "size=\"100\" version=\"1\"";
    const struct {
        const char* name;
        std::string text;
        DownloadError error;
        bool rejected;
    } cases[] = {
        {"version missing", Manifest("size=\"100\"", "1", 1, "2", 2), kConfigLoadVersionError, true},
        {"version not a number", Manifest("size=\"100\" version=\"abc\"", "1", 1, "2", 2), kConfigLoadVersionError,
         true},
        {"version 2", Manifest("size=\"100\" version=\"2\"", "1", 1, "2", 2), kNeedUpdateDownload, true},
        {"version 10", Manifest("size=\"100\" version=\"10\"", "1", 1, "2", 2), kNeedUpdateDownload, true},
        {"size missing", Manifest("version=\"1\"", "1", 1, "2", 2), kConfigLoadFileSizeError, false},
        {"size negative", Manifest("size=\"-5\" version=\"1\"", "1", 1, "2", 2), kConfigLoadFileSizeError, false},
        {"url count missing", Manifest(good, "", 1, "2", 2), kConfigLoadUrlSizeError, false},
        {"url count above the entries", Manifest(good, "3", 2, "2", 2), kConfigLoadUrlError, false},
        {"hash count missing", Manifest(good, "1", 1, "", 2), kConfigLoadHashSizeError, false},
        {"hash count above the entries", Manifest(good, "1", 1, "3", 2), kConfigLoadHashError, false},
    };
    for (const auto& c : cases) {
        const ManifestReadResult result = ReadText(c.text);
        EXPECT_EQ(result.result, E_ABORT) << c.name;
        EXPECT_EQ(result.error, c.error) << c.name;
        EXPECT_EQ(result.rejected, c.rejected) << c.name;
    }
}

TEST(DownloadManifest, NoDocumentIsALoadError) {
    const ManifestReadResult result = DownloadManifest::Read(nullptr, "/tmp/setup.exe");
    EXPECT_EQ(result.result, E_INVALIDARG);
    EXPECT_EQ(result.error, kConfigLoadError);
}

TEST(DownloadManifest, ReadsSizeUrlsAndDigestsOfAnAcceptedVersion) {
    for (const char* version : {"0", "1"}) {
        const ManifestReadResult result =
            ReadText(Manifest(std::string("size=\"100\" version=\"") + version + "\"", "3", 3, "4", 4));
        ASSERT_EQ(result.result, S_OK) << version;
        const DownloadRequest& request = result.request;
        EXPECT_EQ(request.path, "/tmp/setup.exe");
        EXPECT_EQ(request.size, 100);
        EXPECT_EQ(request.connectionsPerMirror, 2);
        EXPECT_EQ(request.mirrors[2].url, "http://m2.example.org/download/f");
        EXPECT_TRUE(request.mirrors[2].usable);
        EXPECT_FALSE(request.mirrors[3].usable);
        EXPECT_EQ(request.wholeDigest, kDigest);
        EXPECT_EQ(request.blockDigests.size(), 3u);
    }
}

TEST(DownloadManifest, OnlyTheFirstTenMirrorsAreRead) {
    const ManifestReadResult result = ReadText(Manifest("size=\"100\" version=\"1\"", "12", 12, "1", 1));
    ASSERT_EQ(result.result, S_OK);
    for (int i = 0; i < kMaxMirrors; ++i) {
        EXPECT_TRUE(result.request.mirrors[i].usable) << i;
    }
    EXPECT_EQ(result.request.mirrors[9].url, "http://m9.example.org/download/f");
}

TEST(DownloadManifest, HashSizeOneGivesTheWholeDigestAndNoBlockDigests) {
    const ManifestReadResult result = ReadText(Manifest("size=\"100\" version=\"1\"", "1", 1, "1", 1));
    ASSERT_EQ(result.result, S_OK);
    EXPECT_EQ(result.request.wholeDigest, kDigest);
    EXPECT_TRUE(result.request.blockDigests.empty());
}

TEST(DownloadManifest, AFileIsCompleteOnlyWhenItsDigestMatches) {
    TempDir dir;
    const std::string content = "the full installer";
    const std::string path = dir.WriteFile("setup.exe", content);
    const std::string digest = Md5OfBuffer(content.data(), content.size(), HexCase::Upper);
    EXPECT_TRUE(DownloadManifest::IsAlreadyComplete(path, digest));
    EXPECT_FALSE(DownloadManifest::IsAlreadyComplete(path, Md5OfBuffer(content.data(), content.size(), HexCase::Lower)));
    EXPECT_FALSE(DownloadManifest::IsAlreadyComplete(dir.Path("missing.exe"), digest));
    EXPECT_FALSE(DownloadManifest::IsAlreadyComplete(dir.path(), digest)) << "a folder is not a complete file";
}

}  // namespace
