#include "RegTool.h"

#include <charconv>
#include <cstdio>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>

#include "platform/RegistryStore.h"

namespace {

using platform::RegistryRoot;
using platform::RegistryStore;
using platform::RegistryView;
using platform::RegResult;
using platform::RegType;
using platform::RegValue;

constexpr const char* kUsage =
    "usage:\n"
    "  mss-reg query  \"<ROOT>\\<key>\" [/v <name>] [/s] [/reg:32|/reg:64]\n"
    "  mss-reg add    \"<ROOT>\\<key>\" [/v <name> /t REG_SZ|REG_DWORD /d <data>] [/f] [/reg:32|/reg:64]\n"
    "  mss-reg delete \"<ROOT>\\<key>\" [/v <name>] [/f] [/reg:32|/reg:64]\n"
    "  mss-reg export \"<ROOT>\\<key>\" [/reg:32|/reg:64]\n"
    "ROOT is HKLM or HKCU; the default view is the 32-bit one.\n";

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

struct Command {
    std::string verb;
    RegistryRoot root = RegistryRoot::kLocalMachine;
    std::string keyPath;  // below the root, without leading or trailing "\"
    std::optional<std::string> valueName;
    std::optional<std::string> type;
    std::optional<std::string> data;
    bool recursive = false;
    bool force = false;
    RegistryView view = RegistryView::k32;
};

bool ParseKey(const std::string& text, Command& command, std::string& error) {
    const std::size_t slash = text.find('\\');
    const std::string rootName = Upper(text.substr(0, slash));
    if (rootName == "HKLM" || rootName == "HKEY_LOCAL_MACHINE") {
        command.root = RegistryRoot::kLocalMachine;
    } else if (rootName == "HKCU" || rootName == "HKEY_CURRENT_USER") {
        command.root = RegistryRoot::kCurrentUser;
    } else {
        error = "unknown root key \"" + text.substr(0, slash) + "\" (use HKLM or HKCU)";
        return false;
    }
    std::string path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    command.keyPath = path;
    return true;
}

bool ParseCommand(const std::vector<std::string>& arguments, Command& command, std::string& error) {
    if (arguments.size() < 2) {
        error = "missing command or key";
        return false;
    }
    command.verb = Upper(arguments[0]);
    if (command.verb != "QUERY" && command.verb != "ADD" && command.verb != "DELETE" && command.verb != "EXPORT") {
        error = "unknown command \"" + arguments[0] + "\"";
        return false;
    }
    if (!ParseKey(arguments[1], command, error)) {
        return false;
    }
    for (std::size_t i = 2; i < arguments.size(); ++i) {
        const std::string option = Upper(arguments[i]);
        const auto next = [&](std::optional<std::string>& target) {
            if (i + 1 >= arguments.size()) {
                error = "option " + arguments[i] + " needs a value";
                return false;
            }
            target = arguments[++i];
            return true;
        };
        if (option == "/V") {
            if (!next(command.valueName)) return false;
        } else if (option == "/VE") {
            command.valueName = std::string();
        } else if (option == "/T") {
            if (!next(command.type)) return false;
        } else if (option == "/D") {
            if (!next(command.data)) return false;
        } else if (option == "/S") {
            command.recursive = true;
        } else if (option == "/F") {
            command.force = true;
        } else if (option == "/REG:32") {
            command.view = RegistryView::k32;
        } else if (option == "/REG:64") {
            command.view = RegistryView::k64;
        } else {
            error = "unknown option \"" + arguments[i] + "\"";
            return false;
        }
    }
    if ((command.type || command.data) && !command.valueName) {
        error = "/t and /d need /v";
        return false;
    }
    return true;
}

std::string FullKeyName(const Command& command, const std::string& path) {
    const std::string root = platform::RootName(command.root);
    return path.empty() ? root : root + "\\" + path;
}

std::string TypeName(RegType type) {
    return type == RegType::kDword ? "REG_DWORD" : "REG_SZ";
}

std::string HexNumber(std::uint32_t number, bool padded) {
    char text[16];
    if (padded) {
        std::snprintf(text, sizeof text, "%08x", number);
    } else {
        std::snprintf(text, sizeof text, "0x%x", number);
    }
    return text;
}

void PrintValue(std::ostream& out, const RegValue& value) {
    out << "    " << (value.name.empty() ? "(Default)" : value.name) << "    " << TypeName(value.type) << "    "
        << (value.type == RegType::kDword ? HexNumber(value.number, false) : value.text) << "\n";
}

std::string ErrorText(RegResult result) {
    switch (result) {
    case platform::kRegNotFound: return "the key or value was not found";
    case platform::kRegInvalidParameter: return "invalid key or value name";
    case platform::kRegBadStore: return "the registry store cannot be opened or written";
    case platform::kRegKeyDeleted: return "the key was deleted meanwhile";
    default: return "registry error " + std::to_string(result);
    }
}

bool Confirm(std::ostream& out, std::istream& in, const std::string& question) {
    out << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) {
        return false;
    }
    answer = Upper(answer);
    return answer == "Y" || answer == "YES";
}

class Runner {
public:
    Runner(const Command& command, RegistryStore& store, std::ostream& out, std::ostream& err, std::istream& in)
        : command_(command), store_(store), out_(out), err_(err), in_(in) {}

    int Run() {
        if (command_.verb == "QUERY") return Query();
        if (command_.verb == "ADD") return Add();
        if (command_.verb == "DELETE") return Delete();
        return Export();
    }

private:
    int Fail(const std::string& message) {
        err_ << "mss-reg: " << message << "\n";
        return 1;
    }

    int Query() {
        platform::RegKeyId key = 0;
        RegResult result = store_.OpenKey(command_.view, command_.keyPath, key);
        if (result != platform::kRegSuccess) {
            return Fail(FullKeyName(command_, command_.keyPath) + ": " + ErrorText(result));
        }
        if (command_.valueName) {
            RegValue value;
            result = store_.QueryValue(key, *command_.valueName, value);
            if (result != platform::kRegSuccess) {
                return Fail("value \"" + *command_.valueName + "\": " + ErrorText(result));
            }
            out_ << "\n" << FullKeyName(command_, command_.keyPath) << "\n";
            PrintValue(out_, value);
            return 0;
        }
        return QueryKey(key, command_.keyPath) ? 0 : 1;
    }

    // The key's values and sub-key names; a store failure is reported and gives false.
    bool ListKey(platform::RegKeyId key, const std::string& path, std::vector<RegValue>& values,
                 std::vector<std::string>& subKeys) {
        if (store_.ListValues(key, values) != platform::kRegSuccess ||
            store_.ListSubKeys(key, subKeys) != platform::kRegSuccess) {
            Fail(FullKeyName(command_, path) + ": " + ErrorText(platform::kRegBadStore));
            return false;
        }
        return true;
    }

    bool QueryKey(platform::RegKeyId key, const std::string& path) {
        std::vector<RegValue> values;
        std::vector<std::string> subKeys;
        if (!ListKey(key, path, values, subKeys)) {
            return false;
        }
        out_ << "\n" << FullKeyName(command_, path) << "\n";
        for (const RegValue& value : values) {
            PrintValue(out_, value);
        }
        for (const std::string& name : subKeys) {
            const std::string subPath = path.empty() ? name : path + "\\" + name;
            if (!command_.recursive) {
                out_ << "\n" << FullKeyName(command_, subPath);
                continue;
            }
            platform::RegKeyId sub = 0;
            if (store_.OpenKey(command_.view, subPath, sub) != platform::kRegSuccess || !QueryKey(sub, subPath)) {
                return false;
            }
        }
        if (!command_.recursive && !subKeys.empty()) {
            out_ << "\n";
        }
        return true;
    }

    bool ParseValue(RegValue& value) {
        value.name = *command_.valueName;
        const std::string type = Upper(command_.type.value_or("REG_SZ"));
        const std::string data = command_.data.value_or("");
        if (type == "REG_SZ") {
            value.type = RegType::kSz;
            value.text = data;
            return true;
        }
        if (type != "REG_DWORD") {
            Fail("unsupported type \"" + *command_.type + "\" (use REG_SZ or REG_DWORD)");
            return false;
        }
        value.type = RegType::kDword;
        // Decimal, 0x-hexadecimal, or negative decimal stored as its 32-bit pattern.
        const bool hex = data.size() > 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X');
        const char* begin = data.data() + (hex ? 2 : 0);
        const char* end = data.data() + data.size();
        std::int64_t number = 0;
        const auto [stop, ec] = std::from_chars(begin, end, number, hex ? 16 : 10);
        if (data.empty() || ec != std::errc() || stop != end || number < -2147483648LL || number > 0xFFFFFFFFLL) {
            Fail("\"" + data + "\" is not a 32-bit number");
            return false;
        }
        value.number = static_cast<std::uint32_t>(number);
        return true;
    }

    int Add() {
        RegValue value;
        if (command_.valueName && !ParseValue(value)) {
            return 1;
        }
        platform::RegKeyId key = 0;
        RegResult result = store_.CreateKey(command_.view, command_.keyPath, key);
        if (result != platform::kRegSuccess) {
            return Fail(FullKeyName(command_, command_.keyPath) + ": " + ErrorText(result));
        }
        if (!command_.valueName) {
            return 0;
        }
        RegValue existing;
        if (!command_.force && store_.QueryValue(key, value.name, existing) == platform::kRegSuccess &&
            !Confirm(out_, in_, "Value " + value.name + " exists, overwrite")) {
            return Fail("cancelled; the value was not changed");
        }
        result = store_.SetValue(key, value);
        return result == platform::kRegSuccess ? 0 : Fail("value \"" + value.name + "\": " + ErrorText(result));
    }

    int Delete() {
        const std::string name = FullKeyName(command_, command_.keyPath);
        if (!command_.valueName && command_.keyPath.empty()) {
            return Fail("a root key cannot be deleted");
        }
        platform::RegKeyId key = 0;
        RegResult result = store_.OpenKey(command_.view, command_.keyPath, key);
        if (result != platform::kRegSuccess) {
            return Fail(name + ": " + ErrorText(result));
        }
        const std::string question = command_.valueName ? "Delete the value " + *command_.valueName + " of " + name
                                                        : "Delete the key " + name + " with everything below it";
        if (!command_.force && !Confirm(out_, in_, question)) {
            return Fail("cancelled; nothing was deleted");
        }
        result = command_.valueName ? store_.DeleteValue(key, *command_.valueName)
                                    : store_.DeleteKeyTree(command_.view, command_.keyPath);
        return result == platform::kRegSuccess ? 0 : Fail(name + ": " + ErrorText(result));
    }

    static std::string Quoted(const std::string& text) {
        std::string out = "\"";
        for (const char c : text) {
            if (c == '\\' || c == '"') out += '\\';
            if (c == '\n') {
                out += "\\n";
                continue;
            }
            out += c;
        }
        return out + "\"";
    }

    bool ExportKey(platform::RegKeyId key, const std::string& path) {
        std::vector<RegValue> values;
        std::vector<std::string> subKeys;
        if (!ListKey(key, path, values, subKeys)) {
            return false;
        }
        out_ << "\n[" << FullKeyName(command_, path) << "]\n";
        for (const RegValue& value : values) {
            out_ << (value.name.empty() ? std::string("@") : Quoted(value.name)) << "=";
            if (value.type == RegType::kDword) {
                out_ << "dword:" << HexNumber(value.number, true) << "\n";
            } else {
                out_ << Quoted(value.text) << "\n";
            }
        }
        for (const std::string& name : subKeys) {
            const std::string subPath = path.empty() ? name : path + "\\" + name;
            platform::RegKeyId sub = 0;
            if (store_.OpenKey(command_.view, subPath, sub) != platform::kRegSuccess || !ExportKey(sub, subPath)) {
                return false;
            }
        }
        return true;
    }

    int Export() {
        platform::RegKeyId key = 0;
        const RegResult result = store_.OpenKey(command_.view, command_.keyPath, key);
        if (result != platform::kRegSuccess) {
            return Fail(FullKeyName(command_, command_.keyPath) + ": " + ErrorText(result));
        }
        out_ << "; mss-reg export, " << (command_.view == RegistryView::k64 ? "64" : "32") << "-bit view, store "
             << platform::RegistryStorePath(command_.root) << "\n";
        return ExportKey(key, command_.keyPath) ? 0 : 1;
    }

    const Command& command_;
    RegistryStore& store_;
    std::ostream& out_;
    std::ostream& err_;
    std::istream& in_;
};

}  // namespace

int RunRegTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, std::istream& in) {
    if (arguments.size() == 1 && (arguments[0] == "/?" || arguments[0] == "-h" || arguments[0] == "--help")) {
        out << kUsage;
        return 0;
    }
    Command command;
    std::string error;
    if (!ParseCommand(arguments, command, error)) {
        err << "mss-reg: " << error << "\n" << kUsage;
        return 1;
    }
    std::unique_ptr<RegistryStore> store;
    const RegResult result = RegistryStore::OpenRoot(command.root, store);
    if (result != platform::kRegSuccess) {
        err << "mss-reg: " << ErrorText(result) << " (" << platform::RegistryStorePath(command.root) << ")\n";
        return 1;
    }
    return Runner(command, *store, out, err, in).Run();
}
