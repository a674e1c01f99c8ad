#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "system/FileSystem.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// A file that cannot be deleted while the object lives, the way a file held
// open by another program cannot be on the original platform: immutable when
// running as root (permissions do not stop root), else in a read-only folder.
class HeldFile {
public:
    HeldFile(const std::string& folder, const std::string& path) : folder_(folder), path_(path) {
        if (geteuid() == 0) {
            const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            int flags = 0;
            held_ = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                    (flags |= FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
            if (fd >= 0) close(fd);
        } else {
            held_ = chmod(folder.c_str(), 0555) == 0;
        }
    }
    ~HeldFile() {
        if (geteuid() == 0) {
            const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
            int flags = 0;
            if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0) close(fd);
        } else {
            chmod(folder_.c_str(), 0755);
        }
    }
    bool held() const { return held_; }

private:
    std::string folder_;
    std::string path_;
    bool held_ = false;
};

TEST(CreateFolderChain, CreatesAtTheLimitAndNothingOneByteAbove) {
    TempDir dir;
    for (const std::size_t length : {kMaxFolderChainLength, kMaxFolderChainLength + 1}) {
        std::string path = dir.Path("n" + std::to_string(length) + "/sub/");
        path += std::string(length - path.size(), 'x');
        ASSERT_EQ(path.size(), length);
        EXPECT_EQ(CreateFolderChain(path), length <= kMaxFolderChainLength);
        EXPECT_EQ(Exists(path), length <= kMaxFolderChainLength) << length;
        EXPECT_EQ(Exists(dir.Path("n" + std::to_string(length))), length <= kMaxFolderChainLength);
    }
}

TEST(DeleteTree, RemovesNestedFoldersAndFiles) {
    TempDir dir;
    dir.WriteFile("tree/a.txt", "a");
    dir.WriteFile("tree/sub/deeper/b.bin", std::string(5000, '\0'));
    mkdir(dir.Path("tree/empty").c_str(), 0755);
    chmod(dir.Path("tree/sub/deeper/b.bin").c_str(), 0444);  // read-only files go too

    EXPECT_TRUE(DeleteTree(dir.Path("tree/")));
    EXPECT_FALSE(Exists(dir.Path("tree")));
    EXPECT_FALSE(DeleteTree(dir.Path("tree")));
    EXPECT_FALSE(DeleteTree(""));
}

TEST(DeleteTree, RemovesLinksButNeverWhatTheyPointTo) {
    TempDir dir;
    const std::string outsideFile = dir.WriteFile("outside/keep.txt", "keep");
    dir.WriteFile("outside/folder/inner.txt", "inner");
    dir.WriteFile("tree/own.txt", "own");
    mkdir(dir.Path("tree/sub").c_str(), 0755);
    ASSERT_EQ(symlink(outsideFile.c_str(), dir.Path("tree/file-link").c_str()), 0);
    ASSERT_EQ(symlink(dir.Path("outside/folder").c_str(), dir.Path("tree/sub/folder-link").c_str()), 0);
    ASSERT_EQ(symlink("../../outside", dir.Path("tree/sub/relative-link").c_str()), 0);
    ASSERT_EQ(symlink(dir.Path("nowhere").c_str(), dir.Path("tree/dangling").c_str()), 0);

    EXPECT_TRUE(DeleteTree(dir.Path("tree")));
    EXPECT_FALSE(Exists(dir.Path("tree")));
    EXPECT_EQ(TempDir::ReadFile(outsideFile), "keep");
    EXPECT_EQ(TempDir::ReadFile(dir.Path("outside/folder/inner.txt")), "inner");
}

TEST(DeleteTree, AHeldFileStaysWithItsFoldersAndEverythingElseGoes) {
    TempDir dir;
    dir.WriteFile("tree/first.txt", "1");
    dir.WriteFile("tree/busy/deep/held.dll", "held");
    dir.WriteFile("tree/busy/deep/neighbour.txt", "n");
    dir.WriteFile("tree/other/file.txt", "2");
    {
        // Non-root: the whole folder is read-only, so its neighbour stays too.
        const bool root = geteuid() == 0;
        HeldFile held(dir.Path("tree/busy/deep"), dir.Path("tree/busy/deep/held.dll"));
        if (!held.held()) {
            GTEST_SKIP() << "this file system cannot hold a file";
        }
        EXPECT_TRUE(DeleteTree(dir.Path("tree")));
        EXPECT_TRUE(Exists(dir.Path("tree/busy/deep/held.dll")));
        EXPECT_EQ(Exists(dir.Path("tree/busy/deep/neighbour.txt")), !root);
        EXPECT_FALSE(Exists(dir.Path("tree/first.txt")));
        EXPECT_FALSE(Exists(dir.Path("tree/other")));
    }
}

TEST(GetFreeSpaceMB, VolumeOfAFolderAndZeroWhenUnknown) {
    TempDir dir;
    struct statvfs volume {};
    ASSERT_EQ(statvfs(dir.path().c_str(), &volume), 0);
    const double expected = static_cast<double>(volume.f_bfree) * static_cast<double>(volume.f_frsize) / 1048576.0;
    const std::uint64_t free = GetFreeSpaceMB(dir.path());
    EXPECT_GT(free, 0u);
    EXPECT_NEAR(static_cast<double>(free), expected, 64.0);  // other writers may move it a little
    EXPECT_EQ(GetFreeSpaceMB(dir.Path("missing/folder")), 0u);
    EXPECT_EQ(GetFreeSpaceMB(""), 0u);
}

}  // namespace
