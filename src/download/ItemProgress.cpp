#include "download/ItemProgress.h"

#include <curl/curl.h>

#include <algorithm>

std::size_t ItemProgress::Claim(DownloadItem& item, std::size_t offered, std::int64_t& offset) {
    const std::int64_t room = item.end - item.current + 1;
    if (item.state != ItemState::Runing || room <= 0) {
        return 0;
    }
    const auto claimed = static_cast<std::size_t>(std::min<std::int64_t>(room, static_cast<std::int64_t>(offered)));
    offset = item.current;
    item.current += static_cast<std::int64_t>(claimed);
    return claimed;
}

void ItemProgress::RecordChunk(DownloadItem& item, std::size_t bytes, std::uint32_t now) {
    if (now != item.lastDataTick) {
        item.speed = static_cast<std::uint32_t>(bytes) * 1000u / (now - item.lastDataTick);
    }
    item.lastDataTick = now;
}

void ItemProgress::Settle(DownloadItem& item, std::int32_t result, std::uint32_t now) {
    item.result = result;
    item.endTick = now;
    item.hasTransfer = false;
    if (item.state != ItemState::Runing) {
        return;
    }
    if (result == CURLE_OK && item.current <= item.end) {
        item.result = CURLE_PARTIAL_FILE;
    }
    item.state = item.result == CURLE_OK ? ItemState::Succeed : ItemState::Fail;
}
