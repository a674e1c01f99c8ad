#include "reporting/ReporterSetup.h"

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "app/product/ProductConstants.h"
#include "system/MachineIdentity.h"

namespace {

TEST(ReporterSetup, MakeInstallerReporterSettings_UsesTheBuildAndThisMachine) {
    const UsageReporterSettings settings =
        MakeInstallerReporterSettings("ABCDEF", "full", "web", "1.0.1.2 official (01/06/2021)", "/tmp/x.log");
    EXPECT_EQ(settings.jsonEndpoint, product::JsonReportEndpoint());
    EXPECT_EQ(settings.uploadEndpoint, product::LogUploadEndpoint());
    EXPECT_EQ(settings.transport.caBundle, build_config::kCaBundle);
    EXPECT_EQ(settings.transport.connectTimeoutMs, kReportConnectTimeoutMs);
    EXPECT_EQ(settings.transport.transferLimitMs, kReportTransferLimitMs);
    EXPECT_EQ(settings.retrySpacing, kReportRetrySpacing);
    EXPECT_EQ(settings.appId, product::kDisplayName);
    EXPECT_EQ(settings.identity.uuid, "ABCDEF");
    EXPECT_EQ(settings.identity.adapterAddresses, GetAdapterAddressList());
    EXPECT_EQ(settings.identity.linkAddressText, GetLinkAddressText());
    EXPECT_FALSE(settings.identity.systemLanguage.empty());
    EXPECT_EQ(settings.option, "full");
    EXPECT_EQ(settings.source, "web");
    EXPECT_EQ(settings.logPath, "/tmp/x.log");

    UsageReporter reporter(settings);
    const auto& adapters = settings.identity.adapterAddresses;
    EXPECT_EQ(reporter.GetUserId(), adapters.empty() ? std::string("ABCDEF") : adapters.front());
}

}  // namespace
