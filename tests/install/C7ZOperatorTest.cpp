#include "install/C7ZOperator.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "ArchiveFixture.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

// A temporary folder of the test's own, so that what the extractor leaves
// behind there can be seen.
struct TempSandbox {
    TempDir dir;
    TempDir temp;
    ScopedEnv tmpdir{"TMPDIR", temp.path()};
};

TEST(C7ZOperator, MissingArchiveFile) {
    TempSandbox sandbox;
    EventLog log;
    C7ZOperator extractor;
    extractor.SetNotify(log.Notify());
    std::string errorText;
    const std::string missing = sandbox.dir.Path("missing.7z");
    EXPECT_FALSE(extractor.ExtractFile(missing, sandbox.dir.Path("out"), "", errorText));
    EXPECT_EQ(errorText, "File path not exists : " + missing);
    EXPECT_EQ(log.events, (std::vector<std::tuple<int, int, int>>{{101, 263, 0}}));
    EXPECT_EQ(extractor.lastError(), 263);
}

TEST(C7ZOperator, DamagedItemThenArchiveErrorThenRunnerError) {
    TempSandbox sandbox;
    std::string archive = Make7z({FileItem("a.txt", TextBytes(1 << 20))}, "lzma2");
    for (std::size_t i = 1000; i < 1100; ++i) archive[i] = static_cast<char>(archive[i] ^ 0x5A);
    const std::string path = sandbox.dir.WriteFile("damaged.7z", archive);

    for (const bool fromBuffer : {false, true}) {
        EventLog log;
        C7ZOperator extractor;
        extractor.SetNotify(log.Notify());
        std::string errorText;
        const bool extracted =
            fromBuffer ? extractor.ExtractBuffer(archive.data(), archive.size(), sandbox.dir.Path("out"), "", errorText, true)
                       : extractor.ExtractFile(path, sandbox.dir.Path("out"), "", errorText);
        EXPECT_FALSE(extracted);
        EXPECT_EQ(errorText, "Read 7z file error");
        const std::vector<int> errors = log.ValuesOf(101);
        EXPECT_EQ(errors, (std::vector<int>{261, 262, 263})) << fromBuffer;
        EXPECT_EQ(extractor.lastError(), 263);
        EXPECT_TRUE(FolderEntries(sandbox.temp.path()).empty()) << "a failed buffer run leaves nothing behind";
    }
}

TEST(C7ZOperator, BufferExtractionAndItsTemporaryFolder) {
    const std::vector<ArchiveItem> items = SampleProductItems();
    const std::string archive = Make7z(items, "lzma2");
    for (const bool removeTemporary : {true, false}) {
        TempSandbox sandbox;
        EventLog log;
        C7ZOperator extractor;
        extractor.SetNotify(log.Notify());
        std::string errorText;
        ASSERT_TRUE(extractor.ExtractBuffer(archive.data(), archive.size(), sandbox.dir.Path("out"), "", errorText,
                                            removeTemporary));
        EXPECT_EQ(CompareExtracted(sandbox.dir.Path("out"), items), std::vector<std::string>{});
        EXPECT_TRUE(log.ValuesOf(101).empty());
        const std::vector<int> progress = log.ValuesOf(100);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 100);

        const std::vector<std::string> left = FolderEntries(sandbox.temp.path());
        if (removeTemporary) {
            EXPECT_TRUE(left.empty());
        } else {
            ASSERT_EQ(left.size(), 1u);
            EXPECT_EQ(TempDir::ReadFile(sandbox.temp.path() + "/" + left[0] + "/mirvak_7z/Vek7ZFile.7z"), archive);
        }
    }
}

TEST(C7ZOperator, MissingBufferOrFolderIsRefusedSilently) {
    TempSandbox sandbox;
    EventLog log;
    C7ZOperator extractor;
    extractor.SetNotify(log.Notify());
    std::string errorText = "unchanged";
    const char byte = 0;
    EXPECT_FALSE(extractor.ExtractBuffer(nullptr, 10, sandbox.dir.Path("out"), "", errorText, true));
    EXPECT_FALSE(extractor.ExtractBuffer(&byte, 1, "", "", errorText, true));
    EXPECT_EQ(errorText, "unchanged");
    EXPECT_TRUE(log.events.empty());
}

TEST(C7ZOperator, UnwritableTemporaryArchive) {
    TempSandbox sandbox;
    const std::string archive = Make7z({FileItem("f", "x")}, "lzma2");
    const std::string file = sandbox.dir.WriteFile("not-a-folder", "x");
    ScopedEnv tmpdir("TMPDIR", file);  // no folder can be made under a file
    EventLog log;
    C7ZOperator extractor;
    extractor.SetNotify(log.Notify());
    std::string errorText;
    EXPECT_FALSE(extractor.ExtractBuffer(archive.data(), archive.size(), sandbox.dir.Path("out"), "", errorText, true));
    EXPECT_EQ(errorText, "Write 7z file error");
    EXPECT_EQ(log.ValuesOf(101), std::vector<int>{263});
}

TEST(C7ZOperator, UniqueFoldersWithinOneTickDiffer) {
    TempSandbox sandbox;
    std::set<std::string> folders;
    for (int i = 0; i < 5; ++i) {
        const std::string folder = C7ZOperator::MakeUniqueTempFolder();
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.rfind(sandbox.temp.path() + "/", 0), 0u) << folder;
        EXPECT_EQ(folder.back(), '/');
        folders.insert(folder);
    }
    EXPECT_EQ(folders.size(), 5u);
    EXPECT_EQ(FolderEntries(sandbox.temp.path()).size(), 5u);
}

}  // namespace
