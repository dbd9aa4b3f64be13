#pragma once

#include <memory>
#include <string_view>

#include "system/ResultCode.h"

namespace Mms {
class Container;
class MmsObject;
class NamedVariable;
}  // namespace Mms

namespace Iec61850::Acsi {

// The named variable that a member of `parent`'s value answers to, named the parent's
// name, "$" and `name`: the one the member is bound to; else the one the parent's domain
// holds under that name (bound to the member now, so a name never has two variables);
// else a new one filed with the domain. Without a domain the new variable comes back in
// `unfiled` as well, for the model object that will own it (NamedObject::OwnVariable).
System::ResultCode VariableForComponent(Mms::NamedVariable& parent, Mms::Container& component, std::string_view name,
                                        Mms::NamedVariable*& variable, std::unique_ptr<Mms::NamedVariable>& unfiled);

// The named variable a model object is bound to; null when it is bound to none or to
// another kind of MMS object.
Mms::NamedVariable* NamedVariableOf(Mms::MmsObject* object);

}  // namespace Iec61850::Acsi
