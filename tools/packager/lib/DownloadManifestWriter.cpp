#include "DownloadManifestWriter.h"

#include <cstdint>
#include <limits>

#include "util/JFile.h"
#include "util/Md5.h"

std::string DownloadManifestWriter::EscapeAttribute(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

bool DownloadManifestWriter::Build(const std::string& filePath, const std::string& name,
                                   const std::vector<std::string>& mirrorUrls, std::string& xml) {
    JFile file;
    if (!file.Open(filePath, JFile::Mode::Read)) {
        error_ = "cannot open " + filePath;
        return false;
    }
    const std::int64_t size = file.Size();
    if (size < 0 || size > std::numeric_limits<std::int32_t>::max()) {
        error_ = filePath + " is larger than a manifest can describe (2 GiB)";
        return false;
    }
    std::vector<std::string> blockDigests;
    Md5Stream whole;
    std::string block(kManifestBlockSize, '\0');
    std::int64_t read = 0;
    while (read < size) {
        const std::size_t count = file.Read(block.data(), block.size());
        if (count == 0) {
            error_ = "cannot read " + filePath;
            return false;
        }
        whole.Update(block.data(), count);
        blockDigests.push_back(Md5OfBuffer(block.data(), count, HexCase::Upper));
        read += static_cast<std::int64_t>(count);
    }

    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    text += "<download size=\"" + std::to_string(size) + "\" name=\"" + EscapeAttribute(name) + "\" version=\"1\">\n";
    text += "    <url size=\"" + std::to_string(mirrorUrls.size()) + "\">\n";
    for (std::size_t i = 0; i < mirrorUrls.size(); ++i) {
        text += "        <item_" + std::to_string(i) + " value=\"" + EscapeAttribute(mirrorUrls[i]) + "\"/>\n";
    }
    text += "    </url>\n";
    text += "    <hash size=\"" + std::to_string(blockDigests.size() + 1) + "\">\n";
    text += "        <item_0 value=\"" + whole.Finish(HexCase::Upper) + "\"/>\n";
    for (std::size_t i = 0; i < blockDigests.size(); ++i) {
        text += "        <item_" + std::to_string(i + 1) + " value=\"" + blockDigests[i] + "\"/>\n";
    }
    text += "    </hash>\n</download>\n";
    xml = std::move(text);
    return true;
}
