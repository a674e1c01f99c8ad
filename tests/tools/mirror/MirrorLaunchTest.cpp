// Starting and stopping mirrors: the command-line checks, several mirrors on
// several loopback addresses, ports that are taken, the launcher's pipe and
// the access log.
#include <gtest/gtest.h>

#include <vector>

#include "CurlFetch.h"
#include "MirrorFixture.h"
#include "support/RunProgram.h"

namespace {

class MirrorLaunchTest : public MirrorFixture {
protected:
    // Runs the tool to its end under a 10-second limit ("timeout" exits 124
    // when the tool would have kept running), its standard output discarded.
    int RunTool(const std::vector<std::string>& args) const {
        std::vector<std::string> command = {"-c", "exec /usr/bin/timeout 10 \"$@\" >/dev/null", "sh",
                                            MirrorServer::BinaryPath()};
        command.insert(command.end(), args.begin(), args.end());
        return RunProgram("/bin/sh", command, {});
    }
};

TEST_F(MirrorLaunchTest, CommandLine_RefusesBadArgumentsBeforeBinding) {
    const std::vector<std::vector<std::string>> cases = {
        {"--address", "10.0.0.1"},   // not loopback: refused, never bound
        {"--address", "0.0.0.0"},
        {"--address", "128.0.0.1"},
        {"--address", "localhost"},  // names are not resolved
        {"--address", "::1"},
        {"--address", "127.0.0.256"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--stall-after", "10"},     // without --stall-seconds
        {"--stall-seconds", "1"},    // without --stall-after
        {"--stall-after", "10", "--stall-seconds", "soon"},
        {"--close-after", "1k"},
        {"--corrupt", "5"},
        {"--corrupt", "5:0"},
        {"--status", "200"},
        {"--rate", "0"},
        {"--name", "a/b"},
        {"--head-length"},           // value missing
        {"--bogus"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> withFile = {"--file", file_};
        withFile.insert(withFile.end(), args.begin(), args.end());
        std::string shown;
        for (const auto& arg : args) shown += arg + " ";
        EXPECT_EQ(RunTool(withFile), 2) << shown;
    }
    EXPECT_EQ(RunTool({"--address", "127.0.0.2"}), 2) << "no --file";
    EXPECT_EQ(RunTool({"--help"}), 0);
}

TEST_F(MirrorLaunchTest, Start_ReportsAMirrorThatCannotServe) {
    MirrorServer mirror;
    std::string error;
    EXPECT_FALSE(mirror.Start(Options([&](MirrorServerOptions& o) { o.file = dir_.Path("missing.bin"); }), &error));
    EXPECT_NE(error.find("status 1"), std::string::npos) << error;
    EXPECT_FALSE(mirror.IsRunning());
}

TEST_F(MirrorLaunchTest, SeveralMirrors_ServeAtOnceEachOnItsOwnAddress) {
    std::vector<MirrorServer> mirrors;
    for (const char* address : {"127.0.0.2", "127.0.0.3", "127.0.0.4"}) {
        mirrors.emplace_back();
        StartMirror(mirrors.back(), [&](MirrorServerOptions& o) {
            o.address = address;
            o.flagText = std::string("1") + address;
        });
    }
    for (const MirrorServer& mirror : mirrors) {
        SCOPED_TRACE(mirror.Host());
        const FetchResult get = Get(mirror.Url(), "0-999");
        EXPECT_EQ(get.status, 206);
        EXPECT_TRUE(get.body == Slice(0, 1000));
        // Each answers on its own address only.
        const std::string address = mirror.Host().substr(0, mirror.Host().find(':'));
        EXPECT_EQ(Get(mirror.FlagUrl()).body, "1" + address);
        EXPECT_EQ(Get("http://127.0.0.9:" + std::to_string(mirror.Port()) + "/flag.php").code,
                  CURLE_COULDNT_CONNECT);
    }
    EXPECT_NE(mirrors[0].Host(), mirrors[1].Host());
    for (MirrorServer& mirror : mirrors) {
        EXPECT_TRUE(mirror.Stop());
    }
}

TEST_F(MirrorLaunchTest, FixedPort_IsRefusedWhileTakenAndUsableOnceFree) {
    MirrorServer first;
    StartMirror(first);
    const uint16_t port = first.Port();

    MirrorServer second;
    std::string error;
    EXPECT_FALSE(second.Start(Options([&](MirrorServerOptions& o) { o.port = port; }), &error));
    EXPECT_NE(error.find("status 1"), std::string::npos) << error;
    EXPECT_EQ(Head(first.Url()).status, 200);

    EXPECT_TRUE(first.Stop());
    StartMirror(second, [&](MirrorServerOptions& o) { o.port = port; });
    EXPECT_EQ(second.Port(), port);
    EXPECT_EQ(Head(second.Url()).status, 200);
}

TEST_F(MirrorLaunchTest, WatchedInput_StopsTheMirrorCleanlyAtEndOfFile) {
    // Standard input is /dev/null, so the stop request comes right at the
    // start, possibly before the server's accept loop runs: the exit must
    // still be a clean one (0), neither a forced one (3) nor a hang (124).
    for (int round = 0; round < 5; ++round) {
        const std::string command = "exec /usr/bin/timeout 10 \"$0\" --watch-stdin --address 127.0.0.2 --file \"$1\""
                                    " </dev/null >/dev/null";
        EXPECT_EQ(RunProgram("/bin/sh", {"-c", command, MirrorServer::BinaryPath(), file_}, {}), 0);
    }
}

TEST_F(MirrorLaunchTest, AccessLog_HasOneLinePerRequest) {
    const std::string log = dir_.Path("access.log");
    MirrorServer mirror;
    StartMirror(mirror, [&](MirrorServerOptions& o) { o.accessLog = log; });
    Head(mirror.Url());
    Get(mirror.Url(), "100-199");
    Get(mirror.FlagUrl());
    Get(mirror.BaseUrl() + "/nothing");
    const std::vector<std::string> expected = {
        "HEAD /download/setup.bin - 200 " + std::to_string(kServedSize),
        "GET /download/setup.bin bytes=100-199 206 100",
        "GET /flag.php - 200 2",
        "GET /nothing - 404 10",
    };
    EXPECT_EQ(ReadLines(log), expected);
}

}  // namespace
