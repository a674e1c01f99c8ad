#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

#include "DownloadManifestWriter.h"
#include "SetupPackageWriter.h"
#include "install/PackageInfo.h"
#include "install/SetupPackageUnpacker.h"
#include "support/RunProgram.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "util/Md5.h"

namespace {

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Every entry below a folder: name to a description of type, mode bits for
// owner execute, time and content digest, or link target.
std::map<std::string, std::string> Describe(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        struct stat info {};
        lstat(entry.path().c_str(), &info);
        if (S_ISLNK(info.st_mode)) {
            entries[name] = "link " + std::filesystem::read_symlink(entry.path()).string();
        } else if (S_ISDIR(info.st_mode)) {
            entries[name] = "folder";
        } else {
            const std::string content = TempDir::ReadFile(entry.path());
            entries[name] = std::string((info.st_mode & S_IXUSR) ? "program " : "file ") +
                            std::to_string(info.st_mtime) + " " + Md5OfBuffer(content.data(), content.size(), HexCase::Lower);
        }
    }
    return entries;
}

std::vector<std::string> PackagerArguments(const TempDir& dir) {
    return {"--product-dir", dir.Path("product"), "--uninstaller", dir.Path("uninstall-image"),
            "--output", dir.Path("out/MirvakSeracStudio_x64.exe"), "--manifest", dir.Path("out/MirvakSeracStudio_x64.xml"),
            "--mirror-url", "http://127.0.0.2:18081/download/MirvakSeracStudio_x64.exe",
            "--mirror-url", "http://127.0.0.3:18082/download/MirvakSeracStudio_x64.exe?a=1&b=2",
            "--folder-name", "Serac Studio", "--product-name", "Mirvak Serac Studio", "--version", "1.0.1.2",
            "--display-name", "Serac Studio", "--release-date", "2021-06-01",
            "--web-link", "https://www.example.com/serac", "--publisher", "Mirvak", "--x64", "1",
            "--signature", "MIRVAKSS", "--compression-level", "1"};
}

class PackagerRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir.WriteFile("product/Mirvak Serac Studio.exe", "#!/bin/sh\n" + RandomBytes(20000, 1));
        chmod(dir.Path("product/Mirvak Serac Studio.exe").c_str(), 0755);
        dir.WriteFile("product/data/large.bin", RandomBytes(2500000, 2));  // more than two manifest blocks
        dir.WriteFile("product/data/empty.txt", "");
        dir.WriteFile("product/Überblick/日本語.txt", std::string(100000, 'x'));
        std::filesystem::create_directories(dir.Path("product/empty folder"));
        symlink("Mirvak Serac Studio.exe", dir.Path("product/studio").c_str());
        dir.WriteFile("uninstall-image", "#!/bin/sh\necho uninstall\n");
    }

    TempDir dir;
};

TEST_F(PackagerRun, PackageUnpacksToTheProductFolderAndCarriesItsBlock) {
    ASSERT_EQ(RunProgram(MSS_PACKAGER_BINARY, PackagerArguments(dir), {}), 0);
    const std::string package = dir.Path("out/MirvakSeracStudio_x64.exe");
    const std::string bytes = TempDir::ReadFile(package);

    std::uint64_t infoOffset = 0;
    std::memcpy(&infoOffset, bytes.data() + 32, sizeof infoOffset);
    EXPECT_EQ(infoOffset, kPackageFrontSize);
    PackageInfo info = MakeFreshPackageInfo();
    ASSERT_EQ(ReadPackageInfo(package, info), S_OK);
    EXPECT_EQ(std::string(info.signature, 8), "MIRVAKSS");
    EXPECT_EQ(PackageInfoText(info.folderName), "Serac Studio");
    EXPECT_EQ(PackageInfoText(info.productName), "Mirvak Serac Studio");
    EXPECT_EQ(PackageInfoText(info.version), "1.0.1.2");
    EXPECT_EQ(PackageInfoText(info.displayName), "Serac Studio");
    EXPECT_EQ(PackageInfoText(info.releaseDate), "2021-06-01");
    EXPECT_EQ(PackageInfoText(info.webLink), "https://www.example.com/serac");
    EXPECT_EQ(PackageInfoText(info.publisher), "Mirvak");
    EXPECT_EQ(info.x64, 1);
    EXPECT_EQ(info.archiveOffset, kPackageFrontSize + kPackageInfoSize);
    EXPECT_EQ(info.uninstallerOffset + info.uninstallerSize, bytes.size());
    EXPECT_EQ(bytes.substr(info.uninstallerOffset), TempDir::ReadFile(dir.Path("uninstall-image")));
    std::string digest;
    for (const std::uint8_t byte : info.uninstallerDigest) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        digest += hex;
    }
    EXPECT_EQ(digest, Md5OfBuffer("#!/bin/sh\necho uninstall\n", 25, HexCase::Lower));

    ScopedEnv tmpdir("TMPDIR", dir.path());
    ASSERT_EQ(UnpackSetupPackage(package, UnpackNotify(), dir.Path("installed"), true, true), S_OK);
    std::map<std::string, std::string> installed = Describe(dir.Path("installed"));
    EXPECT_EQ(installed["uninstall.exe"].substr(0, 8), "program ");
    installed.erase("uninstall.exe");
    installed.erase("uninstall.exe.bin");
    EXPECT_EQ(installed, Describe(dir.Path("product")));
}

TEST_F(PackagerRun, ManifestDescribesThePackageBlockByBlock) {
    ASSERT_EQ(RunProgram(MSS_PACKAGER_BINARY, PackagerArguments(dir), {}), 0);
    const std::string bytes = TempDir::ReadFile(dir.Path("out/MirvakSeracStudio_x64.exe"));
    boost::property_tree::ptree tree;
    std::istringstream xml(TempDir::ReadFile(dir.Path("out/MirvakSeracStudio_x64.xml")));
    boost::property_tree::read_xml(xml, tree);

    EXPECT_EQ(tree.get<std::size_t>("download.<xmlattr>.size"), bytes.size());
    EXPECT_EQ(tree.get<std::string>("download.<xmlattr>.name"), "MirvakSeracStudio_x64.exe");
    EXPECT_EQ(tree.get<int>("download.<xmlattr>.version"), 1);
    EXPECT_EQ(tree.get<int>("download.url.<xmlattr>.size"), 2);
    EXPECT_EQ(tree.get<std::string>("download.url.item_1.<xmlattr>.value"),
              "http://127.0.0.3:18082/download/MirvakSeracStudio_x64.exe?a=1&b=2");
    const std::size_t blocks = (bytes.size() + kManifestBlockSize - 1) / kManifestBlockSize;
    ASSERT_GE(blocks, 3u);
    EXPECT_EQ(tree.get<std::size_t>("download.hash.<xmlattr>.size"), blocks + 1);
    EXPECT_EQ(tree.get<std::string>("download.hash.item_0.<xmlattr>.value"),
              Md5OfBuffer(bytes.data(), bytes.size(), HexCase::Upper));
    for (std::size_t k = 1; k <= blocks; ++k) {
        const std::string block = bytes.substr((k - 1) * kManifestBlockSize, kManifestBlockSize);
        EXPECT_EQ(tree.get<std::string>("download.hash.item_" + std::to_string(k) + ".<xmlattr>.value"),
                  Md5OfBuffer(block.data(), block.size(), HexCase::Upper))
            << k;
    }
}

TEST_F(PackagerRun, AReadyArchiveIsCarriedUnchanged) {
    const std::string archive = dir.WriteFile("made-elsewhere.7z", RandomBytes(5000, 9));
    std::vector<std::string> arguments = PackagerArguments(dir);
    arguments[0] = "--archive";
    arguments[1] = archive;
    ASSERT_EQ(RunProgram(MSS_PACKAGER_BINARY, arguments, {}), 0);
    const std::string bytes = TempDir::ReadFile(dir.Path("out/MirvakSeracStudio_x64.exe"));
    EXPECT_EQ(bytes.substr(kPackageFrontSize + kPackageInfoSize, 5000), TempDir::ReadFile(archive));
}

TEST_F(PackagerRun, TheFrontProgramSaysWhatTheFileIs) {
    ASSERT_EQ(RunProgram(MSS_PACKAGER_BINARY, PackagerArguments(dir), {}), 0);
    const std::string command = "'" + dir.Path("out/MirvakSeracStudio_x64.exe") + "' > '" + dir.Path("said.txt") + "'";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(TempDir::ReadFile(dir.Path("said.txt")),
              "This is the Mirvak Serac Studio setup package. The Mirvak Serac Studio installer downloads and "
              "installs it.\n");
}

TEST_F(PackagerRun, RejectedCommandLines) {
    const auto with = [this](const std::string& option, const std::string& value) {
        std::vector<std::string> arguments = PackagerArguments(dir);
        for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
            if (arguments[i] == option) arguments[i + 1] = value;
        }
        return arguments;
    };
    std::vector<std::string> both = PackagerArguments(dir);
    both.insert(both.end(), {"--archive", dir.Path("x.7z")});
    const std::vector<std::vector<std::string>> cases{
        with("--folder-name", ""),
        with("--display-name", "Mirvak Serac Studio"),  // 19 characters do not fit 16 bytes
        with("--release-date", "1.6.2021"),
        with("--x64", "yes"),
        with("--signature", "MIRVAKSS1"),
        with("--compression-level", "10"),
        both,
        {"--output", dir.Path("p.exe"), "--uninstaller"},
        {"--bogus", "1"},
    };
    for (const auto& arguments : cases) {
        EXPECT_EQ(RunProgram(MSS_PACKAGER_BINARY, arguments, {}), 2);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
}

TEST(DownloadManifestWriter, BlocksAtExactMultiplesAndOversizedFiles) {
    TempDir dir;
    const struct {
        std::size_t size;
        std::size_t hashes;
    } cases[] = {{0, 1}, {1, 2}, {kManifestBlockSize, 2}, {2 * kManifestBlockSize, 3}, {2 * kManifestBlockSize + 1, 4}};
    for (const auto& c : cases) {
        const std::string path = dir.WriteFile("f" + std::to_string(c.size), RandomBytes(c.size, 3));
        std::string xml;
        DownloadManifestWriter writer;
        ASSERT_TRUE(writer.Build(path, "name", {}, xml));
        EXPECT_NE(xml.find("<hash size=\"" + std::to_string(c.hashes) + "\">"), std::string::npos) << c.size;
        EXPECT_EQ(xml.find("<item_" + std::to_string(c.hashes) + " "), std::string::npos) << c.size;
    }

    // The manifest's size is a signed 32-bit number.
    const std::string big = dir.Path("big");
    const int fd = open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_EQ(ftruncate(fd, 2147483648LL), 0);
    close(fd);
    std::string xml = "unchanged";
    DownloadManifestWriter writer;
    EXPECT_FALSE(writer.Build(big, "name", {}, xml));
    EXPECT_EQ(xml, "unchanged");
}

}  // namespace
