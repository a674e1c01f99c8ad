#include "reporting/ReportReply.h"

#include "util/CJsonObject.h"

bool IsReportAccepted(const std::string& reply) {
    CJsonObject parsed;
    if (!parsed.Parse(reply) || parsed.IsEmpty()) return false;
    CJsonObject result;
    if (!parsed.Get("result", result) || result.IsEmpty()) return false;
    bool res = false;
    if (!result.Get("res", res)) return false;
    return res;
}
