#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mms/Container.h"

namespace Mms {

class ContainerBudget;

// An MMS structure: components in order, owned by the structure; those with a name are
// also found by it.
class Structure : public Container {
public:
    Structure();
    // Builds one named component per entry of the description; a missing name (Error)
    // or a refused component type ends the building with the reason in the error status.
    explicit Structure(const MmsTypeDescription& type);
    Structure(const MmsTypeDescription& type, ContainerBudget& budget);
    // One unnamed component per value, each of the value's own type.
    explicit Structure(const MmsData& data);
    ~Structure() override;

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;
    // "Packed"; then the base names.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    bool IsValid() const override;
    void SetState(std::int32_t state) override;
    // Binds the structure; then, for a named variable and a map of named variables,
    // each named component to the variable called "<variable name>$<component name>"
    // when the map holds it, and so on down the nesting. Components without such a
    // variable stay unbound.
    System::ResultCode Bind(Variable* variable, const ObjectMap* variables) override;
    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // Structures have no text form to read: NotImplemented.
    System::ResultCode FromText(std::string_view text) override;
    // Needs as many components in the other structure; assigns them pairwise and
    // returns the first refusal.
    System::ResultCode Assign(const Container& other) override;
    // Needs one value per component. A component that refuses its value keeps its old
    // one and the others still take theirs; the structure answers OkNoError.
    System::ResultCode FromData(const MmsData& data) override;
    // Appends each component's XML and a line end.
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    // Takes the component and appends it. A named component must not repeat a name
    // already there: it is then refused with InvalidArguments and destroyed.
    virtual System::ResultCode AddComponent(std::unique_ptr<Container> component);

    bool IsPacked() const { return packed_; }
    std::size_t GetComponentCount() const { return components_.size(); }
    Container* GetComponent(std::size_t index) const;
    Container* FindComponent(std::string_view name) const;

private:
    friend class Container;

    void BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget);
    System::ResultCode RenameComponent(Container& component, std::string_view name);
    void ForgetMember(Container* member) override;
    std::unique_ptr<Container> ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) override;

    bool packed_ = false;
    std::map<std::string, Container*, std::less<>> named_;
    std::vector<std::unique_ptr<Container>> components_;
};

}  // namespace Mms
