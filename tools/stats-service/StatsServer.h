// The statistics service: the JSON endpoint over HTTPS, the upload endpoint
// over plain HTTP, and the report pages on both, all listening on one
// loopback address and storing into one ReportStore.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "ReportStore.h"
#include "ReportSubmission.h"
#include "SelfSignedCertificate.h"
#include "StatsOptions.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}

class StatsServer {
public:
    StatsServer();
    ~StatsServer();
    StatsServer(const StatsServer&) = delete;
    StatsServer& operator=(const StatsServer&) = delete;

    // Prepares the data folder, the certificate and the database, binds both
    // ports and starts serving. False with a message in error on any failure.
    bool Start(const StatsOptions& options, std::string& error);
    void Stop();

    int jsonPort() const { return jsonPort_; }
    int uploadPort() const { return uploadPort_; }
    const CertificateFiles& certificate() const { return certificate_; }

private:
    void AddRoutes(httplib::Server& server);
    void HandleReportPost(ReportEndpoint endpoint, const httplib::Request& request, httplib::Response& response);
    bool Listen(httplib::Server& server, int wantedPort, int& boundPort, std::string& error);

    StatsOptions options_;
    CertificateFiles certificate_;
    ReportStore store_;
    std::unique_ptr<httplib::Server> jsonServer_;    // HTTPS
    std::unique_ptr<httplib::Server> uploadServer_;  // plain HTTP
    std::thread jsonThread_;
    std::thread uploadThread_;
    std::atomic<bool> jsonLoopEnded_{false};
    std::atomic<bool> uploadLoopEnded_{false};
    int jsonPort_ = 0;
    int uploadPort_ = 0;
};
