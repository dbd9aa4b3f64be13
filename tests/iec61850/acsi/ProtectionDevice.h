#pragma once

// A protection device as the model reads it: the flat name list first (every name down to
// the leaves), then each node's type description, then the nodes built from them.

#include <functional>
#include <list>
#include <map>
#include <string>
#include <utility>

#include "iec61850/acsi/DeviceTypes.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/user/Domain.h"

namespace Iec61850::Acsi::DeviceTypes {

inline Members NodeTypes(const std::string& node) {
    Members fcs;
    auto group = [&fcs](const char* fc, Members members) { Add(fcs, fc, Struct(std::move(members))); };
    Members st, mx, co, cf, dc, br, rp, go, lg, sp;
    if (node == "LLN0") {
        Add(st, "Mod", Status(Int(8)));
        Add(st, "Beh", Status(Int(8)));
        Add(cf, "Mod", OneMember("ctlModel", Int(8)));
        Add(br, "brcbA", Brcb());
        Add(rp, "urcbA", Urcb(false));
        Add(rp, "urcbB", Urcb(true));
        Add(go, "gocb1", Gocb());
        Add(lg, "lcb1", Lcb());
        Add(sp, "SGCB", Sgcb());
    } else if (node == "XCBR1" || node == "CSWI1") {
        Add(st, "Pos", Status(Bits(2)));
        Add(co, "Pos", Controls(node == "CSWI1"));
        Add(cf, "Pos", OneMember("ctlModel", Int(8)));
        Add(dc, "Pos", OneMember("d", VisString(255)));
    } else if (node == "MMXU1") {
        Add(mx, "TotW", Mv());
        Add(mx, "A", Wye());
    } else if (node == "GGIO1") {
        Add(st, "Ind1", Status(Boolean()));
        Add(st, "Ind12", Status(Boolean()));
        Add(st, "IntIn1", Status(Int(32)));
        Add(co, "SPCSO1", Controls(false));
    } else if (node == "MHAI1") {
        Add(mx, "HA", Harmonics(3));
    }
    for (auto& [fc, members] : std::initializer_list<std::pair<const char*, Members*>>{{"ST", &st},
                                                                                       {"MX", &mx},
                                                                                       {"CO", &co},
                                                                                       {"SP", &sp},
                                                                                       {"CF", &cf},
                                                                                       {"DC", &dc},
                                                                                       {"BR", &br},
                                                                                       {"RP", &rp},
                                                                                       {"LG", &lg},
                                                                                       {"GO", &go}}) {
        if (!members->empty()) group(fc, std::move(*members));
    }
    return fcs;
}

inline const std::list<std::string> kNodes = {"LLN0", "XCBR1", "CSWI1", "MMXU1", "GGIO1", "MHAI1"};

class ProtectionDevice {
public:
    ProtectionDevice() : device(&lookup, &domain) {
        lookup.device = &device;
        for (const std::string& node : kNodes) {
            const Mms::Structure shape(*Struct(NodeTypes(node)));
            ListNames(node, shape, device.directoryNames);
        }
    }
    // The directory, then the types and the nodes.
    void ReadAll() {
        device.directoryState = DirectoryState::Complete;
        device.BuildFromDirectory();
        for (const std::string& node : kNodes) ReadType(node);
    }
    void ReadType(const std::string& node) {
        MmsObjectTest::Retype(*domain.FindNamedVariable(node), Struct(NodeTypes(node)));
        device.FindLogicalNode(node)->Build();
    }
    LLN0& Lln0() { return static_cast<LLN0&>(*device.FindLogicalNode("LLN0")); }
    NamedObject* Find(std::string_view fc, std::string_view reference) {
        NamedObject* found = nullptr;
        device.Find(fc, reference, found);
        return found;
    }
    std::size_t VariableCount() const { return domain.GetObjectMap(0)->size(); }

    // Declared first: the domain outlives the model bound to its variables.
    Mms::Domain domain{nullptr, "PROT", nullptr};
    DeviceLookup lookup;
    LogicalDevice device;
};

}  // namespace Iec61850::Acsi::DeviceTypes
