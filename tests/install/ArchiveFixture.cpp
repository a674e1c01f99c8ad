#include "ArchiveFixture.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <random>
#include <sstream>

#include "install/Utf8LocaleScope.h"
#include "support/TempDir.h"

ArchiveItem FileItem(const std::string& name, const std::string& content, mode_t mode) {
    ArchiveItem item;
    item.name = name;
    item.content = content;
    item.mode = mode;
    return item;
}

ArchiveItem FolderItem(const std::string& name) {
    ArchiveItem item;
    item.kind = ArchiveItem::Kind::Folder;
    item.name = name;
    item.mode = 0755;
    return item;
}

ArchiveItem LinkItem(const std::string& name, const std::string& target) {
    ArchiveItem item;
    item.kind = ArchiveItem::Kind::Symlink;
    item.name = name;
    item.content = target;
    item.mode = 0777;
    return item;
}

bool Write7z(const std::string& path, const std::vector<ArchiveItem>& items, const std::string& compression) {
    Utf8LocaleScope utf8;  // names are UTF-8
    archive* writer = archive_write_new();
    archive_write_set_format_7zip(writer);
    bool ok = archive_write_set_format_option(writer, "7zip", "compression", compression.c_str()) == ARCHIVE_OK &&
              archive_write_open_filename(writer, path.c_str()) == ARCHIVE_OK;
    for (const ArchiveItem& item : items) {
        if (!ok) break;
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname_utf8(entry, item.name.c_str());
        archive_entry_set_mtime(entry, item.mtime, 0);
        archive_entry_set_perm(entry, item.mode);
        switch (item.kind) {
        case ArchiveItem::Kind::File:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, static_cast<la_int64_t>(item.content.size()));
            break;
        case ArchiveItem::Kind::Folder: archive_entry_set_filetype(entry, AE_IFDIR); break;
        case ArchiveItem::Kind::Symlink:
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink_utf8(entry, item.content.c_str());
            break;
        }
        ok = archive_write_header(writer, entry) == ARCHIVE_OK;
        if (ok && item.kind == ArchiveItem::Kind::File && !item.content.empty()) {
            ok = archive_write_data(writer, item.content.data(), item.content.size()) ==
                 static_cast<la_ssize_t>(item.content.size());
        }
        archive_entry_free(entry);
    }
    ok = archive_write_close(writer) == ARCHIVE_OK && ok;
    archive_write_free(writer);
    return ok;
}

std::string Make7z(const std::vector<ArchiveItem>& items, const std::string& compression) {
    TempDir dir;
    const std::string path = dir.Path("made.7z");
    return Write7z(path, items, compression) ? TempDir::ReadFile(path) : std::string();
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string TextBytes(std::size_t size) {
    static const char* words[] = {"serac ", "studio ", "render ", "frame ", "layer\n", "mirvak ", "colour ", "0.5 "};
    std::mt19937 random(7);
    std::string text;
    while (text.size() < size) text += words[random() % 8];
    text.resize(size);
    return text;
}

std::vector<ArchiveItem> SampleProductItems() {
    return {
        FolderItem("bin"),
        FileItem("bin/Mirvak Serac Studio.exe", "#!/bin/sh\necho studio\n" + RandomBytes(3000, 1), 0755),
        FileItem("bin/data.bin", RandomBytes(300 * 1024, 2)),
        FileItem("doc/readme.txt", TextBytes(512 * 1024)),
        FileItem("doc/empty.txt", ""),
        FolderItem("doc/empty folder"),
        FileItem("doc/Überblick – 概要.txt", "non-ASCII name\n"),
        FileItem("locale/日本語/strings.txt", TextBytes(5000)),
        LinkItem("bin/studio", "Mirvak Serac Studio.exe"),
    };
}

std::vector<std::string> CompareExtracted(const std::string& folder, const std::vector<ArchiveItem>& items) {
    std::vector<std::string> differences;
    for (const ArchiveItem& item : items) {
        const std::string path = folder + "/" + item.name;
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) {
            differences.push_back(item.name + ": missing");
            continue;
        }
        switch (item.kind) {
        case ArchiveItem::Kind::Folder:
            if (!S_ISDIR(info.st_mode)) differences.push_back(item.name + ": not a folder");
            break;
        case ArchiveItem::Kind::Symlink: {
            char target[PATH_MAX];
            const ssize_t length = readlink(path.c_str(), target, sizeof target);
            if (!S_ISLNK(info.st_mode) || length < 0 || std::string(target, static_cast<std::size_t>(length)) != item.content)
                differences.push_back(item.name + ": wrong link");
            break;
        }
        case ArchiveItem::Kind::File:
            if (!S_ISREG(info.st_mode)) {
                differences.push_back(item.name + ": not a file");
            } else if (TempDir::ReadFile(path) != item.content) {
                differences.push_back(item.name + ": content differs");
            } else if (((info.st_mode & S_IXUSR) != 0) != ((item.mode & S_IXUSR) != 0)) {
                differences.push_back(item.name + ": execute bit differs");
            } else if (info.st_mtime != item.mtime) {
                differences.push_back(item.name + ": time differs");
            }
            break;
        }
    }
    return differences;
}
