#include "protocol/Connection.h"

#include "protocol/Frame.h"
#include "protocol/Layer.h"
#include "system/StringText.h"

#include <string>
#include <vector>

namespace Protocol {

Connection::Connection(Layer* layer) : id_(layer != nullptr ? layer->NextConnectionId() : 0), layer_(layer) {}

Connection::~Connection() {
    ReleaseLower();
    if (Connection* upper = upper_.exchange(nullptr)) {
        // Only our own link: the upper connection may outlive us.
        if (upper->GetLower() == this) upper->SetLower(nullptr);
    }
    queue_.Clear();
    pendingA_.clear();
    pendingB_.clear();
}

void Connection::SetTimeout(std::uint32_t timeoutMs) { timeout_.store(timeoutMs); }

void Connection::SetLower(Connection* lower) { lower_.store(lower); }

Connection* Connection::GetLower() { return lower_.load(); }

Connection* Connection::GetBottom() {
    Connection* bottom = this;
    while (Connection* next = bottom->GetLower()) bottom = next;
    return bottom;
}

void Connection::ReleaseLower() {
    Connection* lower = lower_.exchange(nullptr);
    if (lower == nullptr) return;
    // Unlink first, so that the lower connection's destructor leaves us alone.
    if (lower->GetUpper() == this) lower->SetUpper(nullptr);
    if (Layer* layer = lower->GetLayer()) layer->RemoveConnection(lower);
}

void Connection::SetUpper(Connection* upper) { upper_.store(upper); }

Connection* Connection::GetUpper() { return upper_.load(); }

void Connection::DeleteUpper() {
    Connection* upper = upper_.exchange(nullptr);
    if (upper == nullptr) return;
    // Its destructor would otherwise delete this connection as its lower one.
    if (upper->GetLower() == this) upper->SetLower(nullptr);
    if (Layer* layer = upper->GetLayer()) layer->TakeConnection(upper);
    delete upper;
}

System::ResultCode Connection::SetParameter(std::string_view, std::string_view) { return System::NotSupported; }

System::ResultCode Connection::GetParameter(std::string_view, std::string&) { return System::NotSupported; }

System::ResultCode Connection::SetMaxPduSize(std::uint32_t size) {
    if (size < MinimumPduSize || size > MaximumPduSize) return System::Error;
    maxPduSize_.store(size);
    return System::OkNoError;
}

System::ResultCode Connection::OnArbitraryData(std::span<const std::uint8_t>, std::uint32_t) {
    return System::NotImplemented;
}

System::ResultCode Connection::OnOctetAlignedData(std::span<const std::uint8_t>, std::uint32_t) {
    return System::NotImplemented;
}

System::ResultCode Connection::OnSingleAsn1Data(std::span<const std::uint8_t>, std::uint32_t) {
    return System::NotImplemented;
}

System::ResultCode Connection::OnLowerBytes(const std::uint8_t*, std::uint32_t, std::uint32_t) {
    return System::NotImplemented;
}

System::ResultCode Connection::OnLowerEvent(std::uint32_t event) { return OnLowerIndication(nullptr, event); }

System::ResultCode Connection::OnLowerIndication(Frame*, std::uint32_t) { return System::NotImplemented; }

System::ResultCode Connection::Close() {
    Reset();
    return System::OkNoError;
}

Frame* Connection::CreateFrame(const std::uint8_t*, std::uint32_t, std::uint32_t) { return nullptr; }

void Connection::DiscardPending() {
    if (Connection* lower = GetLower()) lower->DiscardPending();
    pendingA_.clear();
    pendingB_.clear();
}

void Connection::SetRefusal(const PeerRefusal& refusal) {
    std::lock_guard lock(refusalMutex_);
    refusal_ = refusal;
}

PeerRefusal Connection::GetRefusal() const {
    std::lock_guard lock(refusalMutex_);
    return refusal_;
}

void Connection::ClearRefusals() {
    for (Connection* connection = this; connection != nullptr; connection = connection->GetLower()) {
        connection->SetRefusal(PeerRefusal{});
    }
}

PeerRefusal Connection::FindRefusal() {
    for (Connection* connection = this; connection != nullptr; connection = connection->GetLower()) {
        PeerRefusal refusal = connection->GetRefusal();
        if (refusal.IsSet()) return refusal;
    }
    return PeerRefusal{};
}

System::ResultCode Connection::Reset() {
    maxPduSize_.store(0);
    state_.store(StateReset);
    return System::OkNoError;
}

System::ResultCode Connection::RestoreParameterDefaults() {
    timeout_.store(DefaultTimeoutMs);
    return ApplyParameterText();
}

System::ResultCode Connection::ApplyParameterText() {
    std::vector<std::string> items;
    System::SplitString(parameterText_, ';', items);
    for (const std::string& item : items) {
        // Exactly one name and one value: an empty item (a trailing ";") or a value
        // holding "=" is refused.
        std::vector<std::string> parts;
        if (System::SplitString(item, '=', parts) != 2) return System::Error;
        const System::ResultCode result = SetParameter(parts[0], parts[1]);
        if (result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

}  // namespace Protocol
