#include "PackageFixture.h"

TestPackage BuildTestPackage(const std::string& archive, const std::string& uninstaller, PackageInfo info,
                             bool blockLast) {
    const std::string stub = "#!/bin/sh\nexit 1  # test package\n" + std::string(64, ' ');
    TestPackage package;
    std::uint64_t at = stub.size();
    if (!blockLast) {
        package.infoOffset = at;
        at += kPackageInfoSize;
    }
    info.archiveOffset = at;
    info.archiveSize = archive.size();
    at += archive.size();
    info.uninstallerOffset = at;
    info.uninstallerSize = static_cast<std::uint32_t>(uninstaller.size());
    at += uninstaller.size();
    if (blockLast) {
        package.infoOffset = at;
    }
    const std::string block(reinterpret_cast<const char*>(&info), sizeof info);
    package.bytes = stub;
    if (!blockLast) package.bytes += block;
    package.bytes += archive + uninstaller;
    if (blockLast) package.bytes += block;
    package.PatchInfoOffset(package.infoOffset);
    return package;
}

PackageInfo SampleInfo(const std::string& folderName) {
    PackageInfo info = MakeFreshPackageInfo();
    SetPackageInfoText(info.folderName, folderName);
    SetPackageInfoText(info.productName, "Mirvak Serac Studio");
    SetPackageInfoText(info.version, "1.0.1.2");
    SetPackageInfoText(info.displayName, "Serac Studio");
    SetPackageInfoText(info.releaseDate, "2021-06-01");
    SetPackageInfoText(info.webLink, "https://www.example.com/serac");
    SetPackageInfoText(info.publisher, "Mirvak");
    info.x64 = 1;
    info.reserved512[100] = 0xAB;  // reserved bytes travel unchanged into the block file
    return info;
}
