// The HTTP side of one mirror: /download/<name> with HEAD and byte ranges,
// /flag.php with the configured text, everything else 404, and the faults of
// the settings played on the way.
#pragma once

#include <httplib.h>

#include <memory>
#include <string>
#include <vector>

#include "AccessLog.h"
#include "FileSource.h"
#include "MirrorSettings.h"
#include "RangeAnswer.h"
#include "StopSignal.h"

namespace mirror {

class MirrorHttpServer {
public:
    // Borrows everything; the caller keeps it alive until Serve has returned.
    MirrorHttpServer(const MirrorSettings& settings, const FileSource& file, AccessLog& log,
                     const StopSignal& stop);
    ~MirrorHttpServer();
    MirrorHttpServer(const MirrorHttpServer&) = delete;
    MirrorHttpServer& operator=(const MirrorHttpServer&) = delete;

    // Binds and starts listening on the settings' address and port; returns
    // the port (the chosen one for port 0) or -1.
    int Bind();
    // Accepts and answers connections until Stop; blocks the calling thread.
    void Serve();
    // Whether Serve's accept loop has begun (and not ended yet).
    bool IsServing() const;
    // Ends a Serve that is serving; call it once. Responses that are waiting on
    // purpose end with the stop signal.
    void Stop();

private:
    class Listener;

    void OnRequest(const httplib::Request& request, httplib::Response& response);
    void AnswerDownload(const httplib::Request& request, const std::vector<RangeAnswer::Range>& ranges,
                        httplib::Response& response);
    void AnswerFlag(const httplib::Request& request, httplib::Response& response);
    void AnswerText(const httplib::Request& request, httplib::Response& response, int status,
                    const std::string& text);

    const MirrorSettings& settings_;
    const FileSource& file_;
    AccessLog& log_;
    const StopSignal& stop_;
    const std::string downloadPath_;
    const std::string lastModified_;
    std::unique_ptr<Listener> http_;
};

}  // namespace mirror
