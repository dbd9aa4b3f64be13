#include "mms/user/VMD.h"

#include <cstdio>
#include <cstdlib>

#include <chrono>
#include <memory>
#include <new>

#include "mms/pdu/AlternateAccess.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/InformationReport.h"
#include "mms/user/MmsObjectNames.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/NameListBuilder.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/ObjectFiling.h"
#include "mms/user/PlainNamedObjects.h"
#include "mms/user/SelectedPart.h"
#include "mms/values/Container.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr std::uint32_t kMaxLocalDetailBits = 128;

System::ResultCode ParseStatus(std::int32_t& status, std::string_view text) {
    std::int32_t value = 0;
    if (System::ResultCode result = System::ParseInt32Text(value, text); result != System::OkNoError) return result;
    if (value < VMD::StatusLowest || value > VMD::StatusHighest) return System::OutOfRange;
    status = value;
    return System::OkNoError;
}

}  // namespace

VMD::VMD() = default;

VMD::VMD(MmsUserConnection* connection) : MmsObject(connection, nullptr) {}

VMD::~VMD() {
    for (InformationReport* report : reports_) delete report;
    // Lists first: they point at variables but never touch them.
    for (auto& [name, object] : maps_[MmsClassNamedVariableList]) delete object;
    maps_[MmsClassNamedVariableList].clear();
    for (auto& map : maps_) {
        for (auto& [name, object] : map) delete object;
        map.clear();
    }
}

VMD* VMD::Of(const MmsObject* object) {
    while (object != nullptr && object->GetOwner() != nullptr) object = object->GetOwner();
    return object != nullptr && object->GetClassId() == VmdClassId ? const_cast<VMD*>(static_cast<const VMD*>(object))
                                                                   : nullptr;
}

#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define IEC_MODEL_LOCK_CHECK 1
#endif

bool VMD::ChecksModelLock() {
#ifdef IEC_MODEL_LOCK_CHECK
    return true;
#else
    return false;
#endif
}

System::ResultCode VMD::LockModel(std::uint32_t waitMs) const {
#ifdef IEC_MODEL_LOCK_CHECK
    if (IsModelLockedByThisThread()) {
        std::fprintf(stderr, "model lock taken twice by one thread: it is not re-entrant\n");
        std::abort();
    }
#endif
    switch (modelLock_.Wait(waitMs)) {
        case System::Semaphore::Acquired: break;
        case System::Semaphore::TimedOut: return System::Timeout;
        default: return System::Error;
    }
    modelLockOwner_.store(std::this_thread::get_id());
    modelLockHeld_.store(true);
    return System::OkNoError;
}

void VMD::UnlockModel() const {
    modelLockHeld_.store(false);
    modelLockOwner_.store(std::thread::id());
    modelLock_.Release();
}

bool VMD::IsModelLockedByThisThread() const {
    // Only this thread sets or clears its own id, so the answer is exact for it.
    return modelLockHeld_.load() && modelLockOwner_.load() == std::this_thread::get_id();
}

std::uint32_t VMD::GetClassId() const { return VmdClassId; }

const char* VMD::GetClassName() const { return "VMD"; }

System::ResultCode VMD::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "VendorName" || name == "ModelName" || name == "Revision") {
        std::lock_guard lock(identityMutex_);
        std::string& field = name == "VendorName"  ? identity_.vendorName
                             : name == "ModelName" ? identity_.modelName
                                                   : identity_.revision;
        field = value;
        return System::OkNoError;
    }
    if (name == "LogicalStatus") return ParseStatus(LogicalStatus, value);
    if (name == "PhysicalStatus") return ParseStatus(PhysicalStatus, value);
    return MmsObject::SetAttribute(name, value);
}

ObjectMap* VMD::GetObjectMap(std::int32_t objectClass) {
    return objectClass >= 0 && objectClass < BasicObjectClassCount ? &maps_[static_cast<std::size_t>(objectClass)]
                                                                   : nullptr;
}

const ObjectMap* VMD::GetObjectMap(std::int32_t objectClass) const {
    return const_cast<VMD*>(this)->GetObjectMap(objectClass);
}

System::ResultCode VMD::AddObject(MmsObject* object) {
    if (object == nullptr) return System::InvalidContext;
    std::int32_t objectClass = -1;
    switch (object->GetClassId()) {
        case DomainClassId: objectClass = MmsClassDomain; break;
        case NamedVariableClassId: objectClass = MmsClassNamedVariable; break;
        case NamedVariableListClassId: objectClass = MmsClassNamedVariableList; break;
        default: return System::InvalidContext;
    }
    const std::string* name = NameOfObject(object);
    if (name == nullptr) return System::InvalidContext;
    return maps_[static_cast<std::size_t>(objectClass)].emplace(*name, object).second ? System::OkNoError
                                                                                      : System::Error;
}

System::ResultCode VMD::RemoveNamedVariableList(MmsObject* list) {
    return EraseNamedVariableList(maps_[MmsClassNamedVariableList], list);
}

bool VMD::HoldsObject(const MmsObject* object) const { return MapsHoldObject(maps_, object); }

// ---- lookups ----

System::ResultCode VMD::FindDomain(std::string_view name, Domain*& domain) const {
    const ObjectMap& domains = maps_[MmsClassDomain];
    const auto found = domains.find(name);
    if (found == domains.end()) return System::InvalidArguments;
    domain = static_cast<Domain*>(found->second);
    return System::OkNoError;
}

System::ResultCode VMD::FindDomain(const MmsObjectName& name, Domain*& domain) const {
    if (name.present != MmsObjectNameVmdSpecific) return System::InvalidArguments;
    return FindDomain(MmsText(name.choice.vmdSpecific), domain);
}

System::ResultCode VMD::FindNamedVariable(const MmsObjectName& name, NamedVariable*& variable) const {
    NamedVariable* found = nullptr;
    if (name.present == MmsObjectNameVmdSpecific) {
        const ObjectMap& variables = maps_[MmsClassNamedVariable];
        const auto at = variables.find(MmsText(name.choice.vmdSpecific));
        if (at != variables.end()) found = static_cast<NamedVariable*>(at->second);
    } else if (name.present == MmsObjectNameDomainSpecific) {
        Domain* domain = nullptr;
        if (FindDomain(MmsText(name.choice.domainSpecific.domainId), domain) == System::OkNoError) {
            found = domain->FindNamedVariable(MmsText(name.choice.domainSpecific.itemId));
        }
    }
    if (found == nullptr) return System::InvalidArguments;
    variable = found;
    return System::OkNoError;
}

System::ResultCode VMD::FindNamedVariableList(const MmsObjectName& name, NamedVariableList*& list) const {
    NamedVariableList* found = nullptr;
    if (name.present == MmsObjectNameVmdSpecific) {
        const ObjectMap& lists = maps_[MmsClassNamedVariableList];
        const auto at = lists.find(MmsText(name.choice.vmdSpecific));
        if (at != lists.end()) found = static_cast<NamedVariableList*>(at->second);
    } else if (name.present == MmsObjectNameDomainSpecific) {
        Domain* domain = nullptr;
        if (FindDomain(MmsText(name.choice.domainSpecific.domainId), domain) == System::OkNoError) {
            found = domain->FindNamedVariableList(MmsText(name.choice.domainSpecific.itemId));
        }
    }
    if (found == nullptr) return System::InvalidArguments;
    list = found;
    return System::OkNoError;
}

// ---- server ----

System::ResultCode VMD::GetNameList(std::int32_t objectClass, const MmsObjectScope& scope,
                                    const std::string* continueAfter, NameListPage& page,
                                    MmsGetNameListResponse& response, std::uint32_t byteBudget,
                                    std::int32_t& rejectCode) {
    if (scope.present == MmsObjectScopeVmd) {
        const ObjectMap* objects = GetObjectMap(objectClass);
        if (objects == nullptr) {
            rejectCode = MmsRejectRequestInvalidArgument;
            return System::Error;
        }
        return BuildNameList(*objects, continueAfter, byteBudget, page, response);
    }
    if (scope.present == MmsObjectScopeDomain) {
        Domain* domain = nullptr;
        if (FindDomain(MmsText(scope.choice.domainSpecific), domain) != System::OkNoError) {
            rejectCode = MmsRejectRequestInvalidArgument;
            return System::Error;
        }
        return domain->GetNameList(objectClass, continueAfter, page, response, byteBudget, rejectCode);
    }
    rejectCode = MmsRejectRequestInvalidArgument;
    return System::Error;
}

System::ResultCode VMD::GetDomainAttributes(std::string_view domainName, MmsGetDomainAttributesResponse& response,
                                            std::int32_t& rejectCode) {
    Domain* domain = nullptr;
    if (FindDomain(domainName, domain) != System::OkNoError) {
        rejectCode = MmsRejectRequestInvalidArgument;
        return System::Error;
    }
    return domain->FillAttributes(response);
}

System::ResultCode VMD::GetVariableAccessAttributes(const MmsGetVariableAccessAttributesRequest& request,
                                                    MmsGetVariableAccessAttributesResponse& response,
                                                    std::int32_t& rejectCode) {
    if (request.present != MmsAttributesByName) {
        rejectCode = MmsRejectRequestInvalidArgument;
        return System::Error;
    }
    NamedVariable* variable = nullptr;
    if (FindNamedVariable(request.choice.name, variable) != System::OkNoError) {
        rejectCode = MmsRejectRequestOther;
        return System::InvalidArguments;
    }
    response.mmsDeletable = variable->Deletable ? 1 : 0;
    Container* value = variable->GetValue();
    if (value == nullptr) return System::Error;
    if (value->ToTypeSpec(response.typeSpecification.choice.typeDescription) != System::OkNoError) return System::Error;
    response.typeSpecification.present = MmsTypeSpecificationDescription;
    return System::OkNoError;
}

System::ResultCode VMD::ReadVariable(const MmsObjectName& name, MmsAccessResultList& results,
                                     std::int32_t& rejectCode) {
    MmsAccessResult* result = MmsAppendNew(results, MmsAccessResultType);
    if (result == nullptr) {
        rejectCode = MmsRejectRequestOther;
        return System::NoResources;
    }
    NamedVariable* variable = nullptr;
    if (FindNamedVariable(name, variable) != System::OkNoError) {
        result->present = MmsAccessResultFailure;
        result->choice.failure = MmsInvalidAddress;
        return System::OkNoError;
    }
    const System::ResultCode converted = variable->ValueToData(result->choice.success);
    if (converted == System::NoResources) {
        rejectCode = MmsRejectRequestOther;
        return converted;
    }
    if (converted != System::OkNoError) {
        // A value that cannot be sent is that item's failure, not the whole request's.
        MmsDataType.free(&MmsDataType, &result->choice.success, 1);
        result->present = MmsAccessResultFailure;
        result->choice.failure = MmsObjectValueInvalid;
        return System::OkNoError;
    }
    result->present = MmsAccessResultSuccess;
    return System::OkNoError;
}

System::ResultCode VMD::ReadSelectedPart(const MmsObjectName& name, const MmsAlternateAccess& access,
                                         MmsAccessResultList& results, std::int32_t& rejectCode) {
    MmsAccessResult* result = MmsAppendNew(results, MmsAccessResultType);
    if (result == nullptr) {
        rejectCode = MmsRejectRequestOther;
        return System::NoResources;
    }
    std::int32_t accessError = MmsInvalidAddress;
    NamedVariable* variable = nullptr;
    AccessPath path;
    System::ResultCode outcome = FindNamedVariable(name, variable);
    if (outcome == System::OkNoError) {
        outcome = MmsReadAlternateAccess(access, path);
        if (outcome != System::OkNoError) accessError = MmsObjectAccessUnsupported;
    }
    if (outcome == System::OkNoError) {
        Container* value = variable->GetValue();
        accessError = MmsObjectNonExistent;
        outcome =
            value != nullptr ? SelectedPartToData(*value, path, result->choice.success, accessError) : System::Error;
    }
    if (outcome == System::NoResources) {
        rejectCode = MmsRejectRequestOther;
        return outcome;
    }
    if (outcome != System::OkNoError) {
        result->present = MmsAccessResultFailure;
        result->choice.failure = accessError;
        return System::OkNoError;
    }
    result->present = MmsAccessResultSuccess;
    return System::OkNoError;
}

System::ResultCode VMD::WriteSelectedPart(const MmsObjectName& name, const MmsAlternateAccess& access,
                                          const MmsData& data, std::int32_t& accessError) {
    NamedVariable* variable = nullptr;
    if (FindNamedVariable(name, variable) != System::OkNoError) {
        accessError = MmsInvalidAddress;
        return System::Error;
    }
    AccessPath path;
    if (MmsReadAlternateAccess(access, path) != System::OkNoError) {
        accessError = MmsObjectAccessUnsupported;
        return System::Error;
    }
    Container* value = variable->GetValue();
    if (value == nullptr) {
        accessError = MmsObjectNonExistent;
        return System::Error;
    }
    return SelectedPartFromData(*value, path, data, accessError);
}

System::ResultCode VMD::Read(const MmsReadRequest& request, MmsReadResponse& response, std::int32_t& rejectCode) {
    const MmsVariableAccessSpecification& access = request.variableAccessSpecification;
    if (request.specificationWithResult != nullptr && *request.specificationWithResult != 0) {
        // Clients of other makers ask for it with every data-set read: the answer names
        // what was read, as the request named it.
        auto* echoed = MmsNewValue<MmsVariableAccessSpecification>(MmsVariableAccessSpecificationType);
        if (echoed == nullptr) {
            rejectCode = MmsRejectRequestOther;
            return System::NoResources;
        }
        response.variableAccessSpecification = echoed;
        if (const System::ResultCode copied = MmsCopyValue(MmsVariableAccessSpecificationType, &access, echoed);
            copied != System::OkNoError) {
            rejectCode = copied == System::NoResources ? MmsRejectRequestOther : MmsRejectRequestInvalidArgument;
            return copied;
        }
    }
    if (access.present == MmsVariableAccessListOfVariable) {
        for (const MmsVariableEntry* entry : access.choice.listOfVariable) {
            if (entry->variableSpecification.present != MmsVariableSpecificationName) {
                rejectCode = MmsRejectRequestInvalidArgument;
                return System::Error;
            }
            const MmsObjectName& name = entry->variableSpecification.choice.name;
            if (System::ResultCode result =
                    entry->alternateAccess != nullptr
                        ? ReadSelectedPart(name, *entry->alternateAccess, response.listOfAccessResult, rejectCode)
                        : ReadVariable(name, response.listOfAccessResult, rejectCode);
                result != System::OkNoError) {
                return result;
            }
        }
        return System::OkNoError;
    }
    if (access.present == MmsVariableAccessVariableListName) {
        NamedVariableList* list = nullptr;
        if (FindNamedVariableList(access.choice.variableListName, list) != System::OkNoError) {
            rejectCode = MmsRejectRequestInvalidArgument;
            return System::InvalidArguments;
        }
        for (const Variable* member : list->Members) {
            MmsAccessResult* result = MmsAppendNew(response.listOfAccessResult, MmsAccessResultType);
            if (result == nullptr) {
                rejectCode = MmsRejectRequestOther;
                return System::NoResources;
            }
            if (member->ValueToData(result->choice.success) == System::OkNoError) {
                result->present = MmsAccessResultSuccess;
            } else {
                MmsDataType.free(&MmsDataType, &result->choice.success, 1);
                result->present = MmsAccessResultFailure;
                result->choice.failure = MmsObjectValueInvalid;
            }
        }
        return System::OkNoError;
    }
    rejectCode = MmsRejectRequestInvalidArgument;
    return System::Error;
}

System::ResultCode VMD::WriteVariable(const MmsObjectName& name, const MmsData& data, std::int32_t& accessError) {
    NamedVariable* variable = nullptr;
    if (FindNamedVariable(name, variable) != System::OkNoError) {
        accessError = MmsInvalidAddress;
        return System::Error;
    }
    Container* value = variable->GetValue();
    if (value == nullptr || value->FromData(data) != System::OkNoError) {
        accessError = MmsObjectAccessDenied;
        return System::Error;
    }
    return System::OkNoError;
}

System::ResultCode VMD::WriteListMembers(NamedVariableList& list, const MmsDataList& data, MmsWriteResponse& response) {
    std::int32_t index = 0;
    for (Variable* member : list.Members) {
        MmsWriteResult* result = MmsAppendNew(response, MmsWriteResultType);
        if (result == nullptr) return System::NoResources;
        Container* value = member->GetValue();
        if (value != nullptr && value->FromData(*data[index]) == System::OkNoError) {
            result->present = MmsWriteResultSuccess;
        } else {
            result->present = MmsWriteResultFailure;
            result->choice.failure = MmsObjectAccessDenied;
        }
        ++index;
    }
    return System::OkNoError;
}

System::ResultCode VMD::Write(const MmsWriteRequest& request, MmsWriteResponse& response, std::int32_t& rejectCode) {
    const MmsVariableAccessSpecification& access = request.variableAccessSpecification;
    if (access.present == MmsVariableAccessListOfVariable) {
        if (access.choice.listOfVariable.Count() != request.listOfData.Count()) {
            rejectCode = MmsRejectRequestInvalidArgument;
            return System::Error;
        }
        std::int32_t index = 0;
        for (const MmsVariableEntry* entry : access.choice.listOfVariable) {
            MmsWriteResult* result = MmsAppendNew(response, MmsWriteResultType);
            if (result == nullptr) {
                rejectCode = MmsRejectRequestOther;
                return System::NoResources;
            }
            if (entry->variableSpecification.present != MmsVariableSpecificationName) {
                rejectCode = MmsRejectRequestInvalidArgument;
                return System::Error;
            }
            std::int32_t accessError = 0;
            const MmsObjectName& name = entry->variableSpecification.choice.name;
            const MmsData& data = *request.listOfData[index];
            if ((entry->alternateAccess != nullptr ? WriteSelectedPart(name, *entry->alternateAccess, data, accessError)
                                                   : WriteVariable(name, data, accessError)) == System::OkNoError) {
                result->present = MmsWriteResultSuccess;
            } else {
                result->present = MmsWriteResultFailure;
                result->choice.failure = accessError;
            }
            ++index;
        }
        return System::OkNoError;
    }
    if (access.present == MmsVariableAccessVariableListName) {
        NamedVariableList* list = nullptr;
        if (FindNamedVariableList(access.choice.variableListName, list) != System::OkNoError ||
            list->Members.size() != static_cast<std::size_t>(request.listOfData.Count())) {
            rejectCode = MmsRejectRequestInvalidArgument;
            return System::InvalidArguments;
        }
        // ISO 9506 answers one result per member, and peers expect exactly that.
        if (WriteListMembers(*list, request.listOfData, response) != System::OkNoError) {
            rejectCode = MmsRejectRequestOther;
            return System::NoResources;
        }
        return System::OkNoError;
    }
    rejectCode = MmsRejectRequestInvalidArgument;
    return System::Error;
}

System::ResultCode VMD::DefineNamedVariableList(const MmsDefineNamedVariableListRequest& request,
                                                std::int32_t& rejectCode) {
    const MmsObjectName& name = request.variableListName;
    NamedVariableList* existing = nullptr;
    if (FindNamedVariableList(name, existing) == System::OkNoError) {
        rejectCode = MmsDefinitionObjectExistsError;
        return System::Error;
    }
    MmsObject* owner = this;
    std::string itemName;
    if (name.present == MmsObjectNameVmdSpecific) {
        itemName = MmsText(name.choice.vmdSpecific);
    } else if (name.present == MmsObjectNameDomainSpecific) {
        Domain* domain = nullptr;
        if (FindDomain(MmsText(name.choice.domainSpecific.domainId), domain) != System::OkNoError) {
            rejectCode = MmsDefinitionObjectAttributeInconsistentError;
            return System::Error;
        }
        owner = domain;
        itemName = MmsText(name.choice.domainSpecific.itemId);
    } else {
        rejectCode = MmsRejectRequestOther;
        return System::NotSupported;
    }
    auto list = std::unique_ptr<NamedVariableList>(new (std::nothrow) NamedVariableList(connection_, itemName, owner));
    if (list == nullptr) {
        rejectCode = MmsRejectRequestOther;
        return System::NoResources;
    }
    list->Deletable = true;
    if (System::ResultCode result = list->SetMembers(request.listOfVariable); result != System::OkNoError) {
        // Refused as a whole: a half-built list would make the next attempt "exist".
        rejectCode = MmsDefinitionObjectAttributeInconsistentError;
        return result;
    }
    if (owner->AddObject(list.get()) != System::OkNoError) {
        rejectCode = MmsDefinitionObjectExistsError;
        return System::Error;
    }
    list.release();
    return System::OkNoError;
}

System::ResultCode VMD::DeleteNamedVariableList(const MmsDeleteNamedVariableListRequest& request,
                                                MmsDeleteNamedVariableListResponse& response,
                                                std::int32_t& rejectCode) {
    if (request.scopeOfDelete != nullptr && *request.scopeOfDelete != MmsDeleteSpecific) {
        rejectCode = MmsRejectRequestOther;
        return System::NotSupported;
    }
    if (request.listOfVariableListName == nullptr) {
        rejectCode = MmsRejectRequestInvalidArgument;
        return System::ProtocolError;
    }
    std::int32_t matched = 0;
    std::int32_t deleted = 0;
    for (const MmsObjectName* name : *request.listOfVariableListName) {
        NamedVariableList* list = nullptr;
        if (FindNamedVariableList(*name, list) != System::OkNoError) {
            rejectCode = MmsDefinitionObjectUndefinedError;
            return System::Error;
        }
        ++matched;
        if (!list->Deletable) {
            rejectCode = MmsDefinitionObjectUndefinedError;
            return System::Error;
        }
        MmsObject* owner = list->GetOwner() != nullptr ? list->GetOwner() : this;
        owner->RemoveNamedVariableList(list);
        // Out of its owner's map nobody holds the list any more.
        delete list;
        ++deleted;
    }
    response.numberMatched = matched;
    response.numberDeleted = deleted;
    return System::OkNoError;
}

System::ResultCode VMD::GetNamedVariableListAttributes(const MmsObjectName& name,
                                                       MmsGetNamedVariableListAttributesResponse& response,
                                                       std::int32_t& rejectCode) {
    NamedVariableList* list = nullptr;
    if (FindNamedVariableList(name, list) != System::OkNoError) {
        rejectCode = MmsRejectRequestInvalidArgument;
        return System::Error;
    }
    if (list->FillAttributes(response) != System::OkNoError) {
        rejectCode = MmsRejectRequestOther;
        return System::Error;
    }
    return System::OkNoError;
}

// ---- client ----

System::ResultCode VMD::Identify() {
    return connection_ != nullptr ? connection_->Identify(this) : System::NotConnected;
}

System::ResultCode VMD::Status() {
    return connection_ != nullptr ? connection_->Status(this, false) : System::NotConnected;
}

System::ResultCode VMD::ApplyIdentity(const MmsIdentifyResponse& response) {
    MmsIdentity identity;
    if (System::ResultCode result = MmsReadIdentifyResponse(response, identity); result != System::OkNoError) {
        return result;
    }
    SetIdentity(std::move(identity));
    return System::OkNoError;
}

MmsIdentity VMD::GetIdentity() const {
    std::lock_guard lock(identityMutex_);
    return identity_;
}

void VMD::SetIdentity(MmsIdentity identity) {
    std::lock_guard lock(identityMutex_);
    identity_ = std::move(identity);
}

bool VMD::AwaitsIdentity() const {
    std::lock_guard lock(identityMutex_);
    return identifyAwaited_ != 0;
}

bool VMD::IdentifyCutShort() const {
    std::lock_guard lock(identityMutex_);
    return identifyCutShort_;
}

System::ResultCode VMD::GetIdentifyOutcome() const {
    std::lock_guard lock(identityMutex_);
    return identifyOutcome_;
}

std::optional<MmsIdentity> VMD::GetAnsweredIdentity() const {
    std::lock_guard lock(identityMutex_);
    if (identifyOutcome_ != System::OkNoError) return std::nullopt;
    return identity_;
}

bool VMD::WaitForIdentity(std::uint32_t waitMs) const {
    std::unique_lock lock(identityMutex_);
    return identitySettled_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return identifyAwaited_ == 0; });
}

void VMD::NoteIdentifyAsked() {
    std::lock_guard lock(identityMutex_);
    ++identifyAwaited_;
    identifyCutShort_ = false;
    identifyOutcome_ = System::NotCompleted;
}

void VMD::NoteIdentifySettled(System::ResultCode outcome) {
    std::lock_guard lock(identityMutex_);
    if (identifyAwaited_ == 0) return;
    // Told before the association's state says it has ended: the outcome is what tells.
    identifyCutShort_ = outcome == System::Aborted || outcome == System::NotConnected;
    identifyOutcome_ = outcome;
    // Notified under the lock: a waiter may let the VMD go as soon as it sees none awaited.
    if (--identifyAwaited_ == 0) identitySettled_.notify_all();
}

System::ResultCode VMD::ApplyStatus(const MmsStatusResponse& response) {
    if (response.vmdLogicalStatus < StatusLowest || response.vmdLogicalStatus > StatusHighest ||
        response.vmdPhysicalStatus < StatusLowest || response.vmdPhysicalStatus > StatusHighest) {
        return System::OutOfRange;
    }
    std::vector<std::uint8_t> detail;
    if (response.localDetail != nullptr) {
        const std::int64_t bits = MmsBitCount(*response.localDetail);
        if (bits < 0 || bits > kMaxLocalDetailBits) return System::Error;
        detail.resize(static_cast<std::size_t>(bits));
        if (System::ResultCode result = MmsReadFlagBits(*response.localDetail, detail.data(), detail.size());
            result != System::OkNoError) {
            return result;
        }
    }
    LogicalStatus = response.vmdLogicalStatus;
    PhysicalStatus = response.vmdPhysicalStatus;
    LocalDetail = std::move(detail);
    return System::OkNoError;
}

System::ResultCode VMD::FileObjects(std::int32_t objectClass, const System::NameList& names) {
    ObjectMap* objects = GetObjectMap(objectClass);
    if (objects == nullptr) return System::InvalidArguments;
    ModelHold hold(this);
    return FileNamesInOrder(*objects, names, [&](std::string_view text) {
        std::string name(text);
        std::unique_ptr<MmsObject> object;
        switch (objectClass) {
            case MmsClassNamedVariable:
                object.reset(new (std::nothrow) NamedVariable(connection_, std::move(name), this));
                break;
            case MmsClassNamedVariableList:
                object.reset(new (std::nothrow) NamedVariableList(connection_, std::move(name), this));
                break;
            case MmsClassDomain: object.reset(new (std::nothrow) Domain(connection_, std::move(name), this)); break;
            default: object = NewPlainNamedObject(objectClass, connection_, name, this); break;
        }
        return object;
    });
}

System::ResultCode VMD::LoadFromPeer() {
    if (connection_ == nullptr) return System::NotConnected;
    if (!connection_->PeerOffers(MmsServiceGetNameList)) return System::NotSupported;
    // Identity and status are extras: asked only when offered, kept as they were when refused.
    if (connection_->PeerOffers(MmsServiceIdentify)) {
        if (System::ResultCode result = OptionalAnswer(*connection_, Identify()); result != System::OkNoError) {
            return result;
        }
    }
    if (connection_->PeerOffers(MmsServiceStatus)) {
        if (System::ResultCode result = OptionalAnswer(*connection_, Status()); result != System::OkNoError) {
            return result;
        }
    }
    // Vmd-specific variables and lists are extras too; the domains are the model.
    for (const std::int32_t objectClass : {MmsClassNamedVariable, MmsClassNamedVariableList, MmsClassDomain}) {
        NameCollection names;
        System::ResultCode result =
            connection_->GetAllNames(MmsObjectClassBasic, objectClass, MmsObjectScopeVmd, names);
        if (result == System::OkNoError) result = connection_->WaitForCurrentRequest();
        if (objectClass != MmsClassDomain && IsRefusal(result)) continue;
        if (result == System::OkNoError) result = FileObjects(objectClass, names);
        if (result != System::OkNoError) return result;
    }
    // Every domain's variables before any list, so that lists find members elsewhere.
    for (auto& [name, object] : maps_[MmsClassDomain]) {
        if (System::ResultCode result = static_cast<Domain*>(object)->LoadVariablesFromPeer();
            result != System::OkNoError) {
            return result;
        }
    }
    if (connection_->PeerOffers(MmsServiceGetNamedVariableListAttributes)) {
        for (auto& [name, object] : maps_[MmsClassNamedVariableList]) {
            if (System::ResultCode result = static_cast<NamedVariableList*>(object)->GetAttributes();
                result != System::OkNoError) {
                return result;
            }
        }
        if (System::ResultCode result = connection_->WaitForCurrentRequest();
            result != System::OkNoError && !IsRefusal(result)) {
            return result;
        }
    }
    for (auto& [name, object] : maps_[MmsClassDomain]) {
        if (System::ResultCode result = static_cast<Domain*>(object)->LoadListsFromPeer();
            result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

// ---- reports ----

System::ResultCode VMD::Queue(InformationReport* report) {
    const System::ResultCode status = report->ErrStatus;
    std::lock_guard lock(reportMutex_);
    reports_.push_back(report);
    return status;
}

System::ResultCode VMD::QueueListReport(MmsUserConnection* from, const MmsObjectName& listName,
                                        const MmsAccessResultList& results) {
    if (listName.present != MmsObjectNameVmdSpecific) return System::NotSupported;
    auto* report = new (std::nothrow) InformationReport(from, this);
    if (report == nullptr) return System::NoResources;
    report->FromListReport(listName, results);
    return Queue(report);
}

System::ResultCode VMD::QueueVariablesReport(MmsUserConnection* from, const MmsVariableList& variables,
                                             const MmsAccessResultList& results) {
    auto* report = new (std::nothrow) InformationReport(from, this);
    if (report == nullptr) return System::NoResources;
    report->FromVariablesReport(variables, results);
    return Queue(report);
}

InformationReport* VMD::PopInformationReport() {
    std::lock_guard lock(reportMutex_);
    if (reports_.empty()) return nullptr;
    InformationReport* report = reports_.front();
    reports_.pop_front();
    return report;
}

std::size_t VMD::PendingReportCount() const {
    std::lock_guard lock(reportMutex_);
    return reports_.size();
}

}  // namespace Mms
