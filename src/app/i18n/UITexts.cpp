#include "app/i18n/UITexts.h"

#include "app/DeveloperConfig.h"
#include "app/log/ILog.h"
#include "platform/Locale.h"
#include "system/TextUtil.h"

UITexts::UITexts() {
    ApplyTable(kEnglishTable);
}

void UITexts::ApplyTable(const LanguageTable& table) {
    for (std::size_t i = 0; i < table.count; ++i) {
        active_[table.entries[i].id] = table.entries[i].text;
    }
}

void UITexts::SelectLanguage(const std::optional<std::string>& productName, std::uint16_t langId) {
    if (langId == 0) {
        langId = platform::GetUserDefaultLanguageId();
    }
    if (DeveloperConfigExists()) {
        const int testLanguage = ReadDeveloperConfigInt(kConfigTestLanguage, 0);
        if (testLanguage != 0) {
            langId = static_cast<std::uint16_t>(testLanguage & 0xFFFF);
        }
    }
    const LanguageChoice& choice = ChooseLanguage(langId);
    // The format comes from the constant language choice table.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    LogPrintf(choice.logFormat, static_cast<int>(langId));
#pragma GCC diagnostic pop

    std::lock_guard<std::mutex> lock(mutex_);
    if (productName) {
        productName_ = *productName;
    }
    active_.clear();
    ApplyTable(kEnglishTable);
    ApplyTable(*choice.table);
    choice_ = &choice;
}

std::string UITexts::GetUIText(int id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = active_.find(id);
    if (found == active_.end()) {
        return kUnknownUIText;
    }
    return ReplaceAll(found->second, kProductNamePlaceholder, productName_);
}

int UITexts::GetLayoutWidth(int index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (choice_ == nullptr || index < 0 || index >= kLayoutWidthCount) {
        return 0;
    }
    return choice_->layoutWidths[index];
}

std::string UITexts::GetLanguageName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return choice_ ? std::string(choice_->languageName) : std::string();
}

UITexts& GetUITexts() {
    static UITexts* texts = new UITexts();
    return *texts;
}

void SelectLanguage(const std::optional<std::string>& productName, std::uint16_t langId) {
    GetUITexts().SelectLanguage(productName, langId);
}

std::string GetUIText(int id) {
    return GetUITexts().GetUIText(id);
}

int GetLayoutWidth(int index) {
    return GetUITexts().GetLayoutWidth(index);
}

std::string GetLanguageName() {
    return GetUITexts().GetLanguageName();
}
