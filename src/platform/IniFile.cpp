#include "platform/IniFile.h"

#include <strings.h>

#include <cstdint>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return std::string();
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

int ParseProfileNumber(const std::string& value) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < value.size() && (value[pos] == '-' || value[pos] == '+')) {
        negative = value[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (value.compare(pos, 2, "0x") == 0 || value.compare(pos, 2, "0X") == 0) {
        base = 16;
        pos += 2;
    }
    // Accumulate in 64 bits and keep the low 32, as a C conversion would wrap.
    std::uint64_t number = 0;
    for (; pos < value.size(); ++pos) {
        const char c = value[pos];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            break;
        }
        number = number * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    const auto low = static_cast<std::uint32_t>(number);
    return static_cast<int>(negative ? 0u - low : low);
}

}  // namespace

int ReadProfileInt(const std::string& iniText, const std::string& section, const std::string& key,
                   int defaultValue) {
    std::istringstream lines(iniText);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') {
            continue;
        }
        if (trimmed.front() == '[') {
            const auto close = trimmed.find(']');
            inSection = close != std::string::npos &&
                        EqualIgnoringCase(Trim(trimmed.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        const auto equals = trimmed.find('=');
        if (equals == std::string::npos || !EqualIgnoringCase(Trim(trimmed.substr(0, equals)), key)) {
            continue;
        }
        const std::string value = Trim(trimmed.substr(equals + 1));
        return value.empty() ? defaultValue : ParseProfileNumber(value);
    }
    return defaultValue;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        return defaultValue;
    }
    std::stringstream text;
    text << in.rdbuf();
    return ReadProfileInt(text.str(), section, key, defaultValue);
}

}  // namespace platform
