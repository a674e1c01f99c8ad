#include "reporting/ReporterSetup.h"

#include "BuildConfig.h"
#include "app/i18n/UITexts.h"
#include "app/product/IProductInfo.h"
#include "app/product/ProductConstants.h"
#include "platform/Locale.h"
#include "reporting/LinkDecoration.h"
#include "system/MachineIdentity.h"
#include "system/SystemInfo.h"

UsageReporterSettings MakeInstallerReporterSettings(const std::string& uuid, const std::string& option,
                                                    const std::string& source, const std::string& appVersion,
                                                    const std::string& logPath) {
    UsageReporterSettings settings;
    settings.jsonEndpoint = product::JsonReportEndpoint();
    settings.uploadEndpoint = product::LogUploadEndpoint();
    settings.identity.uuid = uuid;
    settings.identity.adapterAddresses = GetAdapterAddressList();
    settings.identity.systemLanguage = platform::GetLanguageEnglishName(platform::GetUserDefaultLanguageId());
    settings.identity.linkAddressText = GetLinkAddressText();
    const IProductInfo& productInfo = *GetProductInfo();
    settings.appId = productInfo.GetDisplayName();
    settings.option = option;
    settings.source = source;
    settings.appVersion = appVersion;
    settings.productIs64 = productInfo.IsX64();
    settings.systemIs64 = IsWindows64();
    settings.logPath = logPath;
    settings.interfaceLanguage = GetLanguageName();
    settings.transport.caBundle = build_config::kCaBundle;
    return settings;
}

std::string DecorateLinkForThisMachine(const std::string& link) {
    return DecorateLink(link, GetLinkAddressText());
}
