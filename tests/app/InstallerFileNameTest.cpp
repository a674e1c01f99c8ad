#include "app/InstallerFileName.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallerFileName, TagsFollowTheFirstNumberMarker) {
    const struct {
        const char* path;
        const char* option;
        const char* source;
    } cases[] = {
        {"/home/u/Downloads/Mirvak_Serac_x64_Full_102_Web_Ads_Setup.exe", "serac_x64_full", "web_ads"},
        {"Serac_Setup.exe", "", ""},
        {"mirvak_serac_setup.exe", "", ""},
        {"mirvak_serac_12.exe", "", ""},        // a number as the last piece is no marker
        {"a_b_1_c_2_d_e.exe", "b", "c_d"},      // numbers never end up in a tag
        {"a__b___7__c_d", "b", "c"},            // empty pieces are dropped; no extension
        {"x_-5_y_z.exe", "", "y"},              // a signed number is a marker
        {"x_5a_1_y_z.exe", "5a", "y"},          // digits followed by letters are text
        {"x_+_1_y_z.exe", "+", "y"},            // a sign alone is text
        {"setup.exe", "", ""},
        {"", "", ""},
        {"/dir.with.dots/a_1_b_c", "", "b"},
    };
    for (const auto& c : cases) {
        const InstallerTags tags = ParseInstallerFileName(c.path);
        EXPECT_EQ(tags.option, c.option) << c.path;
        EXPECT_EQ(tags.source, c.source) << c.path;
    }
}

}  // namespace
