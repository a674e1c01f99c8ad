#include "platform/Locale.h"

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"

namespace {

TEST(Locale, LocaleNamesMapToLanguageIds) {
    const struct {
        const char* locale;
        std::uint16_t id;
    } cases[] = {
        {"de_DE.UTF-8", 0x0407}, {"zh_CN", 0x0804},      {"zh_TW.UTF-8", 0x0404}, {"zh_SG", 0x1004},
        {"zh_HK", 0x0C04},       {"ca_ES@valencia", 0x0403}, {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},
        {"pt_BR", 0x0416},       {"pt_PT", 0x0816},      {"nb_NO", 0x0414},       {"nn_NO", 0x0814},
        {"ja_JP.eucJP", 0x0411}, {"sv_SE", 0x041D},      {"ru", 0x0419},          {"es_ES", 0x0C0A},
        {"C", 0x0409},           {"POSIX", 0x0409},      {"", 0x0409},            {"xx_YY", 0x0409},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::LanguageIdFromLocale(c.locale), c.id) << c.locale;
    }
}

TEST(Locale, LcAllWinsOverLcMessagesOverLang) {
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv messages("LC_MESSAGES", std::string("fr_FR.UTF-8"));
    ScopedEnv lang("LANG", std::string("de_DE.UTF-8"));
    EXPECT_EQ(platform::GetUserDefaultLanguageId(), 0x040C);
    ScopedEnv all2("LC_ALL", std::string("it_IT"));
    EXPECT_EQ(platform::GetUserDefaultLanguageId(), 0x0410);
}

TEST(Locale, EnglishNameByPrimaryLanguage) {
    EXPECT_EQ(platform::GetLanguageEnglishName(0x0407), "German");
    EXPECT_EQ(platform::GetLanguageEnglishName(0x0C07), "German");
    EXPECT_EQ(platform::GetLanguageEnglishName(0x0000), "English");
}

}  // namespace
