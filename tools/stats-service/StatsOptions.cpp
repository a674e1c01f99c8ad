#include "StatsOptions.h"

#include <arpa/inet.h>

#include <charconv>

const char* const kStatsUsage =
    "usage: mss-stats [--data DIR] [--bind ADDR] [--json-port N] [--upload-port N]\n"
    "                 [--reply TEXT] [--exit-on-stdin-close]\n"
    "  --data DIR             database, certificate and key (default ./mss-stats-data)\n"
    "  --bind ADDR            loopback address to listen on (default 127.0.0.1)\n"
    "  --json-port N          HTTPS port of /api/common_json_post/ (0 = any free port)\n"
    "  --upload-port N        HTTP port of /api/common_post/ and the report pages (0 = any)\n"
    "  --reply TEXT           body answered to valid JSON-endpoint posts instead of\n"
    "                         {\"result\":{\"res\":true}} (for trying other replies)\n"
    "  --exit-on-stdin-close  stop when standard input reaches its end\n";

namespace {

bool ParsePort(const std::string& text, int& port) {
    int value = -1;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || value < 0 || value > 65535) return false;
    port = value;
    return true;
}

}  // namespace

bool IsLoopbackAddress(const std::string& address) {
    if (address == "localhost") return true;
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) return false;
    return (ntohl(parsed.s_addr) >> 24) == 127;
}

bool ParseStatsOptions(const std::vector<std::string>& args, StatsOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            options.showHelp = true;
            continue;
        }
        if (name == "--exit-on-stdin-close") {
            options.exitOnStdinClose = true;
            continue;
        }
        if (name != "--data" && name != "--bind" && name != "--json-port" && name != "--upload-port" &&
            name != "--reply") {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--data") {
            if (value.empty()) {
                error = "--data needs a folder";
                return false;
            }
            options.dataFolder = value;
        } else if (name == "--bind") {
            if (!IsLoopbackAddress(value)) {
                error = "refusing to listen on " + value + ": only loopback addresses (127.0.0.0/8)";
                return false;
            }
            options.bindAddress = value == "localhost" ? "127.0.0.1" : value;
        } else if (name == "--reply") {
            options.replyOverride = value;
        } else if (!ParsePort(value, name == "--json-port" ? options.jsonPort : options.uploadPort)) {
            error = "bad port " + value;
            return false;
        }
    }
    return true;
}
