// The RFC 1006 receive path takes whatever the peer sends. The input's first bytes
// choose how the stream is cut into receive chunks; the rest is the stream. Every
// delivered TPDU must lie inside what was fed, and a connection closed for a framing
// error is connected again and fed on.
#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "protocol/Stack.h"

#include "FakeTcp.h"
#include "RecordingUpper.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t chunk = 1 + (data[0] | (data[1] << 8)) % 2048;
    data += 2;
    size -= 2;

    OsiTest::RecordingUpper upper;
    OsiTest::FakeTcpLayer tcpLayer;
    ItotLayer itotLayer;
    Protocol::Stack stack;
    stack.InsertLayer(&tcpLayer, Protocol::Stack::OnTop, nullptr);
    stack.InsertLayer(&itotLayer, Protocol::Stack::OnTop, nullptr);
    auto* itot = static_cast<ItotConnection*>(stack.CreateConnection());
    itot->SetUpper(&upper);
    if (itot->Connect() != System::OkNoError) std::abort();

    std::size_t delivered = 0;
    for (std::size_t at = 0; at < size; at += chunk) {
        const std::size_t n = size - at < chunk ? size - at : chunk;
        if (itot->GetState() != ItotConnection::StateConnected && itot->Connect() != System::OkNoError) std::abort();
        itot->OnLowerBytes(data + at, static_cast<std::uint32_t>(n), ItotConnection::TpduReceived);
    }
    for (const auto& record : upper.Records()) delivered += record.bytes.size();
    if (delivered > size) std::abort();

    stack.DeleteConnection(itot);
    return 0;
}
