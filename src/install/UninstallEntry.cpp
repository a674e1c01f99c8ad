#include "install/UninstallEntry.h"

#include "app/log/ILog.h"
#include "app/product/ProductConstants.h"
#include "install/UninstallKey.h"
#include "system/FileSystem.h"

std::string MakeInstallDate(const std::string& releaseDate) {
    std::string date;
    for (std::size_t index : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (index < releaseDate.size()) {
            date += releaseDate[index];
        }
    }
    return date;
}

void WriteUninstallEntry(const std::string& keyName, const PackageInfo& info, const std::string& installFolder,
                         std::int32_t setupOptions) {
    const std::string version = PackageInfoText(info.version);
    const std::string releaseDate = PackageInfoText(info.releaseDate);
    const std::string webLink = PackageInfoText(info.webLink);
    // Both architectures' builds use the same main program name.
    const std::string mainProgram = JoinPath(installFolder, product::kMainProgramFileName);
    const std::string uninstaller = "\"" + JoinPath(installFolder, kUninstallerFileName) + "\"";

    WriteUninstallString(keyName, "DisplayIcon", mainProgram);
    WriteUninstallString(keyName, "Version", version);
    WriteUninstallString(keyName, "DisplayVersion", version);
    WriteUninstallString(keyName, "DisplayName", PackageInfoText(info.productName) + " (" + releaseDate + ")");
    WriteUninstallDword(keyName, "EstimatedSize", kEstimatedSizeKb);
    WriteUninstallString(keyName, "HelpLink", webLink);
    WriteUninstallString(keyName, "InstallDate", MakeInstallDate(releaseDate));
    WriteUninstallString(keyName, kInstallLocationValueName, installFolder);
    WriteUninstallDword(keyName, "NoModify", 1);
    WriteUninstallDword(keyName, "NoRepair", 1);
    WriteUninstallString(keyName, "Publisher", PackageInfoText(info.publisher));
    WriteUninstallString(keyName, "QuietUninstallString", uninstaller + " /SILENT");
    WriteUninstallDword(keyName, "sEstimatedSize2", kEstimatedSize2Kb);
    WriteUninstallString(keyName, "UninstallString", uninstaller);
    WriteUninstallString(keyName, "URLInfoAbout", webLink);
    WriteUninstallString(keyName, "URLUpdateInfo", webLink);
    WriteUninstallDword(keyName, kSetupOptionsValueName, setupOptions);

    LogPrintf("Write Setup Cfg Flag : %d, root(%s), key(%s).\n", setupOptions, UninstallKeyPath(keyName).c_str(),
              kSetupOptionsValueName);
}
