#include "StatsServer.h"

#include <httplib.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "ReportSubmission.h"
#include "StatsPages.h"
#include "util/JsonNode.h"

namespace {

constexpr const char* kAcceptedReply = "{\"result\":{\"res\":true}}";
// A report with its log is small; this keeps a hostile post from filling memory.
constexpr std::size_t kMaxPostBytes = 32u * 1024 * 1024;
constexpr int kListedReports = 500;

// The same reply form as an accepted post, so a client applying the reply
// rule sees a refusal, with the reason beside it for a person.
std::string RefusalBody(const std::string& reason) {
    return "{\"result\":{\"res\":false,\"error\":" + PrintJson(*MakeJsonString(reason), false) + "}}";
}

void Refuse(httplib::Response& response, int status, const std::string& reason) {
    response.status = status;
    response.set_content(RefusalBody(reason), "application/json");
}

FormParts PartsOf(const httplib::Request& request) {
    FormParts parts;
    for (const auto& [name, part] : request.files) parts.emplace(name, FormPart{part.content, part.filename});
    return parts;
}

// Creates the folder chain, leaving existing folders alone.
bool MakeFolders(const std::string& path, std::string& error) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot create " + prefix + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) return true;
    }
}

// The library's stop() does nothing until the listening loop has begun, so a
// stop right after the start first waits, boundedly, for the loop.
void StopServing(httplib::Server* server, std::thread& thread, const std::atomic<bool>& loopEnded) {
    if (server == nullptr) return;
    if (thread.joinable()) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!server->is_running() && !loopEnded && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    server->stop();
    if (thread.joinable()) thread.join();
}

}  // namespace

StatsServer::StatsServer() = default;

// Both endpoints check and store a post the same way; only the JSON endpoint's
// reply can be overridden (to try the installer against other replies).
void StatsServer::HandleReportPost(ReportEndpoint endpoint, const httplib::Request& request,
                                   httplib::Response& response) {
    if (!request.is_multipart_form_data()) {
        Refuse(response, 400, "expected a multipart/form-data post");
        return;
    }
    StoredReport row;
    std::string reason;
    if (!AcceptReport(endpoint, PartsOf(request), row, reason)) {
        Refuse(response, 400, reason);
        return;
    }
    const std::int64_t id = store_.Add(row);
    if (id == 0) {
        Refuse(response, 500, "the report could not be stored");
        return;
    }
    const bool json = endpoint == ReportEndpoint::Json;
    std::fprintf(stderr, "mss-stats: report %lld (%s)%s%s on %s\n", static_cast<long long>(id),
                 row.installStatus.c_str(), json ? "" : " with log ", json ? "" : row.logName.c_str(),
                 json ? kJsonEndpointPath : kUploadEndpointPath);
    response.set_content(json ? options_.replyOverride.value_or(kAcceptedReply) : std::string(kAcceptedReply),
                         "application/json");
}

StatsServer::~StatsServer() {
    Stop();
}

bool StatsServer::Start(const StatsOptions& options, std::string& error) {
    if (!IsLoopbackAddress(options.bindAddress)) {
        error = "refusing to listen on " + options.bindAddress + ": only loopback addresses";
        return false;
    }
    options_ = options;
    if (!MakeFolders(options.dataFolder, error)) return false;
    if (!EnsureSelfSignedCertificate(options.dataFolder, certificate_, error)) return false;
    if (!store_.Open(options.dataFolder + "/reports.sqlite", error)) return false;

    auto tlsServer =
        std::make_unique<httplib::SSLServer>(certificate_.certificatePath.c_str(), certificate_.keyPath.c_str());
    if (!tlsServer->is_valid()) {
        error = "the TLS server does not accept " + certificate_.certificatePath;
        return false;
    }
    jsonServer_ = std::move(tlsServer);
    uploadServer_ = std::make_unique<httplib::Server>();

    jsonServer_->Post(kJsonEndpointPath, [this](const httplib::Request& request, httplib::Response& response) {
        HandleReportPost(ReportEndpoint::Json, request, response);
    });
    uploadServer_->Post(kUploadEndpointPath, [this](const httplib::Request& request, httplib::Response& response) {
        HandleReportPost(ReportEndpoint::Upload, request, response);
    });
    AddRoutes(*jsonServer_);
    AddRoutes(*uploadServer_);

    if (!Listen(*jsonServer_, options.jsonPort, jsonPort_, error) ||
        !Listen(*uploadServer_, options.uploadPort, uploadPort_, error)) {
        Stop();
        return false;
    }
    jsonThread_ = std::thread([this] {
        jsonServer_->listen_after_bind();
        jsonLoopEnded_ = true;
    });
    uploadThread_ = std::thread([this] {
        uploadServer_->listen_after_bind();
        uploadLoopEnded_ = true;
    });
    return true;
}

void StatsServer::AddRoutes(httplib::Server& server) {
    server.set_payload_max_length(kMaxPostBytes);
    server.Get("/", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(RenderReportList(store_.List(kListedReports)), "text/html; charset=utf-8");
    });
    server.Get(R"(/report/(\d{1,18}))", [this](const httplib::Request& request, httplib::Response& response) {
        const auto report = store_.Get(std::stoll(request.matches[1].str()));
        if (!report) {
            response.status = 404;
            response.set_content(RenderNotFoundPage(), "text/html; charset=utf-8");
            return;
        }
        response.set_content(RenderReportPage(*report), "text/html; charset=utf-8");
    });
    server.Get(R"(/report/(\d{1,18})/log)", [this](const httplib::Request& request, httplib::Response& response) {
        const auto report = store_.Get(std::stoll(request.matches[1].str()));
        if (!report || !report->log) {
            response.status = 404;
            response.set_content("no such log\n", "text/plain");
            return;
        }
        // Shown as text, never as a page: the log is whatever the sender attached.
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_content(*report->log, "text/plain; charset=utf-8");
    });
}

bool StatsServer::Listen(httplib::Server& server, int wantedPort, int& boundPort, std::string& error) {
    if (wantedPort == 0) {
        boundPort = server.bind_to_any_port(options_.bindAddress);
    } else {
        boundPort = server.bind_to_port(options_.bindAddress, wantedPort) ? wantedPort : -1;
    }
    if (boundPort <= 0) {
        error = "cannot listen on " + options_.bindAddress + ":" + std::to_string(wantedPort);
        return false;
    }
    return true;
}

void StatsServer::Stop() {
    StopServing(jsonServer_.get(), jsonThread_, jsonLoopEnded_);
    StopServing(uploadServer_.get(), uploadThread_, uploadLoopEnded_);
}
