// The demo product's main program, "Mirvak Serac Studio.exe": it stands in
// for the real product in end-to-end runs. Every start appends its command
// line to "launches.log" beside the program; "/install" does the first-run
// work (a marker file, "firstrun.done") and ends.
#include <cstdio>
#include <string>

#include "platform/ExecutablePath.h"

namespace {

std::string OwnFolder() {
    const std::string program = platform::GetExecutablePath();
    const std::size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string(".") : program.substr(0, slash);
}

bool AppendLine(const std::string& path, const std::string& line, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fprintf(file, "%s\n", line.c_str()) >= 0;
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::string commandLine;
    bool install = false;
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
        install = install || std::string(argv[i]) == "/install";
    }
    const std::string folder = OwnFolder();
    if (!AppendLine(folder + "/launches.log", commandLine, "a")) {
        std::fprintf(stderr, "Mirvak Serac Studio: cannot write %s/launches.log\n", folder.c_str());
    }
    if (install) {
        // The first-run work of the demo: leave a mark that the install run happened.
        return AppendLine(folder + "/firstrun.done", commandLine, "w") ? 0 : 1;
    }
    std::printf("Mirvak Serac Studio (demo) started: %s\n", commandLine.c_str());
    return 0;
}
