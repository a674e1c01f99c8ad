#include "reporting/MirrorListJson.h"

#include <cstdint>

namespace {

// Byte counts go into the report as whole kilobytes, truncated toward zero,
// so an unknown size (-1) shows as 0.
std::int64_t Kilobytes(std::int64_t bytes) {
    return bytes / 1024;
}

std::int32_t Bit(bool flag) {
    return flag ? 1 : 0;
}

CJsonObject MirrorObject(const MirrorReport& mirror) {
    CJsonObject object;
    object.Add("invalid", Bit(mirror.usable));
    object.Add("domain", mirror.host);
    object.Add("ping_time", mirror.pingTime);
    object.Add("ping", Bit(mirror.pingAnswered));
    object.Add("is_full", Bit(mirror.networkNotFull));
    object.Add("cfg_file_size_kb", Kilobytes(mirror.expectedSize));
    object.Add("web_file_size_kb", Kilobytes(mirror.reportedSize));
    return object;
}

// The common head of both text items. is_full here is 1 when the
// network-not-full flag is clear: the opposite of the "is_full" member, which
// is what the service has always been sent.
std::string TextItemHead(const MirrorReport& mirror) {
    return "(domain-" + mirror.host + ",invalid-" + std::to_string(Bit(mirror.usable)) +
           ",ping_time-" + std::to_string(mirror.pingTime) + ",ping-" + std::to_string(Bit(mirror.pingAnswered)) +
           ",is_full-" + std::to_string(Bit(!mirror.networkNotFull));
}

}  // namespace

MirrorListJson BuildAllMirrorsJson(const std::vector<MirrorReport>& mirrors) {
    MirrorListJson list;
    for (const MirrorReport& mirror : mirrors) {
        list.array.Add(MirrorObject(mirror));
        list.text += TextItemHead(mirror) + ")";
    }
    return list;
}

MirrorListJson BuildUsedMirrorsJson(const std::vector<MirrorReport>& mirrors) {
    MirrorListJson list;
    for (const MirrorReport& mirror : mirrors) {
        const bool switched = !mirror.switchReason.empty();
        CJsonObject object = MirrorObject(mirror);
        object.Add("download_file_size_kb", mirror.kilobytesFetched);
        object.Add("switch_amazon", switched ? "true" : "false");
        object.Add("switch_amazon_reason", mirror.switchReason);
        list.array.Add(object);
        // download_size is 1 when the mirror delivered nothing.
        list.text += TextItemHead(mirror) + ",download_size-" + std::to_string(Bit(mirror.kilobytesFetched == 0)) +
                     "switch_amazon-" + std::to_string(Bit(switched)) +
                     ",switch_amazon_reason-" + mirror.switchReason + ")";
    }
    return list;
}
