#include "platform/RegistryStore.h"

#include <sqlite3.h>

#include <filesystem>

#include "platform/Environment.h"
#include "platform/Folders.h"

namespace platform {
namespace {

constexpr const char* kStoreFolderName = "mirvak-registry";
// A second process writing the same store holds its lock for milliseconds;
// waiting this long covers a slow disk without letting a stuck writer hang us.
constexpr int kBusyTimeoutMs = 10000;
// The longest key name component the registry accepts.
constexpr std::size_t kMaxKeyNameLength = 255;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  id INTEGER PRIMARY KEY,"
    "  view INTEGER NOT NULL,"
    "  parent INTEGER NOT NULL,"  // 0 for the root key of a view
    "  name TEXT NOT NULL,"
    "  fold TEXT NOT NULL,"
    "  UNIQUE(view, parent, fold));"
    "CREATE TABLE IF NOT EXISTS vals("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  fold TEXT NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  text BLOB,"
    "  number INTEGER,"
    "  UNIQUE(key, fold));"
    "INSERT OR IGNORE INTO keys(view, parent, name, fold) VALUES(32, 0, '', ''), (64, 0, '', '');";

int ViewNumber(RegistryView view) {
    return view == RegistryView::k64 ? 64 : 32;
}

std::string Fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Splits a key path at "\"; false for an empty or overlong component.
bool SplitKeyPath(const std::string& path, std::vector<std::string>& parts) {
    std::size_t begin = 0;
    std::size_t end = path.size();
    while (begin < end && path[begin] == '\\') ++begin;
    while (end > begin && path[end - 1] == '\\') --end;
    parts.clear();
    if (begin == end) {
        return true;
    }
    while (true) {
        const std::size_t slash = path.find('\\', begin);
        const std::size_t stop = (slash == std::string::npos || slash > end) ? end : slash;
        if (stop == begin || stop - begin > kMaxKeyNameLength) {
            return false;
        }
        parts.push_back(path.substr(begin, stop - begin));
        if (stop == end) {
            return true;
        }
        begin = stop + 1;
    }
}

// A prepared statement, finalised when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            stmt_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
    void Bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void BindBlob(int index, const std::string& bytes) {
        sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    std::int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) {
        const void* bytes = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return bytes ? std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size))
                     : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// A write transaction. BEGIN IMMEDIATE takes the write lock at once, so a
// concurrent writer waits in the busy handler instead of failing later when
// a read lock would have to be upgraded. Rolled back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : db_(db) {
        began_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteTransaction() {
        if (began_ && !committed_) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool began() const { return began_; }
    bool Commit() {
        committed_ = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        return committed_;
    }

private:
    sqlite3* db_;
    bool began_ = false;
    bool committed_ = false;
};

}  // namespace

RegistryView ViewFromAccess(std::uint32_t access) {
    return (access & kKeyWow64_64Key) ? RegistryView::k64 : RegistryView::k32;
}

bool AccessAllowsWrite(std::uint32_t access) {
    return (access & (kKeySetValue | kKeyCreateSubKey)) != 0;
}

const char* RootName(RegistryRoot root) {
    return root == RegistryRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string RegistryStorePath(RegistryRoot root) {
    if (root == RegistryRoot::kLocalMachine && IsRoot()) {
        return UnderRootPrefix("/var/lib/") + kStoreFolderName + "/machine.db";
    }
    const std::string data = GetDataHomeFolder();
    if (data.empty()) {
        return std::string();
    }
    return data + "/" + kStoreFolderName + (root == RegistryRoot::kLocalMachine ? "/machine.db" : "/user.db");
}

RegistryStore::RegistryStore(sqlite3* db) : db_(db) {}

RegistryStore::~RegistryStore() {
    sqlite3_close(db_);
}

RegResult RegistryStore::OpenRoot(RegistryRoot root, std::unique_ptr<RegistryStore>& out) {
    const std::string path = RegistryStorePath(root);
    if (path.empty()) {
        return kRegBadStore;
    }
    return OpenFile(path, out);
}

RegResult RegistryStore::OpenFile(const std::string& path, std::unique_ptr<RegistryStore>& out) {
    out.reset();
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);

    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        // A store we may read but not write (another user's machine store).
        sqlite3_close(db);
        db = nullptr;
        rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    }
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return kRegBadStore;
    }
    std::unique_ptr<RegistryStore> store(new RegistryStore(db));
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Full sync: a committed value survives a power cut, not only a crash.
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);

    if (!sqlite3_db_readonly(db, "main")) {
        WriteTransaction transaction(db);
        if (!transaction.began() || sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
            !transaction.Commit()) {
            return kRegBadStore;
        }
    }
    out = std::move(store);
    return kRegSuccess;
}

RegResult RegistryStore::FindKey(RegistryView view, const std::string& path, bool create, RegKeyId& key) {
    std::vector<std::string> parts;
    if (!SplitKeyPath(path, parts)) {
        return kRegInvalidParameter;
    }
    Statement root(db_, "SELECT id FROM keys WHERE view = ?1 AND parent = 0 AND fold = ''");
    root.Bind(1, ViewNumber(view));
    if (root.Step() != SQLITE_ROW) {
        return kRegBadStore;
    }
    RegKeyId current = root.Int(0);
    for (const std::string& part : parts) {
        Statement find(db_, "SELECT id FROM keys WHERE view = ?1 AND parent = ?2 AND fold = ?3");
        find.Bind(1, ViewNumber(view));
        find.Bind(2, current);
        find.Bind(3, Fold(part));
        const int rc = find.Step();
        if (rc == SQLITE_ROW) {
            current = find.Int(0);
            continue;
        }
        if (rc != SQLITE_DONE) {
            return kRegBadStore;
        }
        if (!create) {
            return kRegNotFound;
        }
        Statement insert(db_, "INSERT INTO keys(view, parent, name, fold) VALUES(?1, ?2, ?3, ?4)");
        insert.Bind(1, ViewNumber(view));
        insert.Bind(2, current);
        insert.Bind(3, part);
        insert.Bind(4, Fold(part));
        if (insert.Step() != SQLITE_DONE) {
            return kRegBadStore;
        }
        current = sqlite3_last_insert_rowid(db_);
    }
    key = current;
    return kRegSuccess;
}

RegResult RegistryStore::KeyExists(RegKeyId key) {
    Statement find(db_, "SELECT 1 FROM keys WHERE id = ?1");
    find.Bind(1, key);
    const int rc = find.Step();
    if (rc == SQLITE_ROW) return kRegSuccess;
    return rc == SQLITE_DONE ? kRegKeyDeleted : kRegBadStore;
}

RegResult RegistryStore::CreateKey(RegistryView view, const std::string& path, RegKeyId& key) {
    WriteTransaction transaction(db_);
    if (!transaction.began()) {
        return kRegBadStore;
    }
    RegKeyId found = 0;
    const RegResult result = FindKey(view, path, true, found);
    if (result != kRegSuccess) {
        return result;
    }
    if (!transaction.Commit()) {
        return kRegBadStore;
    }
    key = found;
    return kRegSuccess;
}

RegResult RegistryStore::OpenKey(RegistryView view, const std::string& path, RegKeyId& key) {
    return FindKey(view, path, false, key);
}

RegResult RegistryStore::DeleteKeyTree(RegistryView view, const std::string& path) {
    WriteTransaction transaction(db_);
    if (!transaction.began()) {
        return kRegBadStore;
    }
    RegKeyId top = 0;
    const RegResult result = FindKey(view, path, false, top);
    if (result != kRegSuccess) {
        return result;
    }
    Statement values(db_,
                     "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
                     "SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) "
                     "DELETE FROM vals WHERE key IN tree");
    values.Bind(1, top);
    // The root key of a view stays; everything below it goes.
    Statement keys(db_,
                   "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
                   "SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) "
                   "DELETE FROM keys WHERE id IN tree AND parent != 0");
    keys.Bind(1, top);
    if (values.Step() != SQLITE_DONE || keys.Step() != SQLITE_DONE || !transaction.Commit()) {
        return kRegBadStore;
    }
    return kRegSuccess;
}

RegResult RegistryStore::QueryValue(RegKeyId key, const std::string& name, RegValue& value) {
    const RegResult exists = KeyExists(key);
    if (exists != kRegSuccess) {
        return exists;
    }
    Statement find(db_, "SELECT name, type, text, number FROM vals WHERE key = ?1 AND fold = ?2");
    find.Bind(1, key);
    find.Bind(2, Fold(name));
    const int rc = find.Step();
    if (rc == SQLITE_DONE) {
        return kRegNotFound;
    }
    if (rc != SQLITE_ROW) {
        return kRegBadStore;
    }
    value.name = find.Text(0);
    value.type = static_cast<RegType>(find.Int(1));
    value.text = find.Text(2);
    value.number = static_cast<std::uint32_t>(find.Int(3));
    return kRegSuccess;
}

RegResult RegistryStore::SetValue(RegKeyId key, const RegValue& value) {
    if (value.type != RegType::kSz && value.type != RegType::kDword) {
        return kRegUnsupportedType;
    }
    WriteTransaction transaction(db_);
    if (!transaction.began()) {
        return kRegBadStore;
    }
    // Checked inside the transaction: a key deleted by another process must
    // not receive a value that nothing could ever reach or remove.
    const RegResult exists = KeyExists(key);
    if (exists != kRegSuccess) {
        return exists;
    }
    Statement upsert(db_,
                     "INSERT INTO vals(key, name, fold, type, text, number) VALUES(?1, ?2, ?3, ?4, ?5, ?6) "
                     "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, text = excluded.text, "
                     "number = excluded.number");
    upsert.Bind(1, key);
    upsert.Bind(2, value.name);
    upsert.Bind(3, Fold(value.name));
    upsert.Bind(4, static_cast<std::int64_t>(value.type));
    upsert.BindBlob(5, value.type == RegType::kSz ? value.text : std::string());
    upsert.Bind(6, value.type == RegType::kDword ? static_cast<std::int64_t>(value.number) : 0);
    if (upsert.Step() != SQLITE_DONE || !transaction.Commit()) {
        return kRegBadStore;
    }
    return kRegSuccess;
}

RegResult RegistryStore::DeleteValue(RegKeyId key, const std::string& name) {
    WriteTransaction transaction(db_);
    if (!transaction.began()) {
        return kRegBadStore;
    }
    const RegResult exists = KeyExists(key);
    if (exists != kRegSuccess) {
        return exists;
    }
    Statement remove(db_, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    remove.Bind(1, key);
    remove.Bind(2, Fold(name));
    if (remove.Step() != SQLITE_DONE) {
        return kRegBadStore;
    }
    const bool removed = sqlite3_changes(db_) > 0;
    if (!transaction.Commit()) {
        return kRegBadStore;
    }
    return removed ? kRegSuccess : kRegNotFound;
}

RegResult RegistryStore::ListValues(RegKeyId key, std::vector<RegValue>& values) {
    values.clear();
    const RegResult exists = KeyExists(key);
    if (exists != kRegSuccess) {
        return exists;
    }
    Statement list(db_, "SELECT name, type, text, number FROM vals WHERE key = ?1 ORDER BY rowid");
    list.Bind(1, key);
    int rc = SQLITE_ROW;
    while ((rc = list.Step()) == SQLITE_ROW) {
        RegValue value;
        value.name = list.Text(0);
        value.type = static_cast<RegType>(list.Int(1));
        value.text = list.Text(2);
        value.number = static_cast<std::uint32_t>(list.Int(3));
        values.push_back(std::move(value));
    }
    return rc == SQLITE_DONE ? kRegSuccess : kRegBadStore;
}

RegResult RegistryStore::ListSubKeys(RegKeyId key, std::vector<std::string>& names) {
    names.clear();
    const RegResult exists = KeyExists(key);
    if (exists != kRegSuccess) {
        return exists;
    }
    Statement list(db_, "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold");
    list.Bind(1, key);
    int rc = SQLITE_ROW;
    while ((rc = list.Step()) == SQLITE_ROW) {
        names.push_back(list.Text(0));
    }
    return rc == SQLITE_DONE ? kRegSuccess : kRegBadStore;
}

RegResult RegistryStore::GetKeyPath(RegKeyId key, std::string& path) {
    std::string built;
    RegKeyId current = key;
    while (true) {
        Statement find(db_, "SELECT parent, name FROM keys WHERE id = ?1");
        find.Bind(1, current);
        const int rc = find.Step();
        if (rc != SQLITE_ROW) {
            return rc == SQLITE_DONE ? kRegKeyDeleted : kRegBadStore;
        }
        const RegKeyId parent = find.Int(0);
        if (parent == 0) {
            break;
        }
        const std::string name = find.Text(1);
        built = built.empty() ? name : name + "\\" + built;
        current = parent;
    }
    path = built;
    return kRegSuccess;
}

}  // namespace platform
