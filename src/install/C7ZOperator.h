// The archive extractor: extracts the product's 7z archive into the install
// folder from a file or from memory and turns the engine's progress and
// errors into unpack events (progress as kind 100, errors as kind 101).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "install/I7zFileInfoCallback.h"
#include "install/UnpackNotify.h"

class C7ZOperator : public I7zFileInfoCallback {
public:
    C7ZOperator() = default;

    void SetNotify(UnpackNotify notify);

    // Extracts an archive file into the folder. False with errorText
    // "File path not exists : <path>" when the archive is missing, or
    // "Read 7z file error" when the run fails; both also report error 263.
    bool ExtractFile(const std::string& archivePath, const std::string& outputFolder,
                     const std::string& password, std::string& errorText);

    // Extracts an archive held in memory: writes it to "Vek7ZFile.7z" in a
    // new folder of its own under the temporary folder and extracts from
    // there. removeTemporary deletes that folder after a successful run; a
    // failed run always deletes it. False with an error text as ExtractFile,
    // or "Write 7z file error" when the temporary archive cannot be written;
    // false without a text when buffer or folder is missing.
    bool ExtractBuffer(const void* buffer, std::size_t size, const std::string& outputFolder,
                       const std::string& password, std::string& errorText, bool removeTemporary);

    void OnExtractProgress(std::uint32_t low, std::uint32_t high) override;
    void OnExtractError(int code) override;

    // The last code given to OnExtractError; 0 before any.
    int lastError() const { return lastError_; }

    // A new folder "<temporary folder>/<tick in hex>/", created here and
    // owned by this process; empty when none could be made.
    static std::string MakeUniqueTempFolder();

private:
    int lastError_ = 0;
    UnpackNotify notify_;
};
