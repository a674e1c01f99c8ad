#include "app/product/ProductConstants.h"

#include "BuildConfig.h"

namespace product {

std::string ProductDataFolder() {
    const std::string family = kFamilyWord;
    return family.empty() ? std::string(kShortName) : family + "/" + kShortName;
}

std::string WebSiteHost() {
    return build_config::kWebSiteHost;
}

std::string ThankYouPageAddress(bool downloadMode) {
    return "https://" + WebSiteHost() + "/thankyou.htm" +
           (downloadMode ? "?ad=video_client_thankyou&s=video_client&downloadmode=1&v="
                         : "?ad=video_client_thankyou&s=video_client&v=");
}

std::string CompanionThankYouAddress(int /*index*/) {
    return std::string();
}

std::string HomePageAddress() {
    return "https://" + WebSiteHost() + "/?s=video_client&ad=video_client&v=";
}

std::string LicenceAgreementAddress() {
    return "http://" + WebSiteHost() + "/mirvak-user-license-agreement.htm?ad=video_client&s=video_client&v=";
}

std::string ExperienceProgrammeAddress() {
    return "http://" + WebSiteHost() + "/u-experience.htm?ad=video_client&s=video_client&v=";
}

std::string JsonReportEndpoint() {
    return std::string("https://") + build_config::kStatisticsHost + "/api/common_json_post/";
}

std::string LogUploadEndpoint() {
    return std::string("http://") + build_config::kStatisticsUploadHost + "/api/common_post/";
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    if (text.empty()) {
        return items;
    }
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string::npos; comma = text.find(',', start)) {
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    items.push_back(text.substr(start));
    return items;
}

}  // namespace product
