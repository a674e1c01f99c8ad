#include "app/i18n/LanguageChoice.h"

namespace {

constexpr std::uint16_t kPrimaryChinese = 0x04;
constexpr std::uint16_t kSubLanguageChineseSimplified = 2;

struct PrimaryChoice {
    std::uint16_t primary;
    LanguageChoice choice;
};

const LanguageChoice kChineseSimplified = {&kChineseSimplifiedTable, "Language is CHS(JianTi), id = %d",
                                           "Chinese(Simplified)", {52, 95, 52, 170, 180, 180}};
const LanguageChoice kChineseTraditional = {&kChineseTraditionalTable, "Language is ZH(FanTi), id = %d",
                                            "Chinese(Traditional)", {52, 95, 52, 170, 180, 180}};
const LanguageChoice kEnglish = {&kEnglishTable, "Language is EN, id = %d", "English",
                                 {75, 165, 55, 320, 240, 180}};

const PrimaryChoice kChoices[] = {
    {0x03, {&kSpanishTable, "Language is CATALA(XiBanYa), id = %d", "Spanish", {80, 280, 80, 460, 180, 180}}},
    {0x05, {&kCzechTable, "Language is CZ(JieKe), id = %d", "Czech", {90, 270, 90, 360, 300, 180}}},
    {0x07, {&kGermanTable, "Language is DE(DeGuo), id = %d", "German", {105, 190, 105, 450, 180, 180}}},
    {0x0A, {&kSpanishTable, "Language is SPANISH(XiBanYa), id = %d", "Spanish", {80, 280, 80, 460, 180, 180}}},
    {0x0C, {&kFrenchTable, "Language is FR(FaGuo), id = %d", "French", {85, 220, 90, 420, 300, 180}}},
    {0x0E, {&kHungarianTable, "Language is HU(XiongYaLi), id = %d", "Hungarian", {100, 220, 110, 410, 180, 180}}},
    {0x10, {&kItalianTable, "Language is IT(YiDaLi), id = %d", "Italian", {90, 270, 105, 480, 180, 180}}},
    {0x11, {&kJapaneseTable, "Language is JP(RiBen), id = %d", "Japanese", {52, 165, 52, 295, 320, 180}}},
    {0x13, {&kDutchTable, "Language is NL(HeLan), id = %d", "Dutch", {103, 260, 103, 360, 180, 180}}},
    {0x14, {&kNorwegianTable, "Language is NO(NuoWei), id = %d", "Norwegian", {65, 130, 75, 360, 200, 180}}},
    {0x15, {&kPolishTable, "Language is PL(BoLan), id = %d", "Polish", {85, 260, 72, 300, 180, 180}}},
    {0x16, {&kPortugueseTable, "Language is PT(PuTaoYa), id = %d", "Portuguese", {75, 230, 85, 470, 180, 180}}},
    {0x19, {&kRussianTable, "Language is RU(ErLuoSi), id = %d", "Russian", {88, 360, 143, 400, 180, 180}}},
    {0x1D, {&kSwedishTable, "Language is SVE(RuiDian), id = %d", "Swedish", {93, 160, 70, 320, 180, 180}}},
};

}  // namespace

const LanguageChoice& ChooseLanguage(std::uint16_t langId) {
    const std::uint16_t primary = langId & 0x3FF;
    if (primary == kPrimaryChinese) {
        return (langId >> 10) == kSubLanguageChineseSimplified ? kChineseSimplified : kChineseTraditional;
    }
    for (const PrimaryChoice& entry : kChoices) {
        if (entry.primary == primary) {
            return entry.choice;
        }
    }
    return kEnglish;
}
