#include "Packager.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "DownloadManifestWriter.h"
#include "ProductArchiver.h"
#include "SetupPackageWriter.h"
#include "util/JFile.h"

namespace {

template <std::size_t N>
bool StoreText(char (&field)[N], const std::string& value) {
    return SetPackageInfoText(field, value);
}

bool IsReleaseDate(const std::string& text) {
    if (text.size() != 10) {
        return false;
    }
    for (const std::size_t digit : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[digit] < '0' || text[digit] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string Packager::Usage() {
    return "usage: mss-packager (--product-dir <folder> | --archive <file.7z>) --uninstaller <file>\n"
           "                    --output <package> [--manifest <file.xml>] [--name <manifest name>]\n"
           "                    [--mirror-url <url>]... [--compression-level 0-9]\n"
           "                    --folder-name <text> --product-name <text> --version <text>\n"
           "                    --display-name <text> --release-date YYYY-MM-DD --web-link <url>\n"
           "                    --publisher <text> --x64 0|1 --signature <8 characters>\n";
}

bool Packager::SetText(const std::string& option, const std::string& value, PackagerOptions& options) {
    PackageInfo& info = options.info;
    bool fits = true;
    if (option == "--folder-name") fits = StoreText(info.folderName, value);
    else if (option == "--product-name") fits = StoreText(info.productName, value);
    else if (option == "--version") fits = StoreText(info.version, value);
    else if (option == "--display-name") fits = StoreText(info.displayName, value);
    else if (option == "--web-link") fits = StoreText(info.webLink, value);
    else if (option == "--publisher") fits = StoreText(info.publisher, value);
    else if (option == "--release-date") {
        if (!IsReleaseDate(value)) {
            error_ = "--release-date takes ten characters: year, month and day, as in 2021-06-01";
            return false;
        }
        fits = StoreText(info.releaseDate, value);
    } else if (option == "--signature") {
        // Eight characters fill the field exactly; no terminating NUL follows.
        fits = value.size() <= sizeof info.signature;
        if (fits) {
            std::memset(info.signature, 0, sizeof info.signature);
            std::memcpy(info.signature, value.data(), value.size());
        }
    } else {
        error_ = "unknown option " + option;
        return false;
    }
    if (!fits) {
        error_ = option + " is too long for its field in the package information";
    }
    return fits;
}

bool Packager::ParseCommandLine(const std::vector<std::string>& arguments, PackagerOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (i + 1 >= arguments.size()) {
            error_ = option + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (option == "--product-dir") options.productFolder = value;
        else if (option == "--archive") options.archive = value;
        else if (option == "--uninstaller") options.uninstaller = value;
        else if (option == "--output") options.output = value;
        else if (option == "--manifest") options.manifest = value;
        else if (option == "--name") options.manifestName = value;
        else if (option == "--mirror-url") options.mirrorUrls.push_back(value);
        else if (option == "--compression-level") {
            if (value.size() != 1 || value[0] < '0' || value[0] > '9') {
                error_ = "--compression-level takes 0 to 9";
                return false;
            }
            options.compressionLevel = value[0] - '0';
        } else if (option == "--x64") {
            if (value != "0" && value != "1") {
                error_ = "--x64 takes 0 or 1";
                return false;
            }
            options.info.x64 = value == "1" ? 1 : 0;
        } else if (!SetText(option, value, options)) {
            return false;
        }
    }
    if (options.productFolder.empty() == options.archive.empty()) {
        error_ = "give either --product-dir or --archive";
        return false;
    }
    if (options.uninstaller.empty() || options.output.empty()) {
        error_ = "--uninstaller and --output are needed";
        return false;
    }
    if (PackageInfoText(options.info.folderName).empty()) {
        error_ = "--folder-name is needed: it names the install folder and the uninstall entry";
        return false;
    }
    return true;
}

bool Packager::Run(const PackagerOptions& options) {
    const std::filesystem::path outputFolder = std::filesystem::path(options.output).parent_path();
    std::error_code failure;
    if (!outputFolder.empty() && !std::filesystem::create_directories(outputFolder, failure) && failure) {
        error_ = "cannot create " + outputFolder.string();
        return false;
    }
    std::string archive = options.archive;
    const std::string madeArchive = options.output + ".7z.part";
    if (!options.productFolder.empty()) {
        ProductArchiver archiver(options.compressionLevel);
        if (!archiver.Pack(options.productFolder, madeArchive)) {
            error_ = archiver.error();
            return false;
        }
        archive = madeArchive;
    }
    PackageInfo info = options.info;
    SetupPackageWriter writer;
    const bool written = writer.Write(options.output, archive, options.uninstaller, info);
    if (!options.productFolder.empty()) {
        ::unlink(madeArchive.c_str());
    }
    if (!written) {
        error_ = writer.error();
        return false;
    }
    if (options.manifest.empty()) {
        return true;
    }
    std::string name = options.manifestName;
    if (name.empty()) {
        const std::size_t slash = options.output.rfind('/');
        name = slash == std::string::npos ? options.output : options.output.substr(slash + 1);
    }
    DownloadManifestWriter manifest;
    std::string xml;
    if (!manifest.Build(options.output, name, options.mirrorUrls, xml)) {
        error_ = manifest.error();
        return false;
    }
    if (!JFile::WriteAll(options.manifest, xml)) {
        error_ = "cannot write " + options.manifest;
        return false;
    }
    return true;
}
