#include <gtest/gtest.h>

#include "download/DownloadTypes.h"

namespace {

TEST(DownloadTypes, ErrorNamesByCodeAndDecimalTextOutsideTheTable) {
    const struct {
        std::int32_t code;
        const char* name;
    } cases[] = {
        {0, "NoError"},           {1, "NoNeedDownload"},     {4, "ConfigLoadError"},
        {11, "DownloadCheckUrlError"}, {16, "DispatchFailError"}, {19, "RepairFailError"},
        {21, "CheckHashError"},   {22, "22"},                {-1, "-1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetDownloadErrorName(c.code), c.name) << c.code;
    }
}

}  // namespace
