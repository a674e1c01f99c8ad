// Reads what the statistics service stored, straight from its database, and
// takes reports apart for the checks.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/JsonNode.h"

struct StoredRow {
    std::int64_t id = 0;
    std::string endpoint;
    std::string installStatus;
    std::string uuid;
    std::string json;
    std::string uploadType;
    std::string logName;
    std::optional<std::string> log;
};

// Every stored report in arrival order; empty when the database is absent.
std::vector<StoredRow> ReadStoredReports(const std::string& databasePath);

// The report's JSON parsed (null when it is not a JSON object).
std::unique_ptr<JsonNode> ParseReportJson(const std::string& json);

// The member keys of an object in order.
std::vector<std::string> MemberKeys(const JsonNode& object);
