#include <gtest/gtest.h>

#include "app/product/IProductInfo.h"
#include "app/product/ProductConstants.h"
#include "util/HResult.h"

namespace {

TEST(ProductInfo, ProcessProfileIsOneSixtyFourBitObject) {
    const ProductInfoHolder& first = GetProductInfo();
    const ProductInfoHolder& second = GetProductInfo();
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_TRUE(first->IsX64());
    EXPECT_EQ(first->GetPackageName(), "MirvakSeracStudio_x64");
    EXPECT_EQ(first->GetShortNameArch(), "Serac Studio (x64)");
    EXPECT_EQ(first->GetImageId(), 187);
    EXPECT_EQ(first->GetImageId2(), 188);
    EXPECT_EQ(first->GetDownloadSource(), "");
    EXPECT_EQ(first->GetVersionLabel(), "");
}

TEST(ProductInfo, CreateMakesTheEditionAsked) {
    ProductInfoHolder holder;
    ASSERT_EQ(CreateProductInfo(holder, false), S_OK);
    EXPECT_FALSE(holder->IsX64());
    EXPECT_EQ(holder->GetPackageName(), "MirvakSeracStudio");
    EXPECT_EQ(holder->GetShortNameArch(), "Serac Studio");
    EXPECT_EQ(holder->GetImageId(), 138);
    EXPECT_EQ(holder->GetImageId2(), 139);
    EXPECT_EQ(holder->GetDisplayName(), "Mirvak Serac Studio");
    EXPECT_EQ(holder->GetProductName(), "Mirvak Serac Studio");
    EXPECT_EQ(holder->GetVersion(), "1.0.0.0");
    EXPECT_EQ(holder->GetProductGuid(), "{0A3F6C21-58D4-4E9B-B7A2-19E0C4D85F36}");
}

TEST(ProductConstants, SplitListKeepsPiecesUnchanged) {
    const struct {
        std::string text;
        std::vector<std::string> items;
    } cases[] = {
        {"", {}},
        {"LiveUpdate.exe", {"LiveUpdate.exe"}},
        {"a,,b", {"a", "", "b"}},
        {" a , b", {" a ", " b"}},
        {"a,", {"a", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(product::SplitList(c.text), c.items) << c.text;
    }
    const auto processes = product::SplitList(product::kProductProcessList);
    ASSERT_EQ(processes.size(), 9u);
    EXPECT_EQ(processes.front(), product::kMainProgramFileName);
    EXPECT_EQ(processes.back(), "FileOp.exe");
    EXPECT_EQ(product::SplitList(product::kUpdaterProcessList).size(), 1u);
}

TEST(ProductConstants, FoldersAndAddresses) {
    EXPECT_EQ(product::ProductDataFolder(), "Mirvak/Serac Studio");
    const std::string host = product::WebSiteHost();
    EXPECT_EQ(product::ThankYouPageAddress(true),
              "https://" + host + "/thankyou.htm?ad=video_client_thankyou&s=video_client&downloadmode=1&v=");
    EXPECT_EQ(product::ThankYouPageAddress(false),
              "https://" + host + "/thankyou.htm?ad=video_client_thankyou&s=video_client&v=");
    EXPECT_EQ(product::HomePageAddress(), "https://" + host + "/?s=video_client&ad=video_client&v=");
    EXPECT_EQ(product::LicenceAgreementAddress(),
              "http://" + host + "/mirvak-user-license-agreement.htm?ad=video_client&s=video_client&v=");
    EXPECT_EQ(product::ExperienceProgrammeAddress(),
              "http://" + host + "/u-experience.htm?ad=video_client&s=video_client&v=");
    EXPECT_EQ(product::JsonReportEndpoint().rfind("https://", 0), 0u);
    EXPECT_NE(product::JsonReportEndpoint().find("/api/common_json_post/"), std::string::npos);
    EXPECT_EQ(product::LogUploadEndpoint().rfind("http://", 0), 0u);
    EXPECT_NE(product::LogUploadEndpoint().find("/api/common_post/"), std::string::npos);
}

}  // namespace
