#include "install/SetupPackageUnpacker.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "ArchiveFixture.h"
#include "PackageFixture.h"
#include "install/InstallResult.h"
#include "support/LogCapture.h"
#include "support/SandboxHome.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

using Events = std::vector<std::tuple<int, int, int>>;

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool IsEmptyFolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return false;
    int count = 0;
    while (const dirent* entry = readdir(dir)) count += std::string(entry->d_name) != "." && std::string(entry->d_name) != "..";
    closedir(dir);
    return count == 0;
}

// Whether the wanted lines appear in this order among the log lines.
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    auto at = lines.begin();
    for (const std::string& line : wanted) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end()) return false;
        ++at;
    }
    return true;
}

// Made once: compressing it is the slowest part of these tests.
const std::string& SampleArchive() {
    static const std::string archive = Make7z(SampleProductItems(), "lzma2");
    return archive;
}

class Unpacker : public ::testing::Test {
protected:
    Unpacker() { SetInstallResultCode(kInstallNoError); }

    // Where the default install folder lands for this process.
    std::string ProgramFiles() const {
        return geteuid() == 0 ? root.path() + "/opt" : home.home() + "/.local/opt";
    }
    std::string WritePackage(const TestPackage& package) { return work.WriteFile("MirvakSeracStudio_x64.exe", package.bytes); }

    SandboxHome home;
    TempDir root;
    ScopedEnv rootPrefix{"MSS_ROOT_PREFIX", root.path()};
    TempDir work;
    TempDir temp;
    ScopedEnv tmpdir{"TMPDIR", temp.path()};  // after every other folder, so that it starts empty
    const std::vector<ArchiveItem> items = SampleProductItems();
    const std::string& archive = SampleArchive();
    const std::string uninstaller = "#!/bin/sh\necho uninstalling\n";
    EventLog events;
    LogCapture log;
};

TEST(UnpackRules, RangesAreCheckedWithoutWrapping) {
    const std::uint64_t max = ~std::uint64_t{0};
    const struct {
        std::uint64_t offset, size, length;
        bool inside;
    } cases[] = {
        {0, 0, 0, true},          {10, 90, 100, true},      {10, 91, 100, false},
        {100, 0, 100, true},      {101, 0, 100, false},     {max - 10, 100, 1000, false},
        {10, max - 5, 1000, false}, {max, max, max, false},  {0, max, max, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RangeInsideFile(c.offset, c.size, c.length), c.inside) << c.offset << "+" << c.size << " in " << c.length;
    }
}

TEST(UnpackRules, ArchivesAbove500MiBTakeTheFileRoute) {
    EXPECT_EQ(ChooseUnpackRoute(0), UnpackRoute::Memory);
    EXPECT_EQ(ChooseUnpackRoute(524288000), UnpackRoute::Memory);
    EXPECT_EQ(ChooseUnpackRoute(524288001), UnpackRoute::File);
    EXPECT_EQ(ChooseUnpackRoute(0x100000000ull), UnpackRoute::File);
    EXPECT_EQ(ChooseUnpackRoute(1250109064), UnpackRoute::File);
}

TEST(UnpackRules, ResultNames) {
    const struct {
        int code;
        const char* name;
    } cases[] = {
        {0, "NoError"},           {10000, "PointNull"},       {10001, "SetupFileError"},
        {10002, "DirWriteError"}, {10003, "MallocBrror"},     {10004, "InstallFileError"},
        {10005, "OpenFileError"}, {10006, "OffsetError"},     {10007, "ReadFileError"},
        {10008, "UnzipFileError"}, {-1, "-1"},                {13, "13"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstallResultName(c.code), c.name);
        SetInstallResultCode(c.code);
        EXPECT_EQ(GetInstallResultName(), c.name);
    }
}

TEST_F(Unpacker, IntoTheGivenFolderFromMemory) {
    const TestPackage package = BuildTestPackage(archive, uninstaller, SampleInfo());
    const std::string folder = work.Path("install/Serac Studio");  // made by the unpacker
    SetInstallResultCode(4711);  // success leaves the last code alone

    ASSERT_EQ(UnpackSetupPackage(WritePackage(package), events.Notify(), folder, true, true), S_OK);

    EXPECT_EQ(CompareExtracted(folder, items), std::vector<std::string>{});
    EXPECT_EQ(TempDir::ReadFile(folder + "/uninstall.exe"), uninstaller);
    struct stat info {};
    ASSERT_EQ(stat((folder + "/uninstall.exe").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);
    EXPECT_EQ(TempDir::ReadFile(folder + "/uninstall.exe.bin"), package.Block());
    EXPECT_EQ(GetInstalledPath(), folder);
    EXPECT_EQ(GetInstallResultCode(), 4711);

    ASSERT_GE(events.events.size(), 3u);
    EXPECT_EQ(events.events.front(), std::make_tuple(0, 0, 0));
    EXPECT_EQ(events.events.back(), std::make_tuple(1, 0, 0));
    EXPECT_EQ(events.ValuesOf(100).back(), 100);
    EXPECT_TRUE(events.ValuesOf(2).empty());
    EXPECT_TRUE(events.ValuesOf(101).empty());
    EXPECT_TRUE(InOrder(log.lines(), {"StrCpyW lpszProgram. \n", "lpszProgram path :" + folder + " \n",
                                      "Unpack file use buffer.\n", "Begin unpack file.\n", "Finish unpack file.\n",
                                      "Write uninstall file.\n", "Write uninstall bin.\n"}));
    EXPECT_TRUE(IsEmptyFolder(temp.path())) << "the temporary archive is removed";
}

TEST_F(Unpacker, FileRouteCopiesInWholeAndPartialPieces) {
    const TestPackage package = BuildTestPackage(archive, uninstaller, SampleInfo());
    const std::string path = WritePackage(package);
    // A package on another file system than the temporary folder is copied
    // through the buffer instead of by the kernel.
    std::unique_ptr<TempDir> otherVolume;
    struct stat shm {};
    struct stat tmp {};
    if (stat("/dev/shm", &shm) == 0 && stat(temp.path().c_str(), &tmp) == 0 && shm.st_dev != tmp.st_dev) {
        ScopedEnv there("TMPDIR", "/dev/shm");
        otherVolume = std::make_unique<TempDir>();
    }
    std::size_t divisor = 0;
    for (std::size_t d = 2; d < 200 && divisor == 0; ++d) {
        if (archive.size() % d == 0) divisor = d;
    }
    std::vector<std::size_t> pieceSizes{archive.size(), archive.size() - 1, 4096};
    if (divisor != 0) pieceSizes.push_back(archive.size() / divisor);  // whole pieces only
    std::vector<std::string> paths{path};
    if (otherVolume) paths.push_back(otherVolume->WriteFile("MirvakSeracStudio_x64.exe", package.bytes));
    for (const std::size_t pieceSize : pieceSizes) {
      for (const std::string& packagePath : paths) {
        SCOPED_TRACE(packagePath + " in pieces of " + std::to_string(pieceSize));
        const std::string folder = work.Path("piece-" + std::to_string(pieceSize) + "-" + std::to_string(packagePath == path));
        SetupPackageUnpacker unpacker({archive.size() - 1, pieceSize});
        ASSERT_EQ(unpacker.Unpack(packagePath, events.Notify(), folder, true, true), S_OK);
        EXPECT_EQ(CompareExtracted(folder, items), std::vector<std::string>{});
        EXPECT_EQ(TempDir::ReadFile(folder + "/uninstall.exe.bin"), package.Block());
        EXPECT_TRUE(log.Contains("Unpack file use File.\n"));
        EXPECT_TRUE(IsEmptyFolder(temp.path()));
      }
    }
}

TEST_F(Unpacker, BlockAndArchiveBoundaries) {
    const PackageInfo info = SampleInfo();
    const TestPackage blockAtEnd = BuildTestPackage(archive, uninstaller, info, true);
    TestPackage blockPastEnd = blockAtEnd;
    blockPastEnd.PatchInfoOffset(blockAtEnd.infoOffset + 1);
    TestPackage blockWrapping = blockAtEnd;
    blockWrapping.PatchInfoOffset(~std::uint64_t{0} - 100);
    const TestPackage archiveAtEnd = BuildTestPackage(archive, "", info);
    TestPackage archivePastEnd = archiveAtEnd;
    archivePastEnd.Patch(offsetof(PackageInfo, archiveSize), std::uint64_t{archive.size() + 1});
    TestPackage archiveWrapping = archiveAtEnd;
    archiveWrapping.Patch(offsetof(PackageInfo, archiveOffset), ~std::uint64_t{0} - 10);
    TestPackage tooShort;
    tooShort.bytes = std::string(39, 'x');

    const struct {
        const char* name;
        const TestPackage& package;
        int code;  // 0: success
    } cases[] = {
        {"block ends at the end of the file", blockAtEnd, 0},
        {"block ends one byte past it", blockPastEnd, kInstallOffsetError},
        {"block offset wraps", blockWrapping, kInstallOffsetError},
        {"too short to hold the offset", tooShort, kInstallOffsetError},
        {"archive ends at the end of the file", archiveAtEnd, 0},
        {"archive ends one byte past it", archivePastEnd, kInstallReadFileError},
        {"archive offset wraps", archiveWrapping, kInstallReadFileError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetInstallResultCode(kInstallNoError);
        events.events.clear();
        const std::string folder = work.Path(std::string("out/") + c.name);
        const HRESULT result = UnpackSetupPackage(WritePackage(c.package), events.Notify(), folder, true, true);
        if (c.code == 0) {
            EXPECT_EQ(result, S_OK);
            EXPECT_EQ(CompareExtracted(folder, items), std::vector<std::string>{});
            continue;
        }
        EXPECT_EQ(result, E_FAIL);
        EXPECT_EQ(GetInstallResultCode(), c.code);
        EXPECT_EQ(events.events, (Events{{0, 0, 0}, {2, 10001, 0}}));
        EXPECT_FALSE(Exists(folder + "/bin"));
    }
    EXPECT_TRUE(log.Contains("Offset error 10006  Offset - " + std::to_string(blockAtEnd.infoOffset + 1) +
                             "  file length- " + std::to_string(blockAtEnd.bytes.size()) + ".\n"));
}

TEST_F(Unpacker, MissingPackageAndNoPackagePath) {
    EXPECT_EQ(UnpackSetupPackage(work.Path("missing.exe"), events.Notify(), work.Path("out"), true, true), E_FAIL);
    EXPECT_EQ(GetInstallResultCode(), -1);
    EXPECT_EQ(GetInstallResultName(), "-1");
    EXPECT_EQ(events.events, (Events{{0, 0, 0}, {2, 10001, 0}}));
    EXPECT_TRUE(log.Contains("Open file error -1.\n"));

    events.events.clear();
    EXPECT_EQ(UnpackSetupPackage("", events.Notify(), work.Path("out"), true, true), E_POINTER);
    EXPECT_EQ(GetInstallResultName(), "PointNull");
    EXPECT_TRUE(events.events.empty());

    // An empty notification function is allowed.
    EXPECT_EQ(UnpackSetupPackage(work.Path("missing.exe"), UnpackNotify(), work.Path("out"), true, true), E_FAIL);
}

TEST_F(Unpacker, InstallFolderThatCannotBeMade) {
    const std::string path = WritePackage(BuildTestPackage(archive, uninstaller, SampleInfo()));
    const std::string folder = work.WriteFile("a-file", "x") + "/Serac Studio";
    EXPECT_EQ(UnpackSetupPackage(path, events.Notify(), folder, true, true), E_FAIL);
    EXPECT_EQ(GetInstallResultName(), "DirWriteError");
    EXPECT_EQ(events.events, (Events{{0, 0, 0}, {2, 10002, 0}}));
    EXPECT_EQ(GetInstalledPath(), folder);
}

TEST_F(Unpacker, DefaultFolderUnderProgramFilesEvenWhenTheUnpackFails) {
    const std::string expected = ProgramFiles() + "/Serac Studio";
    ASSERT_EQ(UnpackSetupPackage(WritePackage(BuildTestPackage(archive, uninstaller, SampleInfo())), events.Notify(),
                                 "", true, true),
              S_OK);
    EXPECT_EQ(GetInstalledPath(), expected);
    EXPECT_EQ(CompareExtracted(expected, items), std::vector<std::string>{});
    EXPECT_TRUE(log.Contains("GetProgramPath lpszProgram. \n"));

    std::string damaged = archive;
    for (std::size_t i = 100; i < 200; ++i) damaged[i] = static_cast<char>(~damaged[i]);
    EXPECT_EQ(UnpackSetupPackage(WritePackage(BuildTestPackage(damaged, uninstaller, SampleInfo("Other Studio"))),
                                 events.Notify(), "", true, true),
              E_FAIL);
    EXPECT_EQ(GetInstalledPath(), ProgramFiles() + "/Other Studio");
    EXPECT_TRUE(Exists(ProgramFiles() + "/Other Studio"));
}

TEST_F(Unpacker, AFolderNameThatLeavesProgramFilesNamesNoFolder) {
    for (const char* folderName : {"../../escape", "", "/etc"}) {
        SCOPED_TRACE(folderName);
        events.events.clear();
        const std::string path = WritePackage(BuildTestPackage(archive, uninstaller, SampleInfo(folderName)));
        EXPECT_EQ(UnpackSetupPackage(path, events.Notify(), "", true, true), E_FAIL);
        EXPECT_EQ(GetInstallResultCode(), kInstallDirWriteError);
        EXPECT_EQ(events.events.back(), std::make_tuple(2, 10002, 0));
    }
    EXPECT_FALSE(Exists(root.path() + "/escape"));
}

TEST_F(Unpacker, UninstallerFlagAndUninstallerOutsideThePackage) {
    const TestPackage package = BuildTestPackage(archive, uninstaller, SampleInfo());
    const std::string folder = work.Path("no-uninstaller");
    ASSERT_EQ(UnpackSetupPackage(WritePackage(package), events.Notify(), folder, true, false), S_OK);
    EXPECT_FALSE(Exists(folder + "/uninstall.exe"));
    EXPECT_FALSE(Exists(folder + "/uninstall.exe.bin"));
    EXPECT_TRUE(Exists(folder + "/bin/data.bin"));

    TestPackage outside = package;
    outside.Patch(offsetof(PackageInfo, uninstallerSize), std::uint32_t{0xFFFFFFF0u});
    const std::string second = work.Path("uninstaller-outside");
    ASSERT_EQ(UnpackSetupPackage(WritePackage(outside), events.Notify(), second, true, true), S_OK);
    EXPECT_FALSE(Exists(second + "/uninstall.exe")) << "no uninstaller of zeros";
    EXPECT_EQ(TempDir::ReadFile(second + "/uninstall.exe.bin"), outside.Block());
    EXPECT_EQ(events.events.back(), std::make_tuple(1, 0, 0));
}

TEST_F(Unpacker, DamagedArchiveFailsOnBothRoutes) {
    std::string damaged = archive;
    for (std::size_t i = 100; i < 200; ++i) damaged[i] = static_cast<char>(~damaged[i]);
    const std::string path = WritePackage(BuildTestPackage(damaged, uninstaller, SampleInfo()));
    for (const bool fileRoute : {false, true}) {
        SCOPED_TRACE(fileRoute);
        events.events.clear();
        const std::string folder = work.Path(fileRoute ? "file-route" : "memory-route");
        SetupPackageUnpacker unpacker({fileRoute ? 0u : kMemoryRouteLimit, kCopyPieceSize});
        EXPECT_EQ(unpacker.Unpack(path, events.Notify(), folder, true, true), E_FAIL);
        EXPECT_EQ(GetInstallResultName(), "UnzipFileError");
        const std::vector<int> errors = events.ValuesOf(101);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.front(), 261);
        EXPECT_EQ(errors.back(), 263);
        EXPECT_EQ(events.events.back(), std::make_tuple(2, 10001, 0));
        EXPECT_FALSE(Exists(folder + "/uninstall.exe"));
        EXPECT_TRUE(InOrder(log.lines(), {"Failed unpack file.\n", "Install path " + folder + ".\n",
                                          "UnZip error :Read 7z file error.\n"}));
        EXPECT_TRUE(IsEmptyFolder(temp.path()));
    }
}

TEST_F(Unpacker, MoveToInstallerTempMovesTheUpdaterAside) {
    const std::string folder = work.Path("install");
    work.WriteFile("install/LiveUpdate.exe", "updater");
    work.WriteFile("install/InstallerTemp/stale.txt", "left from before");
    MoveToInstallerTemp(folder);
    EXPECT_FALSE(Exists(folder + "/LiveUpdate.exe"));
    EXPECT_EQ(TempDir::ReadFile(folder + "/InstallerTemp/LiveUpdate.exe"), "updater");
    EXPECT_FALSE(Exists(folder + "/InstallerTemp/stale.txt"));

    // Nothing to move: the failure is logged and nothing else happens.
    MoveToInstallerTemp(folder);
    EXPECT_TRUE(IsEmptyFolder(folder + "/InstallerTemp"));
    const auto lines = log.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("MoveFileEx error : ", 0) == 0; }));
}

}  // namespace
