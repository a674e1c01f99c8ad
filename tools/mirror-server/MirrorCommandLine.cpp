#include "MirrorCommandLine.h"

#include <arpa/inet.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace mirror {

namespace {

// Longest pause a stall may ask for; a longer one is almost surely a typo and
// would keep a test's server busy for ages.
constexpr double kMaxStallSeconds = 3600.0;

bool ParseUnsigned(const std::string& text, uint64_t& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool ParseSeconds(const std::string& text, std::chrono::milliseconds& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(seconds) || seconds < 0.0 ||
        seconds > kMaxStallSeconds) {
        return false;
    }
    value = std::chrono::milliseconds(std::llround(seconds * 1000.0));
    return true;
}

bool ParseSpan(const std::string& text, ByteSpan& span) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    return ParseUnsigned(text.substr(0, colon), span.offset) &&
           ParseUnsigned(text.substr(colon + 1), span.length) && span.length > 0 &&
           span.offset <= UINT64_MAX - span.length;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool MirrorCommandLine::IsLoopbackAddress(const std::string& address) {
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) {
        return false;
    }
    return (ntohl(parsed.s_addr) >> 24) == 127;
}

MirrorCommandLine::Outcome MirrorCommandLine::Parse(const std::vector<std::string>& args,
                                                    MirrorSettings& settings, std::string& error) {
    MirrorFaults& faults = settings.faults;
    bool stallTimeGiven = false;

    // Options that take a value; each returns false when the value is unusable.
    using ValueHandler = std::function<bool(const std::string&)>;
    const std::map<std::string, ValueHandler> withValue = {
        {"--address", [&](const std::string& v) { settings.address = v; return IsLoopbackAddress(v); }},
        {"--port",
         [&](const std::string& v) {
             uint64_t port = 0;
             if (!ParseUnsigned(v, port) || port > 65535) return false;
             settings.port = static_cast<uint16_t>(port);
             return true;
         }},
        {"--file", [&](const std::string& v) { settings.file = v; return !v.empty(); }},
        {"--name",
         [&](const std::string& v) {
             settings.name = v;
             return !v.empty() && v.find('/') == std::string::npos;
         }},
        {"--flag-text", [&](const std::string& v) { settings.flagText = v; return true; }},
        {"--access-log", [&](const std::string& v) { settings.accessLog = v; return !v.empty(); }},
        {"--stall-after",
         [&](const std::string& v) {
             uint64_t n = 0;
             if (!ParseUnsigned(v, n)) return false;
             faults.stallAfter = n;
             return true;
         }},
        {"--stall-seconds",
         [&](const std::string& v) {
             stallTimeGiven = true;
             return ParseSeconds(v, faults.stallTime);
         }},
        {"--close-after",
         [&](const std::string& v) {
             uint64_t n = 0;
             if (!ParseUnsigned(v, n)) return false;
             faults.closeAfter = n;
             return true;
         }},
        {"--corrupt",
         [&](const std::string& v) {
             ByteSpan span;
             if (!ParseSpan(v, span)) return false;
             faults.corrupt.push_back(span);
             return true;
         }},
        {"--status",
         [&](const std::string& v) {
             uint64_t code = 0;
             if (!ParseUnsigned(v, code) || code < 400 || code > 599) return false;
             faults.status = static_cast<int>(code);
             return true;
         }},
        {"--rate",
         [&](const std::string& v) { return ParseUnsigned(v, faults.rate) && faults.rate > 0; }},
        {"--head-length",
         [&](const std::string& v) {
             uint64_t n = 0;
             if (!ParseUnsigned(v, n)) return false;
             faults.headLength = n;
             return true;
         }},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"--ignore-range", [&] { faults.ignoreRange = true; }},
        {"--no-flag", [&] { faults.noFlag = true; }},
        {"--watch-stdin", [&] { settings.watchStdin = true; }},
    };

    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::string value;
        bool hasInlineValue = false;
        if (const size_t equals = option.find('='); option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
            hasInlineValue = true;
        }
        if (option == "--help" || option == "-h") {
            return Outcome::Help;
        }
        if (const auto flag = flags.find(option); flag != flags.end() && !hasInlineValue) {
            flag->second();
            continue;
        }
        const auto handler = withValue.find(option);
        if (handler == withValue.end()) {
            error = "unknown option " + args[i];
            return Outcome::Error;
        }
        if (!hasInlineValue) {
            if (i + 1 >= args.size()) {
                error = option + " needs a value";
                return Outcome::Error;
            }
            value = args[++i];
        }
        if (!handler->second(value)) {
            error = option == "--address"
                        ? "--address must be an IPv4 address in 127.0.0.0/8, not \"" + value + "\""
                        : "bad value \"" + value + "\" for " + option;
            return Outcome::Error;
        }
    }

    if (settings.file.empty()) {
        error = "--file is required";
        return Outcome::Error;
    }
    if (faults.stallAfter.has_value() != stallTimeGiven) {
        error = "--stall-after and --stall-seconds go together";
        return Outcome::Error;
    }
    if (settings.name.empty()) {
        settings.name = BaseName(settings.file);
        if (settings.name.empty()) {
            error = "--file names no file: " + settings.file;
            return Outcome::Error;
        }
    }
    return Outcome::Run;
}

std::string MirrorCommandLine::Usage() {
    return R"(Usage: mss-mirror --file PATH [options]

A local HTTP mirror for tests, benchmarks and the demo. It serves one file as
/download/NAME (GET and HEAD, one byte range per request: 206 with
Content-Range, 416 when the range lies past the end; several ranges in one
request get 200 with the whole file) and the reachability page /flag.php.
Once listening it prints one line to standard output:
  listening http://ADDRESS:PORT
and serves until SIGTERM or SIGINT (or, with --watch-stdin, until its
standard input reaches end of file).

Options:
  --address IP         listen address, an IPv4 address in 127.0.0.0/8
                       (default 127.0.0.1); use 127.0.0.2, 127.0.0.3, ... to
                       give several mirrors different hosts
  --port N             listen port; 0 (default) lets the system pick a free one
  --file PATH          the file to serve (required); it is read in pieces, never
                       held in memory
  --name NAME          serve it as /download/NAME (default: its base name)
  --flag-text TEXT     body of /flag.php (default "1" and a newline: the network
                       has room; "0" or a single "1" means full)
  --access-log PATH    append one line per request: METHOD PATH RANGE STATUS LENGTH
                       (RANGE is the Range header or "-"; LENGTH is the body
                       length announced, or "held" for an unanswered /flag.php)
  --watch-stdin        stop when standard input reaches end of file (a launcher
                       keeps a pipe open, so its crash cannot leave us running)
  --help               this text

Faults (each applies to every /download response, GET and HEAD alike unless
said otherwise; byte counts are counted from the first byte of each response
body, so every response that reaches the count plays the fault again):
  --stall-after N      after N body bytes, send nothing for the time given by
  --stall-seconds T    T seconds (fractions allowed), then go on; both or neither
  --close-after N      after N body bytes, close the connection (the client sees
                       a short body); 0 closes right after the headers
  --corrupt OFF:LEN    serve the file bytes OFF .. OFF+LEN-1 inverted (XOR 0xFF)
                       in every response that covers them; may be repeated
  --ignore-range       ignore Range: 200 with the whole file; HEAD says
                       "Accept-Ranges: none"
  --status CODE        answer every /download request with CODE (400..599) and
                       a short text body
  --rate BPS           send each body at most BPS bytes per second
  --head-length N      HEAD reports Content-Length N (GET still sends the file)
  --no-flag            /flag.php never answers: the request is held until the
                       client hangs up, the server stops or 60 seconds pass,
                       then the connection is closed without a reply

Exit status: 0 after a stop, 1 when the file cannot be served or the address
and port cannot be bound, 2 for a bad command line, 3 when connections were
still busy 3 seconds after a stop request (the server left without them).
)";
}

}  // namespace mirror
