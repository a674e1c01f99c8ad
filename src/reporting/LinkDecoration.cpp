#include "reporting/LinkDecoration.h"

#include "reporting/Base64.h"
#include "system/TextUtil.h"

std::string DecorateLink(const std::string& link, const std::string& linkAddressText) {
    const std::string parameter = std::string(kMachineParameterName) + "=" + EncodeBase64(linkAddressText);
    if (link.find('?') != std::string::npos) return ReplaceAll(link, "?", "?" + parameter + "&");
    return link + "?" + parameter;
}
