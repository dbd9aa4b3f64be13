#pragma once

#include <cstdint>

#include "mms/values/Container.h"
#include "mms/values/Object.h"
#include "system/ResultCode.h"

namespace Mms {

// The part that the classes of the simple MMS types share: their class id and name
// (`Derived::ClassName`), and the checks Assign makes before a value is taken over:
// InvalidState in the invalid-type state, InvalidArguments (kept in the error status)
// for a container of another class. Each class then takes the other's value in
// AssignValue, refusing one that does not fit its type parameters.
template <class Derived, ClassId Id, class Base = Container>
class SimpleContainer : public Base {
public:
    std::uint32_t GetClassId() const override { return Id; }
    const char* GetClassName() const override { return Derived::ClassName; }

    System::ResultCode Assign(const Container& other) final {
        if (this->HasInvalidType()) return System::InvalidState;
        if (this->CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
        return AssignValue(static_cast<const Derived&>(other));
    }

protected:
    SimpleContainer() = default;

private:
    virtual System::ResultCode AssignValue(const Derived& source) = 0;
};

}  // namespace Mms
