#include "osi/CoppConnection.h"

#include <span>

#include "osi/CoppFrame.h"
#include "osi/CoppLayer.h"
#include "osi/CospConnection.h"
#include "osi/PresentationContext.h"
#include "osi/PresentationEncoding.h"
#include "osi/TcpConnection.h"
#include "protocol/Asn1OidValues.h"
#include "protocol/RawFrame.h"
#include "system/NumberText.h"

using namespace Presentation;

namespace {

// Read the way atoi reads: blanks and a sign in front, digits up to the first other
// character; no digits at all reads 0. Selectors are 32-bit, so the value wraps.
std::uint32_t ReadSelector(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    std::uint32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = value * 10 + static_cast<std::uint32_t>(text[at] - '0');
    return negative ? 0u - value : value;
}

// A presentation selector on the wire: four octets, big-endian.
Asn1::Asn1OctetString* NewSelector(std::uint32_t selector) {
    auto* string = NewValue<Asn1::Asn1OctetString>();
    if (string == nullptr) return nullptr;
    const std::uint8_t octets[4] = {static_cast<std::uint8_t>(selector >> 24),
                                    static_cast<std::uint8_t>(selector >> 16), static_cast<std::uint8_t>(selector >> 8),
                                    static_cast<std::uint8_t>(selector)};
    if (Asn1::Asn1OctetStringSetBytes(string, octets, sizeof octets) != 0) {
        std::free(string);
        return nullptr;
    }
    return string;
}

std::string OidText(const Asn1::Asn1ObjectIdentifier& oid) {
    std::string text;
    if (Asn1::Asn1OidToText(text, &oid) != System::OkNoError) text.clear();
    return text;
}

// The transfer syntax names of a context, one per "," separated text.
System::ResultCode FillTransferSyntaxes(Asn1::Asn1ListOf<Asn1::Asn1ObjectIdentifier>& list, std::string_view texts) {
    while (true) {
        const std::size_t comma = texts.find(',');
        Asn1::Asn1ObjectIdentifier* name = AppendNewElement(list);
        if (name == nullptr) return System::NoResources;
        const System::ResultCode result = Asn1::TextToAsn1Oid(name, texts.substr(0, comma));
        if (result != System::OkNoError) return result;
        if (comma == std::string_view::npos) return System::OkNoError;
        texts.remove_prefix(comma + 1);
    }
}

bool FirstBit(const Asn1::Asn1BitString* bits, unsigned index) {
    if (bits == nullptr || bits->buf == nullptr || static_cast<std::int32_t>(index / 8) >= bits->size) return false;
    return (bits->buf[index / 8] & (0x80u >> (index % 8))) != 0;
}

}  // namespace

CoppConnection::CoppConnection(CoppLayer* layer) : Connection(layer), localSelector_(GetId()) {}

CoppConnection::~CoppConnection() {
    // The chain below delivers into this connection until it is gone.
    ReleaseLower();
}

System::ResultCode CoppConnection::SetParameter(std::string_view name, std::string_view value) {
    if (name == "LocalPSelector") {
        localSelector_.store(ReadSelector(value));
        return System::OkNoError;
    }
    if (name == "RemotePSelector") {
        remoteSelector_.store(ReadSelector(value));
        return System::OkNoError;
    }
    return System::NotSupported;
}

System::ResultCode CoppConnection::GetParameter(std::string_view name, std::string& value) {
    if (name == "LocalPSelector") {
        System::FormatUInt32(value, localSelector_.load());
        return System::OkNoError;
    }
    if (name == "RemotePSelector") {
        System::FormatUInt32(value, remoteSelector_.load());
        return System::OkNoError;
    }
    return System::NotSupported;
}

System::ResultCode CoppConnection::Reset() {
    {
        std::lock_guard lock(proposalMutex_);
        proposalResults_.clear();
    }
    const System::ResultCode result = Connection::Reset();
    SetState(StateIdle);
    return result;
}

System::ResultCode CoppConnection::Close() {
    System::ResultCode lowerResult = System::OkNoError;
    if (Protocol::Connection* lower = GetLower()) {
        closing_.store(true);
        lowerResult = lower->Close();
        closing_.store(false);
    }
    const System::ResultCode result = Connection::Close();
    return lowerResult != System::OkNoError ? lowerResult : result;
}

// ---- contexts ----

PresentationContext* CoppConnection::AddContext(std::string_view abstractSyntax, std::string_view transferSyntax) {
    std::lock_guard lock(contextsMutex_);
    for (const auto& [identifier, context] : contexts_) {
        if (context->GetAbstractSyntax() == abstractSyntax && context->GetTransferSyntaxes() == transferSyntax)
            return context.get();
    }
    const auto identifier = static_cast<std::uint32_t>(1 + 2 * contexts_.size());
    auto context = std::make_unique<PresentationContext>(this, identifier, abstractSyntax, transferSyntax);
    PresentationContext* added = context.get();
    contexts_.emplace(identifier, std::move(context));
    PresentationContext* none = nullptr;
    defaultContext_.compare_exchange_strong(none, added);
    return added;
}

PresentationContext* CoppConnection::FindContext(std::uint32_t identifier) const {
    if (identifier == 0) return defaultContext_.load();
    std::lock_guard lock(contextsMutex_);
    const auto found = contexts_.find(identifier);
    return found != contexts_.end() ? found->second.get() : nullptr;
}

std::vector<PresentationContext*> CoppConnection::GetContexts() const {
    std::lock_guard lock(contextsMutex_);
    std::vector<PresentationContext*> contexts;
    contexts.reserve(contexts_.size());
    for (const auto& [identifier, context] : contexts_) contexts.push_back(context.get());
    return contexts;
}

// ---- requests from the users ----

System::ResultCode CoppConnection::FillOptionalUserData(CoppFrame& frame, UserData*& userData, Protocol::Frame* upper,
                                                        std::uint32_t contextIdentifier) {
    if (upper == nullptr) return System::OkNoError;
    const PresentationContext* context = FindContext(contextIdentifier);
    if (context == nullptr) return System::Error;
    userData = NewValue<UserData>();
    if (userData == nullptr) return System::NoResources;
    return frame.FillUserData(*userData, context->GetIdentifier());
}

System::ResultCode CoppConnection::FillResultList(ContextResultList& list) {
    std::lock_guard lock(proposalMutex_);
    for (const Asn1::Asn1NativeInteger answer : proposalResults_) {
        ContextResult* item = AppendNewElement(list);
        if (item == nullptr) return System::NoResources;
        item->result = answer;
        if (answer == ResultProviderRejection) {
            item->providerReason = NewValue<Asn1::Asn1NativeInteger>();
            if (item->providerReason == nullptr) return System::NoResources;
            *item->providerReason = ReasonNotSpecified;
        }
    }
    return System::OkNoError;
}

System::ResultCode CoppConnection::Connect(Protocol::Frame* upper, std::uint32_t contextIdentifier) {
    if (GetState() != StateIdle) {
        IndicateAbort(nullptr);
        return System::InvalidState;
    }
    contextManagement_.store(false);
    restoration_.store(false);

    CoppFrame frame(this, CoppFrame::KindCp, upper);
    auto* cp = frame.GetValueAs<CpType>();
    System::ResultCode result = System::NoResources;
    if (cp != nullptr && (cp->normalModeParameters = NewValue<CpNormalModeParameters>()) != nullptr) {
        cp->modeSelector.modeValue = NormalMode;
        CpNormalModeParameters& parameters = *cp->normalModeParameters;
        parameters.callingSelector = NewSelector(localSelector_.load());
        parameters.calledSelector = NewSelector(remoteSelector_.load());
        parameters.contextDefinitionList = NewValue<ContextDefinitionList>();
        result = parameters.callingSelector != nullptr && parameters.calledSelector != nullptr &&
                         parameters.contextDefinitionList != nullptr
                     ? System::OkNoError
                     : System::NoResources;
        for (const PresentationContext* context : GetContexts()) {
            if (result != System::OkNoError) break;
            ContextDefinition* item = AppendNewElement(*parameters.contextDefinitionList);
            if (item == nullptr) {
                result = System::NoResources;
                break;
            }
            item->identifier = static_cast<Asn1::Asn1NativeInteger>(context->GetIdentifier());
            result = Asn1::TextToAsn1Oid(&item->abstractSyntaxName, context->GetAbstractSyntax());
            if (result == System::OkNoError)
                result = FillTransferSyntaxes(item->transferSyntaxNames, context->GetTransferSyntaxes());
        }
        if (result == System::OkNoError)
            result = FillOptionalUserData(frame, parameters.userData, upper, contextIdentifier);
    }
    if (result == System::OkNoError) result = frame.Encode();
    if (result != System::OkNoError) {
        IndicateAbort(nullptr);
        return result;
    }
    SetState(StateCpSent);
    return SessionConnect(frame.GetOutput());
}

System::ResultCode CoppConnection::AcceptConnect(Protocol::Frame* upper, std::uint32_t contextIdentifier) {
    if (GetState() != StateCpReceived) return System::InvalidState;
    CoppFrame frame(this, CoppFrame::KindCpa, upper);
    auto* cpa = frame.GetValueAs<CpaPpdu>();
    System::ResultCode result = System::NoResources;
    if (cpa != nullptr && (cpa->normalModeParameters = NewValue<CpaNormalModeParameters>()) != nullptr) {
        cpa->modeSelector.modeValue = NormalMode;
        CpaNormalModeParameters& parameters = *cpa->normalModeParameters;
        parameters.respondingSelector = NewSelector(remoteSelector_.load());
        parameters.contextResultList = NewValue<ContextResultList>();
        if (parameters.respondingSelector != nullptr && parameters.contextResultList != nullptr)
            result = FillResultList(*parameters.contextResultList);
        if (result == System::OkNoError)
            result = FillOptionalUserData(frame, parameters.userData, upper, contextIdentifier);
    }
    if (result == System::OkNoError) result = frame.Encode();
    if (result != System::OkNoError) return result;
    SetState(StateConnected);
    return SessionAcceptConnect(frame.GetOutput());
}

System::ResultCode CoppConnection::RefuseConnect(Protocol::Frame* upper, std::uint32_t contextIdentifier) {
    if (GetState() != StateCpReceived) return System::InvalidState;
    if (upper == nullptr) {
        Reset();
        return SessionRefuseConnect(RefusalByUser, nullptr);
    }
    if (FindContext(contextIdentifier) == nullptr) return System::Error;
    CoppFrame frame(this, CoppFrame::KindCpr, upper);
    auto* cpr = frame.GetValueAs<CprPpdu>();
    System::ResultCode result = System::NoResources;
    if (cpr != nullptr) {
        cpr->present = 1;
        CprNormalModeParameters& parameters = cpr->choice.normalModeParameters;
        parameters.respondingSelector = NewSelector(remoteSelector_.load());
        parameters.contextResultList = NewValue<ContextResultList>();
        parameters.providerReason = NewValue<Asn1::Asn1NativeInteger>();
        if (parameters.respondingSelector != nullptr && parameters.contextResultList != nullptr &&
            parameters.providerReason != nullptr) {
            *parameters.providerReason = ReasonNotSpecified;
            result = FillResultList(*parameters.contextResultList);
        }
        if (const PresentationContext* defaultContext = GetDefaultContext();
            result == System::OkNoError && defaultContext != nullptr) {
            parameters.defaultContextResult = NewValue<Asn1::Asn1NativeInteger>();
            if (parameters.defaultContextResult == nullptr) result = System::NoResources;
            else *parameters.defaultContextResult = defaultContext->GetResult();
        }
        if (result == System::OkNoError)
            result = FillOptionalUserData(frame, parameters.userData, upper, contextIdentifier);
    }
    if (result == System::OkNoError) result = frame.Encode();
    Reset();
    // A CPR that cannot be built still leaves the peer a refusal, only without data.
    return SessionRefuseConnect(RefusalByUser, result == System::OkNoError ? frame.GetOutput() : nullptr);
}

System::ResultCode CoppConnection::SendUserData(Protocol::Frame* upper, std::uint32_t contextIdentifier,
                                                TransportLink link) {
    if (upper == nullptr) return System::InvalidArguments;
    if (GetState() != StateConnected) return System::InvalidState;
    const PresentationContext* context = FindContext(contextIdentifier);
    if (context == nullptr) return System::Error;
    CoppFrame frame(this, CoppFrame::KindUserData, upper);
    auto* userData = frame.GetValueAs<UserData>();
    System::ResultCode result =
        userData != nullptr ? frame.FillUserData(*userData, context->GetIdentifier()) : System::NoResources;
    if (result == System::OkNoError) result = frame.Encode();
    if (result != System::OkNoError) return result;
    return SessionSendData(frame.GetOutput(), link);
}

System::ResultCode CoppConnection::UserAbort(Protocol::Frame* upper, std::uint32_t contextIdentifier,
                                             TransportLink link, AbortWait wait) {
    if (!ChainCarriesLink(*this, link)) return System::NotConnected;
    const Protocol::ConnectionState state = GetState();
    const bool userAbortAllowed =
        state == StateCpSent || state == StateCpReceived ||
        (state == StateConnected && (upper == nullptr || FindContext(contextIdentifier) != nullptr));
    if (!userAbortAllowed) return ProviderAbort(ReasonNotSpecified, -1, link, wait);
    CoppFrame frame(this, CoppFrame::KindAru, upper);
    auto* aru = frame.GetValueAs<AruPpdu>();
    System::ResultCode result = System::NoResources;
    if (aru != nullptr) {
        aru->present = 1;
        result = FillOptionalUserData(frame, aru->choice.normalModeParameters.userData, upper, contextIdentifier);
    }
    if (result == System::OkNoError) result = frame.Encode();
    if (result != System::OkNoError) return ProviderAbort(ReasonNotSpecified, -1, link, wait);
    Reset();
    return SessionAbort(frame.GetOutput(), link, wait);
}

System::ResultCode CoppConnection::ProviderAbort(std::int32_t reason, std::int32_t eventIdentifier, TransportLink link,
                                                 AbortWait wait) {
    if (!ChainCarriesLink(*this, link)) return System::NotConnected;
    CoppFrame frame(this, CoppFrame::KindArp);
    auto* arp = frame.GetValueAs<ArpPpdu>();
    bool built = arp != nullptr;
    if (built && reason >= 0) {
        arp->providerReason = NewValue<Asn1::Asn1NativeInteger>();
        built = arp->providerReason != nullptr;
        if (built) *arp->providerReason = reason;
    }
    if (built && eventIdentifier >= 0) {
        arp->eventIdentifier = NewValue<Asn1::Asn1NativeInteger>();
        built = arp->eventIdentifier != nullptr;
        if (built) *arp->eventIdentifier = eventIdentifier;
    }
    const bool encoded = built && frame.Encode() == System::OkNoError;
    Reset();
    return SessionAbort(encoded ? frame.GetOutput() : nullptr, link, wait);
}

// ---- indications from the session ----

System::ResultCode CoppConnection::OnLowerBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t event) {
    if (bytes == nullptr && length > 0) length = 0;
    switch (event) {
        case SessionConnectData: return OnConnectIndication(bytes, length);
        case SessionAcceptData: return OnConnectConfirm(bytes, length);
        case SessionRefuseData: return OnConnectRefused(bytes, length);
        case SessionData: return OnDataIndication(bytes, length);
        default:
            IndicateAbort(nullptr);
            return ProviderAbort(UnrecognizedPpdu, -1, TransportLink::Served(), AbortWait::None);
    }
}

System::ResultCode CoppConnection::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    switch (event) {
        case SessionTokens: {
            if (GetState() != StateConnected) return System::InvalidState;
            const PresentationContext* context = GetDefaultContext();
            Protocol::Connection* user = context != nullptr ? context->GetUserConnection() : nullptr;
            if (user == nullptr) return System::Error;
            return user->OnLowerEvent(TokenNotification);
        }
        case SessionAborted:
            Reset();
            if (closing_.load()) return System::OkNoError;
            return IndicateAbort(frame);
        default: return System::NotSupported;
    }
}

System::ResultCode CoppConnection::OnConnectConfirm(const std::uint8_t* bytes, std::uint32_t length) {
    CoppFrame frame(std::span<const std::uint8_t>(bytes, length), CoppFrame::KindCpa);
    const auto* cpa = frame.IsDecoded() ? frame.GetValueAs<CpaPpdu>() : nullptr;
    System::ResultCode result = System::ProtocolError;
    if (cpa != nullptr && GetState() == StateCpSent && cpa->normalModeParameters != nullptr) {
        const CpaNormalModeParameters& parameters = *cpa->normalModeParameters;
        result = CheckResultList(parameters);
        if (result == System::OkNoError) {
            contextManagement_.store(FirstBit(parameters.presentationRequirements, 0));
            restoration_.store(FirstBit(parameters.presentationRequirements, 1));
            SetState(StateConnected);
            if (parameters.userData != nullptr)
                result = DeliverUserData(*parameters.userData, ConnectConfirmData, System::Cancelled);
        }
    }
    if (result != System::OkNoError) AbortBothWays(InvalidPpduParameterValue, CpaPpduEvent);
    return result;
}

System::ResultCode CoppConnection::OnConnectRefused(const std::uint8_t* bytes, std::uint32_t length) {
    if (GetState() != StateCpSent) return System::InvalidState;
    CoppFrame frame(std::span<const std::uint8_t>(bytes, length), CoppFrame::KindCpr);
    const auto* cpr = frame.IsDecoded() ? frame.GetValueAs<CprPpdu>() : nullptr;
    // A CPR that cannot be read still refuses: the session's abort indication says so.
    if (cpr == nullptr || cpr->present != 1 || cpr->choice.normalModeParameters.userData == nullptr) {
        return System::ProtocolError;
    }
    // The users' contexts were proposed, so their PDVs name known identifiers.
    const System::ResultCode delivered =
        DeliverUserData(*cpr->choice.normalModeParameters.userData, ConnectConfirmData, System::Cancelled);
    // A user that read a refusal out of it (association control's rejected AARE) has
    // taken it, even though its connect failed: the refusal has ended the connect.
    bool taken = delivered == System::OkNoError;
    for (const PresentationContext* context : GetContexts()) {
        const Protocol::Connection* user = context->GetUserConnection();
        taken = taken || (user != nullptr && user->GetRefusal().IsSet());
    }
    if (!taken) return delivered != System::OkNoError ? delivered : System::ProtocolError;
    Reset();
    return System::OkNoError;
}

System::ResultCode CoppConnection::CheckResultList(const CpaNormalModeParameters& parameters) {
    const ContextResultList* list = parameters.contextResultList;
    const std::int32_t answered = list != nullptr ? list->Count() : 0;
    std::int32_t index = 0;
    for (PresentationContext* context : GetContexts()) {
        // A peer that answers fewer contexts than were proposed has not accepted them.
        if (index >= answered) return System::Error;
        const ContextResult* item = (*list)[index++];
        if (item == nullptr) return System::Error;
        context->SetResult(item->result >= 0 && item->result <= 255 ? static_cast<std::uint8_t>(item->result)
                                                                    : PresentationContext::NotAccepted);
        if (item->result != ResultAcceptance) return System::Error;
        if (item->transferSyntaxName != nullptr && !context->HasTransferSyntax(OidText(*item->transferSyntaxName)))
            return System::Error;
        PresentationContext* none = nullptr;
        defaultContext_.compare_exchange_strong(none, context);
    }
    return System::OkNoError;
}

System::ResultCode CoppConnection::OnConnectIndication(const std::uint8_t* bytes, std::uint32_t length) {
    CoppFrame frame(std::span<const std::uint8_t>(bytes, length), CoppFrame::KindCp);
    const auto* cp = frame.IsDecoded() ? frame.GetValueAs<CpType>() : nullptr;
    if (cp == nullptr || GetState() != StateIdle || cp->normalModeParameters == nullptr) {
        AbortBothWays(InvalidPpduParameterValue, CpaPpduEvent);
        return System::ProtocolError;
    }
    const CpNormalModeParameters& parameters = *cp->normalModeParameters;
    MatchProposal(parameters);
    if (!IsAcceptableConnect(parameters)) {
        Reset();
        return SessionRefuseConnect(RefusalByProvider, nullptr);
    }
    SetState(StateCpReceived);
    const System::ResultCode result = DeliverUserData(*parameters.userData, ConnectIndicationData, System::Cancelled);
    // A user that could not take the connect indication will not answer it either.
    if (result != System::OkNoError && GetState() == StateCpReceived) AbortBothWays(ReasonNotSpecified, -1);
    return result;
}

void CoppConnection::MatchProposal(const CpNormalModeParameters& parameters) {
    const std::vector<PresentationContext*> contexts = GetContexts();
    for (PresentationContext* context : contexts) context->SetResult(PresentationContext::NotAccepted);
    std::vector<Asn1::Asn1NativeInteger> answers;
    if (parameters.contextDefinitionList != nullptr) {
        for (const ContextDefinition* item : *parameters.contextDefinitionList) {
            Asn1::Asn1NativeInteger answer = ResultProviderRejection;
            const std::string abstractSyntax = item != nullptr ? OidText(item->abstractSyntaxName) : std::string();
            for (PresentationContext* context : contexts) {
                // The identifier must agree too: the peer's PDVs name contexts by it.
                if (item == nullptr || context->GetAbstractSyntax() != abstractSyntax ||
                    context->GetIdentifier() != static_cast<std::uint32_t>(item->identifier)) {
                    continue;
                }
                for (const Asn1::Asn1ObjectIdentifier* name : item->transferSyntaxNames) {
                    if (name != nullptr && context->HasTransferSyntax(OidText(*name))) {
                        context->SetResult(PresentationContext::Accepted);
                        answer = ResultAcceptance;
                        break;
                    }
                }
            }
            answers.push_back(answer);
        }
    }
    std::lock_guard lock(proposalMutex_);
    proposalResults_ = std::move(answers);
}

bool CoppConnection::IsAcceptableConnect(const CpNormalModeParameters& parameters) const {
    if (parameters.defaultContextName != nullptr) {
        const std::string abstractSyntax = OidText(parameters.defaultContextName->abstractSyntaxName);
        const std::string transferSyntax = OidText(parameters.defaultContextName->transferSyntaxName);
        bool named = false;
        for (const PresentationContext* context : GetContexts())
            named =
                named || (context->GetAbstractSyntax() == abstractSyntax && context->HasTransferSyntax(transferSyntax));
        if (!named) return false;
    } else if (GetDefaultContext() == nullptr) {
        return false;
    }
    const UserData* userData = parameters.userData;
    if (userData == nullptr || userData->present != FullyEncoded) return false;
    for (const PdvList* pdv : userData->choice.fullyEncoded) {
        const PresentationContext* context = pdv != nullptr && pdv->contextIdentifier > 0
                                                 ? FindContext(static_cast<std::uint32_t>(pdv->contextIdentifier))
                                                 : nullptr;
        if (context == nullptr || context->GetResult() != PresentationContext::Accepted) return false;
    }
    return true;
}

System::ResultCode CoppConnection::OnDataIndication(const std::uint8_t* bytes, std::uint32_t length) {
    CoppFrame frame(std::span<const std::uint8_t>(bytes, length), CoppFrame::KindUserData);
    const auto* userData = frame.IsDecoded() ? frame.GetValueAs<UserData>() : nullptr;
    if (userData == nullptr) {
        AbortBothWays(InvalidPpduParameterValue, CpaPpduEvent);
        return System::ProtocolError;
    }
    if (GetState() != StateConnected) {
        AbortBothWays(ReasonNotSpecified, -1);
        return System::InvalidState;
    }
    if (userData->present == FullyEncoded) {
        for (const PdvList* pdv : userData->choice.fullyEncoded) {
            if (pdv == nullptr || pdv->contextIdentifier <= 0 ||
                FindContext(static_cast<std::uint32_t>(pdv->contextIdentifier)) == nullptr) {
                AbortBothWays(ReasonNotSpecified, -1);
                return System::ProtocolError;
            }
        }
    }
    // What the users make of their data is theirs: their failures do not end the
    // association.
    return DeliverUserData(*userData, DataIndication, System::ProtocolError);
}

System::ResultCode CoppConnection::DeliverUserData(const UserData& userData, std::uint32_t event,
                                                   System::ResultCode unknownContext) {
    if (userData.present == SimplyEncodedData) {
        const PresentationContext* context = GetDefaultContext();
        Protocol::Connection* user = context != nullptr ? context->GetUserConnection() : nullptr;
        if (user == nullptr) return System::Error;
        const Asn1::Asn1OctetString& octets = userData.choice.simplyEncoded;
        return user->OnOctetAlignedData(
            std::span<const std::uint8_t>(octets.buf, static_cast<std::size_t>(octets.size)), event);
    }
    if (userData.present != FullyEncoded) return System::Error;
    System::ResultCode first = System::OkNoError;
    for (const PdvList* pdv : userData.choice.fullyEncoded) {
        const PresentationContext* context = pdv != nullptr && pdv->contextIdentifier > 0
                                                 ? FindContext(static_cast<std::uint32_t>(pdv->contextIdentifier))
                                                 : nullptr;
        if (context == nullptr) return unknownContext;
        Protocol::Connection* user = context->GetUserConnection();
        System::ResultCode result = System::Error;
        if (user != nullptr) {
            const PresentationDataValues& values = pdv->values;
            switch (values.present) {
                case PdvSingleAsn1Type:
                    result = user->OnSingleAsn1Data(
                        std::span<const std::uint8_t>(values.choice.singleAsn1Type.buf,
                                                      static_cast<std::size_t>(values.choice.singleAsn1Type.size)),
                        event);
                    break;
                case PdvOctetAligned:
                    result = user->OnOctetAlignedData(
                        std::span<const std::uint8_t>(values.choice.octetAligned.buf,
                                                      static_cast<std::size_t>(values.choice.octetAligned.size)),
                        event);
                    break;
                case PdvArbitrary:
                    result = user->OnArbitraryData(
                        std::span<const std::uint8_t>(values.choice.arbitrary.buf,
                                                      static_cast<std::size_t>(values.choice.arbitrary.size)),
                        event);
                    break;
                default: break;
            }
        }
        if (result != System::OkNoError && first == System::OkNoError) first = result;
    }
    return first;
}

// ---- aborts ----

System::ResultCode CoppConnection::IndicateAbort(Protocol::Frame* frame) {
    Protocol::Connection* upper = GetUpper();
    if (upper == nullptr) return System::OkNoError;
    Protocol::RawFrame empty(this);
    return upper->OnLowerIndication(frame != nullptr ? frame : &empty, AbortIndication);
}

System::ResultCode CoppConnection::AbortBothWays(std::int32_t reason, std::int32_t eventIdentifier) {
    IndicateAbort(nullptr);
    return ProviderAbort(reason, eventIdentifier, TransportLink::Served(), AbortWait::None);
}

// ---- the session connection below ----

CospConnection* CoppConnection::Session() { return dynamic_cast<CospConnection*>(GetLower()); }

System::ResultCode CoppConnection::SessionConnect(Protocol::Frame* frame) {
    CospConnection* session = Session();
    return session != nullptr ? session->Connect(frame) : System::NotConnected;
}

System::ResultCode CoppConnection::SessionAcceptConnect(Protocol::Frame* frame) {
    CospConnection* session = Session();
    return session != nullptr ? session->AcceptConnect(frame) : System::NotConnected;
}

System::ResultCode CoppConnection::SessionRefuseConnect(std::uint8_t reason, Protocol::Frame* frame) {
    CospConnection* session = Session();
    return session != nullptr ? session->RefuseConnect(reason, frame) : System::NotConnected;
}

System::ResultCode CoppConnection::SessionSendData(Protocol::Frame* frame, TransportLink link) {
    CospConnection* session = Session();
    return session != nullptr ? session->SendData(frame, link) : System::NotConnected;
}

System::ResultCode CoppConnection::SessionAbort(Protocol::Frame* frame, TransportLink link, AbortWait wait) {
    CospConnection* session = Session();
    return session != nullptr ? session->Abort(frame, link, wait) : System::NotConnected;
}
