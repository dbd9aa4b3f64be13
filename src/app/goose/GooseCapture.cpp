#include "app/goose/GooseCapture.h"

#include <pcap/pcap.h>

#include <chrono>
#include <cstdio>
#include <system_error>

namespace {

constexpr int kSnapshotLength = 1536;
constexpr int kReadTimeoutMs = 10;
constexpr const char* kSysfsNetRoot = "/sys/class/net";

// The interface name tells adapters apart where the number alone does not.
std::string AdapterText(std::size_t number, const std::string& name, std::uint64_t mac) {
    char text[96];
    std::snprintf(text, sizeof text, "Adapter %zu (%.32s) MAC: %.02X:%.02X:%.02X:%.02X:%.02X:%.02X", number,
                  name.c_str(), static_cast<unsigned>(mac >> 40 & 0xFF), static_cast<unsigned>(mac >> 32 & 0xFF),
                  static_cast<unsigned>(mac >> 24 & 0xFF), static_cast<unsigned>(mac >> 16 & 0xFF),
                  static_cast<unsigned>(mac >> 8 & 0xFF), static_cast<unsigned>(mac & 0xFF));
    return text;
}

}  // namespace

CGooseCapture::CGooseCapture() : CGooseCapture(kSysfsNetRoot, ListCaptureDevices) {}

CGooseCapture::CGooseCapture(std::string sysfsRoot, DeviceLister lister)
    : sysfsRoot_(std::move(sysfsRoot)), lister_(std::move(lister)) {}

CGooseCapture::~CGooseCapture() { Stop(); }

int CGooseCapture::EnumerateAdapters() {
    adapters_.clear();
    std::vector<CaptureDevice> devices;
    if (!lister_ || !lister_(devices)) return 1;
    for (const CaptureDevice& device : devices) {
        if (!device.hasAddress) continue;
        AdapterLink link;
        if (!ReadAdapterLink(sysfsRoot_, device.name, link) || !link.ethernet || !link.connected) continue;
        CAdapterParams adapter;
        adapter.deviceName = device.name;
        adapter.address = device.ipv4;
        adapter.mac = link.mac;
        adapter.text = AdapterText(adapters_.size() + 1, device.name, link.mac);
        adapters_.push_back(std::move(adapter));
    }
    return 1;
}

int CGooseCapture::GetAdapterNames(std::vector<std::string>& names) const {
    names.clear();
    for (const CAdapterParams& adapter : adapters_) names.push_back(adapter.text);
    return static_cast<int>(names.size());
}

void CGooseCapture::SetFilter(const GooseFilterSettings& settings) {
    std::lock_guard<std::mutex> hold(lock_);
    filterMac_ = settings.mac;
    filterAppId_ = settings.appId;
    anyMac_ = settings.anyMac != 0;
    anyAppId_ = settings.anyAppId != 0;
    latch_ = settings.latch != 0;
    lastFrame_ = GooseFrameInfo{settings.mac, settings.appId, 0, {}};
}

void CGooseCapture::SetErrorSink(ErrorSink sink) {
    std::lock_guard<std::mutex> hold(lock_);
    sink_ = std::move(sink);
}

void CGooseCapture::JoinEndedWorker() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

int CGooseCapture::Start(int adapterIndex) {
    if (running_.load()) return 0;
    JoinEndedWorker();
    if (worker_.joinable()) return 0;  // called from the worker's own error sink
    if (adapterIndex < 0 || static_cast<std::size_t>(adapterIndex) >= adapters_.size()) return 0;
    const CAdapterParams& adapter = adapters_[static_cast<std::size_t>(adapterIndex)];
    CaptureSource source{false, adapter.deviceName, adapter.text, false, {}};
    if (const auto replay = replays_.find(adapter.deviceName); replay != replays_.end()) {
        source.savefile = true;
        source.name = replay->second.path;
        source.idleAtEnd = true;
        source.atEnd = replay->second.atEnd;
    }
    running_.store(true);
    try {
        worker_ = std::thread(&CGooseCapture::CaptureLoop, this, std::move(source));
    } catch (const std::system_error&) {
        running_.store(false);
        return 0;
    }
    return 1;
}

int CGooseCapture::Stop() {
    running_.store(false);
    {
        // pcap_next_ex on an idle link does not come back by itself, time-out or not.
        std::lock_guard<std::mutex> hold(handleLock_);
        if (handle_) pcap_breakloop(handle_);
    }
    stopped_.notify_all();
    JoinEndedWorker();
    return 1;
}

void CGooseCapture::ReplaySavefileOn(const std::string& deviceName, const std::string& path,
                                     std::function<void()> atEnd) {
    if (path.empty()) {
        replays_.erase(deviceName);
    } else {
        replays_[deviceName] = Replay{path, std::move(atEnd)};
    }
}

void CGooseCapture::IdleUntilStopped() {
    std::unique_lock<std::mutex> hold(handleLock_);
    stopped_.wait(hold, [this] { return !running_.load(); });
}

int CGooseCapture::RunSavefile(const std::string& path) {
    if (running_.load()) return 0;
    JoinEndedWorker();
    if (worker_.joinable()) return 0;
    running_.store(true);
    CaptureLoop(CaptureSource{true, path, path, false, {}});
    return 1;
}

void CGooseCapture::SetLatch(int flag) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!flag) latched_.store(false);
    latch_ = flag != 0;
}

void CGooseCapture::Continue() {
    std::lock_guard<std::mutex> hold(lock_);
    latched_.store(false);
}

void CGooseCapture::GetLastFrame(GooseFrameInfo& frame) const {
    std::lock_guard<std::mutex> hold(lock_);
    frame = lastFrame_;
}

CGooseCapture::FrameOutcome CGooseCapture::ProcessFrame(const std::uint8_t* frame, std::size_t capturedLength) {
    if (latched_.load()) return FrameOutcome::DiscardedWhileLatched;
    GooseHeader header;
    std::size_t position;
    if (!ParseGooseHeader(frame, capturedLength, header, position)) return FrameOutcome::Ignored;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!anyMac_ && header.destinationMac != filterMac_) return FrameOutcome::Ignored;
        if (!anyAppId_ && header.appId != filterAppId_) return FrameOutcome::Ignored;
        // A repetition with only a new sqNum shows nothing new.
        if (header.destinationMac == lastFrame_.mac && header.appId == lastFrame_.appId &&
            header.stNum == lastFrame_.stNum)
            return FrameOutcome::Ignored;
    }
    std::string values;
    if (!FormatValues(frame + position, header.end - position, values)) return FrameOutcome::Ignored;
    std::lock_guard<std::mutex> hold(lock_);
    lastFrame_.mac = header.destinationMac;
    lastFrame_.appId = header.appId;
    lastFrame_.stNum = header.stNum;
    lastFrame_.values = std::move(values);
    if (latch_) latched_.store(true);
    return FrameOutcome::Published;
}

void CGooseCapture::Report(const std::string& text) {
    ErrorSink sink;
    {
        std::lock_guard<std::mutex> hold(lock_);
        sink = sink_;
    }
    if (sink) sink(text);
}

pcap* CGooseCapture::OpenWithFilter(const CaptureSource& source) {
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = source.savefile ? pcap_open_offline(source.name.c_str(), error)
                                     : pcap_open_live(source.name.c_str(), kSnapshotLength, 1, kReadTimeoutMs, error);
    if (!handle) {
        // Most often a user without capture rights: say so rather than seem to capture.
        Report(source.text + ": " + error);
        return nullptr;
    }
    bpf_program program{};
    if (pcap_compile(handle, &program, kFilterText, 1, PCAP_NETMASK_UNKNOWN) < 0) {
        Report(source.text + ": " + pcap_geterr(handle));
        pcap_close(handle);
        return nullptr;
    }
    const int set = pcap_setfilter(handle, &program);
    pcap_freecode(&program);
    if (set < 0) {
        Report(source.text + ": " + pcap_geterr(handle));
        pcap_close(handle);
        return nullptr;
    }
    return handle;
}

void CGooseCapture::CaptureLoop(CaptureSource source) {
    latched_.store(false);
    pcap_t* handle = OpenWithFilter(source);
    if (!handle) {
        running_.store(false);
        return;
    }
    {
        // A Stop before this point has cleared running_, which the loop sees first.
        std::lock_guard<std::mutex> hold(handleLock_);
        handle_ = handle;
    }
    while (running_.load()) {
        pcap_pkthdr* packet = nullptr;
        const std::uint8_t* data = nullptr;
        const int got = pcap_next_ex(handle, &packet, &data);
        if (got == 0) continue;
        if (got == PCAP_ERROR_BREAK) {  // woken by Stop, or the end of a savefile
            if (source.idleAtEnd && running_.load()) {
                if (source.atEnd) source.atEnd();
                IdleUntilStopped();
            }
            break;
        }
        if (got < 0) {
            if (running_.load()) Report(source.text + kCaptureErrorText);
            break;
        }
        if (ProcessFrame(data, packet->caplen) == FrameOutcome::DiscardedWhileLatched)
            std::this_thread::sleep_for(std::chrono::milliseconds(kReadTimeoutMs));
    }
    {
        std::lock_guard<std::mutex> hold(handleLock_);
        handle_ = nullptr;
    }
    pcap_close(handle);
    running_.store(false);
}
