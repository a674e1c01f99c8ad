// "uninstall.exe" of the demo product. Accepts "/SILENT".
#include <cstdio>
#include <string>

#include "DemoUninstaller.h"
#include "platform/ExecutablePath.h"

int main(int argc, char* argv[]) {
    bool silent = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "/SILENT" || argument == "/silent") {
            silent = true;
        } else {
            std::fprintf(stderr, "usage: uninstall.exe [/SILENT]\n");
            return 2;
        }
    }
    const std::string program = platform::GetExecutablePath();
    const std::size_t slash = program.rfind('/');
    if (slash == std::string::npos || slash == 0) {
        std::fprintf(stderr, "uninstall: cannot tell the install folder\n");
        return 1;
    }
    return DemoUninstaller(program.substr(0, slash), silent).Run();
}
