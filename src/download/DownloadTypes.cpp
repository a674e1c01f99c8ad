#include "download/DownloadTypes.h"

#include <array>

std::string GetDownloadErrorName(std::int32_t code) {
    static constexpr std::array<const char*, 22> kNames = {
        "NoError",
        "NoNeedDownload",
        "NeedUpdateDownload",
        "ConfigDownloadError",
        "ConfigLoadError",
        "ConfigLoadVersionError",
        "ConfigLoadFileSizeError",
        "ConfigLoadUrlSizeError",
        "ConfigLoadUrlError",
        "ConfigLoadHashSizeError",
        "ConfigLoadHashError",
        "DownloadCheckUrlError",
        "DownloadMallocError",
        "DownloadUrlCountError",
        "DownloadExeError",
        "DispatchSuccessError",
        "DispatchFailError",
        "DispatchTimeoutError",
        "RepairSuccessError",
        "RepairFailError",
        "RepairTimeoutError",
        "CheckHashError",
    };
    if (code >= 0 && static_cast<std::size_t>(code) < kNames.size()) {
        return kNames[static_cast<std::size_t>(code)];
    }
    return std::to_string(code);
}

std::string GetItemStateName(ItemState state) {
    switch (state) {
        case ItemState::Runing:
            return "E_Status_Runing";
        case ItemState::StopByDispatch:
            return "E_Status_StopByDispatch";
        case ItemState::Fail:
            return "E_Status_Fail";
        case ItemState::Succeed:
            return "E_Status_Succeed";
        case ItemState::Replaced:
            return "E_Status_Replaced";
    }
    return std::to_string(static_cast<std::int32_t>(state));
}
