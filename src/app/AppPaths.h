// The installer's folders under the user's Documents and Downloads folders.
#pragma once

#include <optional>
#include <string>

// Documents + subFolder (created level by level when create is set) + fileName.
// An empty text when the Documents folder cannot be determined, so that
// nothing is ever written relative to the current folder.
std::string MakeDocumentsPath(const std::string& subFolder, const std::optional<std::string>& fileName,
                              bool create);

// The same under the "Downloads" folder beside the Documents folder.
std::string MakeDownloadsPath(const std::string& subFolder, const std::optional<std::string>& fileName,
                              bool create);

// The install log's path: Documents/<product data folder>/Log/install.log.
std::string MakeInstallLogPath();
