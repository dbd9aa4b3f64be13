#include "iec61850/acsi/client/DirectoryServices.h"

#include <optional>

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/ServiceModel.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/NamedObject.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/user/Domain.h"
#include "mms/user/Variable.h"

namespace Iec61850::Acsi {

using System::ResultCode;

namespace {

std::optional<std::string> After(const std::string& name) {
    return name.empty() ? std::nullopt : std::optional<std::string>(name);
}

std::int32_t DirectoryError(Service& service) {
    const std::int32_t answer = service.GetAnswerKind();
    const bool answered = answer == Mms::MmsPduConfirmedResponse || service.IsLocal();
    if (service.GetResult() == System::OkNoError && answered) return 0;
    // The device's refusal is its own reason (its error class and code stay with the
    // request); only a request no answer came to failed on the link.
    if (answer == Mms::MmsPduConfirmedError || answer == Mms::MmsPduReject) return service.ResultFromServiceError();
    return 11;
}

// A page that says more follows but names nothing to continue after ends the directory.
void EndWithoutName(Service& service, const Mms::NameCollection& names) {
    if (service.GetMoreFollows() && names.empty()) service.SetMoreFollows(false);
}

}  // namespace

// ---- GetServerDirectory ----

GetServerDirectory::GetServerDirectory(TPAppAssociation& association, std::int32_t objectClass, AnswerFrom answerFrom)
    : Service(association, answerFrom), objectClass(objectClass) {}

void GetServerDirectory::execute() {
    Service::execute();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    if (objectClass == ObjectClassFile) return CompleteWith(System::NotSupported);
    if (objectClass != ObjectClassLogicalDevice) return CompleteWith(System::InvalidArguments);
    SetTarget(&names);
    Handed(GetAssociation().GetNameList(this, Mms::MmsObjectClassBasic, Mms::MmsClassDomain, Mms::MmsObjectScopeVmd,
                                        After(continueAfter)));
}

void GetServerDirectory::complete() {
    SetServiceError(DirectoryError(*this));
    EndWithoutName(*this, names);
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetServerDirectory(static_cast<GetServerDirectory*>(&service));
    });
}

// ---- GetLogicalDeviceDirectory ----

GetLogicalDeviceDirectory::GetLogicalDeviceDirectory(TPAppAssociation& association, std::string device,
                                                     AnswerFrom answerFrom)
    : Service(association, answerFrom), device(std::move(device)) {}

void GetLogicalDeviceDirectory::execute() {
    Service::execute();
    SetTarget(&names);
    if (IsLocal()) return CompleteWith(System::OkNoError);
    Handed(GetAssociation().GetNameListInDomain(this, Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariable,
                                                Mms::MmsObjectScopeDomain, device, After(continueAfter)));
}

void GetLogicalDeviceDirectory::complete() {
    SetServiceError(DirectoryError(*this));
    EndWithoutName(*this, names);
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetLogicalDeviceDirectory(static_cast<GetLogicalDeviceDirectory*>(&service));
    });
}

// ---- GetLogicalNodeDirectory ----

GetLogicalNodeDirectory::GetLogicalNodeDirectory(TPAppAssociation& association, std::string node,
                                                 std::int32_t objectClass, AnswerFrom answerFrom)
    : Service(association, answerFrom), node(std::move(node)), objectClass(objectClass) {}

void GetLogicalNodeDirectory::execute() {
    Service::execute();
    if (IsLocal()) return CompleteWith(System::OkNoError);
    Server* server = GetServer();
    if (server == nullptr) return CompleteWith(System::InvalidArguments);
    switch (objectClass) {
        case ObjectClassData:
        case ObjectClassBrcb:
        case ObjectClassUrcb:
        case ObjectClassLcb:
        case ObjectClassSgcb:
        case ObjectClassGoCb:
        case ObjectClassGsCb:
        case ObjectClassMsvCb:
        case ObjectClassUsvCb:
        case 22: {
            Mms::Variable* variable = nullptr;
            {
                const Mms::ModelHold hold(server);
                if (!hold.Taken()) return CompleteWith(System::Error);
                variable = VariableOf(hold, server->FindNode(hold, node));
            }
            // No such node, or one bound to no variable.
            if (variable == nullptr) return CompleteWith(System::InvalidArguments);
            return Handed(GetAssociation().GetVariableAccessAttributes(this, variable));
        }
        case ObjectClassDataSet: {
            const std::size_t slash = node.find('/');
            device = node.substr(0, slash);
            LogicalDevice* logicalDevice = nullptr;
            if (const ResultCode found = server->FindLogicalDevice(device, logicalDevice); found != System::OkNoError) {
                return CompleteWith(found);
            }
            if (logicalDevice->GetDomain() == nullptr) return CompleteWith(System::Error);
            SetTarget(&names);
            return Handed(
                GetAssociation().GetNameListInDomain(this, Mms::MmsObjectClassBasic, Mms::MmsClassNamedVariableList,
                                                     Mms::MmsObjectScopeDomain, device, After(continueAfter)));
        }
        default: return CompleteWith(System::Error);
    }
}

void GetLogicalNodeDirectory::complete() {
    ResultFromServiceError();
    EndWithoutName(*this, names);
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetLogicalNodeDirectory(static_cast<GetLogicalNodeDirectory*>(&service));
    });
}

// ---- GetDataDirectory ----

GetDataDirectory::GetDataDirectory(TPAppAssociation& association, std::string reference, std::string fc,
                                   AnswerFrom answerFrom)
    : Service(association, answerFrom),
      reference(std::move(reference)),
      fc(fc == "XX" ? std::string() : std::move(fc)) {}

void GetDataDirectory::execute() {
    Service::execute();
    Server* server = GetServer();
    if (server == nullptr || fc.empty()) return CompleteWith(System::InvalidArguments);
    Mms::Variable* variable = nullptr;
    bool noSuchNode = false;
    {
        const Mms::ModelHold hold(server);
        if (!hold.Taken()) return CompleteWith(System::Error);
        std::list<NamedObject*> objects;
        if (server->ResolveReference(hold, reference, fc, objects) == System::OkNoError && !objects.empty()) {
            found = objects.front();
        }
        if (found == nullptr) {
            LogicalNode* logicalNode = server->FindNode(hold, reference);
            noSuchNode = logicalNode == nullptr;
            if (logicalNode != nullptr) found = logicalNode->FindFc(fc);
        }
        if (found != nullptr && !IsLocal()) variable = VariableOf(hold, found);
    }
    // Completed only once the hold is given back: completing calls the client.
    if (noSuchNode) return CompleteNotFound();
    if (found == nullptr) return CompleteWith(System::InvalidArguments);
    if (IsLocal()) return CompleteWith(System::OkNoError);
    if (variable == nullptr) return CompleteWith(System::InvalidArguments);
    Handed(GetAssociation().GetVariableAccessAttributes(this, variable));
}

void GetDataDirectory::complete() {
    ResultFromServiceError();
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetDataDirectory(static_cast<GetDataDirectory*>(&service));
    });
}

// ---- GetDataDefinition ----

GetDataDefinition::GetDataDefinition(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom)
    : Service(association, answerFrom), reference(std::move(reference)) {}

void GetDataDefinition::execute() {
    Service::execute();
    if (!IsLocal()) return CompleteWith(System::NotSupported);
    Server* server = GetServer();
    if (server == nullptr) return CompleteWith(System::InvalidArguments);
    CompleteWith(server->BuildDataDefinition(reference, definition));
}

void GetDataDefinition::complete() {
    ResultFromServiceError();
    Confirm([](ClientApplication& client, Service& service) {
        client.OnGetDataDefinition(static_cast<GetDataDefinition*>(&service));
    });
}

}  // namespace Iec61850::Acsi
