// Drives the download engine for bench/download_bench.sh:
//   mss-download-bench manifest FILE OUT.xml URL...   the manifest describing FILE at the URLs
//   mss-download-bench download MANIFEST.xml TARGET    one download, timed
//   mss-download-bench verify FILE DIGEST              the whole-file check, timed
// Each command prints one line of figures; the script adds CPU time and peak memory.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "download/BlockVerifier.h"
#include "download/DownloaderCurl.h"
#include "util/Md5.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration elapsed) {
    return std::chrono::duration<double>(elapsed).count();
}

int WriteManifest(const std::string& file, const std::string& out, const std::vector<std::string>& urls) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(file.c_str());
        return 1;
    }
    std::vector<char> block(static_cast<std::size_t>(kBlockSize));
    Md5Stream whole;
    std::vector<std::string> blocks;
    long long size = 0;
    for (;;) {
        std::size_t got = 0;
        while (got < block.size()) {
            const ssize_t n = ::read(fd, block.data() + got, block.size() - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        if (got == 0) {
            break;
        }
        whole.Update(block.data(), got);
        blocks.push_back(Md5OfBuffer(block.data(), got, HexCase::Upper));
        size += static_cast<long long>(got);
    }
    ::close(fd);
    std::ofstream xml(out);
    xml << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<download size=\"" << size
        << "\" name=\"bench/payload.bin\" version=\"1\">\n<url size=\"" << urls.size() << "\">\n";
    for (std::size_t i = 0; i < urls.size(); ++i) {
        xml << "<item_" << i << " value=\"" << urls[i] << "\"/>\n";
    }
    xml << "</url>\n<hash size=\"" << blocks.size() + 1 << "\">\n<item_0 value=\"" << whole.Finish(HexCase::Upper)
        << "\"/>\n";
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        xml << "<item_" << i + 1 << " value=\"" << blocks[i] << "\"/>\n";
    }
    xml << "</hash>\n</download>\n";
    return xml.good() ? 0 : 1;
}

int Download(const std::string& manifestPath, const std::string& target) {
    std::ifstream in(manifestPath);
    std::stringstream text;
    text << in.rdbuf();
    const std::string manifest = text.str();

    std::mutex mutex;
    std::condition_variable ended;
    int endEvent = 0;
    std::atomic<std::int64_t> firstByteAt{0};
    std::atomic<std::int64_t> lastByteAt{0};
    const Clock::time_point start = Clock::now();
    DownloaderCurl engine;
    engine.SetNotify([&](std::int32_t event, std::int32_t a, std::int32_t b) {
        if (event == kEventProgress && firstByteAt.load() == 0) {
            firstByteAt = (Clock::now() - start).count();
        }
        if (event == kEventProgress && a == b) {
            lastByteAt = (Clock::now() - start).count();
        }
        if (event == kEventFailed || event == kEventFinished) {
            std::lock_guard lock(mutex);
            endEvent = event;
            ended.notify_all();
        }
        return 0;
    });
    engine.DownloadByCfgData(manifest.data(), manifest.size(), target);
    std::unique_lock lock(mutex);
    if (!ended.wait_for(lock, std::chrono::minutes(10), [&] { return endEvent != 0; })) {
        std::printf("download: no end within 10 minutes\n");
        return 1;
    }
    const double total = Seconds(Clock::now() - start);
    DownloadSnapshot snapshot;
    engine.GetDownloadInfo(snapshot);
    const double checked = Seconds(Clock::duration(firstByteAt.load()));
    const double transfer = Seconds(Clock::duration(lastByteAt.load()));
    const double megabytes = static_cast<double>(snapshot.totalSize) / 1e6;
    std::printf("download: %s, %lld bytes, %zu items; mirror check and first write after %.2f s, "
                "all bytes written after %.2f s (%.0f MB/s), verified and finished after %.2f s "
                "(%.0f MB/s overall)\n",
                endEvent == kEventFinished ? "Finished" : engine.GetErrorName().c_str(),
                static_cast<long long>(snapshot.totalSize), snapshot.items.size(), checked, transfer,
                transfer > 0 ? megabytes / transfer : 0.0, total, megabytes / total);
    return endEvent == kEventFinished ? 0 : 1;
}

int Verify(const std::string& file, const std::string& expected) {
    const Clock::time_point start = Clock::now();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    std::string digest;
    const bool ok = BlockVerifier::WholeDigest(fd, digest);
    if (fd >= 0) {
        ::close(fd);
    }
    std::printf("verify: %s in %.2f s\n", ok && digest == expected ? "match" : "MISMATCH",
                Seconds(Clock::now() - start));
    return ok && digest == expected ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[0] == "manifest") {
        return WriteManifest(args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    }
    if (args.size() == 3 && args[0] == "download") {
        return Download(args[1], args[2]);
    }
    if (args.size() == 3 && args[0] == "verify") {
        return Verify(args[1], args[2]);
    }
    std::fprintf(stderr,
                 "usage: mss-download-bench manifest FILE OUT.xml URL... | download MANIFEST TARGET | "
                 "verify FILE DIGEST\n");
    return 2;
}
