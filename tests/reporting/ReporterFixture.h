// A usage reporter pointed at a statistics service started for the test, on
// a clock the test turns by hand.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "StoredReports.h"
#include "reporting/UsageReporter.h"
#include "support/StatsService.h"
#include "support/TempDir.h"

inline constexpr const char* kTestUuid = "0123456789ABCDEF0123456789ABCDEF";
inline constexpr const char* kTestAdapter = "00-1a-2b-3c-4d-5e";
inline constexpr const char* kTestLog = "00:00:00 : Init Log OK.\n00:00:01 : Setup Init.\n";

class ReporterTest : public testing::Test {
protected:
    explicit ReporterTest(StatsServiceOptions options = {}) : service_(std::move(options)) {}

    void SetUp() override {
        ASSERT_TRUE(service_.ok()) << service_.error();
        logPath_ = folder_.WriteFile("Documents/Mirvak/Serac Studio/Log/install.log", kTestLog);
    }

    UsageReporterSettings Settings() {
        UsageReporterSettings settings;
        settings.jsonEndpoint = service_.JsonEndpoint();
        settings.uploadEndpoint = service_.UploadEndpoint();
        settings.identity.uuid = kTestUuid;
        settings.identity.adapterAddresses = {kTestAdapter, "00-1a-2b-3c-4d-5f"};
        settings.identity.systemLanguage = "German";
        settings.identity.linkAddressText = kTestAdapter;
        settings.appId = "Mirvak Serac Studio";
        settings.option = "full";
        settings.source = "web_ads";
        settings.appVersion = "1.0.1.2 official (01/06/2021)";
        settings.productIs64 = true;
        settings.systemIs64 = false;
        settings.logPath = logPath_;
        settings.interfaceLanguage = "Chinese(Simplified)";
        settings.transport.caBundle = service_.certificatePath();
        settings.retrySpacing = std::chrono::milliseconds(1);
        settings.clockSeconds = [this] { return clock_.load(); };
        return settings;
    }

    std::vector<StoredRow> Stored() const { return ReadStoredReports(service_.databasePath()); }

    StatsService service_;
    TempDir folder_;
    std::string logPath_;
    std::atomic<std::uint32_t> clock_{1000};
};
