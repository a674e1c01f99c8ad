#include "reporting/SwitchReasons.h"

std::string FallbackReasonWord(std::int32_t kind) {
    switch (kind) {
    case 0: return "repair";
    case 1: return "timeOut";
    case 2: return "fail";
    case 3: return "success_new";
    default: return {};
    }
}

void ApplyFallbackUses(DownloadOutcome& outcome, const std::vector<FallbackUse>& uses,
                       const std::vector<MirrorShare>& shares) {
    for (MirrorReport& mirror : outcome.usedMirrors) {
        for (const FallbackUse& use : uses) {
            if (use.host != mirror.host) continue;
            const std::string word = FallbackReasonWord(use.kind);
            if (word.empty()) continue;
            switch (use.kind) {
            case 0: outcome.fallbackForRepair = true; break;
            case 1: outcome.fallbackForTimeout = true; break;
            case 2: outcome.fallbackForFail = true; break;
            default: outcome.fallbackForSplit = true; break;
            }
            if (mirror.switchReason.find(word) == std::string::npos) mirror.switchReason += word + ",";
        }
        mirror.kilobytesFetched = 0;
        for (const MirrorShare& share : shares) {
            if (share.host == mirror.host) {
                mirror.kilobytesFetched = share.kilobytes;
                break;
            }
        }
    }
}
