#include "mms/values/CompositeContainer.h"

#include <cstdlib>

#include "mms/values/ContainerFactory.h"

namespace Mms {

CompositeContainer::~CompositeContainer() {
    for (const auto& member : members_) member->parent_ = nullptr;
    members_.clear();
}

bool CompositeContainer::IsValid() const {
    for (const auto& member : members_) {
        if (!member->IsValid()) return false;
    }
    return true;
}

void CompositeContainer::SetState(std::int32_t state) {
    Container::SetState(state);
    for (const auto& member : members_) member->SetState(state);
}

System::ResultCode CompositeContainer::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    return Record(System::NotImplemented);
}

System::ResultCode CompositeContainer::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    for (const auto& member : members_) {
        member->WriteXml(text);
        text += '\n';
    }
    return Record(System::OkNoError);
}

void CompositeContainer::AppendMember(std::unique_ptr<Container> member) {
    member->parent_ = this;
    members_.push_back(std::move(member));
}

void CompositeContainer::BuildFromValues(const MmsDataList& values) {
    for (const MmsData* value : values) {
        std::unique_ptr<Container> member;
        const System::ResultCode result =
            value != nullptr ? NewContainerFromData(*value, member) : System::InvalidArguments;
        if (result != System::OkNoError) {
            ErrStatus = result;
            return;
        }
        AppendMember(std::move(member));
    }
    MarkValid();
}

System::ResultCode CompositeContainer::AssignMembers(const CompositeContainer& source) {
    System::ResultCode first = System::OkNoError;
    for (std::size_t i = 0; i < source.members_.size(); ++i) {
        const System::ResultCode result = members_[i]->Assign(*source.members_[i]);
        if (first == System::OkNoError) first = result;
    }
    MarkValid();
    return Record(first);
}

System::ResultCode CompositeContainer::MembersToData(MmsData& data, MmsDataList& values) {
    for (const auto& member : members_) {
        auto* value = static_cast<MmsData*>(Asn1::Asn1NewValue(&MmsDataType));
        System::ResultCode result = value != nullptr ? member->ToData(*value) : System::NoResources;
        if (result == System::OkNoError && Asn1::Asn1SequenceOfAppend(&values, value) != 0) {
            result = System::NoResources;
        }
        if (result != System::OkNoError) {
            Asn1::Asn1FreeValue(&MmsDataType, value);
            ClearData(data);
            return Record(result);
        }
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode CompositeContainer::WritePacked(MmsTypeDescription& type, Asn1Boolean*& packed) const {
    packed = static_cast<Asn1Boolean*>(std::calloc(1, sizeof(Asn1Boolean)));
    if (packed == nullptr) {
        ClearType(type);
        return System::NoResources;
    }
    *packed = packed_ ? 1 : 0;
    return System::OkNoError;
}

Container* CompositeContainer::GetMember(std::size_t index) const {
    return index < members_.size() ? members_[index].get() : nullptr;
}

void CompositeContainer::ForgetMember(Container* member) {
    for (auto it = members_.begin(); it != members_.end(); ++it) {
        if (it->get() == member) {
            it->release();
            members_.erase(it);
            return;
        }
    }
}

std::unique_ptr<Container> CompositeContainer::ReplaceMember(Container& member,
                                                             std::unique_ptr<Container>& replacement) {
    for (auto& held : members_) {
        if (held.get() != &member) continue;
        replacement->parent_ = this;
        replacement->name_ = member.name_;
        held.swap(replacement);
        std::unique_ptr<Container> previous = std::move(replacement);
        previous->parent_ = nullptr;
        return previous;
    }
    return nullptr;
}

}  // namespace Mms
