#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/Container.h"

namespace Mms {

// What arrays and structures have in common: members they own, in order, that are
// valid, stated, converted and written one after the other.
class CompositeContainer : public Container {
public:
    // The members are destroyed without reporting back to this container.
    ~CompositeContainer() override;

    // True when every member is valid.
    bool IsValid() const override;
    // Passed on to every member.
    void SetState(std::int32_t state) override;
    // There is no text form to read: NotImplemented.
    System::ResultCode FromText(std::string_view text) override;
    // Appends each member's XML and a line end.
    System::ResultCode ToText(std::string& text) override;

    bool IsPacked() const { return packed_; }

protected:
    friend class DataDecoder;

    CompositeContainer() = default;

    // Takes the member and appends it, as the last one.
    void AppendMember(std::unique_ptr<Container> member);
    // One member per value, each of the value's own type; the first refusal ends the
    // building and stays in the error status (the members built before it stay).
    void BuildFromValues(const MmsDataList& values);
    // Assigns each member of the source (which has no more members than this) to the
    // member of the same index. Valid afterwards; the first refusal is kept and returned.
    System::ResultCode AssignMembers(const CompositeContainer& source);
    // Appends the Data of each member to the list of an empty Data whose choice is set.
    // On failure the Data is emptied and the reason kept in the error status.
    System::ResultCode MembersToData(MmsData& data, MmsDataList& values);
    // Writes the packed flag of a type description being built; on failure the
    // description is emptied (NoResources).
    System::ResultCode WritePacked(MmsTypeDescription& type, Asn1Boolean*& packed) const;
    // The packed flag of a received description (absent is false).
    static bool ReadPacked(const Asn1Boolean* packed) { return packed != nullptr && *packed != 0; }

    Container* GetMember(std::size_t index) const;

    void ForgetMember(Container* member) override;
    std::unique_ptr<Container> ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) override;

    bool packed_ = false;
    std::vector<std::unique_ptr<Container>> members_;
};

}  // namespace Mms
