#pragma once

// The GOOSE monitor: lists the connected Ethernet adapters, captures on one of them with a
// worker thread, and keeps the last frame that passed the filters and changed, for the
// GOOSE panel's timer to read.

#include "app/goose/CaptureDevices.h"
#include "app/goose/GooseRecords.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct pcap;

// One usable adapter.
struct CAdapterParams {
    std::string deviceName;  // as libpcap lists it
    std::string text;        // "Adapter %d MAC: %s", the line of the adapter combo box
    std::uint32_t address = 0;
    std::uint64_t mac = 0;  // 48 bits, first octet in bits 47-40
};

// What the panel captures for.
struct GooseFilterSettings {
    MacAddress mac{};
    std::uint16_t appId = 0;
    std::uint32_t anyMac = 0;
    std::uint32_t anyAppId = 0;
    std::uint32_t latch = 0;
};

// The last published frame.
struct GooseFrameInfo {
    MacAddress mac{};
    std::uint16_t appId = 0;
    std::uint32_t stNum = 0;
    std::string values;
};

class CGooseCapture {
public:
    // Receives the text of a failure on the worker thread. It must not block on the
    // thread that owns the capture (the panel posts it to its own thread).
    using ErrorSink = std::function<void(const std::string& text)>;
    using DeviceLister = std::function<bool(std::vector<CaptureDevice>& devices)>;

    // GOOSE frames with or without one 802.1Q tag.
    static constexpr const char* kFilterText =
        "(ether proto 0x88B8) || (vlan && (ether[16]==0x88) && (ether[17]==0xB8))";
    static constexpr const char* kCaptureErrorText = ": Error while capturing data.";

    enum class FrameOutcome { Published, Ignored, DiscardedWhileLatched };

    // The machine's devices from libpcap, their link facts from /sys/class/net.
    CGooseCapture();
    // Another sysfs folder and device list, for tests.
    CGooseCapture(std::string sysfsRoot, DeviceLister lister);
    ~CGooseCapture();

    CGooseCapture(const CGooseCapture&) = delete;
    CGooseCapture& operator=(const CGooseCapture&) = delete;

    // Rebuilds the adapter list: devices with an address whose sysfs entry says Ethernet
    // with the cable connected, numbered in their texts by their place among the kept
    // ones. Always 1.
    int EnumerateAdapters();
    // The adapters' texts in list order; their number.
    int GetAdapterNames(std::vector<std::string>& names) const;

    // Takes the filter; the last frame becomes that MAC and APPID with stNum 0 and no
    // values. May be called while a worker runs.
    void SetFilter(const GooseFilterSettings& settings);
    void SetErrorSink(ErrorSink sink);

    // Starts the worker on the adapter at `adapterIndex`: 1. 0 (nothing started) while a
    // worker runs or for an index outside the list. A worker that ended by itself is
    // joined first.
    int Start(int adapterIndex);
    // Ends the worker, even while no frame arrives, and waits for it. Always 1.
    int Stop();

    void SetLatch(int flag);
    void Continue();
    void GetLastFrame(GooseFrameInfo& frame) const;
    bool IsRunning() const { return running_.load(); }
    bool IsLatched() const { return latched_.load(); }

    // One captured frame through the latch, the decoders, the filters and the change test;
    // publishes it when it passes.
    FrameOutcome ProcessFrame(const std::uint8_t* frame, std::size_t capturedLength);

    // The worker's loop on the calling thread over a savefile, with the same filter; the
    // end of the file ends it quietly. 0 while a worker runs.
    int RunSavefile(const std::string& path);
    // Start on the adapter with this device name reads the savefile instead, through the
    // same filter, on the worker. At the file's end the worker calls `atEnd` (on its own
    // thread) and waits, as on an idle link, until Stop. An empty path forgets the device.
    void ReplaySavefileOn(const std::string& deviceName, const std::string& path, std::function<void()> atEnd = {});

    // 1 and the position behind the last header field when the frame is a GOOSE frame.
    // Decoding ends at header.end, the APPID's offset + Length.
    static int ParseGooseHeader(const std::uint8_t* frame, std::size_t capturedLength, GooseHeader& header,
                                std::size_t& position);
    // 1 and the values text from numDatSetEntries on; 0 leaves the text as it was.
    static int FormatValues(const std::uint8_t* data, std::size_t length, std::string& text);

private:
    struct CaptureSource {
        bool savefile = false;
        std::string name;        // device name or file path
        std::string text;        // how failures name it
        bool idleAtEnd = false;  // a savefile standing in for an adapter
        std::function<void()> atEnd;
    };
    struct Replay {
        std::string path;
        std::function<void()> atEnd;
    };

    void CaptureLoop(CaptureSource source);
    pcap* OpenWithFilter(const CaptureSource& source);
    void Report(const std::string& text);
    void JoinEndedWorker();
    void IdleUntilStopped();

    std::string sysfsRoot_;
    DeviceLister lister_;
    std::vector<CAdapterParams> adapters_;
    std::map<std::string, Replay> replays_;

    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> latched_{false};

    // Guards the last frame, the filter, the latch flag, the latched state's changes and the sink.
    mutable std::mutex lock_;
    GooseFrameInfo lastFrame_;
    MacAddress filterMac_{};
    std::uint16_t filterAppId_ = 0;
    bool anyMac_ = false;
    bool anyAppId_ = false;
    bool latch_ = false;
    ErrorSink sink_;

    // Guards the open handle, which Stop wakes, and the idle wait at a replay's end.
    std::mutex handleLock_;
    std::condition_variable stopped_;
    pcap* handle_ = nullptr;
};
