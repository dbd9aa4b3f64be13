#include "app/goose/ErrorCollector.h"
#include "app/goose/GooseCapture.h"
#include "app/goose/GooseFrameBuilder.h"
#include "support/PcapSavefile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <optional>

namespace {

using namespace GooseTest;
using Outcome = CGooseCapture::FrameOutcome;

const MacAddress kMacA{0x01, 0x0C, 0xCD, 0x01, 0x00, 0x01};
const MacAddress kMacB{0x01, 0x0C, 0xCD, 0x01, 0x00, 0x02};

Bytes Frame(const MacAddress& mac, std::uint16_t appId, std::uint32_t stNum, std::uint32_t sqNum,
            std::int64_t value = 5) {
    GooseFrameSpec spec;
    spec.destination.assign(mac.begin(), mac.end());
    spec.appId = appId;
    spec.stNum = stNum;
    spec.sqNum = sqNum;
    spec.values = {IntegerValue(value)};
    return BuildGooseFrame(spec);
}

GooseFilterSettings Filter(const MacAddress& mac, std::uint16_t appId, bool anyMac = false, bool anyAppId = false,
                           bool latch = false) {
    return GooseFilterSettings{mac, appId, anyMac ? 1u : 0u, anyAppId ? 1u : 0u, latch ? 1u : 0u};
}

Outcome Process(CGooseCapture& capture, const Bytes& frame) { return capture.ProcessFrame(frame.data(), frame.size()); }

// A sysfs folder of network interfaces, removed afterwards.
class FakeSysfs {
public:
    FakeSysfs() : root_(std::filesystem::temp_directory_path() / ("goose-sysfs-" + std::to_string(getpid()))) {
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    ~FakeSysfs() { std::filesystem::remove_all(root_); }

    // A carrier of nullopt: the file cannot be read, as when the interface is down.
    void Add(const std::string& name, const std::string& type, const std::string& address,
             std::optional<std::string> carrier) {
        const auto folder = root_ / name;
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "type") << type << "\n";
        std::ofstream(folder / "address") << address << "\n";
        if (carrier) std::ofstream(folder / "carrier") << *carrier << "\n";
    }
    std::string Root() const { return root_.string(); }

private:
    std::filesystem::path root_;
};

CGooseCapture::DeviceLister Devices(std::vector<CaptureDevice> devices) {
    return [devices](std::vector<CaptureDevice>& out) {
        out = devices;
        return true;
    };
}

TEST(GooseCaptureFrames, LastFrameAfterSetFilterIsTheFiltersOwn) {
    CGooseCapture capture("/nonexistent", Devices({}));
    capture.SetFilter(Filter(kMacA, 0x1001));
    GooseFrameInfo last;
    capture.GetLastFrame(last);
    EXPECT_EQ(last.mac, kMacA);
    EXPECT_EQ(last.appId, 0x1001);
    EXPECT_EQ(last.stNum, 0u);
    EXPECT_EQ(last.values, "");
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 0, 0)), Outcome::Ignored) << "same as the filter's frame";
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 1, 0)), Outcome::Published);
}

TEST(GooseCaptureFrames, PublishesWhatPassesTheFiltersAndChanged) {
    struct Step {
        MacAddress mac;
        std::uint16_t appId;
        std::uint32_t stNum;
        std::uint32_t sqNum;
        Outcome outcome;
    };
    struct Case {
        const char* name;
        GooseFilterSettings filter;
        std::vector<Step> steps;
        MacAddress lastMac;
        std::uint32_t lastStNum;
    };
    const Case cases[] = {
        {"sqNum-only repeats are not published",
         Filter(kMacA, 0x1001),
         {{kMacA, 0x1001, 1, 0, Outcome::Published},
          {kMacA, 0x1001, 1, 1, Outcome::Ignored},
          {kMacA, 0x1001, 1, 2, Outcome::Ignored},
          {kMacA, 0x1001, 2, 0, Outcome::Published}},
         kMacA,
         2},
        {"MAC and APPID filters",
         Filter(kMacA, 0x1001),
         {{kMacB, 0x1001, 5, 0, Outcome::Ignored},
          {kMacA, 0x1002, 5, 0, Outcome::Ignored},
          {kMacA, 0x1001, 5, 0, Outcome::Published}},
         kMacA,
         5},
        {"any MAC: every MAC passes, the change test compares with the last published one",
         Filter(kMacA, 0x1001, true),
         {{kMacB, 0x1001, 0, 0, Outcome::Published},
          {kMacB, 0x1001, 0, 1, Outcome::Ignored},
          {kMacA, 0x1001, 0, 0, Outcome::Published},
          {kMacB, 0x1002, 7, 0, Outcome::Ignored}},
         kMacA,
         0},
        {"any APPID",
         Filter(kMacA, 0x1001, false, true),
         {{kMacA, 0x2000, 1, 0, Outcome::Published},
          {kMacA, 0x2001, 1, 0, Outcome::Published},
          {kMacB, 0x2001, 2, 0, Outcome::Ignored}},
         kMacA,
         1},
    };
    for (const Case& c : cases) {
        CGooseCapture capture("/nonexistent", Devices({}));
        capture.SetFilter(c.filter);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            EXPECT_EQ(Process(capture, Frame(s.mac, s.appId, s.stNum, s.sqNum)), s.outcome) << c.name << " step " << i;
        }
        GooseFrameInfo last;
        capture.GetLastFrame(last);
        EXPECT_EQ(last.mac, c.lastMac) << c.name;
        EXPECT_EQ(last.stNum, c.lastStNum) << c.name;
        EXPECT_EQ(last.values, "5") << c.name;
    }
}

TEST(GooseCaptureFrames, UndecodableFramesAreIgnored) {
    CGooseCapture capture("/nonexistent", Devices({}));
    capture.SetFilter(Filter(kMacA, 0x1001));
    GooseFrameSpec spec;
    spec.stNum = 3;
    spec.values = {Tlv(0x85, Bytes(9, 1))};
    EXPECT_EQ(Process(capture, BuildGooseFrame(spec)), Outcome::Ignored);
    EXPECT_EQ(Process(capture, Bytes(10, 0)), Outcome::Ignored);
    GooseFrameInfo last;
    capture.GetLastFrame(last);
    EXPECT_EQ(last.stNum, 0u);
}

TEST(GooseCaptureFrames, LatchFreezesUntilContinueOrLatchOff) {
    CGooseCapture capture("/nonexistent", Devices({}));
    capture.SetFilter(Filter(kMacA, 0x1001, false, false, true));
    EXPECT_FALSE(capture.IsLatched());
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 1, 0, 10)), Outcome::Published);
    EXPECT_TRUE(capture.IsLatched());
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 2, 0, 20)), Outcome::DiscardedWhileLatched);
    GooseFrameInfo last;
    capture.GetLastFrame(last);
    EXPECT_EQ(last.values, "10");

    capture.Continue();
    EXPECT_FALSE(capture.IsLatched());
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 3, 0, 30)), Outcome::Published);
    EXPECT_TRUE(capture.IsLatched()) << "the next change latches again";

    capture.SetLatch(0);
    EXPECT_FALSE(capture.IsLatched());
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 4, 0, 40)), Outcome::Published);
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 5, 0, 50)), Outcome::Published);
    EXPECT_FALSE(capture.IsLatched());
    capture.GetLastFrame(last);
    EXPECT_EQ(last.values, "50");

    capture.SetLatch(1);
    EXPECT_EQ(Process(capture, Frame(kMacA, 0x1001, 6, 0, 60)), Outcome::Published);
    EXPECT_TRUE(capture.IsLatched());
}

TEST(GooseCaptureAdapters, KeepsConnectedEthernetAdaptersNumberedInOrder) {
    FakeSysfs sysfs;
    sysfs.Add("eth0", "1", "02:00:00:00:00:10", "0");
    sysfs.Add("eth1", "1", "02:00:00:00:00:11", "1");
    sysfs.Add("lo", "772", "00:00:00:00:00:00", std::nullopt);
    sysfs.Add("eth2", "1", "02:00:00:00:00:12", std::nullopt);
    sysfs.Add("eth3", "1", "0a:1b:2c:3d:4e:5f", "1");
    sysfs.Add("eth4", "1", "02:00:00:00:00:14", "1");
    sysfs.Add("bad0", "1", "not a mac", "1");
    CGooseCapture capture(sysfs.Root(), Devices({{"eth0", true, 0},
                                                 {"any", true, 0},
                                                 {"lo", true, 0x7F000001},
                                                 {"eth1", true, 0x0A010101},
                                                 {"eth2", true, 0},
                                                 {"eth4", false, 0},
                                                 {"bad0", true, 0},
                                                 {"../eth1", true, 0},
                                                 {"eth3", true, 0}}));
    EXPECT_EQ(capture.EnumerateAdapters(), 1);
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(capture.GetAdapterNames(names), 2);
    EXPECT_EQ(names, (std::vector<std::string>{"Adapter 1 (eth1) MAC: 02:00:00:00:00:11",
                                               "Adapter 2 (eth3) MAC: 0A:1B:2C:3D:4E:5F"}));

    CGooseCapture failing(sysfs.Root(), [](std::vector<CaptureDevice>&) { return false; });
    EXPECT_EQ(failing.EnumerateAdapters(), 1);
    EXPECT_EQ(failing.GetAdapterNames(names), 0);
    EXPECT_TRUE(names.empty());
}

TEST(GooseCaptureWorker, StartRefusesAnIndexOutsideTheList) {
    FakeSysfs sysfs;
    sysfs.Add("eth1", "1", "02:00:00:00:00:11", "1");
    CGooseCapture empty(sysfs.Root(), Devices({}));
    empty.EnumerateAdapters();
    EXPECT_EQ(empty.Start(0), 0);
    CGooseCapture one(sysfs.Root(), Devices({{"eth1", true, 0}}));
    one.EnumerateAdapters();
    EXPECT_EQ(one.Start(-1), 0);
    EXPECT_EQ(one.Start(1), 0);
    EXPECT_FALSE(one.IsRunning());
    EXPECT_EQ(one.Stop(), 1);
}

TEST(GooseCaptureWorker, AnAdapterThatCannotOpenReportsLibpcapsText) {
    FakeSysfs sysfs;
    sysfs.Add("nosuchgoose0", "1", "02:00:00:00:00:01", "1");
    ErrorCollector errors;  // outlives the worker that reports to it
    CGooseCapture capture(sysfs.Root(), Devices({{"nosuchgoose0", true, 0}}));
    capture.SetErrorSink(errors.Sink());
    capture.EnumerateAdapters();
    const std::string prefix = "Adapter 1 (nosuchgoose0) MAC: 02:00:00:00:00:01: ";
    for (std::size_t attempt = 1; attempt <= 2; ++attempt) {  // a worker that ended by itself can be restarted
        ASSERT_EQ(capture.Start(0), 1);
        ASSERT_TRUE(errors.WaitFor(attempt));
        const std::string text = errors.Texts().back();
        EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
        EXPECT_GT(text.size(), prefix.size()) << "libpcap's reason follows";
        EXPECT_EQ(text.find("Error while capturing data."), std::string::npos) << text;
        capture.Stop();
        EXPECT_FALSE(capture.IsRunning());
    }
}

TEST(GooseCaptureSavefile, RunsTheWorkerOverAFileAndEndsQuietly) {
    GooseFrameSpec ipv4;
    ipv4.etherType = 0x0800;
    GooseFrameSpec tagged;
    tagged.tagged = true;
    tagged.stNum = 9;
    tagged.appId = 0x2002;
    tagged.values = {BooleanValue(true)};
    GooseFrameSpec padded;
    padded.stNum = 2;
    padded.values = {VisibleStringValue("ok")};
    padded.trailer = Bytes(12, 0);
    const TestSupport::PcapSavefile file({BuildGooseFrame(ipv4), Frame(kMacA, 0x1001, 1, 0, 11),
                                          Frame(kMacA, 0x1001, 1, 1, 12), BuildGooseFrame(tagged),
                                          BuildGooseFrame(padded)});
    struct Case {
        const char* name;
        GooseFilterSettings filter;
        std::uint32_t stNum;
        std::string values;
    };
    const Case cases[] = {
        {"the last change that passes", Filter(kMacA, 0x1001), 2, "ok"},
        {"tagged frames pass the capture filter", Filter(kMacA, 0x2002), 9, "T"},
        {"latched on the first change", Filter(kMacA, 0x1001, false, false, true), 1, "11"},
    };
    for (const Case& c : cases) {
        ErrorCollector errors;
        CGooseCapture capture("/nonexistent", Devices({}));
        capture.SetErrorSink(errors.Sink());
        capture.SetFilter(c.filter);
        EXPECT_EQ(capture.RunSavefile(file.Path()), 1) << c.name;
        EXPECT_FALSE(capture.IsRunning()) << c.name;
        EXPECT_TRUE(errors.Texts().empty()) << c.name << ": " << errors.Texts().front();
        GooseFrameInfo last;
        capture.GetLastFrame(last);
        EXPECT_EQ(last.stNum, c.stNum) << c.name;
        EXPECT_EQ(last.values, c.values) << c.name;
    }
}

TEST(GooseCaptureSavefile, AReplayedAdapterIdlesAtTheEndUntilStop) {
    FakeSysfs sysfs;
    sysfs.Add("gse0", "1", "02:00:00:00:00:10", "1");
    const TestSupport::PcapSavefile file({Frame(kMacA, 0x1001, 1, 0, 11), Frame(kMacA, 0x1001, 2, 0, 22)});
    std::promise<void> reachedEnd;
    ErrorCollector errors;
    CGooseCapture capture(sysfs.Root(), Devices({{"gse0", true, 0}}));
    capture.SetErrorSink(errors.Sink());
    capture.EnumerateAdapters();
    capture.ReplaySavefileOn("gse0", file.Path(), [&] { reachedEnd.set_value(); });
    capture.SetFilter(Filter(kMacA, 0x1001));
    ASSERT_EQ(capture.Start(0), 1);
    ASSERT_EQ(reachedEnd.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(capture.IsRunning()) << "as on an idle link";
    GooseFrameInfo last;
    capture.GetLastFrame(last);
    EXPECT_EQ(last.values, "22");
    EXPECT_EQ(capture.Stop(), 1);
    EXPECT_FALSE(capture.IsRunning());
    EXPECT_TRUE(errors.Texts().empty());
}

TEST(GooseCaptureSavefile, AFileThatCannotOpenIsReported) {
    ErrorCollector errors;
    CGooseCapture capture("/nonexistent", Devices({}));
    capture.SetErrorSink(errors.Sink());
    EXPECT_EQ(capture.RunSavefile("/nonexistent/capture.pcap"), 1);
    ASSERT_EQ(errors.Texts().size(), 1u);
    EXPECT_EQ(errors.Texts()[0].rfind("/nonexistent/capture.pcap: ", 0), 0u) << errors.Texts()[0];
    EXPECT_FALSE(capture.IsRunning());
}

}  // namespace
