#pragma once

// Stand-ins for the neighbours of the presentation and association control
// connections: a user connection that records what reaches it, and a presentation
// connection whose session below is replaced by a recorder.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "osi/CoppConnection.h"
#include "protocol/Asn1Coder.h"
#include "protocol/Asn1Frame.h"
#include "protocol/Frame.h"

namespace AssociationTest {

// Upper-case hex with blanks, the form the byte images are written in.
inline std::string Hex(std::span<const std::uint8_t> bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

inline std::vector<std::uint8_t> Bytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : hex) {
        int value = -1;
        if (c >= '0' && c <= '9') value = c - '0';
        else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
        if (value < 0) continue;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    return bytes;
}

// A BER element as hex: the tag octets given, the definite length computed.
inline std::string Tlv(const std::string& tagHex, const std::string& contentHex) {
    const std::size_t length = Bytes(contentHex).size();
    std::vector<std::uint8_t> header = Bytes(tagHex);
    if (length < 128) {
        header.push_back(static_cast<std::uint8_t>(length));
    } else if (length < 256) {
        header.push_back(0x81);
        header.push_back(static_cast<std::uint8_t>(length));
    } else {
        header.push_back(0x82);
        header.push_back(static_cast<std::uint8_t>(length >> 8));
        header.push_back(static_cast<std::uint8_t>(length));
    }
    const std::string content = Hex(Bytes(contentHex));
    return content.empty() ? Hex(header) : Hex(header) + " " + content;
}

// The window of a frame as hex.
inline std::string WindowHex(const Protocol::Frame& frame) {
    return Hex(std::span<const std::uint8_t>(frame.WindowData(), frame.GetWindowLength()));
}

// An encoded frame holding an upper PDU at the end of its storage, with head room in
// front, as the MMS layer hands its PDUs down.
inline std::unique_ptr<Asn1::Asn1Frame> UpperFrame(const std::string& hex, std::uint32_t headRoom = 512) {
    const std::vector<std::uint8_t> pdu = Bytes(hex);
    auto frame = std::make_unique<Asn1::Asn1Frame>(nullptr);
    const auto capacity = static_cast<std::uint32_t>(headRoom + pdu.size());
    frame->Allocate(capacity);
    std::copy(pdu.begin(), pdu.end(), frame->Data() + headRoom);
    frame->SetWindow(headRoom, static_cast<std::uint32_t>(pdu.size()), 0);
    frame->SetState(Protocol::Frame::StateEncoded);
    return frame;
}

// A frame that still holds its value, an OCTET STRING of the octets, with its whole
// storage as head room: the lower layers encode it in place.
inline std::unique_ptr<Asn1::Asn1Frame> ValueFrame(const std::string& octetsHex) {
    const std::vector<std::uint8_t> octets = Bytes(octetsHex);
    auto* value = static_cast<Asn1::Asn1OctetString*>(Asn1::Asn1NewValue(&Asn1::Asn1OctetStringType));
    Asn1::Asn1OctetStringSetBytes(value, octets.data(), octets.size());
    auto frame = std::make_unique<Asn1::Asn1Frame>(nullptr, value, &Asn1::Asn1OctetStringType, 0);
    frame->Allocate(512);
    frame->SetWindow(512, 0, 0);
    return frame;
}

// What reached a recorder from below.
struct Delivery {
    enum Kind { SingleAsn1, OctetAligned, Arbitrary, Indication };
    Kind kind;
    std::uint32_t event;
    std::string hex;
};

// A user connection: records every delivery and answers with a set result. A hook
// runs inside the delivery, as a real user answers a connect on the receive thread.
class RecordingUser : public Protocol::Connection {
public:
    explicit RecordingUser(Protocol::Layer* layer = nullptr) : Connection(layer) {}
    // The chain below delivers into this connection until it is gone.
    ~RecordingUser() override { ReleaseLower(); }

    System::ResultCode OnSingleAsn1Data(std::span<const std::uint8_t> data, std::uint32_t event) override {
        return Record(Delivery::SingleAsn1, event, Hex(data));
    }
    System::ResultCode OnOctetAlignedData(std::span<const std::uint8_t> data, std::uint32_t event) override {
        return Record(Delivery::OctetAligned, event, Hex(data));
    }
    System::ResultCode OnArbitraryData(std::span<const std::uint8_t> data, std::uint32_t event) override {
        return Record(Delivery::Arbitrary, event, Hex(data));
    }
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override {
        return Record(Delivery::Indication, event,
                      frame != nullptr && frame->WindowData() != nullptr ? WindowHex(*frame) : std::string());
    }

    std::vector<Delivery> Deliveries() const {
        std::lock_guard lock(mutex_);
        return deliveries_;
    }
    std::size_t Count() const { return Deliveries().size(); }

    // How many deliveries of the kind and event there were.
    std::size_t Count(Delivery::Kind kind, std::uint32_t event) const {
        std::lock_guard lock(mutex_);
        return CountLocked(kind, event);
    }

    // Waits up to the limit until there are at least count deliveries of the kind and
    // event.
    bool WaitFor(Delivery::Kind kind, std::uint32_t event, std::size_t count = 1, int limitMs = 10000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(limitMs),
                                 [&] { return CountLocked(kind, event) >= count; });
    }

    System::ResultCode answer = System::OkNoError;
    std::function<void(const Delivery&)> onDelivery;

private:
    System::ResultCode Record(Delivery::Kind kind, std::uint32_t event, std::string hex) {
        Delivery delivery{kind, event, std::move(hex)};
        // The hook answers before the delivery shows, as a user's reply would.
        if (onDelivery) onDelivery(delivery);
        {
            std::lock_guard lock(mutex_);
            deliveries_.push_back(delivery);
        }
        changed_.notify_all();
        return answer;
    }

    std::size_t CountLocked(Delivery::Kind kind, std::uint32_t event) const {
        return static_cast<std::size_t>(std::count_if(deliveries_.begin(), deliveries_.end(), [&](const Delivery& d) {
            return d.kind == kind && d.event == event;
        }));
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Delivery> deliveries_;
};

// What the presentation connection asked of the session below.
struct SessionCall {
    enum Kind { Connect, Accept, Refuse, Data, Abort };
    Kind kind;
    std::uint8_t reason;
    std::string hex;  // the PPDU, empty when none was given
};

// A presentation connection whose session is a recorder.
class RecordingCopp : public CoppConnection {
public:
    RecordingCopp() : CoppConnection(nullptr) { Reset(); }
    // A test puts the connection in a state without the exchange that leads there.
    using CoppConnection::SetState;

    std::vector<SessionCall> calls;
    System::ResultCode sessionResult = System::OkNoError;

protected:
    System::ResultCode SessionConnect(Protocol::Frame* frame) override {
        return Record(SessionCall::Connect, 0, frame);
    }
    System::ResultCode SessionAcceptConnect(Protocol::Frame* frame) override {
        return Record(SessionCall::Accept, 0, frame);
    }
    System::ResultCode SessionRefuseConnect(std::uint8_t reason, Protocol::Frame* frame) override {
        return Record(SessionCall::Refuse, reason, frame);
    }
    System::ResultCode SessionSendData(Protocol::Frame* frame, TransportLink) override {
        return Record(SessionCall::Data, 0, frame);
    }
    System::ResultCode SessionAbort(Protocol::Frame* frame, TransportLink, AbortWait) override {
        return Record(SessionCall::Abort, 0, frame);
    }

private:
    System::ResultCode Record(SessionCall::Kind kind, std::uint8_t reason, Protocol::Frame* frame) {
        calls.push_back({kind, reason, frame != nullptr ? WindowHex(*frame) : std::string()});
        return sessionResult;
    }
};

}  // namespace AssociationTest
