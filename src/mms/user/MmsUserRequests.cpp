// The client face of the service user: the request operations and their synchronous
// forms.

#include <typeinfo>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/RequestHandle.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Domain.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"

namespace Mms {

using System::ResultCode;

namespace {

bool IsPlainRequest(const RequestHandle* request) { return typeid(*request) == typeid(RequestHandle); }

const NamedVariable* AsNamedVariable(const Variable* variable) {
    return variable != nullptr && variable->GetClassId() == NamedVariableClassId
               ? static_cast<const NamedVariable*>(variable)
               : nullptr;
}

// listOfVariable with one entry per variable, each naming it.
ResultCode BuildVariableAccess(const VariableCollection& variables, MmsVariableAccessSpecification& access) {
    access.present = MmsVariableAccessListOfVariable;
    for (const Variable* variable : variables) {
        CoderValue<MmsVariableSpecification> spec(MmsVariableSpecificationType);
        if (ResultCode result = variable->ToVariableSpecification(*spec); result != System::OkNoError) {
            return result;
        }
        if (ResultCode result = MmsAppendVariable(access.choice.listOfVariable, *spec); result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

ResultCode BuildListAccess(const NamedVariableList& list, MmsVariableAccessSpecification& access) {
    if (ResultCode result = list.ToObjectName(access.choice.variableListName); result != System::OkNoError) {
        return result;
    }
    access.present = MmsVariableAccessVariableListName;
    return System::OkNoError;
}

ResultCode BuildDataList(const VariableCollection& variables, MmsDataList& data) {
    for (const Variable* variable : variables) {
        MmsData* value = MmsAppendNew(data, MmsDataType);
        if (value == nullptr) return System::NoResources;
        if (ResultCode result = variable->ValueToData(*value); result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

}  // namespace

ResultCode MmsUserConnection::PutPending(RequestHandle* request, std::int32_t service) {
    for (;;) {
        const ResultCode result = pendingRequests_.Put(request, service, GetTimeout());
        if (result != System::Timeout) return result;
        // The table is full and its oldest is overdue: a stalled link ends everything (this
        // request too), a live one makes room by filing what is overdue.
        if (FileStalledRequests(GetTimeout()) || FileOverdueRequests(GetTimeout()) == 0) return result;
    }
}

template <typename Send>
ResultCode MmsUserConnection::SendPending(RequestHandle* request, std::int32_t service, Send send) {
    request->BeginSending();
    // The request is pending before its PDU leaves, so its answer always finds it.
    ResultCode result = PutPending(request, service);
    bool kept = false;
    if (result == System::OkNoError) {
        result = send(*request);
        // Not there any more: an answer or an abort has filed it, and it will be
        // confirmed through the queues like any other.
        kept = result == System::OkNoError || !WithdrawRequest(request);
    }
    if (request->EndSending()) {
        FileAnswered(request, service);
        OnFiledAfterSend();
    }
    return kept ? System::OkNoError : result;
}

template <typename Send>
ResultCode MmsUserConnection::Submit(RequestHandle* request, bool own, std::int32_t service, void* target,
                                     std::int32_t kind, Send send) {
    request->SetTarget(target);
    request->SetKind(kind);
    request->SetMoreFollows(false);
    request->SetResult(System::NotCompleted);
    request->SetAnswerKind(MmsPduNone);
    request->SetError(MmsErrorClassNone, 0);
    const bool plain = IsPlainRequest(request);
    if (plain) {
        std::lock_guard lock(outstandingMutex_);
        outstandingOwn_.insert(request);
    }
    const ResultCode result = SendPending(request, service, [&](RequestHandle& handle) {
        currentRequest_ = &handle;
        return send(handle);
    });
    if (result == System::OkNoError) return System::OkNoError;
    request->SetResult(result);
    if (currentRequest_ == request) currentRequest_ = nullptr;
    if (plain) {
        std::lock_guard lock(outstandingMutex_);
        outstandingOwn_.erase(request);
    }
    if (own) delete request;
    return result;
}

ResultCode MmsUserConnection::RequireAssociated() {
    return GetState() == StateAssociated && GetMmsConnection() != nullptr ? System::OkNoError : System::NotConnected;
}

// ---- association ----

ResultCode MmsUserConnection::Initiate(const InitiateParameters& requested, InitiateParameters& negotiated,
                                       ServiceErrorRecord& outcome) {
    if (GetState() != StateIdle) return System::InvalidState;
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    SetState(StateInitiating);
    const ResultCode result = mms->Initiate(requested, negotiated, outcome);
    if (result != System::OkNoError) {
        Close();
        return result;
    }
    pendingRequests_.SetCapacity(negotiated.maxServOutstandingCalling);
    SetState(StateAssociated);
    return System::OkNoError;
}

ResultCode MmsUserConnection::Conclude(RequestHandle* request) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, PendingRequests::ConcludeService, nullptr, RequestHandle::KindNone,
                  [mms](RequestHandle&) { return mms->SendConcludeRequest(); });
}

ResultCode MmsUserConnection::ConcludeAndWait(ServiceErrorRecord& outcome) {
    WaitForCurrentRequest();
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    const ResultCode result = mms->Conclude(outcome);
    Reset();
    return result;
}

ResultCode MmsUserConnection::Abort() {
    MmsConnection* mms = GetMmsConnection();
    return mms != nullptr ? mms->Abort() : System::NotConnected;
}

// ---- VMD and domains ----

ResultCode MmsUserConnection::Identify(VMD* target) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (target == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    MmsConnection* mms = GetMmsConnection();
    target->NoteIdentifyAsked();
    const ResultCode result =
        Submit(request, true, MmsServiceIdentify, static_cast<MmsObject*>(target), RequestHandle::KindNone,
               [mms](RequestHandle& handle) { return mms->SendIdentifyRequest(handle); });
    // A request that was not sent is filed nowhere: nothing else settles it.
    if (result != System::OkNoError) target->NoteIdentifySettled(result);
    return result;
}

ResultCode MmsUserConnection::Status(VMD* target, bool extendedDerivation) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (target == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, true, MmsServiceStatus, static_cast<MmsObject*>(target), RequestHandle::KindNone,
                  [mms, extendedDerivation](RequestHandle& handle) {
                      return mms->SendStatusRequest(handle, extendedDerivation);
                  });
}

ResultCode MmsUserConnection::GetNameList(RequestHandle* request, std::int32_t objectClassForm,
                                          std::int32_t objectClass, std::int32_t scope,
                                          const std::optional<std::string>& continueAfter) {
    return GetNameListInDomain(request, objectClassForm, objectClass, scope, {}, continueAfter);
}

ResultCode MmsUserConnection::GetNameListInDomain(RequestHandle* request, std::int32_t objectClassForm,
                                                  std::int32_t objectClass, std::int32_t scope,
                                                  std::string_view domainName,
                                                  const std::optional<std::string>& continueAfter) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || request->GetTarget() == nullptr || objectClassForm != MmsObjectClassBasic ||
        scope < MmsObjectScopeVmd || scope > MmsObjectScopeAa) {
        return System::InvalidArguments;
    }
    MmsConnection* mms = GetMmsConnection();
    const std::string domain(scope == MmsObjectScopeDomain ? domainName : std::string_view{});
    return Submit(request, false, MmsServiceGetNameList, request->GetTarget(), RequestHandle::KindNone,
                  [&](RequestHandle& handle) {
                      return mms->SendGetNameListRequest(handle, objectClass, static_cast<MmsObjectScopeChoice>(scope),
                                                         domain, continueAfter);
                  });
}

ResultCode MmsUserConnection::GetAllNames(std::int32_t objectClassForm, std::int32_t objectClass, std::int32_t scope,
                                          NameCollection& names) {
    return GetAllNamesInDomain(objectClassForm, objectClass, scope, {}, names);
}

ResultCode MmsUserConnection::GetAllNamesInDomain(std::int32_t objectClassForm, std::int32_t objectClass,
                                                  std::int32_t scope, std::string_view domainName,
                                                  NameCollection& names) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (objectClassForm != MmsObjectClassBasic || scope < MmsObjectScopeVmd || scope > MmsObjectScopeAa) {
        return System::InvalidArguments;
    }
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    request->SetTarget(&names);
    const std::size_t before = names.size();
    if (ResultCode result = GetNameListInDomain(request, objectClassForm, objectClass, scope, domainName, {});
        result != System::OkNoError) {
        delete request;  // refused before it was kept: still ours alone
        return result;
    }
    return WaitForNames(request, objectClass, scope, domainName, names, before);
}

ResultCode MmsUserConnection::WaitForNames(RequestHandle* request, std::int32_t objectClass, std::int32_t scope,
                                           std::string_view domainName, NameCollection& names, std::size_t before) {
    MmsConnection* mms = GetMmsConnection();
    const std::string domain(scope == MmsObjectScopeDomain ? domainName : std::string_view{});
    const std::uint32_t invokeId = request->GetInvokeId();
    for (;;) {
        auto* taken = static_cast<RequestHandle*>(failedRequests_.TakeById(invokeId, GetTimeout()));
        if (taken != nullptr && taken != request) {
            // An own request of an earlier association with the same invoke id (the ids
            // start again after a reset), left uncollected: discarded like any wait does.
            lastCollectedInvokeId_.store(taken->GetInvokeId());
            DeleteOwn(taken);
            continue;
        }
        if (taken == nullptr) {
            // Still pending: it is withdrawn. Otherwise it is being filed right now and a
            // later wait or purge collects it.
            if (WithdrawRequest(request)) {
                DeleteOwn(request);
            } else if (currentRequest_ == request) {
                currentRequest_ = nullptr;
            }
            return System::Timeout;
        }
        if (request->GetResult() != System::OkNoError || !request->GetMoreFollows()) break;
        if (names.size() == before) {
            // "More follows" without a name to continue after would repeat forever.
            request->SetResult(System::InvalidResponse);
            break;
        }
        before = names.size();
        const std::optional<std::string> continueAfter(std::string(names.back()));
        request->SetResult(System::NotCompleted);
        request->SetMoreFollows(false);
        const ResultCode result = SendPending(request, MmsServiceGetNameList, [&](RequestHandle& handle) {
            return mms->SendGetNameListRequest(handle, objectClass, static_cast<MmsObjectScopeChoice>(scope), domain,
                                               continueAfter);
        });
        if (result == System::OkNoError) continue;
        DeleteOwn(request);
        return result;
    }
    // The outcome is collected like that of any own request.
    currentRequest_ = request;
    FileAnswered(request, MmsServiceGetNameList);
    return System::OkNoError;
}

ResultCode MmsUserConnection::GetCapabilityList(RequestHandle* request, NameCollection* capabilities,
                                                const std::optional<std::string>& continueAfter) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || capabilities == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceGetCapabilityList, capabilities, RequestHandle::KindNone,
                  [&](RequestHandle& handle) { return mms->SendGetCapabilityListRequest(handle, continueAfter); });
}

ResultCode MmsUserConnection::GetDomainAttributes(Domain* domain) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (domain == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    MmsConnection* mms = GetMmsConnection();
    const std::string name = domain->Name;
    return Submit(request, true, MmsServiceGetDomainAttributes, static_cast<MmsObject*>(domain),
                  RequestHandle::KindNone,
                  [mms, &name](RequestHandle& handle) { return mms->SendGetDomainAttributesRequest(handle, name); });
}

// ---- variables ----

ResultCode MmsUserConnection::RequestVariableAccessAttributes(Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = GetVariableAccessAttributes(request, variable);
    if (result != System::OkNoError) delete request;
    return result;
}

ResultCode MmsUserConnection::GetVariableAccessAttributes(RequestHandle* request, Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    const NamedVariable* named = AsNamedVariable(variable);
    if (named == nullptr) return System::NotSupported;
    if (request == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceGetVariableAccessAttributes, static_cast<MmsObject*>(variable),
                  RequestHandle::KindNone, [mms, named](RequestHandle& handle) {
                      CoderValue<MmsObjectName> name(MmsObjectNameType);
                      if (ResultCode result = named->ToObjectName(*name); result != System::OkNoError) return result;
                      return mms->SendGetVariableAccessAttributesRequest(handle, *name);
                  });
}

ResultCode MmsUserConnection::ReadVariableValue(Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = ReadVariable(request, variable);
    if (result != System::OkNoError) delete request;
    return result;
}

ResultCode MmsUserConnection::ReadVariable(RequestHandle* request, Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    if (request == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceRead, static_cast<MmsObject*>(variable), RequestHandle::KindVariable,
                  [mms, variable](RequestHandle& handle) {
                      CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                      if (ResultCode result = BuildVariableAccess({variable}, *access); result != System::OkNoError) {
                          return result;
                      }
                      return mms->SendReadRequest(handle, *access);
                  });
}

ResultCode MmsUserConnection::ReadVariables(RequestHandle* request, VariableCollection* variables) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || variables == nullptr) return System::InvalidArguments;
    for (const Variable* variable : *variables) {
        if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    }
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceRead, variables, RequestHandle::KindVariableCollection,
                  [mms, variables](RequestHandle& handle) {
                      CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                      if (ResultCode result = BuildVariableAccess(*variables, *access); result != System::OkNoError) {
                          return result;
                      }
                      return mms->SendReadRequest(handle, *access);
                  });
}

ResultCode MmsUserConnection::WriteVariableValue(Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, true, MmsServiceWrite, static_cast<MmsObject*>(variable), RequestHandle::KindVariable,
                  [mms, variable](RequestHandle& handle) {
                      const VariableCollection variables{variable};
                      CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                      CoderValue<MmsDataList> data(MmsDataListType);
                      if (ResultCode result = BuildVariableAccess(variables, *access); result != System::OkNoError) {
                          return result;
                      }
                      if (ResultCode result = BuildDataList(variables, *data); result != System::OkNoError) {
                          return result;
                      }
                      return mms->SendWriteRequest(handle, *access, *data);
                  });
}

ResultCode MmsUserConnection::WriteVariables(RequestHandle* request, VariableCollection* variables) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || variables == nullptr || variables->empty()) return System::InvalidArguments;
    for (const Variable* variable : *variables) {
        if (AsNamedVariable(variable) == nullptr) return System::InvalidArguments;
    }
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceWrite, variables, RequestHandle::KindVariableCollection,
                  [mms, variables](RequestHandle& handle) {
                      CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                      CoderValue<MmsDataList> data(MmsDataListType);
                      if (ResultCode result = BuildVariableAccess(*variables, *access); result != System::OkNoError) {
                          return result;
                      }
                      if (ResultCode result = BuildDataList(*variables, *data); result != System::OkNoError) {
                          return result;
                      }
                      return mms->SendWriteRequest(handle, *access, *data);
                  });
}

// ---- named variable lists ----

ResultCode MmsUserConnection::RequestNamedVariableListAttributes(NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (list == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = GetNamedVariableListAttributes(request, list);
    if (result != System::OkNoError) delete request;
    return result;
}

ResultCode MmsUserConnection::GetNamedVariableListAttributes(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceGetNamedVariableListAttributes, static_cast<MmsObject*>(list),
                  RequestHandle::KindNone, [mms, list](RequestHandle& handle) {
                      CoderValue<MmsObjectName> name(MmsObjectNameType);
                      if (ResultCode result = list->ToObjectName(*name); result != System::OkNoError) return result;
                      return mms->SendGetNamedVariableListAttributesRequest(handle, *name);
                  });
}

ResultCode MmsUserConnection::ReadNamedVariableListValues(NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (list == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = ReadNamedVariableList(request, list);
    if (result != System::OkNoError) delete request;
    return result;
}

ResultCode MmsUserConnection::ReadNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceRead, static_cast<MmsObject*>(list), RequestHandle::KindNamedVariableList,
                  [mms, list](RequestHandle& handle) {
                      CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                      if (ResultCode result = BuildListAccess(*list, *access); result != System::OkNoError) {
                          return result;
                      }
                      return mms->SendReadRequest(handle, *access);
                  });
}

ResultCode MmsUserConnection::WriteNamedVariableListValues(NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (list == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = WriteNamedVariableList(request, list);
    if (result != System::OkNoError) delete request;
    return result;
}

ResultCode MmsUserConnection::WriteNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceWrite, static_cast<MmsObject*>(list), RequestHandle::KindNamedVariableList,
                  [mms, list](RequestHandle& handle) {
                      CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                      CoderValue<MmsDataList> data(MmsDataListType);
                      if (ResultCode result = BuildListAccess(*list, *access); result != System::OkNoError) {
                          return result;
                      }
                      if (ResultCode result = list->ToDataList(*data); result != System::OkNoError) return result;
                      return mms->SendWriteRequest(handle, *access, *data);
                  });
}

ResultCode MmsUserConnection::WriteNamedVariableList(RequestHandle* request, NamedVariableList* list,
                                                     VariableCollection* values) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr || values == nullptr || values->size() != list->Members.size()) {
        return System::InvalidArguments;
    }
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceWrite, values, RequestHandle::KindVariableCollection,
                  [mms, list, values](RequestHandle& handle) {
                      CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                      CoderValue<MmsDataList> data(MmsDataListType);
                      if (ResultCode result = BuildListAccess(*list, *access); result != System::OkNoError) {
                          return result;
                      }
                      if (ResultCode result = BuildDataList(*values, *data); result != System::OkNoError) {
                          return result;
                      }
                      return mms->SendWriteRequest(handle, *access, *data);
                  });
}

ResultCode MmsUserConnection::DefineNamedVariableListObject(NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (list == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = DefineNamedVariableList(request, list);
    if (result != System::OkNoError) delete request;
    return result;
}

ResultCode MmsUserConnection::DefineNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceDefineNamedVariableList, static_cast<MmsObject*>(list),
                  RequestHandle::KindNone, [mms, list](RequestHandle& handle) {
                      CoderValue<MmsObjectName> name(MmsObjectNameType);
                      CoderValue<MmsVariableList> variables(MmsVariableListType);
                      if (ResultCode result = list->ToObjectName(*name); result != System::OkNoError) return result;
                      if (ResultCode result = list->ToVariableList(*variables); result != System::OkNoError) {
                          return result;
                      }
                      return mms->SendDefineNamedVariableListRequest(handle, *name, *variables);
                  });
}

ResultCode MmsUserConnection::DeleteNamedVariableListObject(NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (list == nullptr) return System::InvalidArguments;
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = DeleteNamedVariableList(request, list);
    if (result != System::OkNoError) delete request;
    return result;
}

ResultCode MmsUserConnection::DeleteNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, false, MmsServiceDeleteNamedVariableList, static_cast<MmsObject*>(list),
                  RequestHandle::KindNone, [mms, list](RequestHandle& handle) {
                      CoderValue<MmsObjectName> name(MmsObjectNameType);
                      if (ResultCode result = list->ToObjectName(*name); result != System::OkNoError) return result;
                      return mms->SendDeleteNamedVariableListRequest(handle, *name);
                  });
}

// ---- synchronous forms ----

ResultCode MmsUserConnection::ReadVariableValueAndWait(Variable* variable) {
    if (ResultCode result = ReadVariableValue(variable); result != System::OkNoError) return result;
    return WaitForCurrentRequest();
}

ResultCode MmsUserConnection::WriteVariableValueAndWait(Variable* variable) {
    if (ResultCode result = WriteVariableValue(variable); result != System::OkNoError) return result;
    return WaitForCurrentRequest();
}

ResultCode MmsUserConnection::DefineNamedVariableListAndWait(NamedVariableList* list) {
    if (ResultCode result = DefineNamedVariableListObject(list); result != System::OkNoError) return result;
    return WaitForCurrentRequest();
}

ResultCode MmsUserConnection::DeleteNamedVariableListAndWait(NamedVariableList* list) {
    if (ResultCode result = DeleteNamedVariableListObject(list); result != System::OkNoError) return result;
    return WaitForCurrentRequest();
}

}  // namespace Mms
