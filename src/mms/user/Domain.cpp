#include "mms/user/Domain.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/MmsObjectNames.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/NameListBuilder.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/ObjectFiling.h"
#include "mms/user/PlainNamedObjects.h"
#include "mms/user/VMD.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr std::uint32_t kMaxDomainState = 15;

}  // namespace

Domain::Domain(MmsObject* owner) : MmsObject(owner) {}

Domain::Domain(MmsUserConnection* connection, std::string name, MmsObject* owner)
    : MmsObject(connection, owner), Name(std::move(name)) {}

Domain::~Domain() {
    // Lists first: they point at variables but never touch them.
    for (auto& [name, object] : maps_[MmsClassNamedVariableList]) delete object;
    maps_[MmsClassNamedVariableList].clear();
    for (ObjectMap& map : maps_) {
        for (auto& [name, object] : map) delete object;
        map.clear();
    }
    for (Variable* variable : unnamedVariables_) delete variable;
}

std::uint32_t Domain::GetClassId() const { return DomainClassId; }

const char* Domain::GetClassName() const { return "Domain"; }

System::ResultCode Domain::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "Name") {
        // Filed under its old name, a renamed domain would be filed twice and deleted twice.
        if (owner_ != nullptr && value != Name && owner_->HoldsObject(this)) return System::InvalidState;
        Name = value;
        return owner_ != nullptr ? owner_->AddObject(this) : System::InvalidContext;
    }
    if (name == "State") {
        std::uint32_t state = 0;
        if (System::ResultCode result = System::ParseUnsignedText(state, value); result != System::OkNoError) {
            return result;
        }
        if (state > kMaxDomainState) return System::OutOfRange;
        State = state;
        return System::OkNoError;
    }
    if (name == "Deletable") return System::ParseBoolean(Deletable, value);
    if (name == "Sharable") return System::ParseBoolean(Sharable, value);
    return MmsObject::SetAttribute(name, value);
}

ObjectMap* Domain::GetObjectMap(std::int32_t objectClass) {
    if (objectClass < 0 || objectClass >= BasicObjectClassCount || objectClass == MmsClassDomain) return nullptr;
    return &maps_[static_cast<std::size_t>(objectClass)];
}

const ObjectMap* Domain::GetObjectMap(std::int32_t objectClass) const {
    return const_cast<Domain*>(this)->GetObjectMap(objectClass);
}

System::ResultCode Domain::AddObject(MmsObject* object) {
    if (object == nullptr) return System::InvalidContext;
    switch (object->GetClassId()) {
        case NamedVariableClassId:
        case NamedVariableListClassId: {
            const std::size_t objectClass =
                object->GetClassId() == NamedVariableClassId ? MmsClassNamedVariable : MmsClassNamedVariableList;
            const std::string* name = NameOfObject(object);
            return maps_[objectClass].emplace(*name, object).second ? System::OkNoError : System::Error;
        }
        case VariableClassId: {
            auto* variable = static_cast<Variable*>(object);
            // Held once only: the domain deletes what it holds.
            if (std::find(unnamedVariables_.begin(), unnamedVariables_.end(), variable) == unnamedVariables_.end()) {
                unnamedVariables_.push_back(variable);
            }
            return System::OkNoError;
        }
        default: return System::InvalidContext;
    }
}

System::ResultCode Domain::RemoveNamedVariableList(MmsObject* list) {
    return EraseNamedVariableList(maps_[MmsClassNamedVariableList], list);
}

bool Domain::HoldsObject(const MmsObject* object) const { return MapsHoldObject(maps_, object); }

NamedVariable* Domain::FindNamedVariable(std::string_view item) const {
    if (NamedVariable* filed = FindFiledVariable(item)) return filed;
    if (maker_ == nullptr || item.find('$') == std::string_view::npos) return nullptr;
    return maker_->MakeNamedVariable(item);
}

NamedVariable* Domain::FindFiledVariable(std::string_view item) const {
    const ObjectMap& variables = maps_[MmsClassNamedVariable];
    const auto found = variables.find(item);
    return found != variables.end() ? static_cast<NamedVariable*>(found->second) : nullptr;
}

NamedVariableList* Domain::FindNamedVariableList(std::string_view item) const {
    const ObjectMap& lists = maps_[MmsClassNamedVariableList];
    const auto found = lists.find(item);
    return found != lists.end() ? static_cast<NamedVariableList*>(found->second) : nullptr;
}

System::ResultCode Domain::FindVariable(std::string_view text, NamedVariable*& variable) const {
    std::string domainName;
    std::string item;
    if (SplitObjectText(text, domainName, item) != System::OkNoError) return System::Error;
    const Domain* domain = this;
    if (!domainName.empty()) {
        if (owner_ == nullptr || owner_->GetClassId() != VmdClassId) return System::InvalidContext;
        Domain* found = nullptr;
        if (static_cast<const VMD*>(owner_)->FindDomain(domainName, found) != System::OkNoError) {
            return System::InvalidArguments;
        }
        domain = found;
    }
    NamedVariable* found = domain->FindNamedVariable(item);
    if (found == nullptr) return System::InvalidArguments;
    variable = found;
    return System::OkNoError;
}

System::ResultCode Domain::GetNameList(std::int32_t objectClass, const std::string* continueAfter, NameListPage& page,
                                       MmsGetNameListResponse& response, std::uint32_t byteBudget,
                                       std::int32_t& rejectCode) {
    const ObjectMap* objects = GetObjectMap(objectClass);
    if (objects == nullptr) {
        rejectCode = MmsRejectRequestInvalidArgument;
        return System::Error;
    }
    return BuildNameList(*objects, continueAfter, byteBudget, page, response);
}

System::ResultCode Domain::FillAttributes(MmsGetDomainAttributesResponse& response) const {
    if (System::ResultCode result = MmsAppendIdentifiers(response.listOfCapabilities, Capabilities);
        result != System::OkNoError) {
        return result;
    }
    response.state = static_cast<Asn1NativeInteger>(State);
    response.mmsDeletable = Deletable ? 1 : 0;
    response.sharable = Sharable ? 1 : 0;
    response.uploadInProgress = UploadInProgress;
    return System::OkNoError;
}

System::ResultCode Domain::ApplyAttributes(const MmsDomainAttributes& attributes) {
    if (attributes.state > kMaxDomainState) return System::OutOfRange;
    Capabilities = attributes.capabilities;
    State = attributes.state;
    Deletable = attributes.deletable;
    Sharable = attributes.sharable;
    UploadInProgress = attributes.uploadInProgress;
    System::NameList invocations;
    for (const std::string& name : attributes.programInvocations) invocations.push_back(name);
    return FileObjects(MmsClassProgramInvocation, invocations);
}

System::ResultCode Domain::FileObjects(std::int32_t objectClass, const System::NameList& names) {
    ObjectMap* objects = GetObjectMap(objectClass);
    if (objects == nullptr) return System::InvalidArguments;
    VMD::ModelHold hold(VMD::Of(this));
    return FileNamesInOrder(*objects, names, [&](std::string_view name) {
        std::unique_ptr<MmsObject> object;
        if (objectClass == MmsClassNamedVariable) {
            object.reset(new (std::nothrow) NamedVariable(connection_, std::string(name), this));
        } else if (objectClass == MmsClassNamedVariableList) {
            object.reset(new (std::nothrow) NamedVariableList(connection_, std::string(name), this));
        } else {
            object = NewPlainNamedObject(objectClass, connection_, std::string(name), this);
        }
        return object;
    });
}

System::ResultCode Domain::FetchNames(std::int32_t objectClass) {
    NameCollection names;
    System::ResultCode result =
        connection_->GetAllNamesInDomain(MmsObjectClassBasic, objectClass, MmsObjectScopeDomain, Name, names);
    if (result == System::OkNoError) result = connection_->WaitForCurrentRequest();
    if (result == System::OkNoError) result = FileObjects(objectClass, names);
    return result;
}

System::ResultCode Domain::LoadVariablesFromPeer() {
    if (connection_ == nullptr) return System::NotConnected;
    // The domain's attributes are an extra: asked when offered, kept as they were when refused.
    if (connection_->PeerOffers(MmsServiceGetDomainAttributes)) {
        if (System::ResultCode result = OptionalAnswer(*connection_, connection_->GetDomainAttributes(this));
            result != System::OkNoError) {
            return result;
        }
    }
    if (System::ResultCode result = FetchNames(MmsClassNamedVariable); result != System::OkNoError) return result;
    // Components of a variable are bound to the "$" variables when its type arrives, so
    // only the top-level variables need their types and values. Without types the values
    // bring their own.
    System::ResultCode result = System::OkNoError;
    if (connection_->PeerOffers(MmsServiceGetVariableAccessAttributes)) {
        for (auto& [name, object] : maps_[MmsClassNamedVariable]) {
            if (name.find('$') != std::string::npos) continue;
            result = static_cast<NamedVariable*>(object)->GetAccessAttributes();
            if (result != System::OkNoError) return result;
        }
        result = connection_->WaitForCurrentRequest();
        if (result != System::OkNoError) return result;
    }
    if (!connection_->PeerOffers(MmsServiceRead)) return System::OkNoError;
    for (auto& [name, object] : maps_[MmsClassNamedVariable]) {
        if (name.find('$') != std::string::npos) continue;
        result = static_cast<NamedVariable*>(object)->Read(false);
        if (result != System::OkNoError) return result;
    }
    return connection_->WaitForCurrentRequest();
}

System::ResultCode Domain::LoadListsFromPeer() {
    if (connection_ == nullptr) return System::NotConnected;
    // The domain's lists (its data sets) are an extra: a refused directory is an empty one,
    // and so are the members of a list the peer refuses or does not offer to describe.
    if (System::ResultCode result = FetchNames(MmsClassNamedVariableList); result != System::OkNoError) {
        return IsRefusal(result) ? System::OkNoError : result;
    }
    if (!connection_->PeerOffers(MmsServiceGetNamedVariableListAttributes)) return System::OkNoError;
    for (auto& [name, object] : maps_[MmsClassNamedVariableList]) {
        if (System::ResultCode result = static_cast<NamedVariableList*>(object)->GetAttributes();
            result != System::OkNoError) {
            return result;
        }
    }
    const System::ResultCode result = connection_->WaitForCurrentRequest();
    return IsRefusal(result) ? System::OkNoError : result;
}

System::ResultCode Domain::LoadFromPeer() {
    if (System::ResultCode result = LoadVariablesFromPeer(); result != System::OkNoError) return result;
    return LoadListsFromPeer();
}

}  // namespace Mms
