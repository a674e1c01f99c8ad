#include "platform/Locale.h"

#include <cctype>

#include "platform/Environment.h"

namespace platform {
namespace {

struct LanguageCode {
    const char* code;  // ISO 639-1
    std::uint16_t primary;
    const char* englishName;
};

// Primary language numbers as Windows assigns them.
constexpr LanguageCode kLanguages[] = {
    {"ar", 0x01, "Arabic"},     {"bg", 0x02, "Bulgarian"},  {"ca", 0x03, "Catalan"},
    {"zh", 0x04, "Chinese"},    {"cs", 0x05, "Czech"},      {"da", 0x06, "Danish"},
    {"de", 0x07, "German"},     {"el", 0x08, "Greek"},      {"en", 0x09, "English"},
    {"es", 0x0A, "Spanish"},    {"fi", 0x0B, "Finnish"},    {"fr", 0x0C, "French"},
    {"he", 0x0D, "Hebrew"},     {"hu", 0x0E, "Hungarian"},  {"is", 0x0F, "Icelandic"},
    {"it", 0x10, "Italian"},    {"ja", 0x11, "Japanese"},   {"ko", 0x12, "Korean"},
    {"nl", 0x13, "Dutch"},      {"nb", 0x14, "Norwegian"},  {"nn", 0x14, "Norwegian"},
    {"no", 0x14, "Norwegian"},  {"pl", 0x15, "Polish"},     {"pt", 0x16, "Portuguese"},
    {"ro", 0x18, "Romanian"},   {"ru", 0x19, "Russian"},    {"hr", 0x1A, "Croatian"},
    {"sk", 0x1B, "Slovak"},     {"sq", 0x1C, "Albanian"},   {"sv", 0x1D, "Swedish"},
    {"th", 0x1E, "Thai"},       {"tr", 0x1F, "Turkish"},    {"id", 0x21, "Indonesian"},
    {"uk", 0x22, "Ukrainian"},  {"sl", 0x24, "Slovenian"},  {"et", 0x25, "Estonian"},
    {"lv", 0x26, "Latvian"},    {"lt", 0x27, "Lithuanian"}, {"vi", 0x2A, "Vietnamese"},
};

struct SubLanguage {
    const char* language;
    const char* territory;  // nullptr: any territory not listed before
    std::uint16_t sub;
};

// Sub-languages that differ from the default (1) for the locale's territory.
constexpr SubLanguage kSubLanguages[] = {
    {"zh", "CN", 2}, {"zh", "SG", 4}, {"zh", "HK", 3}, {"zh", "MO", 5}, {"zh", "TW", 1},
    {"zh", nullptr, 2},
    {"en", "GB", 2}, {"en", "AU", 3}, {"en", "CA", 4}, {"en", "NZ", 5}, {"en", "IE", 6},
    {"pt", "PT", 2}, {"es", "ES", 3}, {"es", "MX", 2}, {"fr", "BE", 2}, {"fr", "CA", 3},
    {"fr", "CH", 4}, {"de", "CH", 2}, {"de", "AT", 3}, {"nl", "BE", 2}, {"it", "CH", 2},
    {"nn", nullptr, 2}, {"sv", "FI", 2},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

std::uint16_t LanguageIdFromLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const std::size_t end = locale.find_first_of(".@");
    const std::string_view name = locale.substr(0, end);
    const std::size_t underscore = name.find('_');
    const std::string language = Lower(name.substr(0, underscore));
    const std::string territory =
        underscore == std::string_view::npos ? std::string() : Upper(name.substr(underscore + 1));

    for (const LanguageCode& entry : kLanguages) {
        if (language != entry.code) {
            continue;
        }
        std::uint16_t sub = 1;
        for (const SubLanguage& s : kSubLanguages) {
            if (language == s.language && (s.territory == nullptr || territory == s.territory)) {
                sub = s.sub;
                break;
            }
        }
        return static_cast<std::uint16_t>((sub << 10) | entry.primary);
    }
    return kLangIdEnglishUs;
}

std::string GetMessagesLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = GetEnv(variable);
        if (!value.empty()) {
            return value;
        }
    }
    return std::string();
}

std::uint16_t GetUserDefaultLanguageId() {
    return LanguageIdFromLocale(GetMessagesLocale());
}

std::string GetLanguageEnglishName(std::uint16_t langId) {
    const std::uint16_t primary = langId & 0x3FF;
    for (const LanguageCode& entry : kLanguages) {
        if (entry.primary == primary) {
            return entry.englishName;
        }
    }
    return "English";
}

}  // namespace platform
