// The developer configuration: an optional INI file "VekDebugConfig.ini" in
// the user's Documents folder, section "root", integer keys. Nobody creates
// or writes it; without it every key takes its default.
#pragma once

#include <string>

inline constexpr const char* kDeveloperConfigFileName = "VekDebugConfig.ini";
inline constexpr const char* kDeveloperConfigSection = "root";
inline constexpr const char* kConfigShowInfoView = "show_info_view";
inline constexpr const char* kConfigTestMode = "setup_test_mode";
inline constexpr const char* kConfigTestLanguage = "setup_test_language";

std::string DeveloperConfigPath();
bool DeveloperConfigExists();
int ReadDeveloperConfigInt(const std::string& key, int defaultValue);

// Test mode: setup_test_mode exactly 1. The file is read on each call until
// the answer is once true; from then on it stays true without reading.
bool IsTestMode();
