// The command line of mss-mirror: parsing, checking and the --help text.
#pragma once

#include <string>
#include <vector>

#include "MirrorSettings.h"

namespace mirror {

class MirrorCommandLine {
public:
    enum class Outcome { Run, Help, Error };

    // Reads the arguments (without the program name) into `settings`. Error
    // comes with a one-line reason; nothing is opened or bound here.
    static Outcome Parse(const std::vector<std::string>& args, MirrorSettings& settings,
                         std::string& error);

    static std::string Usage();

    // Whether the text is a dotted IPv4 address inside 127.0.0.0/8.
    static bool IsLoopbackAddress(const std::string& address);
};

}  // namespace mirror
