// Every report post ends within its bounds, and TLS peers are verified.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

#include "ReporterFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// A loopback port whose connections are taken by the kernel's backlog and
// then never answered: a service that hangs.
class SilentListener {
public:
    SilentListener() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(fd_, 64) != 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
    }
    ~SilentListener() {
        if (fd_ >= 0) close(fd_);
    }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A loopback port with nobody listening.
int ClosedPort() {
    SilentListener listener;
    return listener.port();  // closed again when the listener goes
}

std::chrono::milliseconds Elapsed(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

TEST(TransportBounds, PostsToAHangingServiceEndWithinTheTransferLimit) {
    SilentListener listener;
    ASSERT_NE(listener.port(), 0);
    TempDir folder;
    const std::string log = folder.WriteFile("install.log", "log\n");
    UsageReporterSettings settings;
    settings.identity.uuid = kTestUuid;
    settings.transport.transferLimitMs = 300;
    UsageReporter reporter(settings);
    const std::string base = "127.0.0.1:" + std::to_string(listener.port());

    auto start = Clock::now();
    EXPECT_FALSE(reporter.PostReport("https://" + base + "/api/common_json_post/", "{}"));
    EXPECT_LT(Elapsed(start).count(), 2000);

    start = Clock::now();
    EXPECT_FALSE(reporter.PostReportWithFile("http://" + base + "/api/common_post/", kTestUuid, log, "install_fail",
                                             "{}"));
    EXPECT_LT(Elapsed(start).count(), 2000);
}

// With the product's own limits one attempt ends within a few seconds (the
// connect time-out covers the TLS handshake too), so ten attempts at exit
// stay near half a minute.
TEST(TransportBounds, ProductLimitsEndOneAttemptWithinAFewSeconds) {
    SilentListener listener;
    ASSERT_NE(listener.port(), 0);
    UsageReporterSettings settings;
    settings.identity.uuid = kTestUuid;
    UsageReporter reporter(settings);
    const auto start = Clock::now();
    EXPECT_FALSE(reporter.PostReport("https://127.0.0.1:" + std::to_string(listener.port()) + "/", "{}"));
    const auto elapsed = Elapsed(start).count();
    EXPECT_LT(elapsed, kReportTransferLimitMs + 1500);
}

TEST(TransportBounds, PostToAClosedPortFailsAtOnce) {
    const int port = ClosedPort();
    ASSERT_NE(port, 0);
    UsageReporterSettings settings;
    UsageReporter reporter(settings);
    const auto start = Clock::now();
    EXPECT_FALSE(reporter.PostReport("https://127.0.0.1:" + std::to_string(port) + "/", "{}"));
    EXPECT_LT(Elapsed(start).count(), 2000);
}

// A reply longer than any report answer is not collected without end.
TEST(TransportBounds, OverlongReplyFailsThePost) {
    StatsService service(StatsServiceOptions{
        R"({"result":{"res":true,"pad":")" + std::string(kMaxReportReplyBytes, 'x') + R"("}})", {}});
    ASSERT_TRUE(service.ok()) << service.error();
    UsageReporterSettings settings;
    settings.transport.caBundle = service.certificatePath();
    UsageReporter reporter(settings);
    EXPECT_FALSE(reporter.PostReport(service.JsonEndpoint(), "{}"));
}

struct TrustCase {
    const char* name;
    int bundle;  // 0 the system's store, 1 the service's certificate, 2 another service's
    const char* host;
    bool accepted;
};

TEST(TransportTrust, TheJsonEndpointIsReachedOnlyThroughATrustedCertificate) {
    StatsService service;
    StatsService other;
    ASSERT_TRUE(service.ok()) << service.error();
    ASSERT_TRUE(other.ok()) << other.error();
    const TrustCase cases[] = {
        {"own certificate by address", 1, "127.0.0.1", true},
        {"own certificate by name", 1, "localhost", true},
        {"system store", 0, "127.0.0.1", false},
        {"another certificate", 2, "127.0.0.1", false},
    };
    std::size_t accepted = 0;
    for (const TrustCase& c : cases) {
        SCOPED_TRACE(c.name);
        UsageReporterSettings settings;
        settings.transport.caBundle =
            c.bundle == 1 ? service.certificatePath() : c.bundle == 2 ? other.certificatePath() : "";
        UsageReporter reporter(settings);
        const std::string url =
            std::string("https://") + c.host + ":" + std::to_string(service.jsonPort()) + "/api/common_json_post/";
        EXPECT_EQ(reporter.PostReport(url, R"({"install_status":"start"})"), c.accepted);
        if (c.accepted) ++accepted;
        EXPECT_EQ(ReadStoredReports(service.databasePath()).size(), accepted);
    }
}

}  // namespace
