#include "app/InstallerFileName.h"

#include <cctype>
#include <vector>

#include "platform/ExecutablePath.h"

namespace {

// An optional sign and at least one digit, nothing else.
bool IsDecimalInteger(const std::string& piece) {
    std::size_t pos = (!piece.empty() && (piece[0] == '-' || piece[0] == '+')) ? 1 : 0;
    if (pos == piece.size()) {
        return false;
    }
    for (; pos < piece.size(); ++pos) {
        if (!std::isdigit(static_cast<unsigned char>(piece[pos]))) {
            return false;
        }
    }
    return true;
}

void AppendPiece(std::string& text, const std::string& piece) {
    if (!text.empty()) {
        text += '_';
    }
    text += piece;
}

}  // namespace

InstallerTags ParseInstallerFileName(const std::string& executablePath) {
    std::string name = executablePath.substr(executablePath.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }

    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('_', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        if (end > start) {
            pieces.push_back(name.substr(start, end - start));
        }
        start = end + 1;
    }

    InstallerTags tags;
    if (pieces.size() < 2) {
        return tags;
    }
    std::string option;
    std::string source;
    bool markerSeen = false;
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        if (IsDecimalInteger(pieces[i])) {
            markerSeen = true;
        } else {
            AppendPiece(markerSeen ? source : option, pieces[i]);
        }
    }
    if (markerSeen) {
        tags.option = option;
        tags.source = source;
    }
    return tags;
}

InstallerTags ParseInstallerFileName() {
    return ParseInstallerFileName(platform::GetExecutablePath());
}
