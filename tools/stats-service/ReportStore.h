// The service's storage: every accepted report, one row each, in an SQLite
// database file. The HTTP servers call it from their worker threads; one
// connection serves them all under a lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

struct StoredReport {
    std::int64_t id = 0;
    std::string received;       // UTC, "YYYY-MM-DD HH:MM:SS"
    std::string endpoint;       // the path the report was posted to
    std::string installStatus;  // "install_status" of the JSON, empty when absent
    std::string uuid;           // "uuid" of the JSON, empty when absent
    std::string json;           // the json_data field as received
    std::string uploadType;     // the upload_type field (upload endpoint only)
    std::string logName;        // the attached file's name (upload endpoint only)
    std::optional<std::string> log;  // the attached file's content
};

class ReportStore {
public:
    ReportStore() = default;
    ~ReportStore();
    ReportStore(const ReportStore&) = delete;
    ReportStore& operator=(const ReportStore&) = delete;

    // Opens (creating when needed) the database file and its table.
    bool Open(const std::string& path, std::string& error);

    // Stores the report with the current time; the new row's id, or 0 on failure.
    std::int64_t Add(const StoredReport& report);
    // The newest reports first, at most limit of them, without their logs.
    std::vector<StoredReport> List(int limit);
    std::optional<StoredReport> Get(std::int64_t id);

private:
    std::mutex mutex_;  // one connection shared by the servers' threads
    sqlite3* db_ = nullptr;
};
