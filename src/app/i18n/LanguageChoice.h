// Which language table serves a language identifier, with the log line and the
// English language name that go with it, and the table's control widths.
#pragma once

#include <cstdint>

#include "app/i18n/LanguageTable.h"

// Pixel widths of the controls whose labels differ in length between
// languages: 0 "Accept" box, 1 licence link, 2 "Join" box, 3 experience link,
// 4 main button, 5 unused.
inline constexpr int kLayoutWidthCount = 6;

struct LanguageChoice {
    const LanguageTable* table;
    const char* logFormat;  // takes the whole 16-bit identifier as %d
    const char* languageName;
    int layoutWidths[kLayoutWidthCount];
};

// The choice for an identifier, by its primary language (low 10 bits); Chinese
// picks Simplified for sub-language 2 and Traditional for the others.
const LanguageChoice& ChooseLanguage(std::uint16_t langId);
