// The two mirror lists of the result report: each as a JSON array of mirror
// objects and as the text form the service also reads, both made in one walk
// over the list.
#pragma once

#include <string>
#include <vector>

#include "reporting/ReportRecords.h"
#include "util/CJsonObject.h"

struct MirrorListJson {
    CJsonObject array;  // a JSON array; empty when the list is empty
    std::string text;   // one "(...)" item per mirror, no separators
};

// All mirrors: invalid, domain, ping_time, ping, is_full, cfg_file_size_kb,
// web_file_size_kb; items "(domain-H,invalid-U,ping_time-T,ping-P,is_full-F)".
MirrorListJson BuildAllMirrorsJson(const std::vector<MirrorReport>& mirrors);

// Used mirrors: the same members, then download_file_size_kb, switch_amazon
// and switch_amazon_reason; the items add
// ",download_size-Z" "switch_amazon-S,switch_amazon_reason-R" (no comma
// between the two, as the service reads them).
MirrorListJson BuildUsedMirrorsJson(const std::vector<MirrorReport>& mirrors);
