#include "install/ArchiveRunner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ArchiveFixture.h"
#include "support/TempDir.h"

namespace {

struct RecordingCallback : I7zFileInfoCallback {
    void OnExtractProgress(std::uint32_t low, std::uint32_t high) override { progress.push_back({low, high}); }
    void OnExtractError(int code) override { errors.push_back(code); }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
    std::vector<int> errors;
};

TEST(ArchiveRunner, ArgumentVectorWithAndWithoutPassword) {
    std::vector<std::string> arguments;
    ASSERT_TRUE(ArchiveRunner::BuildArguments("/opt/setup", "/tmp/a.7z", "/opt/Serac Studio", "", arguments));
    EXPECT_EQ(arguments, (std::vector<std::string>{"/opt/setup", "x", "/tmp/a.7z", "-o/opt/Serac Studio"}));
    ASSERT_TRUE(ArchiveRunner::BuildArguments("/opt/setup", "/tmp/a.7z", "/out", "secret", arguments));
    EXPECT_EQ(arguments, (std::vector<std::string>{"/opt/setup", "x", "/tmp/a.7z", "-o/out", "-psecret"}));
}

TEST(ArchiveRunner, ArgumentsLongerThanTheirBufferAreRefusedNotCut) {
    const std::string fits(kArchiveArgumentBufferSize - 1, 'a');
    const std::string tooLong(kArchiveArgumentBufferSize, 'a');
    std::vector<std::string> arguments{"unchanged"};
    EXPECT_TRUE(ArchiveRunner::BuildArguments("/p", fits, "/out", "", arguments));
    EXPECT_TRUE(ArchiveRunner::BuildArguments("/p", "/a.7z", fits.substr(2), "", arguments));
    arguments = {"unchanged"};
    EXPECT_FALSE(ArchiveRunner::BuildArguments("/p", tooLong, "/out", "", arguments));
    EXPECT_FALSE(ArchiveRunner::BuildArguments("/p", "/a.7z", fits.substr(1), "", arguments));  // "-o" + folder
    EXPECT_FALSE(ArchiveRunner::BuildArguments("/p", "/a.7z", "/out", fits, arguments));       // "-p" + password
    EXPECT_EQ(arguments, std::vector<std::string>{"unchanged"});

    TempDir dir;
    RecordingCallback callback;
    ArchiveRunner runner(&callback);
    EXPECT_FALSE(runner.RunExtraction(dir.Path("a.7z"), "/" + tooLong, ""));
    EXPECT_TRUE(callback.errors.empty());
}

TEST(ArchiveRunner, HooksReachTheCallbackAndExitCodesDecide) {
    TempDir dir;
    const std::string good = dir.WriteFile("good.7z", Make7z({FileItem("f.txt", TextBytes(200000))}, "lzma2"));
    RecordingCallback callback;
    EXPECT_TRUE(ArchiveRunner(&callback).RunExtraction(good, dir.Path("out"), ""));
    ASSERT_FALSE(callback.progress.empty());
    EXPECT_EQ(callback.progress.back(), (std::pair<std::uint32_t, std::uint32_t>{100, 0}));
    EXPECT_TRUE(callback.errors.empty());

    const std::string bad = dir.WriteFile("bad.7z", "no archive");
    EXPECT_FALSE(ArchiveRunner(&callback).RunExtraction(bad, dir.Path("out"), ""));
    EXPECT_EQ(callback.errors, std::vector<int>{kExtractErrorArchiveErrors});

    // No callback: the run still happens, the hooks do nothing.
    EXPECT_TRUE(ArchiveRunner(nullptr).RunExtraction(good, dir.Path("quiet"), ""));
    EXPECT_EQ(TempDir::ReadFile(dir.Path("quiet/f.txt")), TextBytes(200000));
}

TEST(ArchiveRunner, FolderRoutines) {
    TempDir dir;
    dir.WriteFile("file", "x");
    const struct {
        std::string path;
        bool exists;
    } existence[] = {
        {dir.path(), true}, {dir.path() + "/", true}, {dir.Path("file"), false},
        {dir.Path("missing"), false}, {"/", false}, {"", false},
    };
    for (const auto& c : existence) {
        EXPECT_EQ(ArchiveRunner::FolderExists(c.path), c.exists) << c.path;
    }

    // The last component is made only when the text ends with "/".
    EXPECT_TRUE(ArchiveRunner::CreateFolderChain(dir.Path("a/b/c")));
    EXPECT_TRUE(ArchiveRunner::FolderExists(dir.Path("a/b")));
    EXPECT_FALSE(ArchiveRunner::FolderExists(dir.Path("a/b/c")));
    EXPECT_TRUE(ArchiveRunner::CreateFolderChain(dir.Path("a/b/c/")));
    EXPECT_TRUE(ArchiveRunner::FolderExists(dir.Path("a/b/c")));
    EXPECT_FALSE(ArchiveRunner::CreateFolderChain(dir.Path("file/sub/")));
    EXPECT_FALSE(ArchiveRunner::CreateFolderChain(dir.Path(std::string(300, 'x') + "/")));

    EXPECT_TRUE(ArchiveRunner::DeleteFolderTree(dir.Path("a/")));
    EXPECT_FALSE(ArchiveRunner::FolderExists(dir.Path("a")));
}

}  // namespace
