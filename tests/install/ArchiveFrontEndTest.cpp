#include "install/ArchiveFrontEnd.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ArchiveFixture.h"
#include "install/I7zFileInfoCallback.h"
#include "support/TempDir.h"

namespace {

struct HookRecord {
    std::vector<int> errors;
    std::vector<std::uint64_t> progress;
};

void RecordError(void* context, int code) {
    static_cast<HookRecord*>(context)->errors.push_back(code);
}

void RecordProgress(void* context, std::uint32_t low, std::uint32_t high) {
    static_cast<HookRecord*>(context)->progress.push_back((std::uint64_t{high} << 32) | low);
}

int RunFrontEnd(std::vector<std::string> arguments, HookRecord& record) {
    arguments.insert(arguments.begin(), "/path/of/the/installer");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return ArchiveFrontEndMain(static_cast<int>(arguments.size()), argv.data(), &record, RecordError, RecordProgress);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// A copy of an archive with bytes flipped in the middle of its packed data.
std::string Damage(std::string archive) {
    for (std::size_t i = archive.size() / 3; i < archive.size() / 3 + 64; ++i) archive[i] = static_cast<char>(~archive[i]);
    return archive;
}

TEST(ArchiveFrontEnd, ExtractsEveryCompressionMethodExactly) {
    const std::vector<ArchiveItem> items = SampleProductItems();
    for (const char* method : {"lzma2", "lzma1", "ppmd", "bzip2", "deflate", "store"}) {
        SCOPED_TRACE(method);
        TempDir dir;
        ASSERT_TRUE(Write7z(dir.Path("product.7z"), items, method));
        HookRecord record;
        EXPECT_EQ(RunFrontEnd({"x", dir.Path("product.7z"), "-o" + dir.Path("out/new folder")}, record), kArchiveExitOk);
        EXPECT_TRUE(record.errors.empty());
        EXPECT_EQ(CompareExtracted(dir.Path("out/new folder"), items), std::vector<std::string>{});
        ASSERT_FALSE(record.progress.empty());
        EXPECT_EQ(record.progress.back(), 100u);
        EXPECT_TRUE(std::is_sorted(record.progress.begin(), record.progress.end()));
        EXPECT_GT(record.progress.front(), 0u);
    }
}

TEST(ArchiveFrontEnd, NothingButEmptyItemsSendsNoProgress) {
    TempDir dir;
    const std::vector<ArchiveItem> items{FolderItem("a"), FileItem("a/empty", ""), FolderItem("b/c")};
    ASSERT_TRUE(Write7z(dir.Path("empty.7z"), items, "lzma2"));
    HookRecord record;
    EXPECT_EQ(RunFrontEnd({"x", dir.Path("empty.7z"), "-o" + dir.Path("out")}, record), kArchiveExitOk);
    EXPECT_EQ(CompareExtracted(dir.Path("out"), items), std::vector<std::string>{});
    EXPECT_TRUE(record.progress.empty());
    EXPECT_TRUE(record.errors.empty());
}

TEST(ArchiveFrontEnd, RejectedCommandLines) {
    TempDir dir;
    const std::string archive = dir.WriteFile("a.7z", Make7z({FileItem("f", "x")}, "lzma2"));
    const std::vector<std::vector<std::string>> cases{
        {"x"},                                  // no archive
        {"e", archive, "-o" + dir.path()},      // only "x" is known
        {"x", archive, "-q"},                   // unknown switch
        {"x", archive, archive},                // two archives
        {"x", "-o" + dir.path()},               // a folder but no archive
        {"x", archive, "-o"},                   // a switch without its folder
    };
    for (const auto& arguments : cases) {
        HookRecord record;
        EXPECT_EQ(RunFrontEnd(arguments, record), kArchiveExitCommandLine) << arguments.size();
        EXPECT_EQ(record.errors, std::vector<int>{kExtractErrorStopped});
    }
}

TEST(ArchiveFrontEnd, DamagedItemIsADataErrorAndTheRunFails) {
    TempDir dir;
    const std::vector<ArchiveItem> items{FileItem("big.txt", TextBytes(1 << 20)), FileItem("second.bin", RandomBytes(100000, 5))};
    for (const char* method : {"lzma2", "bzip2", "store"}) {
        SCOPED_TRACE(method);
        const std::string archive = dir.WriteFile(std::string(method) + ".7z", Damage(Make7z(items, method)));
        HookRecord record;
        EXPECT_EQ(RunFrontEnd({"x", archive, "-o" + dir.Path(method)}, record), kArchiveExitFatal);
        ASSERT_GE(record.errors.size(), 2u);
        EXPECT_EQ(record.errors.front(), kExtractErrorData);
        EXPECT_EQ(record.errors.back(), kExtractErrorArchiveErrors);
    }
}

TEST(ArchiveFrontEnd, FilesThatAreNoArchivesAndMissingOnes) {
    TempDir dir;
    const std::string text = dir.WriteFile("plain.txt", "not an archive at all");
    const std::string cut = dir.WriteFile("cut.7z", Make7z(SampleProductItems(), "lzma2").substr(0, 5000));
    const struct {
        std::string archive;
        int error;
    } cases[] = {
        {text, kExtractErrorArchiveErrors},
        {cut, kExtractErrorArchiveErrors},
        {dir.Path("missing.7z"), kExtractErrorFatal},
    };
    for (const auto& c : cases) {
        HookRecord record;
        EXPECT_EQ(RunFrontEnd({"x", c.archive, "-o" + dir.Path("out")}, record), kArchiveExitFatal) << c.archive;
        ASSERT_FALSE(record.errors.empty()) << c.archive;
        EXPECT_EQ(record.errors.back(), c.error) << c.archive;
    }
}

TEST(ArchiveFrontEnd, AnOutputFolderThatCannotBeMadeIsFatal) {
    TempDir dir;
    const std::string archive = dir.WriteFile("a.7z", Make7z({FileItem("f", "x")}, "lzma2"));
    dir.WriteFile("plain", "a file where a folder should be");
    HookRecord record;
    EXPECT_EQ(RunFrontEnd({"x", archive, "-o" + dir.Path("plain/sub")}, record), kArchiveExitFatal);
    EXPECT_EQ(record.errors, std::vector<int>{kExtractErrorFatal});
}

TEST(ArchiveFrontEnd, HostileEntriesAreRefusedAndNothingOutsideIsTouched) {
    TempDir dir;
    const std::string outside = dir.WriteFile("outside/victim.txt", "original");
    // A link already in the folder is replaced by an entry of its name, never written through.
    std::filesystem::create_directories(dir.Path("out"));
    ASSERT_EQ(symlink(outside.c_str(), dir.Path("out/old-link").c_str()), 0);
    const std::vector<ArchiveItem> items{
        FileItem("good/first.txt", "kept"),
        FileItem("../outside/victim.txt", "overwritten"),
        FileItem("good/../../outside/victim.txt", "overwritten"),
        FileItem(dir.Path("outside/victim.txt"), "overwritten"),
        LinkItem("escape", "../outside"),
        LinkItem("good/absolute", dir.Path("outside")),
        LinkItem("good/climb", "sub/../../.."),
        LinkItem("inner", "good"),
        FileItem("inner/through-link.txt", "written through a link"),
        FileItem("good/last.txt", "kept too"),
        FileItem("old-link", "replaces the link"),
    };
    ASSERT_TRUE(Write7z(dir.Path("hostile.7z"), items, "lzma2"));
    HookRecord record;
    EXPECT_EQ(RunFrontEnd({"x", dir.Path("hostile.7z"), "-o" + dir.Path("out")}, record), kArchiveExitFatal);

    EXPECT_EQ(TempDir::ReadFile(outside), "original");
    EXPECT_EQ(TempDir::ReadFile(dir.Path("out/good/first.txt")), "kept");
    EXPECT_EQ(TempDir::ReadFile(dir.Path("out/good/last.txt")), "kept too");
    EXPECT_TRUE(Exists(dir.Path("out/inner")));  // a link inside the folder is fine
    EXPECT_EQ(TempDir::ReadFile(dir.Path("out/old-link")), "replaces the link");
    for (const char* refused : {"out/escape", "out/good/absolute", "out/good/climb", "out/good/through-link.txt"}) {
        EXPECT_FALSE(Exists(dir.Path(refused))) << refused;
    }
    const std::vector<int> expected{261, 261, 261, 261, 261, 261, 261, 262};
    EXPECT_EQ(record.errors, expected);
}

TEST(ArchiveFrontEnd, ProgramsKeepTheirModeButNeverSetUserId) {
    TempDir dir;
    const std::vector<ArchiveItem> items{FileItem("tool", "#!/bin/sh\n", 04755), FileItem("data", "d", 0640)};
    ASSERT_TRUE(Write7z(dir.Path("modes.7z"), items, "lzma2"));
    HookRecord record;
    ASSERT_EQ(RunFrontEnd({"x", dir.Path("modes.7z"), "-o" + dir.Path("out")}, record), kArchiveExitOk);
    struct stat info {};
    ASSERT_EQ(stat(dir.Path("out/tool").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755 & ~static_cast<mode_t>(umask(umask(0))));
    ASSERT_EQ(stat(dir.Path("out/data").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0700, 0600u);
}

}  // namespace
