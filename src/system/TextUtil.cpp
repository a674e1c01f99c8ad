#include "system/TextUtil.h"

#include <cstdio>

std::string ReplaceAll(std::string text, const std::string& search, const std::string& replacement) {
    if (search.empty()) {
        return text;
    }
    for (std::size_t at = text.find(search); at != std::string::npos;
         at = text.find(search, at + replacement.size())) {
        text.replace(at, search.size(), replacement);
    }
    return text;
}

std::string FormatSize(std::uint64_t bytes) {
    char text[64];
    if (bytes > 1048576u) {
        std::snprintf(text, sizeof text, "%.2fMB", static_cast<double>(bytes) / 1048576.0);
    } else if (bytes <= 1024u) {
        std::snprintf(text, sizeof text, "%dByte", static_cast<int>(bytes));
    } else {
        std::snprintf(text, sizeof text, "%.2fKB", static_cast<double>(bytes) / 1024.0);
    }
    return text;
}
