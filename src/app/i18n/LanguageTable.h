// The compiled-in language tables: numbered UI texts (UTF-8), one table per
// language. A table lists its entries in id order; a later entry for an id
// replaces an earlier one, and ids a table lacks keep the English text.
#pragma once

#include <cstddef>

struct LanguageEntry {
    int id;
    const char* text;
};

struct LanguageTable {
    const LanguageEntry* entries;
    std::size_t count;
};

// The number of UI texts: ids 0 to kUITextCount - 1.
inline constexpr int kUITextCount = 53;

extern const LanguageTable kEnglishTable;
extern const LanguageTable kChineseSimplifiedTable;
extern const LanguageTable kChineseTraditionalTable;
extern const LanguageTable kCzechTable;
extern const LanguageTable kDutchTable;
extern const LanguageTable kFrenchTable;
extern const LanguageTable kGermanTable;
extern const LanguageTable kHungarianTable;
extern const LanguageTable kItalianTable;
extern const LanguageTable kJapaneseTable;
extern const LanguageTable kNorwegianTable;
extern const LanguageTable kPolishTable;
extern const LanguageTable kPortugueseTable;
extern const LanguageTable kRussianTable;
extern const LanguageTable kSpanishTable;
extern const LanguageTable kSwedishTable;

// Defines a table from a static array of entries.
#define MSS_LANGUAGE_TABLE(name, entries) \
    const LanguageTable name = {entries, sizeof(entries) / sizeof(entries[0])}
