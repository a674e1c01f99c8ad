#include "StoredReports.h"

#include <sqlite3.h>

namespace {

std::string ColumnText(sqlite3_stmt* row, int column) {
    const auto* text = static_cast<const char*>(sqlite3_column_blob(row, column));
    return text != nullptr ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(row, column)))
                           : std::string();
}

}  // namespace

std::vector<StoredRow> ReadStoredReports(const std::string& databasePath) {
    std::vector<StoredRow> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(databasePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT id, endpoint, install_status, uuid, json, upload_type, log_name, log"
                           " FROM reports ORDER BY id",
                           -1, &query, nullptr) == SQLITE_OK) {
        while (sqlite3_step(query) == SQLITE_ROW) {
            StoredRow row;
            row.id = sqlite3_column_int64(query, 0);
            row.endpoint = ColumnText(query, 1);
            row.installStatus = ColumnText(query, 2);
            row.uuid = ColumnText(query, 3);
            row.json = ColumnText(query, 4);
            row.uploadType = ColumnText(query, 5);
            row.logName = ColumnText(query, 6);
            if (sqlite3_column_type(query, 7) != SQLITE_NULL) row.log = ColumnText(query, 7);
            rows.push_back(std::move(row));
        }
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return rows;
}

std::unique_ptr<JsonNode> ParseReportJson(const std::string& json) {
    std::size_t errorOffset = 0;
    std::unique_ptr<JsonNode> node = ParseJson(json, kMaxJsonDepth, errorOffset);
    return node && node->type == JsonType::Object ? std::move(node) : nullptr;
}

std::vector<std::string> MemberKeys(const JsonNode& object) {
    std::vector<std::string> keys;
    for (const auto& member : object.children) keys.push_back(member->key);
    return keys;
}
