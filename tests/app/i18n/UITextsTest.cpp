#include "app/i18n/UITexts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "app/log/ILog.h"
#include "support/SandboxHome.h"

namespace {

// Each test selects on its own UITexts and logs into its own sandbox.
class UITextsTest : public ::testing::Test {
protected:
    void SetUp() override { GetLog().Open(sandbox_.dir().Path("install.log")); }
    void TearDown() override { GetLog().Open(""); }
    std::string LogText() const { return TempDir::ReadFile(sandbox_.dir().Path("install.log")); }

    SandboxHome sandbox_;
    UITexts texts_;
};

struct LanguageCase {
    std::uint16_t langId;
    const char* name;
    const char* text0;
    const char* text52;
    int width0;
    int width4;
    const char* logLine;
};

const LanguageCase kLanguages[] = {
    {0x0409, "English", "Click to Install", "official", 75, 240, "Language is EN, id = 1033"},
    {0x0809, "English", "Click to Install", "official", 75, 240, "Language is EN, id = 2057"},
    {0x0403, "Spanish", "Instalación", "oficial", 80, 180, "Language is CATALA(XiBanYa), id = 1027"},
    {0x0804, "Chinese(Simplified)", "快速安装", "正式版", 52, 180, "Language is CHS(JianTi), id = 2052"},
    {0x0404, "Chinese(Traditional)", "快速安裝", "正式版", 52, 180, "Language is ZH(FanTi), id = 1028"},
    {0x1004, "Chinese(Traditional)", "快速安裝", "正式版", 52, 180, "Language is ZH(FanTi), id = 4100"},
    {0x0C04, "Chinese(Traditional)", "快速安裝", "正式版", 52, 180, "Language is ZH(FanTi), id = 3076"},
    {0x0405, "Czech", "Klikněte pro instalaci", "oficiální", 90, 300, "Language is CZ(JieKe), id = 1029"},
    {0x0407, "German", "Installieren", "official", 105, 180, "Language is DE(DeGuo), id = 1031"},
    {0x0C0A, "Spanish", "Instalación", "oficial", 80, 180, "Language is SPANISH(XiBanYa), id = 3082"},
    {0x040C, "French", "Cliquez pour installer", "officiel", 85, 300, "Language is FR(FaGuo), id = 1036"},
    {0x040E, "Hungarian", "Telepítés", "official", 100, 180, "Language is HU(XiongYaLi), id = 1038"},
    {0x0410, "Italian", "Installa", "ufficiale", 90, 180, "Language is IT(YiDaLi), id = 1040"},
    {0x0411, "Japanese", "クイックインストール", "公式版", 52, 320, "Language is JP(RiBen), id = 1041"},
    {0x0413, "Dutch", "Installatie", "official", 103, 180, "Language is NL(HeLan), id = 1043"},
    {0x0414, "Norwegian", "Installering", "official", 65, 200, "Language is NO(NuoWei), id = 1044"},
    {0x0415, "Polish", "Instalacja", "oficjalnie", 85, 180, "Language is PL(BoLan), id = 1045"},
    {0x0416, "Portuguese", "Instalaçăo", "oficial", 75, 180, "Language is PT(PuTaoYa), id = 1046"},
    {0x0419, "Russian", "Установка", "Официальный", 88, 180, "Language is RU(ErLuoSi), id = 1049"},
    {0x041D, "Swedish", "Installering", "Officiell", 93, 180, "Language is SVE(RuiDian), id = 1053"},
    {0x0408, "English", "Click to Install", "official", 75, 240, "Language is EN, id = 1032"},  // Greek
};

TEST_F(UITextsTest, EveryPrimaryLanguageChoosesItsTableNameWidthsAndLogLine) {
    for (const LanguageCase& c : kLanguages) {
        UITexts texts;
        texts.SelectLanguage(std::string("Mirvak Serac Studio"), c.langId);
        EXPECT_EQ(texts.GetLanguageName(), c.name) << c.langId;
        EXPECT_EQ(texts.GetUIText(0), c.text0) << c.langId;
        EXPECT_EQ(texts.GetUIText(52), c.text52) << c.langId;
        EXPECT_EQ(texts.GetLayoutWidth(0), c.width0) << c.langId;
        EXPECT_EQ(texts.GetLayoutWidth(4), c.width4) << c.langId;
        EXPECT_EQ(texts.GetLayoutWidth(5), 180) << c.langId;
        EXPECT_NE(LogText().find(std::string(c.logLine) + "\n"), std::string::npos) << c.logLine;
    }
}

TEST_F(UITextsTest, BeforeSelectionEnglishWithDemoNameAndNoWidths) {
    EXPECT_EQ(texts_.GetUIText(9), "Start Demo");
    EXPECT_EQ(texts_.GetLanguageName(), "");
    EXPECT_EQ(texts_.GetLayoutWidth(0), 0);
}

TEST_F(UITextsTest, ProductNameReplacesEveryPlaceholderAndUnknownIdsSayUnKnow) {
    texts_.SelectLanguage(std::string("Mirvak Serac Studio"), 0x0409);
    EXPECT_EQ(texts_.GetUIText(9), "Start Mirvak Serac Studio");
    EXPECT_EQ(texts_.GetUIText(48), "Uninstall Mirvak Serac Studio");
    EXPECT_EQ(texts_.GetUIText(53), "UnKnow");
    EXPECT_EQ(texts_.GetUIText(-1), "UnKnow");
    EXPECT_EQ(texts_.GetLayoutWidth(6), 0);
    EXPECT_EQ(texts_.GetLayoutWidth(-1), 0);
    // No product name keeps the one remembered before.
    texts_.SelectLanguage(std::nullopt, 0x0407);
    EXPECT_NE(texts_.GetUIText(9).find("Mirvak Serac Studio"), std::string::npos);
}

TEST_F(UITextsTest, NorwegianLacksTheLastTwoTextsAndKeepsEnglishOnes) {
    texts_.SelectLanguage(std::string("P"), 0x0414);
    EXPECT_EQ(texts_.GetUIText(51), "Downloading setup file...");
    EXPECT_EQ(texts_.GetUIText(52), "official");
    EXPECT_EQ(texts_.GetUIText(0), "Installering");
    EXPECT_NE(texts_.GetUIText(1), "Custom");
}

TEST_F(UITextsTest, PortugueseLaterEntriesWinOverTheEnglishDuplicates) {
    texts_.SelectLanguage(std::string("P"), 0x0416);
    EXPECT_NE(texts_.GetUIText(40), "You must restart your computer to install the new version. Are you sure to proceed?");
    EXPECT_NE(texts_.GetUIText(41), "Restart Now");
    EXPECT_EQ(texts_.GetUIText(51), "Baixando arquivo de instalação...");
    EXPECT_EQ(texts_.GetUIText(52), "oficial");
}

TEST_F(UITextsTest, ZeroIdTakesTheSystemLanguage) {
    ScopedEnv lang("LANG", std::string("de_DE.UTF-8"));
    texts_.SelectLanguage(std::string("P"), 0);
    EXPECT_EQ(texts_.GetLanguageName(), "German");
    EXPECT_NE(LogText().find("Language is DE(DeGuo), id = 1031\n"), std::string::npos);
}

TEST_F(UITextsTest, DeveloperLanguageOverridesTheIdUnlessZero) {
    sandbox_.WriteDeveloperConfig("setup_test_language=1041\n");
    texts_.SelectLanguage(std::string("P"), 0x0409);
    EXPECT_EQ(texts_.GetLanguageName(), "Japanese");
    EXPECT_EQ(texts_.GetUIText(0), "クイックインストール");

    sandbox_.WriteDeveloperConfig("setup_test_language=0\n");
    ScopedEnv lang("LANG", std::string("fr_FR.UTF-8"));
    UITexts again;
    again.SelectLanguage(std::string("P"), 0);
    EXPECT_EQ(again.GetLanguageName(), "French");

    // Only the low 16 bits count.
    sandbox_.WriteDeveloperConfig("setup_test_language=0x10419\n");
    UITexts masked;
    masked.SelectLanguage(std::string("P"), 0x0409);
    EXPECT_EQ(masked.GetLanguageName(), "Russian");
}

TEST_F(UITextsTest, EveryTableKeepsPlaceholdersAndCoversEveryId) {
    const LanguageTable* tables[] = {
        &kChineseSimplifiedTable, &kChineseTraditionalTable, &kCzechTable,   &kDutchTable,
        &kFrenchTable,            &kGermanTable,             &kHungarianTable, &kItalianTable,
        &kJapaneseTable,          &kNorwegianTable,          &kPolishTable,  &kPortugueseTable,
        &kRussianTable,           &kSpanishTable,            &kSwedishTable,
    };
    std::map<int, std::string> english;
    for (std::size_t i = 0; i < kEnglishTable.count; ++i) english[kEnglishTable.entries[i].id] = kEnglishTable.entries[i].text;
    ASSERT_EQ(english.size(), static_cast<std::size_t>(kUITextCount));

    for (const LanguageTable* table : tables) {
        std::map<int, std::string> ids;
        int previous = -1;
        for (std::size_t i = 0; i < table->count; ++i) {
            const LanguageEntry& entry = table->entries[i];
            ids[entry.id] = entry.text;
            EXPECT_GE(entry.id, table == &kPortugueseTable ? 0 : previous + 1) << "order, table " << i;
            previous = entry.id;
        }
        const std::size_t expected = table == &kNorwegianTable ? 51u : 53u;
        EXPECT_EQ(ids.size(), expected);
        EXPECT_EQ(table->count, table == &kPortugueseTable ? 55u : expected);
        for (const auto& [id, text] : ids) {
            const bool englishHasName = english[id].find(kProductNamePlaceholder) != std::string::npos;
            EXPECT_EQ(text.find(kProductNamePlaceholder) != std::string::npos, englishHasName)
                << "id " << id << ": " << text;
        }
        EXPECT_NE(ids[50].find("XXX"), std::string::npos) << ids[50];
    }
}

TEST_F(UITextsTest, ConcurrentLookupsGetWholeTexts) {
    texts_.SelectLanguage(std::string("Mirvak Serac Studio"), 0x0409);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (texts_.GetUIText(9) != "Start Mirvak Serac Studio") ++wrong;
                if (texts_.GetUIText(48) != "Uninstall Mirvak Serac Studio") ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
