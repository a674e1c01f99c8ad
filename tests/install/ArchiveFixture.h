// Test archives made with libarchive's 7z writer, and a comparison of an
// extracted folder with the items that went into the archive.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>
#include <tuple>
#include <vector>

struct ArchiveItem {
    enum class Kind { File, Folder, Symlink };
    Kind kind = Kind::File;
    std::string name;     // stored as given, hostile names included
    std::string content;  // file content, or the link target
    mode_t mode = 0644;
    std::time_t mtime = 1600000000;
};

ArchiveItem FileItem(const std::string& name, const std::string& content, mode_t mode = 0644);
ArchiveItem FolderItem(const std::string& name);
ArchiveItem LinkItem(const std::string& name, const std::string& target);

// The compression names of libarchive's 7z writer: "store", "deflate",
// "bzip2", "lzma1", "lzma2", "ppmd".
bool Write7z(const std::string& path, const std::vector<ArchiveItem>& items, const std::string& compression);
std::string Make7z(const std::vector<ArchiveItem>& items, const std::string& compression);

// A product-like set of items: folders, an empty file, an empty folder,
// non-ASCII names, an executable, a link, compressible text and random bytes.
std::vector<ArchiveItem> SampleProductItems();

// Differences between the items and what lies below folder (content, mode
// bits for owner execute, modification time, link target, type); empty when
// everything matches.
std::vector<std::string> CompareExtracted(const std::string& folder, const std::vector<ArchiveItem>& items);

// Deterministic filler bytes.
std::string RandomBytes(std::size_t size, unsigned seed);
std::string TextBytes(std::size_t size);

// Records unpack events (kind, value, reserved) in order.
struct EventLog {
    std::vector<std::tuple<int, int, int>> events;
    auto Notify() {
        return [this](int kind, int value, int reserved) { events.emplace_back(kind, value, reserved); };
    }
    std::vector<int> ValuesOf(int kind) const {
        std::vector<int> values;
        for (const auto& [k, v, r] : events) {
            if (k == kind) values.push_back(v);
        }
        return values;
    }
};
