#include "SetupPackageWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "util/JFile.h"
#include "util/Md5.h"

namespace {

// Line 1 starts the shell, line 2 prints line 4 and leaves before the
// binary bytes; line 3 holds the block's offset (bytes 32 to 39, followed by
// a line feed at 40). The offset 4096 has no line-feed byte, so the lines
// stay where they are.
constexpr char kScriptHead[] = "#!/bin/sh\nsed -n 4p \"$0\";exit 1\n";
constexpr char kScriptMessage[] =
    "\nThis is the Mirvak Serac Studio setup package. The Mirvak Serac Studio installer downloads and installs it.\n";

static_assert(sizeof kScriptHead - 1 == kPackageInfoOffsetField, "the offset field must start line 3");

bool CopyFileInto(JFile& out, const std::string& path, std::uint64_t& size, std::string& error) {
    JFile in;
    if (!in.Open(path, JFile::Mode::Read)) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<char> buffer(std::size_t{1} << 20);
    size = 0;
    for (;;) {
        const std::size_t count = in.Read(buffer.data(), buffer.size());
        if (count == 0) {
            break;
        }
        if (out.Write(buffer.data(), count) != count) {
            error = "cannot write the package";
            return false;
        }
        size += count;
    }
    return true;
}

bool HexToBytes(const std::string& hex, std::uint8_t* bytes, std::size_t count) {
    if (hex.size() != count * 2) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        unsigned value = 0;
        if (std::sscanf(hex.c_str() + 2 * i, "%2x", &value) != 1) {
            return false;
        }
        bytes[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

}  // namespace

std::string SetupPackageWriter::FrontProgram() {
    std::string front(kScriptHead);
    const std::uint64_t offset = kPackageFrontSize;
    front.append(reinterpret_cast<const char*>(&offset), sizeof offset);
    front += kScriptMessage;
    front.resize(kPackageFrontSize, '\0');
    return front;
}

bool SetupPackageWriter::Write(const std::string& packagePath, const std::string& archivePath,
                               const std::string& uninstallerPath, PackageInfo& info) {
    std::string uninstaller;
    if (!JFile::ReadAll(uninstallerPath, uninstaller)) {
        error_ = "cannot read " + uninstallerPath;
        return false;
    }
    if (uninstaller.size() > 0xFFFFFFFFu) {
        error_ = "the uninstaller is larger than 4 GiB";
        return false;
    }
    const std::uint64_t archiveSize = FileSize(archivePath);
    info.archiveOffset = kPackageFrontSize + kPackageInfoSize;
    info.archiveSize = archiveSize;
    info.uninstallerOffset = info.archiveOffset + archiveSize;
    info.uninstallerSize = static_cast<std::uint32_t>(uninstaller.size());
    HexToBytes(Md5OfBuffer(uninstaller.data(), uninstaller.size(), HexCase::Lower), info.uninstallerDigest,
               sizeof info.uninstallerDigest);

    const std::string partPath = packagePath + ".part";
    JFile out;
    if (!out.Open(partPath, JFile::Mode::Write)) {
        error_ = "cannot create " + partPath;
        return false;
    }
    const std::string front = FrontProgram();
    std::uint64_t copied = 0;
    bool ok = out.Write(front.data(), front.size()) == front.size() && out.Write(&info, sizeof info) == sizeof info &&
              CopyFileInto(out, archivePath, copied, error_) && copied == archiveSize &&
              out.Write(uninstaller.data(), uninstaller.size()) == uninstaller.size() && out.Flush();
    out.Close();
    if (ok && ::rename(partPath.c_str(), packagePath.c_str()) != 0) {
        ok = false;
    }
    if (!ok) {
        if (error_.empty()) {
            error_ = "cannot write " + packagePath;
        }
        ::unlink(partPath.c_str());
        return false;
    }
    ::chmod(packagePath.c_str(), 0755);
    return true;
}
