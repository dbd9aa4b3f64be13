#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "protocol/Stack.h"
#include "system/ResultCode.h"

class AcseLayer;
class CoppLayer;
class CospLayer;
class CotpLayer;
class ItotLayer;
class W32TcpLayer;

namespace Mms {
class MmsLayer;
}

namespace Iec61850::Acsi {

class AcsiLayer;
class TPAppAssociation;

// The IEC 61850 client's protocol stack, one per association profile: from top to bottom
// "MmsUser" (the associations), "Mms", "Acse", "Copp", "Cosp", "Cotp", "Itot", "Tcp". Its
// chains are associations, each with a connection of every layer below it; the layers are
// shared by the chains.
//
// Tear-down goes from the top: the associations (whose threads are joined and whose
// chains, receive threads included, go with them) before the layers they call into.
class AcsiStack : public Protocol::Stack {
public:
    static constexpr std::uint16_t DefaultListenPort = 102;

    AcsiStack();
    ~AcsiStack() override;

    // A client chain: its association, reset; null when a layer cannot make its part.
    TPAppAssociation* CreateAssociation();
    // A server chain whose TCP connection waits for the next connect accepted on the
    // port (listening starts with the first chain, on the address given by
    // SetListenAddress). Null when listening cannot start: result then holds the failure
    // and systemError the system's error number (0 when there is none).
    TPAppAssociation* CreateListeningChain(std::uint16_t port, System::ResultCode& result, int& systemError);
    TPAppAssociation* CreateListeningChain(std::uint16_t port = DefaultListenPort);
    // Empty (the default): every address. InvalidArguments for text that is no IPv4 address.
    System::ResultCode SetListenAddress(const std::string& address);
    System::ResultCode StopListening();
    // The port listened on (the one the system picked for port 0), 0 when not listening.
    std::uint16_t GetListenPort() const;

    W32TcpLayer& Tcp() const { return *tcpLayer_; }
    AcsiLayer& Acsi() const { return *acsiLayer_; }

private:
    std::unique_ptr<W32TcpLayer> tcpLayer_;
    std::unique_ptr<ItotLayer> itotLayer_;
    std::unique_ptr<CotpLayer> cotpLayer_;
    std::unique_ptr<CospLayer> cospLayer_;
    std::unique_ptr<CoppLayer> coppLayer_;
    std::unique_ptr<AcseLayer> acseLayer_;
    std::unique_ptr<Mms::MmsLayer> mmsLayer_;
    std::unique_ptr<AcsiLayer> acsiLayer_;
};

}  // namespace Iec61850::Acsi
