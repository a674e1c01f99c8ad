// One transfer against real local servers: ranges, refused answers that must
// not reach the file, redirects, TLS verification, aborts.
#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "download/CurlTransfer.h"
#include "download/DownloadFixture.h"
#include "support/TempDir.h"

namespace {

// Collects what reaches the sink.
struct Collected {
    std::string bytes;
    CurlTransfer::Sink Sink() {
        return [this](const char* data, std::size_t size) {
            bytes.append(data, size);
            return size;
        };
    }
};

TransferOptions Options(const std::string& url) {
    TransferOptions options;
    options.url = url;
    options.userAgent = "Downloader";
    options.connectTimeoutMs = 3000;
    options.timeoutMs = 20000;
    return options;
}

TransferOptions Ranged(const std::string& url, std::int64_t start, std::int64_t end) {
    TransferOptions options = Options(url);
    options.ranged = true;
    options.rangeStart = start;
    options.rangeEnd = end;
    return options;
}

class CurlTransferMirror : public ::testing::Test {
protected:
    void SetUp() override {
        payload_ = Payload::Make(300000, 3);
        file_ = dir_.WriteFile("payload.bin", payload_.bytes);
    }

    TempDir dir_;
    Payload payload_;
    std::string file_;
};

TEST_F(CurlTransferMirror, RangedRequestDeliversExactlyTheRange) {
    auto mirror = StartMirror("127.0.0.2", file_);
    ASSERT_TRUE(mirror);
    CurlTransfer transfer(Ranged(mirror->Url(), 1000, 70999));
    Collected got;
    EXPECT_EQ(transfer.Perform(got.Sink(), nullptr), CURLE_OK);
    EXPECT_EQ(transfer.ResponseCode(), 206);
    EXPECT_TRUE(got.bytes == payload_.bytes.substr(1000, 70000));
}

TEST_F(CurlTransferMirror, AnswersThatCannotCarryTheRangeAreRefusedBeforeAnyByteIsTaken) {
    const struct {
        const char* name;
        MirrorServerFaults faults;
        CURLcode expected;
    } cases[] = {
        {"error status", [] { MirrorServerFaults f; f.status = 503; return f; }(), CURLE_HTTP_RETURNED_ERROR},
        {"not found", [] { MirrorServerFaults f; f.status = 404; return f; }(), CURLE_HTTP_RETURNED_ERROR},
        {"Range ignored: 200 with the whole file", [] { MirrorServerFaults f; f.ignoreRange = true; return f; }(),
         CURLE_RANGE_ERROR},
    };
    for (const auto& c : cases) {
        auto mirror = StartMirror("127.0.0.2", file_, c.faults);
        ASSERT_TRUE(mirror) << c.name;
        CurlTransfer transfer(Ranged(mirror->Url(), 5000, 9999));
        Collected got;
        EXPECT_EQ(transfer.Perform(got.Sink(), nullptr), c.expected) << c.name;
        EXPECT_TRUE(got.bytes.empty()) << c.name << ": " << got.bytes.size() << " bytes reached the sink";
    }
}

TEST_F(CurlTransferMirror, SinkTakingLessEndsTheTransferWithAWriteError) {
    auto mirror = StartMirror("127.0.0.2", file_);
    ASSERT_TRUE(mirror);
    CurlTransfer transfer(Ranged(mirror->Url(), 0, 299999));
    std::size_t taken = 0;
    const CurlTransfer::Sink sink = [&taken](const char*, std::size_t size) -> std::size_t {
        const std::size_t take = std::min<std::size_t>(size, 1000 - taken);
        taken += take;
        return take;
    };
    EXPECT_EQ(transfer.Perform(sink, nullptr), CURLE_WRITE_ERROR);
    EXPECT_EQ(taken, 1000u);
}

TEST_F(CurlTransferMirror, AbortCheckEndsAStalledTransferPromptly) {
    MirrorServerFaults faults;
    faults.stallAfterBytes = 1000;
    faults.stallSeconds = 30;
    auto mirror = StartMirror("127.0.0.2", file_, faults);
    ASSERT_TRUE(mirror);
    CurlTransfer transfer(Ranged(mirror->Url(), 0, 299999));
    Collected got;
    const auto start = std::chrono::steady_clock::now();
    const CurlTransfer::AbortCheck abort = [start] {
        return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500);
    };
    EXPECT_EQ(transfer.Perform(got.Sink(), abort), CURLE_ABORTED_BY_CALLBACK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(got.bytes.size(), 1000u);
}

TEST_F(CurlTransferMirror, HeadReportsTheAnnouncedLength) {
    MirrorServerFaults lying;
    lying.headLength = 12;
    auto honest = StartMirror("127.0.0.2", file_);
    auto liar = StartMirror("127.0.0.3", file_, lying);
    ASSERT_TRUE(honest && liar);
    for (const auto& [url, length] : {std::pair{honest->Url(), 300000}, std::pair{liar->Url(), 12}}) {
        TransferOptions options = Options(url);
        options.headOnly = true;
        CurlTransfer probe(options);
        EXPECT_EQ(probe.Perform(nullptr, nullptr), CURLE_OK);
        EXPECT_EQ(probe.ContentLength(), length) << url;
    }
}

// A small server of our own for the answers the mirror tool does not give.
class ScriptedServer {
public:
    explicit ScriptedServer(httplib::Server& server) : server_(server) {
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() only reaches a server that already runs.
        EXPECT_TRUE(WaitUntil([this] { return server_.is_running(); }, 5000));
    }
    ~ScriptedServer() {
        server_.stop();
        thread_.join();
    }
    std::string Base(const char* scheme = "http") const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
    }

private:
    httplib::Server& server_;
    int port_ = 0;
    std::thread thread_;
};

// Answers every connection on 127.0.0.1 with one canned response, whatever
// was asked: the way to show answers a well-behaved server never gives.
class CannedServer {
public:
    explicit CannedServer(std::string response) : response_(std::move(response)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "canned server could not listen";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~CannedServer() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(listener_);
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    void Serve() {
        while (!stop_) {
            pollfd waiter{listener_, POLLIN, 0};
            if (::poll(&waiter, 1, 100) <= 0) {
                continue;
            }
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) {
                continue;
            }
            std::string request;
            char buffer[4096];
            // Read the request head (bounded: a client that sends nothing is dropped after 2 s).
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd reader{client, POLLIN, 0};
                if (::poll(&reader, 1, 2000) <= 0) {
                    break;
                }
                const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(got));
            }
            ::send(client, response_.data(), response_.size(), MSG_NOSIGNAL);
            ::close(client);
        }
    }

    std::string response_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string Answer206(const std::string& contentRange, const std::string& body) {
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: " + contentRange + "\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

TEST(CurlTransferScripted, RangedAnswerMustStartAtTheRequestedOffset) {
    CannedServer shiftedServer(Answer206("bytes 0-9/100", "0123456789"));
    Collected shifted;
    EXPECT_EQ(CurlTransfer(Ranged(shiftedServer.Url("/download/f"), 50, 59)).Perform(shifted.Sink(), nullptr),
              CURLE_RANGE_ERROR);
    EXPECT_TRUE(shifted.bytes.empty());

    CannedServer noRangeServer(
        "HTTP/1.1 206 Partial Content\r\nContent-Length: 10\r\nConnection: close\r\n\r\n5555555555");
    Collected noRange;
    EXPECT_EQ(CurlTransfer(Ranged(noRangeServer.Url("/download/f"), 50, 59)).Perform(noRange.Sink(), nullptr),
              CURLE_RANGE_ERROR)
        << "a 206 without Content-Range does not say which bytes it carries";
    EXPECT_TRUE(noRange.bytes.empty());

    CannedServer exactServer(Answer206("bytes 50-59/100", "5555555555"));
    Collected exact;
    EXPECT_EQ(CurlTransfer(Ranged(exactServer.Url("/download/f"), 50, 59)).Perform(exact.Sink(), nullptr), CURLE_OK);
    EXPECT_EQ(exact.bytes, "5555555555");
}

TEST(CurlTransferScripted, ErrorStatusWithoutBodyIsStillAFailure) {
    CannedServer server("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    Collected got;
    EXPECT_EQ(CurlTransfer(Options(server.Url("/download/f"))).Perform(got.Sink(), nullptr),
              CURLE_HTTP_RETURNED_ERROR);
}

TEST(CurlTransferScripted, ProxySettingRoutesTheTransferThroughTheProxy) {
    CannedServer proxy("HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\nvia proxy");
    const std::string proxyPort = proxy.Url("").substr(std::string("http://127.0.0.1:").size());
    // Nothing listens at this address: only a transfer sent to the proxy gets an answer.
    const std::string unreachable = "http://127.0.0.9:1/download/f";
    const struct {
        const char* name;
        std::int32_t enabled;
        std::int32_t type;
        CURLcode expected;
    } cases[] = {
        {"HTTP proxy", 1, 0, CURLE_OK},
        {"proxy disabled", 0, 0, CURLE_COULDNT_CONNECT},
        {"unknown proxy type sets no proxy", 1, 7, CURLE_COULDNT_CONNECT},
    };
    for (const auto& c : cases) {
        TransferOptions options = Options(unreachable);
        options.proxy.enabled = c.enabled;
        options.proxy.type = c.type;
        options.proxy.host = "127.0.0.1";
        options.proxy.port = proxyPort;
        Collected got;
        EXPECT_EQ(CurlTransfer(options).Perform(got.Sink(), nullptr), c.expected) << c.name;
        EXPECT_EQ(got.bytes, c.expected == CURLE_OK ? "via proxy" : "") << c.name;
    }
}

TEST(CurlTransferScripted, RedirectsAreFollowedOnlyToHttpAndHttps) {
    TempDir dir;
    const std::string secret = dir.WriteFile("secret.txt", "local file content");
    httplib::Server server;
    server.Get("/to-file", [&secret](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("file://" + secret);
    });
    server.Get("/to-http", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/final"); });
    server.Get("/final", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("followed", "text/plain");
    });
    ScriptedServer running(server);
    Collected local;
    EXPECT_EQ(CurlTransfer(Options(running.Base() + "/to-file")).Perform(local.Sink(), nullptr),
              CURLE_UNSUPPORTED_PROTOCOL);
    EXPECT_EQ(local.bytes.find("local file content"), std::string::npos);
    Collected remote;
    EXPECT_EQ(CurlTransfer(Options(running.Base() + "/to-http")).Perform(remote.Sink(), nullptr), CURLE_OK);
    EXPECT_EQ(remote.bytes, "followed");
    Collected direct;
    EXPECT_EQ(CurlTransfer(Options("file://" + secret)).Perform(direct.Sink(), nullptr), CURLE_UNSUPPORTED_PROTOCOL);
}

// A throw-away key and self-signed certificate for 127.0.0.1, as PEM files.
bool WriteSelfSignedCertificate(const std::string& certPath, const std::string& keyPath) {
    EVP_PKEY* key = EVP_EC_gen("prime256v1");
    X509* cert = X509_new();
    bool ok = key != nullptr && cert != nullptr;
    if (ok) {
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                                   -1, -1, 0);
        X509_set_issuer_name(cert, name);
        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
        for (const auto& [nid, value] : {std::pair{NID_subject_alt_name, "IP:127.0.0.1"},
                                         std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
            X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
            ok = ok && extension != nullptr && X509_add_ext(cert, extension, -1) == 1;
            X509_EXTENSION_free(extension);
        }
        ok = ok && X509_sign(cert, key, EVP_sha256()) > 0;
    }
    if (ok) {
        FILE* certFile = std::fopen(certPath.c_str(), "w");
        FILE* keyFile = std::fopen(keyPath.c_str(), "w");
        ok = certFile != nullptr && keyFile != nullptr && PEM_write_X509(certFile, cert) == 1 &&
             PEM_write_PrivateKey(keyFile, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
        if (certFile != nullptr) {
            std::fclose(certFile);
        }
        if (keyFile != nullptr) {
            std::fclose(keyFile);
        }
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

TEST(CurlTransferTls, PeerIsVerifiedAgainstTheConfiguredBundle) {
    TempDir dir;
    const std::string cert = dir.Path("server.pem");
    const std::string key = dir.Path("server.key");
    ASSERT_TRUE(WriteSelfSignedCertificate(cert, key));
    httplib::SSLServer server(cert.c_str(), key.c_str());
    ASSERT_TRUE(server.is_valid());
    server.Get("/download/f", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("secure bytes", "application/octet-stream");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&server] { server.listen_after_bind(); });
    ASSERT_TRUE(WaitUntil([&server] { return server.is_running(); }, 5000));
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/download/f";

    Collected untrusted;
    EXPECT_EQ(CurlTransfer(Options(url)).Perform(untrusted.Sink(), nullptr), CURLE_PEER_FAILED_VERIFICATION)
        << "a certificate no trusted authority signed is refused";
    EXPECT_TRUE(untrusted.bytes.empty());

    TransferOptions trusting = Options(url);
    trusting.caBundle = cert;
    Collected trusted;
    EXPECT_EQ(CurlTransfer(trusting).Perform(trusted.Sink(), nullptr), CURLE_OK);
    EXPECT_EQ(trusted.bytes, "secure bytes");

    server.stop();
    thread.join();
}

}  // namespace
