// The user's language as a Windows-style language identifier (LANGID: primary
// language in the low 10 bits, sub-language in the upper 6), derived from the
// POSIX locale variables, so that the language tables are chosen by the same
// numbers on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::uint16_t kLangIdEnglishUs = 0x0409;

// The identifier of a locale name such as "de_DE.UTF-8", "zh_TW" or "ca_ES@valencia".
// "C", "POSIX", empty and unknown languages give English (United States).
std::uint16_t LanguageIdFromLocale(std::string_view locale);

// The locale of messages: the first non-empty of LC_ALL, LC_MESSAGES and LANG.
std::string GetMessagesLocale();

// LanguageIdFromLocale(GetMessagesLocale()).
std::uint16_t GetUserDefaultLanguageId();

// The English name of the identifier's primary language ("German"), or "English".
std::string GetLanguageEnglishName(std::uint16_t langId);

}  // namespace platform
