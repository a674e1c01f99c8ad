#include "MirrorHttpServer.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <ctime>
#include <vector>

#include "ResponseBody.h"
#include "SilentHold.h"

namespace mirror {

namespace {

// Enough workers for 16 parallel transfers plus held reachability requests and
// idle keep-alive connections, each of which occupies a worker.
constexpr size_t kWorkerThreads = 64;

// The library listens with a backlog of 5; ten connections opened at once
// (the installer's first burst) would overflow it and cost a one-second SYN
// retry, so the listening socket is given a real backlog.
constexpr int kListenBacklog = 128;

// How long an unanswered /flag.php request is held at most.
constexpr std::chrono::seconds kSilentHoldLimit{60};

constexpr const char* kFileType = "application/octet-stream";

std::string HttpDate(std::time_t time) {
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[64] = {};
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
}

// Takes the parsed Range out of the request. The library would otherwise slice
// every body once more by it (and version 0.11 computes nonsense offsets for a
// range past the end), so the answers decide ranges themselves. The request
// object is the library's own non-const one; only the handler sees it as const.
std::vector<RangeAnswer::Range> TakeRanges(const httplib::Request& request) {
    auto& ranges = const_cast<httplib::Request&>(request).ranges;
    std::vector<RangeAnswer::Range> taken;
    taken.swap(ranges);
    return taken;
}

}  // namespace

// The library's server with its listening socket in reach, for the backlog.
class MirrorHttpServer::Listener : public httplib::Server {
public:
    int ListeningSocket() const { return svr_sock_; }
};

MirrorHttpServer::MirrorHttpServer(const MirrorSettings& settings, const FileSource& file,
                                   AccessLog& log, const StopSignal& stop)
    : settings_(settings),
      file_(file),
      log_(log),
      stop_(stop),
      downloadPath_("/download/" + settings.name),
      lastModified_(HttpDate(file.ModifiedTime())),
      http_(std::make_unique<Listener>()) {
    http_->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // SO_REUSEADDR alone: the library's default adds SO_REUSEPORT, which would
    // let a second mirror bind the same fixed port and silently share it.
    http_->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Small answers (headers, flag.php) must not wait for delayed ACKs.
    http_->set_tcp_nodelay(true);
    http_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        OnRequest(request, response);
    });
}

MirrorHttpServer::~MirrorHttpServer() = default;

int MirrorHttpServer::Bind() {
    int port = -1;
    if (settings_.port == 0) {
        port = http_->bind_to_any_port(settings_.address);
    } else if (http_->bind_to_port(settings_.address, settings_.port)) {
        port = settings_.port;
    }
    if (port > 0) {
        ::listen(http_->ListeningSocket(), kListenBacklog);
    }
    return port > 0 ? port : -1;
}

void MirrorHttpServer::Serve() {
    http_->listen_after_bind();
}

bool MirrorHttpServer::IsServing() const {
    return http_->is_running();
}

void MirrorHttpServer::Stop() {
    http_->stop();
}

void MirrorHttpServer::OnRequest(const httplib::Request& request, httplib::Response& response) {
    const std::vector<RangeAnswer::Range> ranges = TakeRanges(request);
    if (request.path == downloadPath_) {
        AnswerDownload(request, ranges, response);
    } else if (request.path == "/flag.php") {
        AnswerFlag(request, response);
    } else {
        AnswerText(request, response, 404, "not found\n");
    }
}

void MirrorHttpServer::AnswerDownload(const httplib::Request& request,
                                      const std::vector<RangeAnswer::Range>& ranges,
                                      httplib::Response& response) {
    const MirrorFaults& faults = settings_.faults;
    if (faults.status != 0) {
        AnswerText(request, response, faults.status, "status " + std::to_string(faults.status) + "\n");
        return;
    }
    const uint64_t size = file_.Size();
    const RangeAnswer answer = RangeAnswer::Decide(ranges, size, faults.ignoreRange);

    response.status = answer.status;
    response.set_header("Accept-Ranges", faults.ignoreRange ? "none" : "bytes");
    response.set_header("Last-Modified", lastModified_);
    if (!answer.contentRange.empty()) {
        response.set_header("Content-Range", answer.contentRange);
    }

    uint64_t length = answer.length;
    if (request.method == "HEAD" && faults.headLength) {
        length = *faults.headLength;
    }
    log_.Write(request.method, request.path, request.get_header_value("Range"),
               std::to_string(answer.status), std::to_string(length));
    if (length == 0 || answer.status == 416) {
        response.set_content("", kFileType);
        return;
    }
    if (request.method == "HEAD") {
        // Only the announced length matters; the library sends no body.
        response.set_content_provider(static_cast<size_t>(length), kFileType,
                                      [](size_t, size_t, httplib::DataSink&) { return false; });
        return;
    }
    auto body = std::make_shared<ResponseBody>(file_, answer.first, answer.length, faults, stop_);
    response.set_content_provider(
        static_cast<size_t>(answer.length), kFileType,
        [body](size_t offset, size_t, httplib::DataSink& sink) { return body->Provide(offset, sink); });
}

void MirrorHttpServer::AnswerFlag(const httplib::Request& request, httplib::Response& response) {
    if (!settings_.faults.noFlag) {
        AnswerText(request, response, 200, settings_.flagText);
        return;
    }
    log_.Write(request.method, request.path, request.get_header_value("Range"), "-", "held");
    if (!SilentHold::Hold(request, stop_, kSilentHoldLimit)) {
        // The connection could not be found to be cut; an error is the
        // closest thing to no answer left.
        response.status = 503;
        response.set_content("no answer\n", "text/plain");
        return;
    }
    response.status = 503;  // written to a shut-down socket: the client gets nothing
}

void MirrorHttpServer::AnswerText(const httplib::Request& request, httplib::Response& response,
                                  int status, const std::string& text) {
    log_.Write(request.method, request.path, request.get_header_value("Range"), std::to_string(status),
               std::to_string(text.size()));
    response.status = status;
    response.set_content(text, "text/plain");
}

}  // namespace mirror
