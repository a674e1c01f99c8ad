#include "platform/DesktopEntry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/CommandLine.h"
#include "platform/FileIo.h"

namespace platform {
namespace {

// Characters that make an Exec argument need quoting.
constexpr const char* kReservedExecCharacters = " \t\n\"'\\><~|&;$*?#()`";

bool WriteText(int fd, const std::string& text) {
    return WriteFully(fd, text.data(), text.size());
}

}  // namespace

bool IsWebAddress(const std::string& target) {
    const std::size_t colon = target.find("://");
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = target[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && other)) {
            return false;
        }
    }
    return true;
}

std::string QuoteExecArgument(const std::string& argument, bool alwaysQuote) {
    const bool quote = alwaysQuote || argument.empty() ||
                       argument.find_first_of(kReservedExecCharacters) != std::string::npos;
    std::string out;
    if (quote) {
        out += '"';
    }
    for (const char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out += '\\';
        }
        if (c == '%') {
            out += '%';
        }
        out += c;
    }
    if (quote) {
        out += '"';
    }
    return out;
}

std::string EscapeDesktopValue(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case ' ': out += (i == 0) ? "\\s" : " "; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string FormatDesktopEntry(const DesktopEntry& entry) {
    const bool link = IsWebAddress(entry.target);
    std::string text = "[Desktop Entry]\n";
    text += link ? "Type=Link\n" : "Type=Application\n";
    text += "Version=1.0\n";
    text += "Name=" + EscapeDesktopValue(entry.name) + "\n";
    if (!entry.comment.empty()) {
        text += "Comment=" + EscapeDesktopValue(entry.comment) + "\n";
    }
    const std::string icon = !entry.icon.empty() ? entry.icon : (link ? std::string("text-html") : entry.target);
    text += "Icon=" + EscapeDesktopValue(icon) + "\n";
    if (link) {
        text += "URL=" + EscapeDesktopValue(entry.target) + "\n";
        return text;
    }
    // The quoting rules are applied first, then the value's own escapes, so a
    // backslash in a path ends up doubled twice.
    std::string exec = QuoteExecArgument(entry.target, true);
    for (const std::string& argument : SplitCommandLine(entry.arguments)) {
        exec += " " + QuoteExecArgument(argument, false);
    }
    text += "Exec=" + EscapeDesktopValue(exec) + "\n";
    if (!entry.workingFolder.empty()) {
        text += "Path=" + EscapeDesktopValue(entry.workingFolder) + "\n";
    }
    text += "Terminal=false\n";
    return text;
}

bool WriteDesktopEntry(const std::string& path, const DesktopEntry& entry, unsigned mode) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    const bool written = WriteText(fd, FormatDesktopEntry(entry)) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
