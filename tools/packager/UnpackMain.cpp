// mss-unpack: unpacks a setup package the way the installer does, to check
// a package or to time the extraction.
#include <chrono>
#include <cstdio>
#include <string>

#include "install/InstallResult.h"
#include "install/SetupPackageUnpacker.h"

int main(int argc, char* argv[]) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::string(argv[3]) != "--no-uninstaller")) {
        std::fputs("usage: mss-unpack <setup package> <install folder> [--no-uninstaller]\n", stderr);
        return 2;
    }
    int lastPercent = 0;
    const UnpackNotify notify = [&lastPercent](int kind, int value, int) {
        if (kind == kUnpackProgress) {
            lastPercent = value;
        } else if (kind == kUnpackExtractError) {
            std::fprintf(stderr, "mss-unpack: extraction error %d\n", value);
        }
    };
    const auto start = std::chrono::steady_clock::now();
    const HRESULT result = UnpackSetupPackage(argv[1], notify, argv[2], true, argc == 3);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (FAILED(result)) {
        std::fprintf(stderr, "mss-unpack: failed, %s (%d)\n", GetInstallResultName().c_str(), GetInstallResultCode());
        return 1;
    }
    std::printf("unpacked in %.2f s (last progress %d%%)\n", seconds, lastPercent);
    return 0;
}
