#pragma once

// Hand-made MMS type descriptions of the common data classes and control blocks a
// protection device carries, as devices describe them (IEC 61850-8-1 mapping), and a
// stand-in for the server's lookups.

#include <list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ModelLookup.h"
#include "mms/ContainerTestSupport.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi::DeviceTypes {

using ContainerTestSupport::ArrayType;
using ContainerTestSupport::FloatType;
using ContainerTestSupport::SimpleType;
using ContainerTestSupport::Type;
using Members = std::vector<std::pair<std::string, Type>>;

inline Type Struct(Members members) { return ContainerTestSupport::StructureType(std::move(members)); }
inline Members& Add(Members& members, std::string name, Type type) {
    members.emplace_back(std::move(name), std::move(type));
    return members;
}
inline Type Boolean() { return SimpleType(Mms::MmsTypeBoolean); }
inline Type Int(int bits) { return SimpleType(Mms::MmsTypeInteger, bits); }
inline Type Uint(int bits) { return SimpleType(Mms::MmsTypeUnsigned, bits); }
inline Type Bits(int count) { return SimpleType(Mms::MmsTypeBitString, count); }
inline Type VisString(int most) { return SimpleType(Mms::MmsTypeVisibleString, -most); }
inline Type Octets(int count) { return SimpleType(Mms::MmsTypeOctetString, count); }
inline Type Utc() { return SimpleType(Mms::MmsTypeUtcTime); }
inline Type Float() { return FloatType(32, 8); }
inline Type EntryTime() { return SimpleType(Mms::MmsTypeBinaryTime, 1); }

// stVal of the given type with quality and time, as every status class has them.
inline Type Status(Type stVal) {
    Members m;
    Add(m, "stVal", std::move(stVal));
    Add(m, "q", Bits(13));
    Add(m, "t", Utc());
    return Struct(std::move(m));
}
inline Type AnalogueValue() {
    Members f;
    Add(f, "f", Float());
    return Struct(std::move(f));
}
// MV under MX.
inline Type Mv() {
    Members m;
    Add(m, "mag", AnalogueValue());
    Add(m, "q", Bits(13));
    Add(m, "t", Utc());
    return Struct(std::move(m));
}
// CMV under MX.
inline Type Cmv() {
    Members c;
    Add(c, "mag", AnalogueValue());
    Members m;
    Add(m, "cVal", Struct(std::move(c)));
    Add(m, "q", Bits(13));
    Add(m, "t", Utc());
    return Struct(std::move(m));
}
// WYE under MX: sub-data objects.
inline Type Wye() {
    Members m;
    for (const char* phase : {"phsA", "phsB", "phsC", "neut"}) Add(m, phase, Cmv());
    return Struct(std::move(m));
}
// A harmonic table: an array of complex values.
inline Type Harmonics(int count) {
    Members m;
    Add(m, "phsAHar", ArrayType(count, Cmv()));
    return Struct(std::move(m));
}
inline Type Origin() {
    Members m;
    Add(m, "orCat", Int(8));
    Add(m, "orIdent", Octets(-64));
    return Struct(std::move(m));
}
// Oper, SBOw or Cancel of a controllable class.
inline Type Operate(Type ctlVal) {
    Members m;
    Add(m, "ctlVal", std::move(ctlVal));
    Add(m, "origin", Origin());
    Add(m, "ctlNum", Uint(8));
    Add(m, "T", Utc());
    Add(m, "Test", Boolean());
    Add(m, "Check", Bits(2));
    return Struct(std::move(m));
}
inline Type Controls(bool withSelect) {
    Members m;
    if (withSelect) Add(m, "SBOw", Operate(Boolean()));
    Add(m, "Oper", Operate(Boolean()));
    Add(m, "Cancel", Operate(Boolean()));
    return Struct(std::move(m));
}
inline Type OneMember(const char* name, Type type) {
    Members m;
    Add(m, name, std::move(type));
    return Struct(std::move(m));
}

// Report control blocks; `alternativeNames` uses BufTim and TrgOp as some devices do.
inline Type Brcb() {
    Members m;
    Add(m, "RptID", VisString(65));
    Add(m, "RptEna", Boolean());
    Add(m, "DatSet", VisString(129));
    Add(m, "ConfRev", Uint(32));
    Add(m, "OptFlds", Bits(10));
    Add(m, "BufTm", Uint(32));
    Add(m, "SqNum", Uint(16));
    Add(m, "TrgOps", Bits(6));
    Add(m, "IntgPd", Uint(32));
    Add(m, "GI", Boolean());
    Add(m, "PurgeBuf", Boolean());
    Add(m, "EntryID", Octets(8));
    Add(m, "TimeOfEntry", EntryTime());
    return Struct(std::move(m));
}
inline Type Urcb(bool alternativeNames) {
    Members m;
    Add(m, "RptID", VisString(65));
    Add(m, "RptEna", Boolean());
    Add(m, "Resv", Boolean());
    Add(m, "DatSet", VisString(129));
    Add(m, "ConfRev", Uint(32));
    Add(m, "OptFlds", Bits(10));
    Add(m, alternativeNames ? "BufTim" : "BufTm", Uint(32));
    Add(m, "SqNum", Uint(8));
    Add(m, alternativeNames ? "TrgOp" : "TrgOps", Bits(6));
    Add(m, "IntgPd", Uint(32));
    Add(m, "GI", Boolean());
    return Struct(std::move(m));
}
inline Type Gocb() {
    Members m;
    Add(m, "GoEna", Boolean());
    Add(m, "GoID", VisString(129));
    Add(m, "DatSet", VisString(129));
    Add(m, "ConfRev", Uint(32));
    Add(m, "NdsCom", Boolean());
    return Struct(std::move(m));
}
inline Type Lcb() {
    Members m;
    Add(m, "LogEna", Boolean());
    Add(m, "LogRef", VisString(129));
    Add(m, "DatSet", VisString(129));
    Add(m, "TrgOps", Bits(6));
    Add(m, "IntgPd", Uint(32));
    return Struct(std::move(m));
}
inline Type Sgcb() {
    Members m;
    Add(m, "NumOfSG", Uint(8));
    Add(m, "ActSG", Uint(8));
    Add(m, "EditSG", Uint(8));
    Add(m, "CnfEdit", Boolean());
    Add(m, "LActTm", Utc());
    return Struct(std::move(m));
}

// Every name of a type down to the leaves, as a device's flat name list gives them
// ("LLN0", "LLN0$ST", "LLN0$ST$Mod", ...).
template <typename Names>
inline void ListNames(const std::string& prefix, const Mms::Container& value, Names& names) {
    names.push_back(prefix);
    if (const auto* structure = dynamic_cast<const Mms::Structure*>(&value)) {
        for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) {
            const Mms::Container& component = *structure->GetComponent(i);
            ListNames(prefix + "$" + component.GetName(), component, names);
        }
    }
}

// The server's lookups over one device, through the model's own Find.
class DeviceLookup : public ModelLookup {
public:
    LogicalDevice* device = nullptr;
    int lookups = 0;

    System::ResultCode ResolveReference(const Mms::ModelHold&, std::string_view reference, std::string_view fc,
                                        std::list<NamedObject*>& found) override {
        ++lookups;
        NamedObject* object = nullptr;
        if (device != nullptr) device->Find(fc, reference, object);
        if (object != nullptr) found.push_back(object);
        return System::OkNoError;
    }
    // "LD/LN$name" or "LD/LN.name".
    System::ResultCode FindDataSet(const Mms::ModelHold&, std::string_view reference, DataSet*& found) override {
        found = nullptr;
        const std::size_t slash = reference.find('/');
        const std::size_t split = reference.find_first_of("$.", slash);
        if (device == nullptr || slash == std::string_view::npos || split == std::string_view::npos) {
            return System::InvalidArguments;
        }
        LogicalNode* node = device->FindLogicalNode(reference.substr(slash + 1, split - slash - 1));
        found = node != nullptr ? node->FindDataSet(reference.substr(split + 1)) : nullptr;
        return found != nullptr ? System::OkNoError : System::InvalidArguments;
    }
};

}  // namespace Iec61850::Acsi::DeviceTypes
