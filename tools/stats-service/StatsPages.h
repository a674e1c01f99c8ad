// The service's read-only web pages: the list of stored reports and one
// report with its members and attached log. Every text that came from a
// report is HTML-escaped: reports are written by whoever posts them.
#pragma once

#include <string>
#include <vector>

#include "ReportStore.h"

std::string EscapeHtml(const std::string& text);

// The list, newest first: id, received time, endpoint, install status, the
// report's local time, language, average download speed and mirrors used.
std::string RenderReportList(const std::vector<StoredReport>& reports);

// One report: its facts, its members in order, the JSON laid out, the log.
std::string RenderReportPage(const StoredReport& report);

std::string RenderNotFoundPage();
