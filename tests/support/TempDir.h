// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative.
    std::string Path(const std::string& relative) const;
    // Writes a file (creating its folders) and returns its full path.
    std::string WriteFile(const std::string& relative, const std::string& content) const;
    // Reads a whole file; an empty text when it cannot be read.
    static std::string ReadFile(const std::string& fullPath);

private:
    std::string path_;
};
