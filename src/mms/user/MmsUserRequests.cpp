// The client face of the service user: the request operations and their synchronous
// forms.

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

ResultCode MmsUserConnection::PutPending(RequestHandle* request, std::int32_t service,
                                         PendingRequests::SendTicket& ticket) {
    for (;;) {
        const ResultCode result = pendingRequests_.Put(request, service, GetTimeout(), &ticket);
        if (result != System::Timeout) return result;
        // A conclude waits for the answers outstanding; one left unanswered for the time-out
        // is not filed to make way for it: the association cannot be concluded, and its
        // caller decides how it ends.
        if (service == PendingRequests::ConcludeService) return result;
        // The table is full and its oldest is overdue: a stalled link ends everything (this
        // request too), a live one makes room by filing what is overdue.
        if (FileStalledRequests(GetTimeout()) || FileOverdueRequests(GetTimeout()) == 0) return result;
    }
}

template <typename Send>
ResultCode MmsUserConnection::SendPending(RequestHandle* request, std::int32_t service, Send send) {
    request->BeginSending();
    // The request is pending before its PDU leaves, so its answer always finds it. The
    // conclude of its association waits for the ticket: nothing entered before the conclude
    // leaves after it.
    PendingRequests::SendTicket ticket;
    ResultCode result = PutPending(request, service, ticket);
    bool kept = false;
    if (result == System::OkNoError) {
        result = send(*request);
        // Not there any more: an answer or an abort has filed it, and it will be
        // confirmed through the queues like any other.
        kept = result == System::OkNoError || !WithdrawRequest(request);
    }
    ticket.Return();
    if (request->EndSending()) {
        FileAnswered(request, service);
        OnFiledAfterSend();
    }
    return kept ? System::OkNoError : result;
}

template <typename Send>
ResultCode MmsUserConnection::Submit(RequestHandle* request, std::int32_t service, void* target, std::int32_t kind,
                                     Send send) {
    request->SetTarget(target);
    request->SetKind(kind);
    request->SetMoreFollows(false);
    request->SetResult(System::NotCompleted);
    request->SetAnswerKind(MmsPduNone);
    request->SetError(MmsErrorClassNone, 0);
    const bool own = request->GetCollector() == RequestHandle::Collector::OwnWait;
    // Held before it can be filed, so that its outcome always finds its wait.
    if (own) ownRequests_.Enter(request);
    const ResultCode result = SendPending(request, service, send);
    if (result == System::OkNoError) return System::OkNoError;
    request->SetResult(result);
    if (own) ownRequests_.Withdraw(request);
    return result;
}

template <typename SubmitFn>
ResultCode MmsUserConnection::SubmitOwn(SubmitFn submit) {
    RequestHandle* request = NewRequest();
    if (request == nullptr) return System::NoResources;
    const ResultCode result = submit(request);
    if (result != System::OkNoError) delete request;
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
    const std::uint32_t generation = mms->GetInvokeGeneration();
    const ResultCode result = mms->Initiate(requested, negotiated, outcome);
    if (result != System::OkNoError) {
        Close();
        return result;
    }
    pendingRequests_.SetCapacity(negotiated.maxServOutstandingCalling);
    SetState(StateAssociated);
    // An ending that claimed the association just as its answer came has ended it, and may
    // have left this side idle before it was set associated above: it does not stand.
    if (mms->GetInvokeGeneration() != generation || mms->GetState() != MmsConnection::StateAssociated) {
        Connection::Reset();
        return System::Aborted;
    }
    return System::OkNoError;
}

ResultCode MmsUserConnection::Conclude(RequestHandle* request) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, PendingRequests::ConcludeService, nullptr, RequestHandle::KindNone,
                  [mms](RequestHandle& handle) { return mms->SendConcludeRequest(handle); });
}

ResultCode MmsUserConnection::ConcludeAndWait(ServiceErrorRecord& outcome) {
    // Not waited for: a device may never answer it (an Identify, for one), and the conclude
    // would wait a whole time-out behind it. Filed like every other outstanding request, by
    // its answer or with Aborted by the reset below, it is deleted then.
    ownRequests_.LetGoCurrent();
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    // Its ending resets this side under its claim (EventEnded); an abort, or the end of the
    // link, that ended the association first reset it in theirs.
    return mms->Conclude(outcome);
}

ResultCode MmsUserConnection::Abort(AbortWait wait) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return System::NotConnected;
    return EndAssociation(mms->GetInvokeGeneration(), AssociationEnding::LocalAbort, wait) ? System::OkNoError
                                                                                           : System::NotConnected;
}

// ---- VMD and domains ----

ResultCode MmsUserConnection::Identify(VMD* target) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (target == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    target->NoteIdentifyAsked();
    const ResultCode result = SubmitOwn([&](RequestHandle* request) {
        return Submit(request, MmsServiceIdentify, static_cast<MmsObject*>(target), RequestHandle::KindNone,
                      [mms](RequestHandle& handle) { return mms->SendIdentifyRequest(handle); });
    });
    // A request that was not sent is filed nowhere: nothing else settles it.
    if (result != System::OkNoError) target->NoteIdentifySettled(result);
    return result;
}

ResultCode MmsUserConnection::Status(VMD* target, bool extendedDerivation) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (target == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return SubmitOwn([&](RequestHandle* request) {
        return Submit(request, MmsServiceStatus, static_cast<MmsObject*>(target), RequestHandle::KindNone,
                      [mms, extendedDerivation](RequestHandle& handle) {
                          return mms->SendStatusRequest(handle, extendedDerivation);
                      });
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
    return Submit(request, MmsServiceGetNameList, request->GetTarget(), RequestHandle::KindNone,
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
    const std::size_t before = names.size();
    RequestHandle* sent = nullptr;
    if (ResultCode result = SubmitOwn([&](RequestHandle* request) {
            request->SetTarget(&names);
            sent = request;
            return GetNameListInDomain(request, objectClassForm, objectClass, scope, domainName, {});
        });
        result != System::OkNoError) {
        return result;
    }
    return WaitForNames(sent, objectClass, scope, domainName, names, before);
}

ResultCode MmsUserConnection::WaitForNames(RequestHandle* request, std::int32_t objectClass, std::int32_t scope,
                                           std::string_view domainName, NameCollection& names, std::size_t before) {
    MmsConnection* mms = GetMmsConnection();
    const std::string domain(scope == MmsObjectScopeDomain ? domainName : std::string_view{});
    for (;;) {
        if (CollectOwn(request) != OwnRequests::Collected::Taken) {
            if (WithdrawRequest(request)) {
                // Still pending: taken back.
                ownRequests_.Withdraw(request);
                delete request;
            } else {
                // Being filed right now: deleted once it is.
                ownRequests_.LetGoCurrent();
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
        ownRequests_.Enter(request);
        const ResultCode result = SendPending(request, MmsServiceGetNameList, [&](RequestHandle& handle) {
            return mms->SendGetNameListRequest(handle, objectClass, static_cast<MmsObjectScopeChoice>(scope), domain,
                                               continueAfter);
        });
        if (result == System::OkNoError) continue;
        ownRequests_.Withdraw(request);
        delete request;
        return result;
    }
    // The outcome is collected like that of any own request: this thread's current one.
    ownRequests_.Enter(request);
    FileAnswered(request, MmsServiceGetNameList);
    return System::OkNoError;
}

ResultCode MmsUserConnection::GetCapabilityList(RequestHandle* request, NameCollection* capabilities,
                                                const std::optional<std::string>& continueAfter) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || capabilities == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceGetCapabilityList, capabilities, RequestHandle::KindNone,
                  [&](RequestHandle& handle) { return mms->SendGetCapabilityListRequest(handle, continueAfter); });
}

ResultCode MmsUserConnection::GetDomainAttributes(Domain* domain) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (domain == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    const std::string name = domain->Name;
    return SubmitOwn([&](RequestHandle* request) {
        return Submit(
            request, MmsServiceGetDomainAttributes, static_cast<MmsObject*>(domain), RequestHandle::KindNone,
            [mms, &name](RequestHandle& handle) { return mms->SendGetDomainAttributesRequest(handle, name); });
    });
}

// ---- variables ----

ResultCode MmsUserConnection::RequestVariableAccessAttributes(Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    return SubmitOwn([&](RequestHandle* request) { return GetVariableAccessAttributes(request, variable); });
}

ResultCode MmsUserConnection::GetVariableAccessAttributes(RequestHandle* request, Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    const NamedVariable* named = AsNamedVariable(variable);
    if (named == nullptr) return System::NotSupported;
    if (request == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceGetVariableAccessAttributes, static_cast<MmsObject*>(variable),
                  RequestHandle::KindNone, [mms, named](RequestHandle& handle) {
                      CoderValue<MmsObjectName> name(MmsObjectNameType);
                      if (ResultCode result = named->ToObjectName(*name); result != System::OkNoError) return result;
                      return mms->SendGetVariableAccessAttributesRequest(handle, *name);
                  });
}

ResultCode MmsUserConnection::ReadVariableValue(Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    return SubmitOwn([&](RequestHandle* request) { return ReadVariable(request, variable); });
}

ResultCode MmsUserConnection::ReadVariable(RequestHandle* request, Variable* variable) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (AsNamedVariable(variable) == nullptr) return System::NotSupported;
    if (request == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceRead, static_cast<MmsObject*>(variable), RequestHandle::KindVariable,
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
    return Submit(request, MmsServiceRead, variables, RequestHandle::KindVariableCollection,
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
    MmsConnection* mms = GetMmsConnection();
    return SubmitOwn([&](RequestHandle* request) {
        return Submit(request, MmsServiceWrite, static_cast<MmsObject*>(variable), RequestHandle::KindVariable,
                      [mms, variable](RequestHandle& handle) {
                          const VariableCollection variables{variable};
                          CoderValue<MmsVariableAccessSpecification> access(MmsVariableAccessSpecificationType);
                          CoderValue<MmsDataList> data(MmsDataListType);
                          if (ResultCode result = BuildVariableAccess(variables, *access);
                              result != System::OkNoError) {
                              return result;
                          }
                          if (ResultCode result = BuildDataList(variables, *data); result != System::OkNoError) {
                              return result;
                          }
                          return mms->SendWriteRequest(handle, *access, *data);
                      });
    });
}

ResultCode MmsUserConnection::WriteVariables(RequestHandle* request, VariableCollection* variables) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || variables == nullptr || variables->empty()) return System::InvalidArguments;
    for (const Variable* variable : *variables) {
        if (AsNamedVariable(variable) == nullptr) return System::InvalidArguments;
    }
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceWrite, variables, RequestHandle::KindVariableCollection,
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
    return SubmitOwn([&](RequestHandle* request) { return GetNamedVariableListAttributes(request, list); });
}

ResultCode MmsUserConnection::GetNamedVariableListAttributes(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceGetNamedVariableListAttributes, static_cast<MmsObject*>(list),
                  RequestHandle::KindNone, [mms, list](RequestHandle& handle) {
                      CoderValue<MmsObjectName> name(MmsObjectNameType);
                      if (ResultCode result = list->ToObjectName(*name); result != System::OkNoError) return result;
                      return mms->SendGetNamedVariableListAttributesRequest(handle, *name);
                  });
}

ResultCode MmsUserConnection::ReadNamedVariableListValues(NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (list == nullptr) return System::InvalidArguments;
    return SubmitOwn([&](RequestHandle* request) { return ReadNamedVariableList(request, list); });
}

ResultCode MmsUserConnection::ReadNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceRead, static_cast<MmsObject*>(list), RequestHandle::KindNamedVariableList,
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
    return SubmitOwn([&](RequestHandle* request) { return WriteNamedVariableList(request, list); });
}

ResultCode MmsUserConnection::WriteNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceWrite, static_cast<MmsObject*>(list), RequestHandle::KindNamedVariableList,
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
    return Submit(request, MmsServiceWrite, values, RequestHandle::KindVariableCollection,
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
    return SubmitOwn([&](RequestHandle* request) { return DefineNamedVariableList(request, list); });
}

ResultCode MmsUserConnection::DefineNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceDefineNamedVariableList, static_cast<MmsObject*>(list), RequestHandle::KindNone,
                  [mms, list](RequestHandle& handle) {
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
    return SubmitOwn([&](RequestHandle* request) { return DeleteNamedVariableList(request, list); });
}

ResultCode MmsUserConnection::DeleteNamedVariableList(RequestHandle* request, NamedVariableList* list) {
    if (ResultCode result = RequireAssociated(); result != System::OkNoError) return result;
    if (request == nullptr || list == nullptr) return System::InvalidArguments;
    MmsConnection* mms = GetMmsConnection();
    return Submit(request, MmsServiceDeleteNamedVariableList, static_cast<MmsObject*>(list), RequestHandle::KindNone,
                  [mms, list](RequestHandle& handle) {
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
