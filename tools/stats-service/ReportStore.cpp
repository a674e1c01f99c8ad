#include "ReportStore.h"

#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS reports ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " received TEXT NOT NULL,"
    " endpoint TEXT NOT NULL,"
    " install_status TEXT NOT NULL,"
    " uuid TEXT NOT NULL,"
    " json TEXT NOT NULL,"
    " upload_type TEXT NOT NULL DEFAULT '',"
    " log_name TEXT NOT NULL DEFAULT '',"
    " log BLOB)";

// Waits out a reader in another process (a person looking at the file).
constexpr int kBusyTimeoutMs = 5000;

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) statement_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return statement_ != nullptr; }
    sqlite3_stmt* get() const { return statement_; }

    void BindText(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return text != nullptr ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                               : std::string();
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

StoredReport ReadSummary(const Statement& row) {
    StoredReport report;
    report.id = sqlite3_column_int64(row.get(), 0);
    report.received = row.Text(1);
    report.endpoint = row.Text(2);
    report.installStatus = row.Text(3);
    report.uuid = row.Text(4);
    report.json = row.Text(5);
    report.uploadType = row.Text(6);
    report.logName = row.Text(7);
    return report;
}

}  // namespace

ReportStore::~ReportStore() {
    sqlite3_close(db_);
}

bool ReportStore::Open(const std::string& path, std::string& error) {
    std::lock_guard lock(mutex_);
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        error = "cannot open " + path + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    char* message = nullptr;
    if (sqlite3_exec(db_, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
        error = std::string("cannot create the reports table: ") + (message != nullptr ? message : "");
        sqlite3_free(message);
        return false;
    }
    return true;
}

std::int64_t ReportStore::Add(const StoredReport& report) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) return 0;
    Statement insert(db_,
                     "INSERT INTO reports (received, endpoint, install_status, uuid, json, upload_type, log_name, log)"
                     " VALUES (strftime('%Y-%m-%d %H:%M:%S','now'), ?, ?, ?, ?, ?, ?, ?)");
    if (!insert.ok()) return 0;
    insert.BindText(1, report.endpoint);
    insert.BindText(2, report.installStatus);
    insert.BindText(3, report.uuid);
    insert.BindText(4, report.json);
    insert.BindText(5, report.uploadType);
    insert.BindText(6, report.logName);
    if (report.log) {
        sqlite3_bind_blob64(insert.get(), 7, report.log->data(), report.log->size(), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_null(insert.get(), 7);
    }
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        std::fprintf(stderr, "mss-stats: cannot store a report: %s\n", sqlite3_errmsg(db_));
        return 0;
    }
    return sqlite3_last_insert_rowid(db_);
}

std::vector<StoredReport> ReportStore::List(int limit) {
    std::lock_guard lock(mutex_);
    std::vector<StoredReport> reports;
    if (db_ == nullptr) return reports;
    Statement query(db_,
                    "SELECT id, received, endpoint, install_status, uuid, json, upload_type, log_name"
                    " FROM reports ORDER BY id DESC LIMIT ?");
    if (!query.ok()) return reports;
    sqlite3_bind_int(query.get(), 1, limit);
    while (sqlite3_step(query.get()) == SQLITE_ROW) reports.push_back(ReadSummary(query));
    return reports;
}

std::optional<StoredReport> ReportStore::Get(std::int64_t id) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) return std::nullopt;
    Statement query(db_,
                    "SELECT id, received, endpoint, install_status, uuid, json, upload_type, log_name, log"
                    " FROM reports WHERE id = ?");
    if (!query.ok()) return std::nullopt;
    sqlite3_bind_int64(query.get(), 1, id);
    if (sqlite3_step(query.get()) != SQLITE_ROW) return std::nullopt;
    StoredReport report = ReadSummary(query);
    if (sqlite3_column_type(query.get(), 8) != SQLITE_NULL) {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(query.get(), 8));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(query.get(), 8));
        report.log = data != nullptr ? std::string(data, size) : std::string();
    }
    return report;
}
