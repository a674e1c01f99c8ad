// The engine end to end against local mirrors: each test declares its mirrors'
// faults and checks the file on disk, the one end event and the report facts.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "download/DownloadFixture.h"
#include "download/DownloaderCurl.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

constexpr std::size_t kMiB = 1048576;

// One download: the payload served by mirrors the test starts, the engine,
// its events, and the file it writes.
class EngineRun : public ::testing::Test {
protected:
    void MakePayload(std::size_t size, std::uint32_t seed = 7) {
        payload_ = Payload::Make(size, seed);
        source_ = dir_.WriteFile("mirror/payload.bin", payload_.bytes);
    }

    MirrorServer* AddMirror(const std::string& address, const MirrorServerFaults& faults = {}) {
        mirrors_.push_back(StartMirror(address, source_, faults));
        if (!mirrors_.back()) {
            throw std::runtime_error("mirror on " + address + " did not start");  // fails the test, no crash
        }
        return mirrors_.back().get();
    }

    std::vector<std::string> Urls() const {
        std::vector<std::string> urls;
        for (const auto& mirror : mirrors_) {
            urls.push_back(mirror ? mirror->Url() : std::string("http://127.0.0.1:1/download/none"));
        }
        return urls;
    }

    // Starts the engine on the manifest text and waits for its end event.
    void Run(const std::string& manifest, int timeoutMs = 60000) {
        engine_ = std::make_unique<DownloaderCurl>(config_);
        ASSERT_EQ(engine_->SetNotify(events_.Notify()), S_OK);
        manifest_ = manifest;
        ASSERT_EQ(engine_->DownloadByCfgData(manifest_.data(), manifest_.size(), target_), S_OK);
        ASSERT_TRUE(events_.WaitForEnd(timeoutMs)) << "no end event";
        EXPECT_FALSE(engine_->IsDownloading()) << "the running flag must be clear once the end event is sent";
    }

    void RunWithAllMirrors() { Run(ManifestText(payload_, Urls())); }

    // Destroys the engine (joining its threads) so that late events would show.
    void Finish() {
        engine_.reset();
        EXPECT_EQ(events_.EndCount(), 1) << "exactly one end event per start";
    }

    std::string FileOnDisk() const { return TempDir::ReadFile(target_); }

    ItemTable Items() const {
        DownloadSnapshot snapshot;
        engine_->GetDownloadInfo(snapshot);
        return snapshot.items;
    }

    TempDir dir_;
    Payload payload_;
    std::string source_;
    std::string target_ = dir_.Path("Downloads/Mirvak/Serac Studio/setup.exe");
    std::vector<std::unique_ptr<MirrorServer>> mirrors_;
    DownloadConfig config_ = FastConfig();
    EventRecorder events_;
    std::string manifest_;
    std::unique_ptr<DownloaderCurl> engine_;
};

TEST_F(EngineRun, ThreeMirrorsTwoConnectionsEachWriteTheVerifiedFile) {
    MakePayload(5 * kMiB + 12345);
    AddMirror("127.0.0.2");
    AddMirror("127.0.0.3");
    AddMirror("127.0.0.4");
    RunWithAllMirrors();

    EXPECT_EQ(events_.FirstEnd().event, kEventFinished);
    EXPECT_EQ(engine_->GetDownloadStatus(), DownloadStatus::Finished);
    EXPECT_EQ(engine_->GetErrorName(), "NoError");
    EXPECT_TRUE(FileOnDisk() == payload_.bytes);
    const ItemTable items = Items();
    ASSERT_GE(items.size(), 6u);
    for (std::int32_t id = 0; id < 6; ++id) {
        EXPECT_EQ(items.at(id).id, id);
    }
    EXPECT_EQ(engine_->GetUsedUrlCfg().size(), 3u);
    EXPECT_FALSE(engine_->IsUsingFallback());
    EXPECT_EQ(engine_->GetFallbackKilobytes(), 0.0);
    std::int64_t kilobytes = 0;
    for (const MirrorTraffic& traffic : engine_->GetMirrorTraffic()) {
        kilobytes += traffic.kilobytes;
    }
    EXPECT_NEAR(static_cast<double>(kilobytes), static_cast<double>(payload_.bytes.size()) / 1024.0, 3.0);
    EXPECT_GT(events_.CountOf(kEventProgress), 0);
    Finish();
}

MirrorServerFaults CloseAfter(std::uint64_t bytes) {
    MirrorServerFaults faults;
    faults.closeAfterBytes = bytes;
    return faults;
}

MirrorServerFaults StallAfter(std::uint64_t bytes, double seconds) {
    MirrorServerFaults faults;
    faults.stallAfterBytes = bytes;
    faults.stallSeconds = seconds;
    return faults;
}

MirrorServerFaults Corrupt(std::uint64_t offset, std::uint64_t length) {
    MirrorServerFaults faults;
    faults.corruptSpans.push_back({offset, length});
    return faults;
}

std::vector<DownloadItem> ItemsOn(const ItemTable& items, const std::string& url) {
    std::vector<DownloadItem> found;
    for (const auto& [id, item] : items) {
        if (item.url == url) {
            found.push_back(item);
        }
    }
    return found;
}

TEST_F(EngineRun, FileAlreadyCompleteIsNotFetchedAgain) {
    MakePayload(kMiB + 1);
    dir_.WriteFile("Downloads/Mirvak/Serac Studio/setup.exe", payload_.bytes);
    // A mirror that would fail the test if it were asked anything.
    Run(ManifestText(payload_, {"http://127.0.0.1:1/download/payload.bin"}));
    const EventRecorder::Event end = events_.FirstEnd();
    EXPECT_EQ(end.event, kEventFinished);
    EXPECT_EQ(end.a, 0);
    EXPECT_EQ(end.b, 1);
    EXPECT_EQ(engine_->GetDownloadStatus(), DownloadStatus::Finished);
    EXPECT_EQ(engine_->GetErrorCode(), kNoNeedDownload);
    EXPECT_TRUE(Items().empty());
    EXPECT_TRUE(engine_->GetAllUrlCfg().empty()) << "no mirror was examined";
    Finish();
}

// Every way a start can end before a byte is fetched sends exactly one Failed
// event with (0, 0) and leaves the engine idle.
TEST_F(EngineRun, EveryEarlyEndingSendsOneFailedEvent) {
    MakePayload(1000);
    auto mirror = StartMirror("127.0.0.2", source_, [] {
        MirrorServerFaults faults;
        faults.headLength = 999;  // announces another file: unusable
        return faults;
    }());
    ASSERT_TRUE(mirror);
    const std::string usable = ManifestText(payload_, {"http://127.0.0.1:1/download/payload.bin"});
    const struct {
        const char* name;
        std::string manifest;
        DownloadStatus status;
        DownloadError error;
    } cases[] = {
        {"not XML", "this is not a manifest", DownloadStatus::Failed, kConfigLoadError},
        {"version 2", ManifestText(payload_, {mirror->Url()}, "2"), DownloadStatus::ConfigRejected,
         kNeedUpdateDownload},
        {"size missing", "<download version=\"1\"><url size=\"0\"/><hash size=\"0\"/></download>",
         DownloadStatus::Failed, kConfigLoadFileSizeError},
        {"no usable mirror", ManifestText(payload_, {mirror->Url(), "http://127.0.0.1:1/download/payload.bin"}),
         DownloadStatus::Failed, kDownloadCheckUrlError},
    };
    for (const auto& c : cases) {
        EventRecorder events;
        DownloaderCurl engine(config_);
        engine.SetNotify(events.Notify());
        ASSERT_EQ(engine.DownloadByCfgData(c.manifest.data(), c.manifest.size(), target_), S_OK) << c.name;
        ASSERT_TRUE(events.WaitForEnd()) << c.name;
        EXPECT_FALSE(engine.IsDownloading()) << c.name;
        EXPECT_EQ(engine.GetDownloadStatus(), c.status) << c.name;
        EXPECT_EQ(engine.GetErrorCode(), c.error) << c.name;
        const EventRecorder::Event end = events.FirstEnd();
        EXPECT_EQ(end.event, kEventFailed) << c.name;
        EXPECT_EQ(end.a, 0) << c.name;
        EXPECT_EQ(end.b, 0) << c.name;
        engine.StopDownload();
        EXPECT_EQ(events.EndCount(), 1) << c.name << ": a stop after the end sends nothing";
    }
    EventRecorder events;
    DownloaderCurl engine(config_);
    engine.SetNotify(events.Notify());
    engine.DownloadByCfgData(nullptr, 0, target_);
    ASSERT_TRUE(events.WaitForEnd());
    EXPECT_EQ(engine.GetDownloadStatus(), DownloadStatus::Failed);
    EXPECT_EQ(engine.GetErrorName(), "NoError") << "no text given";
}

TEST_F(EngineRun, DownloadFileThatCannotBeCreatedFailsAtOnce) {
    MakePayload(200000);
    AddMirror("127.0.0.2");
    dir_.WriteFile("blocker", "a file where a folder should be");
    target_ = dir_.Path("blocker/setup.exe");
    LogCapture log;
    RunWithAllMirrors();
    EXPECT_EQ(events_.FirstEnd().event, kEventFailed);
    EXPECT_EQ(engine_->GetErrorName(), "DownloadExeError");
    EXPECT_TRUE(Items().empty()) << "no transfer starts without a file to write to";
    bool logged = false;
    for (const std::string& line : log.lines()) {
        logged = logged || line.find("cannot create the download file") != std::string::npos;
    }
    EXPECT_TRUE(logged);
    Finish();
}

TEST_F(EngineRun, EmptyFileFinishesWithoutATransfer) {
    MakePayload(0);
    AddMirror("127.0.0.2");
    RunWithAllMirrors();
    EXPECT_EQ(events_.FirstEnd().event, kEventFinished);
    EXPECT_TRUE(Items().empty());
    Finish();
}

TEST_F(EngineRun, MirrorWhoseReachabilityPageNeverAnswersIsLeftOutWithinTheProbeLimit) {
    MakePayload(kMiB);
    MirrorServerFaults silent;
    silent.noFlag = true;
    MirrorServer* mute = AddMirror("127.0.0.2", silent);
    MirrorServer* good = AddMirror("127.0.0.3");
    config_.probeTimeoutMs = 1000;
    const auto start = std::chrono::steady_clock::now();
    RunWithAllMirrors();
    // Two page fetches of at most a second each, not an unbounded wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    ASSERT_EQ(events_.FirstEnd().event, kEventFinished) << engine_->GetErrorName();
    const std::vector<UrlCfg> used = engine_->GetUsedUrlCfg();
    ASSERT_EQ(used.size(), 1u);
    EXPECT_EQ(used[0].url, good->Url());
    const std::vector<UrlCfg> all = engine_->GetAllUrlCfg();
    EXPECT_EQ(all[0].url, mute->Url());
    EXPECT_TRUE(all[0].usable) << "its size is right";
    EXPECT_FALSE(all[0].networkNotFull);
    Finish();
}

TEST_F(EngineRun, FailingMirrorLosesItsRangesToTheOtherMirror) {
    MakePayload(4 * kMiB);
    MirrorServer* failing = AddMirror("127.0.0.2", CloseAfter(100000));
    MirrorServer* good = AddMirror("127.0.0.3");
    RunWithAllMirrors();
    ASSERT_EQ(events_.FirstEnd().event, kEventFinished) << engine_->GetErrorName();
    EXPECT_TRUE(FileOnDisk() == payload_.bytes);
    const ItemTable items = Items();
    int replaced = 0;
    for (const auto& [id, item] : items) {
        if (item.state != ItemState::Replaced) {
            continue;
        }
        ++replaced;
        EXPECT_EQ(item.url, failing->Url());
        bool handedOn = false;
        for (const auto& [otherId, other] : items) {
            if (otherId > id && other.start == item.current && other.handoffs == 1) {
                handedOn = true;
                EXPECT_EQ(other.url, good->Url()) << "the rest of item " << id << " went to the working mirror";
            }
        }
        EXPECT_TRUE(handedOn) << "item " << id;
    }
    EXPECT_GE(replaced, 1);
    EXPECT_TRUE(engine_->GetFallbackEvents().empty());
    Finish();
}

TEST_F(EngineRun, FailingOnlyMirrorWithoutFallbackEndsWithDispatchFailError) {
    MakePayload(2 * kMiB);
    MirrorServer* failing = AddMirror("127.0.0.2", CloseAfter(50000));
    RunWithAllMirrors();
    const EventRecorder::Event end = events_.FirstEnd();
    EXPECT_EQ(end.event, kEventFailed);
    EXPECT_EQ(engine_->GetDownloadStatus(), DownloadStatus::Failed);
    EXPECT_EQ(engine_->GetErrorName(), "DispatchFailError");
    EXPECT_EQ(engine_->GetLastFailLink(), failing->Url());
    EXPECT_EQ(engine_->GetCurlError(), CURLE_PARTIAL_FILE) << "the connection was cut before its range ended";
    EXPECT_EQ(end.b, static_cast<std::int32_t>(2 * kMiB));
    Finish();
}

TEST_F(EngineRun, FallbackAloneCarriesTheDownloadWithFiveConnections) {
    MakePayload(3 * kMiB + 7);
    MirrorServerFaults wrongLength;
    wrongLength.headLength = 5;
    AddMirror("127.0.0.2", wrongLength);
    MirrorServer* fallback = AddMirror("127.0.0.3");
    // The fallback's traffic is reported under the first fallback text.
    config_.fallbackCdnSuffix = fallback->Host();
    RunWithAllMirrors();
    ASSERT_EQ(events_.FirstEnd().event, kEventFinished) << engine_->GetErrorName();
    EXPECT_TRUE(FileOnDisk() == payload_.bytes);
    DownloadSnapshot snapshot;
    engine_->GetDownloadInfo(snapshot);
    EXPECT_EQ(snapshot.connectionCount, 5);
    EXPECT_EQ(ItemsOn(snapshot.items, fallback->Url()).size(), snapshot.items.size());
    EXPECT_TRUE(engine_->IsUsingFallback());
    EXPECT_NEAR(engine_->GetFallbackKilobytes(), (3.0 * kMiB + 7) / 1024.0, 1.0);
    const std::vector<MirrorTraffic> traffic = engine_->GetMirrorTraffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_EQ(traffic[0].host, fallback->Host());
    EXPECT_EQ(traffic[0].kilobytes, static_cast<std::int64_t>(engine_->GetFallbackKilobytes()));
    Finish();
}

TEST_F(EngineRun, WrongBytesInOneBlockGetExactlyThatBlockFetchedAgain) {
    MakePayload(4 * kMiB);
    // Four ranges of one block each, alternating between the mirrors in the
    // order of their round trips: whichever two the corrupting mirror serves,
    // exactly one of them carries wrong bytes.
    MirrorServerFaults faults = Corrupt(2 * kMiB + 100, 10);
    faults.corruptSpans.push_back({3 * kMiB + 100, 10});
    AddMirror("127.0.0.2", faults);
    MirrorServer* good = AddMirror("127.0.0.3");
    config_.dispatchIntervalMs = 60000;  // no split may move part of a block to the other mirror
    LogCapture log;
    RunWithAllMirrors();
    ASSERT_EQ(events_.FirstEnd().event, kEventFinished) << engine_->GetErrorName();
    EXPECT_TRUE(FileOnDisk() == payload_.bytes);
    std::vector<std::string> repairs;
    for (const std::string& line : log.lines()) {
        if (line.rfind("Download_RepairData : GetBestURL Info", 0) == 0) {
            repairs.push_back(line);
        }
    }
    ASSERT_EQ(repairs.size(), 1u);
    EXPECT_TRUE(repairs[0].find("start(2097152), end(3145727)") != std::string::npos ||
                repairs[0].find("start(3145728), end(4194303)") != std::string::npos)
        << repairs[0];
    EXPECT_EQ(engine_->GetRepairLink(), good->Url()) << "not the mirror that served the wrong bytes";
    Finish();
}

TEST_F(EngineRun, BlockThatNoMirrorServesRightEndsWithRepairFailError) {
    MakePayload(2 * kMiB);
    AddMirror("127.0.0.2", Corrupt(kMiB + 5, 1));
    AddMirror("127.0.0.3", Corrupt(kMiB + 5, 1));
    config_.dispatchIntervalMs = 60000;
    LogCapture log;
    RunWithAllMirrors();
    EXPECT_EQ(events_.FirstEnd().event, kEventFailed);
    EXPECT_EQ(engine_->GetErrorName(), "RepairFailError");
    int repairs = 0;
    for (const std::string& line : log.lines()) {
        repairs += line.rfind("Download_RepairData : GetBestURL Info", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(repairs, kMaxBlockRepairs);
    Finish();
}

TEST_F(EngineRun, ManifestWithOneBlockDigestTooFewFailsWithoutRepair) {
    MakePayload(3 * kMiB);
    AddMirror("127.0.0.2", Corrupt(10, 1));
    AddMirror("127.0.0.3", Corrupt(10, 1));
    Payload described = payload_;
    described.blockDigests.pop_back();
    LogCapture log;
    Run(ManifestText(described, Urls()));
    EXPECT_EQ(events_.FirstEnd().event, kEventFailed);
    EXPECT_EQ(engine_->GetErrorName(), "CheckHashError");
    EXPECT_TRUE(log.Contains("Download_Dispatch : CheckHash download failed.\n"));
    for (const std::string& line : log.lines()) {
        EXPECT_EQ(line.find("Download_RepairData"), std::string::npos) << line;
    }
    Finish();
}

TEST_F(EngineRun, MirrorIgnoringRangeHasNoneOfItsAnswerWritten) {
    MakePayload(3 * kMiB);
    MirrorServerFaults ignoring;
    ignoring.ignoreRange = true;
    MirrorServer* whole = AddMirror("127.0.0.2", ignoring);
    AddMirror("127.0.0.3");
    LogCapture log;
    RunWithAllMirrors();
    ASSERT_EQ(events_.FirstEnd().event, kEventFinished) << engine_->GetErrorName();
    EXPECT_TRUE(FileOnDisk() == payload_.bytes);
    for (const DownloadItem& item : ItemsOn(Items(), whole->Url())) {
        EXPECT_EQ(item.current, item.start) << "item " << item.id << " took bytes from a 200 answer";
        EXPECT_EQ(item.result, CURLE_RANGE_ERROR);
    }
    for (const std::string& line : log.lines()) {
        EXPECT_EQ(line.find("Download_RepairData"), std::string::npos) << "nothing wrong was written: " << line;
    }
    Finish();
}

TEST_F(EngineRun, StalledMirrorLosesTheRestOfItsRangeAfterSixSeconds) {
    config_.stallTimeMs = kStallTimeMs;
    config_.dispatchIntervalMs = kDispatchIntervalMs;
    MakePayload(4 * kMiB);
    MirrorServer* stalling = AddMirror("127.0.0.2", StallAfter(64 * 1024, 40));
    MirrorServer* good = AddMirror("127.0.0.3");
    RunWithAllMirrors();
    ASSERT_EQ(events_.FirstEnd().event, kEventFinished) << engine_->GetErrorName();
    EXPECT_TRUE(FileOnDisk() == payload_.bytes);
    const ItemTable items = Items();
    int cut = 0;
    for (const DownloadItem& item : ItemsOn(items, stalling->Url())) {
        if (item.state != ItemState::StopByDispatch || item.current <= item.start) {
            continue;
        }
        ++cut;
        EXPECT_EQ(item.current, item.end + 1) << "the cut item keeps exactly what it wrote";
        bool handedOn = false;
        for (const auto& [id, other] : items) {
            handedOn = handedOn || (id > item.id && other.start == item.end + 1 && other.url == good->Url());
        }
        EXPECT_TRUE(handedOn) << "the rest of item " << item.id << " went to the other mirror";
    }
    EXPECT_GE(cut, 1);
    Finish();
}

TEST_F(EngineRun, StallsOnTheFallbackAndInTheLastTenPercentAreWaitedOut) {
    config_.stallTimeMs = 800;
    const struct {
        const char* name;
        bool onFallback;
    } cases[] = {{"fallback alone", true}, {"regular mirror past 90 %", false}};
    for (const auto& c : cases) {
        mirrors_.clear();
        EventRecorder events;
        MakePayload(8 * kMiB);
        if (c.onFallback) {
            MirrorServer* fallback = AddMirror("127.0.0.2", StallAfter(100000, 2.5));
            ASSERT_TRUE(fallback);
            config_.fallbackMainHost = fallback->Host();
        } else {
            // Each of the stalling mirror's two ranges stops 50 KB before its
            // end, when more than 90 % of the file is written.
            AddMirror("127.0.0.2");
            AddMirror("127.0.0.3", StallAfter(2 * kMiB - 50000, 2.5));
            config_.fallbackMainHost = "fallback.test.invalid";
        }
        DownloaderCurl engine(config_);
        engine.SetNotify(events.Notify());
        const std::string manifest = ManifestText(payload_, Urls());
        engine.DownloadByCfgData(manifest.data(), manifest.size(), target_);
        ASSERT_TRUE(events.WaitForEnd()) << c.name;
        EXPECT_EQ(events.FirstEnd().event, kEventFinished) << c.name << ": " << engine.GetErrorName();
        DownloadSnapshot snapshot;
        engine.GetDownloadInfo(snapshot);
        // Splits may still happen; a range moved for a stall (or a failure) carries a hand-off.
        for (const auto& [id, item] : snapshot.items) {
            EXPECT_EQ(item.handoffs, 0) << c.name << ": item " << id << " took over a stalled range";
        }
    }
}

TEST_F(EngineRun, StopDuringTransfersEndsEveryThreadAndNoFinishedFollows) {
    MakePayload(4 * kMiB);
    MirrorServerFaults slow;
    slow.bytesPerSecond = 100000;
    AddMirror("127.0.0.2", slow);
    AddMirror("127.0.0.3", slow);
    engine_ = std::make_unique<DownloaderCurl>(config_);
    engine_->SetNotify(events_.Notify());
    manifest_ = ManifestText(payload_, Urls());
    engine_->DownloadByCfgData(manifest_.data(), manifest_.size(), target_);
    ASSERT_TRUE(WaitUntil([this] { return events_.CountOf(kEventProgress) > 10; }, 30000));
    engine_->StopDownload();
    EXPECT_FALSE(engine_->IsDownloading());
    EXPECT_EQ(engine_->GetDownloadStatus(), DownloadStatus::Failed);
    for (const auto& [id, item] : Items()) {
        EXPECT_EQ(item.state, ItemState::StopByDispatch) << id;
    }
    const auto start = std::chrono::steady_clock::now();
    engine_.reset();  // joins every engine thread
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(events_.CountOf(kEventFinished), 0);
    EXPECT_EQ(events_.CountOf(kEventFailed), 1);
    EXPECT_EQ(events_.FirstEnd().a, 0);
}

TEST_F(EngineRun, ManifestCopyFromAServerStartsTheDownload) {
    MakePayload(2 * kMiB + 3);
    AddMirror("127.0.0.2");
    AddMirror("127.0.0.3");
    const std::string manifestFile = dir_.WriteFile("site/manifest.xml", ManifestText(payload_, Urls()));
    auto site = StartMirror("127.0.0.4", manifestFile, {}, "manifest.xml");
    ASSERT_TRUE(site);
    engine_ = std::make_unique<DownloaderCurl>(config_);
    engine_->SetNotify(events_.Notify());
    ASSERT_EQ(engine_->DownloadByCfgUrl(site->Url(), target_), S_OK);
    ASSERT_TRUE(events_.WaitForEnd());
    EXPECT_EQ(events_.FirstEnd().event, kEventFinished) << engine_->GetErrorName();
    EXPECT_TRUE(FileOnDisk() == payload_.bytes);
    EXPECT_EQ(TempDir::ReadFile(target_ + ".cfg"), TempDir::ReadFile(manifestFile));
    Finish();
}

TEST_F(EngineRun, ManifestCopyThatNeverArrivesEndsWithConfigDownloadError) {
    LogCapture log;
    engine_ = std::make_unique<DownloaderCurl>(config_);
    engine_->SetNotify(events_.Notify());
    ASSERT_EQ(engine_->DownloadByCfgUrl("http://127.0.0.1:1/download/manifest.xml", target_), S_OK);
    ASSERT_TRUE(events_.WaitForEnd());
    EXPECT_EQ(events_.FirstEnd().event, kEventFailed);
    EXPECT_EQ(engine_->GetErrorName(), "ConfigDownloadError");
    int failedAttempts = 0;
    for (const std::string& line : log.lines()) {
        failedAttempts += line == "Download_Thread_Download_Cfg : failed.\n" ? 1 : 0;
    }
    EXPECT_EQ(failedAttempts, 3);
    Finish();
}

TEST_F(EngineRun, ManifestCopyFileThatCannotBeCreatedIsRefused) {
    dir_.WriteFile("blocker", "x");
    engine_ = std::make_unique<DownloaderCurl>(config_);
    engine_->SetNotify(events_.Notify());
    EXPECT_EQ(engine_->DownloadByCfgUrl("http://127.0.0.1:1/download/m.xml", dir_.Path("blocker/setup.exe")),
              E_INVALIDARG);
    EXPECT_EQ(events_.FirstEnd().event, kEventFailed);
    EXPECT_FALSE(engine_->IsDownloading());
    Finish();
}

TEST(DownloaderCurlInterface, FactoryAndNotifyArguments) {
    EXPECT_FALSE(CreateDownloader(nullptr));
    IDownloader* downloader = nullptr;
    ASSERT_TRUE(CreateDownloader(&downloader));
    std::unique_ptr<IDownloader> owned(downloader);
    EXPECT_EQ(owned->SetNotify(DownloadNotify{}), E_POINTER);
    EXPECT_FALSE(owned->IsDownloading());
    EXPECT_EQ(owned->GetDownloadStatus(), DownloadStatus::None);
    EXPECT_EQ(owned->GetFallbackKilobytes(), 0.0);
}

}  // namespace
