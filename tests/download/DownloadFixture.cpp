#include "download/DownloadFixture.h"

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "util/Md5.h"

Payload Payload::Make(std::size_t size, std::uint32_t seed) {
    Payload payload;
    payload.bytes.resize(size);
    std::mt19937 random(seed);
    for (char& byte : payload.bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    payload.wholeDigest = Md5OfBuffer(payload.bytes.data(), size, HexCase::Upper);
    for (std::size_t offset = 0; offset < size; offset += static_cast<std::size_t>(kBlockSize)) {
        const std::size_t length = std::min(size - offset, static_cast<std::size_t>(kBlockSize));
        payload.blockDigests.push_back(Md5OfBuffer(payload.bytes.data() + offset, length, HexCase::Upper));
    }
    return payload;
}

std::string ManifestText(const Payload& payload, const std::vector<std::string>& urls, const std::string& version) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<download size=\"" +
                       std::to_string(payload.bytes.size()) + "\" name=\"payload.bin\" version=\"" + version +
                       "\">\n<url size=\"" + std::to_string(urls.size()) + "\">\n";
    for (std::size_t i = 0; i < urls.size(); ++i) {
        text += "<item_" + std::to_string(i) + " value=\"" + urls[i] + "\"/>\n";
    }
    text += "</url>\n<hash size=\"" + std::to_string(payload.blockDigests.size() + 1) + "\">\n";
    text += "<item_0 value=\"" + payload.wholeDigest + "\"/>\n";
    for (std::size_t i = 0; i < payload.blockDigests.size(); ++i) {
        text += "<item_" + std::to_string(i + 1) + " value=\"" + payload.blockDigests[i] + "\"/>\n";
    }
    return text + "</hash>\n</download>\n";
}

DownloadConfig FastConfig() {
    DownloadConfig config;
    config.fallbackCdnSuffix = "";
    config.fallbackCdnPrefix = "";
    config.fallbackMainHost = "fallback.test.invalid";
    config.dispatchIntervalMs = 200;
    config.stallTimeMs = 1500;
    config.probeConnectTimeoutMs = 2000;
    config.probeTimeoutMs = 3000;
    config.pingTimeLimitMs = 1000;
    return config;
}

std::unique_ptr<MirrorServer> StartMirror(const std::string& address, const std::string& file,
                                          const MirrorServerFaults& faults, const std::string& name) {
    MirrorServerOptions options;
    options.address = address;
    options.file = file;
    options.name = name;
    options.faults = faults;
    auto mirror = std::make_unique<MirrorServer>();
    std::string error;
    if (!mirror->Start(options, &error)) {
        ADD_FAILURE() << "mirror on " << address << " did not start: " << error;
        return nullptr;
    }
    return mirror;
}

DownloadNotify EventRecorder::Notify() {
    return [this](std::int32_t event, std::int32_t a, std::int32_t b) {
        std::lock_guard lock(mutex_);
        events_.push_back(Event{event, a, b});
        if (event == kEventFailed || event == kEventFinished) {
            ended_.notify_all();
        }
        return 0;
    };
}

bool EventRecorder::WaitForEnd(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        for (const Event& e : events_) {
            if (e.event == kEventFailed || e.event == kEventFinished) {
                return true;
            }
        }
        return false;
    });
}

int EventRecorder::EndCount() const {
    return CountOf(kEventFailed) + CountOf(kEventFinished);
}

std::vector<EventRecorder::Event> EventRecorder::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

EventRecorder::Event EventRecorder::FirstEnd() const {
    std::lock_guard lock(mutex_);
    for (const Event& e : events_) {
        if (e.event == kEventFailed || e.event == kEventFinished) {
            return e;
        }
    }
    return Event{0, 0, 0};
}

int EventRecorder::CountOf(std::int32_t event) const {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const Event& e : events_) {
        count += e.event == event ? 1 : 0;
    }
    return count;
}

bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
