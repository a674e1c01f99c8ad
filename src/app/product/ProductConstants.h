// Fixed facts about the product: names, file names, registry names and web
// addresses. Nothing else in the installer spells a product name.
#pragma once

#include <string>
#include <vector>

namespace product {

inline constexpr const char* kProductGuid = "{0A3F6C21-58D4-4E9B-B7A2-19E0C4D85F36}";
inline constexpr const char* kPackageBaseName = "MirvakSeracStudio";
inline constexpr const char* kDisplayName = "Mirvak Serac Studio";
inline constexpr const char* kFamilyWord = "Mirvak";
inline constexpr const char* kShortName = "Serac Studio";
inline constexpr const char* kProductVersion = "1.0.0.0";
inline constexpr const char* kPublisher = "Copyright (C) Mirvak. All rights reserved.";
// The product's main program, the same for both architectures.
inline constexpr const char* kMainProgramFileName = "Mirvak Serac Studio.exe";
// Key "Software\<registry name>\<display name>".
inline constexpr const char* kProductRegistryName = "Mirvak Serac Studio";
// 2 would add " (x64)" to the registry key names of 64-bit products.
inline constexpr int kPackageKind = 1;
// Only Windows 10 and later pass the system check.
inline constexpr unsigned kSupportedWindowsMask = 0x20;
// Number of 100 ms polls while the product's own set-up run is awaited.
inline constexpr int kProductRunPollLimit = 1800;
// Empty: the companion-product variant of the thank-you page is off.
inline constexpr const char* kCompanionProductKeyName = "";

inline constexpr const char* kProductProcessList =
    "Mirvak Serac Studio.exe,VekRepair.exe,VekProcess.exe,VekReport.exe,VekRegOp.exe,"
    "VekCheck.exe,VekCore.exe,VekCopy.exe,FileOp.exe";
inline constexpr const char* kUpdaterProcessList = "LiveUpdate.exe";

// The family word, "/" and the short name (the short name alone without a
// family word): the product's folder under Documents, Downloads and the
// application data.
std::string ProductDataFolder();

// The maker's web site host (build configuration).
std::string WebSiteHost();

// Web pages; the caller appends the product version.
std::string ThankYouPageAddress(bool downloadMode);
// The companion's thank-you pages, by index 0 to 3 (all empty in this product).
std::string CompanionThankYouAddress(int index);
std::string HomePageAddress();
std::string LicenceAgreementAddress();
std::string ExperienceProgrammeAddress();

// The statistics service's endpoints.
std::string JsonReportEndpoint();
std::string LogUploadEndpoint();

// A comma-separated list split at every ",", the pieces taken unchanged; an
// empty text gives an empty list.
std::vector<std::string> SplitList(const std::string& text);

}  // namespace product
