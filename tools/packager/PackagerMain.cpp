// mss-packager: builds a setup package and its download manifest.
#include <cstdio>
#include <string>
#include <vector>

#include "Packager.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "--help") {
        std::fputs(Packager::Usage().c_str(), arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 2 : 0;
    }
    Packager packager;
    PackagerOptions options;
    if (!packager.ParseCommandLine(arguments, options)) {
        std::fprintf(stderr, "mss-packager: %s\n%s", packager.error().c_str(), Packager::Usage().c_str());
        return 2;
    }
    if (!packager.Run(options)) {
        std::fprintf(stderr, "mss-packager: %s\n", packager.error().c_str());
        return 1;
    }
    return 0;
}
