#include "platform/NetworkAdapters.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>

namespace platform {
namespace {

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The base name of the bus the adapter's device hangs on ("pci", "usb", ...).
std::string DeviceBus(const std::string& adapterFolder) {
    char target[4096];
    const ssize_t length = ::readlink((adapterFolder + "/device/subsystem").c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return std::string();
    }
    std::string path(target, static_cast<std::size_t>(length));
    while (!path.empty() && path.back() == '/') path.pop_back();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ParseHardwareAddress(const std::string& text, std::vector<std::uint8_t>& address) {
    address.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + 2 > text.size()) return false;
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        address.push_back(static_cast<std::uint8_t>(high * 16 + low));
        i += 2;
        if (i < text.size()) {
            if (text[i] != ':' || i + 1 == text.size()) return false;
            ++i;
        }
    }
    return !address.empty();
}

bool EnumerateNetworkAdapters(const std::string& netFolder, std::vector<NetworkAdapter>& adapters) {
    adapters.clear();
    DIR* folder = ::opendir(netFolder.c_str());
    if (folder == nullptr) {
        return false;
    }
    struct Listed {
        long index;
        NetworkAdapter adapter;
    };
    std::vector<Listed> listed;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.empty() || name.front() == '.') {
            continue;
        }
        const std::string adapterFolder = netFolder + "/" + name;
        if (!IsFolder(adapterFolder)) {
            continue;
        }
        NetworkAdapter adapter;
        adapter.name = name;
        if (!ParseHardwareAddress(ReadFirstLine(adapterFolder + "/address"), adapter.address) ||
            std::all_of(adapter.address.begin(), adapter.address.end(), [](std::uint8_t b) { return b == 0; })) {
            continue;
        }
        adapter.hasDevice = IsFolder(adapterFolder + "/device");
        adapter.onPciBus = adapter.hasDevice && DeviceBus(adapterFolder) == "pci";
        // An adapter without a readable index goes after the indexed ones.
        long index = std::numeric_limits<long>::max();
        const std::string indexText = ReadFirstLine(adapterFolder + "/ifindex");
        std::from_chars(indexText.data(), indexText.data() + indexText.size(), index);
        listed.push_back({index, std::move(adapter)});
    }
    ::closedir(folder);
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        return a.index != b.index ? a.index < b.index : a.adapter.name < b.adapter.name;
    });
    for (Listed& item : listed) {
        adapters.push_back(std::move(item.adapter));
    }
    return !adapters.empty();
}

}  // namespace platform
