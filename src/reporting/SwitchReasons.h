// Why the fallback mirror took over from the mirrors the download used, as
// the result report words it, and how much each used mirror delivered.
#pragma once

#include <string>
#include <vector>

#include "reporting/ReportRecords.h"

// The report's word for a fallback kind: "repair", "timeOut", "fail",
// "success_new"; empty for any other kind.
std::string FallbackReasonWord(std::int32_t kind);

// For each used mirror of the outcome, walks the fallback uses in order and,
// for those from the mirror's host, sets the outcome's flag of that kind and
// appends the word and "," to the mirror's switch reason unless the reason
// already holds the word. Each used mirror's kilobytes are those of the first
// share with its host, else 0.
void ApplyFallbackUses(DownloadOutcome& outcome, const std::vector<FallbackUse>& uses,
                       const std::vector<MirrorShare>& shares);
