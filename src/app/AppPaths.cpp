#include "app/AppPaths.h"

#include "app/product/ProductConstants.h"
#include "platform/Folders.h"
#include "system/FileSystem.h"

namespace {

std::string MakePathUnder(const std::string& base, const std::string& subFolder,
                          const std::optional<std::string>& fileName, bool create) {
    if (base.empty()) {
        return std::string();
    }
    std::string path = JoinPath(base, subFolder);
    if (create) {
        CreateFolderChain(path);
    }
    if (fileName) {
        path = JoinPath(path, *fileName);
    }
    return path;
}

}  // namespace

std::string MakeDocumentsPath(const std::string& subFolder, const std::optional<std::string>& fileName,
                              bool create) {
    return MakePathUnder(platform::GetDocumentsFolder(), subFolder, fileName, create);
}

std::string MakeDownloadsPath(const std::string& subFolder, const std::optional<std::string>& fileName,
                              bool create) {
    const std::string documents = platform::GetDocumentsFolder();
    const std::size_t slash = documents.rfind('/');
    if (documents.empty() || slash == std::string::npos) {
        return std::string();
    }
    const std::string downloads = documents.substr(0, slash) + "/Downloads";
    return MakePathUnder(downloads, subFolder, fileName, create);
}

std::string MakeInstallLogPath() {
    return MakeDocumentsPath(product::ProductDataFolder() + "/Log/", std::string("install.log"), true);
}
