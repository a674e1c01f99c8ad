// The registry of this installer: keys holding named values of two types
// (text and 32-bit number), kept in an SQLite file per root. The machine root
// lives in a system-wide file, the user root in the user's data folder. Each
// root has two views, the 32-bit and the 64-bit one, which are separate
// subtrees, as on a 64-bit system where 32-bit programs see their own branch.
//
// Key and value names are compared ignoring ASCII letter case and keep the
// case they were created with. Every change is one transaction, so a crash
// leaves each value either as it was or as it was written, and a second
// process waits for the first one's write instead of failing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace platform {

// Result numbers of registry operations. They follow the registry's own error
// numbers so that log lines and callers read the same as on the original
// system.
using RegResult = long;
inline constexpr RegResult kRegSuccess = 0;
inline constexpr RegResult kRegNotFound = 2;          // key or value missing
inline constexpr RegResult kRegAccessDenied = 5;      // write through a read-only handle
inline constexpr RegResult kRegInvalidHandle = 6;     // the handle is closed
inline constexpr RegResult kRegInvalidParameter = 87; // bad key or value name
inline constexpr RegResult kRegMoreData = 234;        // the caller's buffer is too small
inline constexpr RegResult kRegBadStore = 1009;       // the store file cannot be used
inline constexpr RegResult kRegKeyDeleted = 1018;     // the open key was deleted meanwhile
inline constexpr RegResult kRegUnsupportedType = 1630;

enum class RegistryRoot { kLocalMachine, kCurrentUser };
enum class RegistryView { k32, k64 };

// Access masks with the registry's own numbers; the two view bits choose the
// subtree, any other bit only decides between reading and writing.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

// The view an access mask asks for; without a view bit the installer's own,
// the 32-bit one (it is modelled as a 32-bit program on a 64-bit system).
RegistryView ViewFromAccess(std::uint32_t access);
// Whether an access mask allows changing values.
bool AccessAllowsWrite(std::uint32_t access);

enum class RegType : std::uint32_t { kSz = 1, kDword = 4 };

struct RegValue {
    std::string name;
    RegType type = RegType::kSz;
    std::string text;          // kSz
    std::uint32_t number = 0;  // kDword
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* RootName(RegistryRoot root);

// The store file of a root: the machine store under /var/lib (root prefix
// applied) when the process runs as root, else in the user's data folder; the
// user store always in the user's data folder. Empty when the user's data
// folder is unknown.
std::string RegistryStorePath(RegistryRoot root);

using RegKeyId = std::int64_t;

// One connection to one store file. A connection is used by one thread at a
// time; several connections, in this process or others, may share a file.
class RegistryStore {
public:
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // Opens the store file of a root, creating the file and its folder.
    static RegResult OpenRoot(RegistryRoot root, std::unique_ptr<RegistryStore>& out);
    // Opens (creating when missing) the store at a path.
    static RegResult OpenFile(const std::string& path, std::unique_ptr<RegistryStore>& out);

    // Key paths are relative to the root, components separated by "\"; leading
    // and trailing separators are ignored, empty components are invalid. The
    // empty path is the view's root key.
    RegResult CreateKey(RegistryView view, const std::string& path, RegKeyId& key);
    RegResult OpenKey(RegistryView view, const std::string& path, RegKeyId& key);
    // Deletes the key with all its sub-keys and values; the root key keeps
    // itself and loses everything below.
    RegResult DeleteKeyTree(RegistryView view, const std::string& path);

    RegResult QueryValue(RegKeyId key, const std::string& name, RegValue& value);
    RegResult SetValue(RegKeyId key, const RegValue& value);
    RegResult DeleteValue(RegKeyId key, const std::string& name);
    // Values in the order they were first written.
    RegResult ListValues(RegKeyId key, std::vector<RegValue>& values);
    // Names of the direct sub-keys, sorted ignoring case.
    RegResult ListSubKeys(RegKeyId key, std::vector<std::string>& names);
    // The key's path as its components were first created ("" for the root).
    RegResult GetKeyPath(RegKeyId key, std::string& path);

private:
    explicit RegistryStore(sqlite3* db);

    RegResult FindKey(RegistryView view, const std::string& path, bool create, RegKeyId& key);
    RegResult KeyExists(RegKeyId key);

    sqlite3* db_;  // owned; closed by the destructor
};

}  // namespace platform
