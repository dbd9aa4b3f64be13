#include "iec61850/acsi/client/AcsiStack.h"

#include "iec61850/acsi/client/AcsiLayer.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "mms/machine/MmsLayer.h"
#include "osi/AcseLayer.h"
#include "osi/CoppLayer.h"
#include "osi/CospLayer.h"
#include "osi/CotpLayer.h"
#include "osi/ItotLayer.h"
#include "osi/TcpConnection.h"
#include "osi/W32TcpLayer.h"

namespace Iec61850::Acsi {

AcsiStack::AcsiStack()
    : tcpLayer_(std::make_unique<W32TcpLayer>()),
      itotLayer_(std::make_unique<ItotLayer>()),
      cotpLayer_(std::make_unique<CotpLayer>()),
      cospLayer_(std::make_unique<CospLayer>()),
      coppLayer_(std::make_unique<CoppLayer>()),
      acseLayer_(std::make_unique<AcseLayer>()),
      mmsLayer_(std::make_unique<Mms::MmsLayer>()),
      acsiLayer_(std::make_unique<AcsiLayer>()) {
    for (Protocol::Layer* layer : std::initializer_list<Protocol::Layer*>{
             tcpLayer_.get(), itotLayer_.get(), cotpLayer_.get(), cospLayer_.get(), coppLayer_.get(), acseLayer_.get(),
             mmsLayer_.get(), acsiLayer_.get()}) {
        InsertLayer(layer, OnTop, nullptr);
    }
}

AcsiStack::~AcsiStack() {
    tcpLayer_->StopListening();
    acsiLayer_.reset();
    mmsLayer_.reset();
    acseLayer_.reset();
    coppLayer_.reset();
    cospLayer_.reset();
    cotpLayer_.reset();
    itotLayer_.reset();
    tcpLayer_.reset();
}

TPAppAssociation* AcsiStack::CreateAssociation() {
    Protocol::Connection* top = CreateConnection();
    auto* association = dynamic_cast<TPAppAssociation*>(top);
    if (association == nullptr && top != nullptr) DeleteConnection(top);
    return association;
}

TPAppAssociation* AcsiStack::CreateListeningChain(std::uint16_t port, System::ResultCode& result, int& systemError) {
    result = System::OkNoError;
    systemError = 0;
    TPAppAssociation* association = CreateAssociation();
    if (association == nullptr) {
        result = System::NoResources;
        return nullptr;
    }
    if (!tcpLayer_->IsListening()) {
        result = tcpLayer_->StartListening(0, port);
        // Another chain may have started it meanwhile.
        if (result == System::InvalidState && tcpLayer_->IsListening()) result = System::OkNoError;
        if (result != System::OkNoError) {
            systemError = tcpLayer_->GetListenError();
            DeleteConnection(association);
            return nullptr;
        }
    }
    tcpLayer_->AddWaitingConnection(static_cast<TcpConnection*>(association->GetBottom()));
    return association;
}

TPAppAssociation* AcsiStack::CreateListeningChain(std::uint16_t port) {
    System::ResultCode result = System::OkNoError;
    int systemError = 0;
    return CreateListeningChain(port, result, systemError);
}

System::ResultCode AcsiStack::SetListenAddress(const std::string& address) {
    return tcpLayer_->SetListenAddress(address);
}

System::ResultCode AcsiStack::StopListening() { return tcpLayer_->StopListening(); }

std::uint16_t AcsiStack::GetListenPort() const { return tcpLayer_->IsListening() ? tcpLayer_->GetListenPort() : 0; }

}  // namespace Iec61850::Acsi
