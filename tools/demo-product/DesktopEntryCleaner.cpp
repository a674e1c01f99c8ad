#include "DesktopEntryCleaner.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <vector>

namespace {

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Undoes the escapes of a desktop entry's string value.
std::string UnescapeValue(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        default: out += value[i]; break;
        }
    }
    return out;
}

}  // namespace

DesktopEntryCleaner::DesktopEntryCleaner(std::string installFolder) : installFolder_(std::move(installFolder)) {
    while (installFolder_.size() > 1 && installFolder_.back() == '/') {
        installFolder_.pop_back();
    }
}

std::string DesktopEntryCleaner::ExecProgram(const std::string& execValue) {
    const std::string exec = UnescapeValue(execValue);
    std::string program;
    std::size_t i = 0;
    if (!exec.empty() && exec[0] == '"') {
        for (i = 1; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) {
                ++i;
            }
            program += exec[i];
            if (exec[i] == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
                ++i;
            }
        }
    } else {
        for (; i < exec.size() && exec[i] != ' '; ++i) {
            program += exec[i];
            if (exec[i] == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
                ++i;
            }
        }
    }
    return program;
}

DesktopEntryCleaner::EntryKind DesktopEntryCleaner::Classify(const std::string& path) const {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("Exec=", 0) == 0) {
            const std::string program = ExecProgram(line.substr(5));
            return program.rfind(installFolder_ + "/", 0) == 0 ? EntryKind::OurProgram : EntryKind::Other;
        }
        if (line == "Type=Link") {
            return EntryKind::WebLink;
        }
    }
    return EntryKind::Other;
}

int DesktopEntryCleaner::CleanOne(const std::string& folder, bool productFolder) const {
    int removed = 0;
    std::vector<std::string> webLinks;
    for (const std::string& name : ListFolder(folder)) {
        if (!EndsWith(name, ".desktop")) {
            continue;
        }
        const std::string path = folder + "/" + name;
        switch (Classify(path)) {
        case EntryKind::OurProgram: removed += ::unlink(path.c_str()) == 0; break;
        case EntryKind::WebLink: webLinks.push_back(path); break;
        case EntryKind::Other: break;
        }
    }
    if (productFolder && removed > 0) {
        for (const std::string& path : webLinks) {
            removed += ::unlink(path.c_str()) == 0;
        }
        ::rmdir(folder.c_str());  // only succeeds when nothing else is left
    }
    return removed;
}

int DesktopEntryCleaner::Clean(const std::string& folder) const {
    if (installFolder_.empty() || folder.empty()) {
        return 0;
    }
    int removed = CleanOne(folder, false);
    for (const std::string& name : ListFolder(folder)) {
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            removed += CleanOne(path, true);
        }
    }
    return removed;
}
