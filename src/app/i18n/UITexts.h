// The UI texts of the selected language, fetched by number with the product's
// display name put in for "__PRODUCT_NAME__". One process-wide set serves the
// window, the painting threads and the install worker; lookups are guarded and
// return copies, so no caller sees its text changed by another thread.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "app/i18n/LanguageChoice.h"

inline constexpr const char* kProductNamePlaceholder = "__PRODUCT_NAME__";
inline constexpr const char* kUnknownUIText = "UnKnow";

class UITexts {
public:
    UITexts();

    // Chooses a table and applies it over the English one. An id of 0 means the
    // system's default language; a non-zero setup_test_language in the
    // developer configuration overrides the id. Logs the choice.
    void SelectLanguage(const std::optional<std::string>& productName, std::uint16_t langId);

    // The text for the id, or "UnKnow" when no table has one.
    std::string GetUIText(int id) const;
    // The selected language's width 0 to 5; 0 for other indexes or before a choice.
    int GetLayoutWidth(int index) const;
    // The selected language's English name; empty before a choice.
    std::string GetLanguageName() const;

private:
    void ApplyTable(const LanguageTable& table);

    mutable std::mutex mutex_;
    std::map<int, std::string> active_;
    std::string productName_ = "Demo";
    const LanguageChoice* choice_ = nullptr;
};

// The process-wide texts, made on first use and never released.
UITexts& GetUITexts();

// Shorthands for GetUITexts().
void SelectLanguage(const std::optional<std::string>& productName, std::uint16_t langId);
std::string GetUIText(int id);
int GetLayoutWidth(int index);
std::string GetLanguageName();
