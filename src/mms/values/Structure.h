#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "mms/values/CompositeContainer.h"

namespace Mms {

class ContainerBudget;

// An MMS structure: components in order, owned by the structure; those with a name are
// also found by it (a component's name is held once, by the component).
class Structure : public CompositeContainer {
public:
    Structure();
    // Builds one named component per entry of the description; a missing name (Error)
    // or a refused component type ends the building with the reason in the error status.
    explicit Structure(const MmsTypeDescription& type);
    Structure(const MmsTypeDescription& type, ContainerBudget& budget);
    // One unnamed component per value, each of the value's own type.
    explicit Structure(const MmsData& data);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;
    // "Packed"; then the base names.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    // Binds the structure; then, for a named variable and a map of named variables,
    // each named component to the named variable called "<item name>$<component name>"
    // when the map holds it, and so on down the nesting. Components without such a
    // variable stay unbound.
    System::ResultCode Bind(ValueHolder* holder, const ObjectMap* variables) override;
    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // Needs as many components in the other structure; assigns them pairwise and
    // returns the first refusal.
    System::ResultCode Assign(const Container& other) override;
    // Needs one value per component. A component that refuses its value keeps its old
    // one and the others still take theirs; the structure answers OkNoError.
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToData(MmsData& data) override;

    // Takes the component and appends it. A named component must not repeat a name
    // already there: it is then refused with InvalidArguments and destroyed.
    virtual System::ResultCode AddComponent(std::unique_ptr<Container> component);

    std::size_t GetComponentCount() const { return members_.size(); }
    Container* GetComponent(std::size_t index) const { return GetMember(index); }
    Container* FindComponent(std::string_view name) const;

private:
    friend class Container;

    void BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget);
    System::ResultCode RenameComponent(Container& component, std::string_view name);
    void ForgetMember(Container* member) override;
    std::unique_ptr<Container> ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) override;

    // Called from the index once the components are many (a device's group may hold tens
    // of thousands); a walk finds fewer quickly enough. Keys view the components' names.
    using ComponentIndex = std::map<std::string_view, Container*, std::less<>>;
    static constexpr std::size_t kIndexedFrom = 24;
    void Index(Container& component);
    void Unindex(const Container& component);

    std::unique_ptr<ComponentIndex> named_;
};

}  // namespace Mms
