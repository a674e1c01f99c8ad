#include "install/PackageInfo.h"

#include <cstring>

#include "util/JFile.h"

PackageInfo MakeFreshPackageInfo() {
    PackageInfo info;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.signature, kPackageInfoSignature, sizeof info.signature);
    return info;
}

HRESULT ReadPackageInfo(const std::string& packagePath, PackageInfo& info) {
    if (packagePath.empty()) {
        return E_POINTER;
    }
    JFile file;
    if (!file.Open(packagePath, JFile::Mode::Read)) {
        return E_FAIL;
    }
    const std::int64_t length = file.Size();
    std::uint64_t offset = 0;
    if (length < 0 || !file.Seek(static_cast<std::int64_t>(kPackageInfoOffsetField)) ||
        file.Read(&offset, sizeof offset) != sizeof offset) {
        return E_FAIL;
    }
    // Compared without adding to the offset, which comes from the file and may be anything.
    const auto fileLength = static_cast<std::uint64_t>(length);
    if (offset > fileLength || fileLength - offset < kPackageInfoSize) {
        return E_FAIL;
    }
    PackageInfo read;
    if (!file.Seek(static_cast<std::int64_t>(offset)) || file.Read(&read, sizeof read) != sizeof read) {
        return E_FAIL;
    }
    info = read;
    return S_OK;
}
