#include "support/icdmodel/ModelShapes.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace IcdTestModel {

namespace T = Iec61850::Acsi::DeviceTypes;
using T::Add;

std::string Numbered(const std::string& stem, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return stem + digits;
}

Type DstAddress(AddressForm form) {
    Members m;
    Add(m, "Addr", form == AddressForm::Octets ? T::Octets(6) : T::VisString(64));
    Add(m, "PRIORITY", T::Uint(8));
    Add(m, "VID", T::Uint(16));
    Add(m, "APPID", T::Uint(16));
    return T::Struct(std::move(m));
}

Type NamePlate() {
    Members m;
    Add(m, "vendor", T::VisString(255));
    Add(m, "swRev", T::VisString(255));
    Add(m, "d", T::VisString(255));
    Add(m, "configRev", T::VisString(255));
    return T::Struct(std::move(m));
}

Type GoCb(AddressForm form) {
    Members m;
    Add(m, "GoEna", T::Boolean());
    Add(m, "GoID", T::VisString(129));
    Add(m, "DatSet", T::VisString(129));
    Add(m, "ConfRev", T::Uint(32));
    Add(m, "NdsCom", T::Boolean());
    Add(m, "DstAddress", DstAddress(form));
    return T::Struct(std::move(m));
}

Type GsCb() {
    Members m;
    Add(m, "GsEna", T::Boolean());
    Add(m, "GsID", T::VisString(65));
    Add(m, "DatSet", T::VisString(129));
    Add(m, "ConfRev", T::Uint(32));
    Add(m, "NdsCom", T::Boolean());
    Add(m, "DstAddress", DstAddress());
    return T::Struct(std::move(m));
}

namespace {

Type SvCb(bool unicast, bool withRate) {
    Members m;
    Add(m, "SvEna", T::Boolean());
    if (unicast) Add(m, "Resv", T::Boolean());
    Add(m, unicast ? "UsvID" : "MsvID", T::VisString(65));
    Add(m, "DatSet", T::VisString(129));
    Add(m, "ConfRev", T::Uint(32));
    if (withRate) Add(m, "SmpRate", T::Uint(16));
    Add(m, "OptFlds", T::Bits(5));
    Add(m, "DstAddress", DstAddress());
    return T::Struct(std::move(m));
}

Type OperateWithTime() {
    Members m;
    Add(m, "ctlVal", T::Boolean());
    Add(m, "operTm", T::Utc());
    Add(m, "origin", T::Origin());
    Add(m, "ctlNum", T::Uint(8));
    Add(m, "T", T::Utc());
    Add(m, "Test", T::Boolean());
    Add(m, "Check", T::Bits(2));
    return T::Struct(std::move(m));
}

// The node's type: a group per constraint that has members, in the order given.
Type NodeOf(std::initializer_list<std::pair<const char*, Members*>> groups) {
    Members fcs;
    for (const auto& [fc, members] : groups) {
        if (!members->empty()) Add(fcs, fc, T::Struct(std::move(*members)));
    }
    return T::Struct(std::move(fcs));
}

void AddBlocks(Members& members, const char* stem, int count, const std::function<Type()>& type) {
    for (int i = 1; i <= count; ++i) Add(members, Numbered(stem, i), type());
}

}  // namespace

Type MsvCb(bool withRate) { return SvCb(false, withRate); }
Type UsvCb(bool withRate) { return SvCb(true, withRate); }

Type ControlsWithOperTime() {
    Members m;
    Add(m, "SBOw", T::Operate(T::Boolean()));
    Add(m, "Oper", OperateWithTime());
    Add(m, "Cancel", T::Operate(T::Boolean()));
    return T::Struct(std::move(m));
}

NodeShape Lln0(const Lln0Parts& parts) {
    return {"LLN0", [parts] {
                Members st, sp, cf, dc, br, rp, lg, go, gs, ms, us;
                Add(st, "Mod", T::Status(T::Int(8)));
                Add(st, "Beh", T::Status(T::Int(8)));
                Add(st, "Health", T::Status(T::Int(8)));
                Add(cf, "Mod", T::OneMember("ctlModel", T::Int(8)));
                if (parts.namePlate) Add(dc, "NamPlt", NamePlate());
                if (parts.settingGroups) Add(sp, "SGCB", T::Sgcb());
                AddBlocks(br, "brcb", parts.buffered, T::Brcb);
                AddBlocks(rp, "urcb", parts.unbuffered, [] { return T::Urcb(false); });
                AddBlocks(lg, "lcb", parts.logs, T::Lcb);
                AddBlocks(go, "gocb", parts.goose, [form = parts.addressForm] { return GoCb(form); });
                AddBlocks(gs, "gscb", parts.gsse, GsCb);
                AddBlocks(ms, "msvcb", parts.multicastSv, [] { return MsvCb(); });
                AddBlocks(us, "usvcb", parts.unicastSv, [] { return UsvCb(); });
                return NodeOf({{"ST", &st},
                               {"SP", &sp},
                               {"CF", &cf},
                               {"DC", &dc},
                               {"BR", &br},
                               {"RP", &rp},
                               {"LG", &lg},
                               {"GO", &go},
                               {"GS", &gs},
                               {"MS", &ms},
                               {"US", &us}});
            }};
}

NodeShape Xcbr(const std::string& name, bool timed) {
    return {name, [timed] {
                Members st, co, cf, dc;
                Add(st, "Beh", T::Status(T::Int(8)));
                Add(st, "Pos", T::Status(T::Bits(2)));
                Add(co, "Pos", timed ? ControlsWithOperTime() : T::Controls(true));
                Add(cf, "Pos", T::OneMember("ctlModel", T::Int(8)));
                Add(dc, "Pos", T::OneMember("d", T::VisString(255)));
                return NodeOf({{"ST", &st}, {"CO", &co}, {"CF", &cf}, {"DC", &dc}});
            }};
}

NodeShape Mmxu(const std::string& name, bool units) {
    return {name, [units] {
                Members st, mx, cf;
                Add(st, "Beh", T::Status(T::Int(8)));
                Add(mx, "TotW", T::Mv());
                Add(mx, "A", T::Wye());
                if (units) {
                    Members unit;
                    Add(unit, "SIUnit", T::Int(8));
                    Add(unit, "multiplier", T::Int(8));
                    Add(cf, "TotW", T::OneMember("units", T::Struct(std::move(unit))));
                    Add(cf, "A", T::OneMember("angRef", T::Int(8)));
                }
                return NodeOf({{"ST", &st}, {"MX", &mx}, {"CF", &cf}});
            }};
}

NodeShape Cswi(const std::string& name) {
    return {name, [] {
                Members st, co, cf;
                Add(st, "Beh", T::Status(T::Int(8)));
                Add(st, "Pos", T::Status(T::Bits(2)));
                Add(co, "Pos", T::Controls(true));
                Add(cf, "Pos", T::OneMember("ctlModel", T::Int(8)));
                return NodeOf({{"ST", &st}, {"CO", &co}, {"CF", &cf}});
            }};
}

NodeShape Mmtr(const std::string& name, int counterBits) {
    return {name, [counterBits] {
                Members st, counter;
                Add(st, "EEHealth", T::Status(T::Int(8)));
                Add(counter, "actVal", T::Int(counterBits));
                Add(counter, "q", T::Bits(13));
                Add(counter, "t", T::Utc());
                Add(st, "TotWh", T::Struct(std::move(counter)));
                return NodeOf({{"ST", &st}});
            }};
}

NodeShape Lphd(const std::string& name) {
    return {name, [] {
                Members st;
                Add(st, "PhyHealth", T::Status(T::Int(8)));
                return NodeOf({{"ST", &st}});
            }};
}

NodeShape Mhan(const std::string& name) {
    return {name, [] {
                Members vector, hmv, mx;
                Add(vector, "mag", T::AnalogueValue());
                Add(vector, "ang", T::AnalogueValue());
                Add(hmv, "har", ContainerTestSupport::ArrayType(16, T::Struct(std::move(vector))));
                Add(hmv, "q", T::Bits(13));
                Add(hmv, "t", T::Utc());
                Add(mx, "HaAmp", T::Struct(std::move(hmv)));
                return NodeOf({{"MX", &mx}});
            }};
}

NodeShape Mhai(const std::string& name, int harmonics) {
    return {name, [harmonics] {
                Members vector, hwye, mx, cf;
                Add(vector, "mag", T::AnalogueValue());
                Add(vector, "ang", T::AnalogueValue());
                Add(hwye, "q", T::Bits(13));
                Add(hwye, "t", T::Utc());
                Add(hwye, "phsAHar", ContainerTestSupport::ArrayType(harmonics, T::Struct(std::move(vector))));
                Add(mx, "HA", T::Struct(std::move(hwye)));
                Add(cf, "HA", T::OneMember("numHar", T::Uint(16)));
                return NodeOf({{"MX", &mx}, {"CF", &cf}});
            }};
}

NodeShape Ggio(const std::string& name, int buffered, int unbuffered, int logs) {
    return {name, [buffered, unbuffered, logs] {
                Members st, br, rp, lg;
                Add(st, "Beh", T::Status(T::Int(8)));
                Add(st, "Ind1", T::Status(T::Boolean()));
                Add(st, "Ind2", T::Status(T::Boolean()));
                AddBlocks(br, "brcb", buffered, T::Brcb);
                AddBlocks(rp, "urcb", unbuffered, [] { return T::Urcb(false); });
                AddBlocks(lg, "lcb", logs, T::Lcb);
                return NodeOf({{"ST", &st}, {"BR", &br}, {"RP", &rp}, {"LG", &lg}});
            }};
}

NodeShape GgioWithGaps(const std::string& name) {
    return {name, [] {
                Members st, mx, co, cf, dc, anOut, ind1;
                Add(st, "Beh", T::Status(T::Int(8)));
                Add(st, "Ind1", T::Status(T::Boolean()));
                Add(anOut, "mxVal", T::AnalogueValue());
                Add(anOut, "q", T::Bits(13));
                Add(anOut, "t", T::Utc());
                Add(mx, "AnOut1", T::Struct(std::move(anOut)));
                Add(co, "AnOut1", T::OneMember("Oper", T::Operate(T::AnalogueValue())));
                Add(cf, "AnOut1", T::OneMember("ctlModel", T::Int(8)));
                Add(ind1, "d", T::VisString(255));
                Add(ind1, "vendorNote", T::VisString(255));
                Add(dc, "Ind1", T::Struct(std::move(ind1)));
                return NodeOf({{"ST", &st}, {"MX", &mx}, {"CO", &co}, {"CF", &cf}, {"DC", &dc}});
            }};
}

NodeShape UnknownClass(const std::string& name) {
    return {name, [] {
                Members st, cf;
                Add(st, "Foo", T::Status(T::Boolean()));
                Add(cf, "Foo", T::OneMember("ctlModel", T::Int(8)));
                return NodeOf({{"ST", &st}, {"CF", &cf}});
            }};
}

void BuildDictionaryGapsModel(IcdTestServer& server) {
    Lln0Parts parts;
    parts.buffered = parts.goose = parts.logs = 1;
    server.negotiatedServices = {7, 9, 12, 14};
    server.AddDevice("LD0", {Lln0(parts), GgioWithGaps("GGIO1"), UnknownClass("ZZZZ1")});
    server.AddDataSet("LD0", "LLN0", "Mixed",
                      {"ZZZZ1$ST$Foo", "GGIO1$MX$AnOut1$mxVal", "GGIO1$ST$Ind1$stVal", "GGIO1$MX$AnOut1",
                       "GGIO1$DC$Ind1$vendorNote", "LLN0$ST$Beh"});
    server.AddDataSet("LD0", "LLN0", "Unknown", {"ZZZZ1$ST$Foo", "GGIO1$MX$AnOut1$mxVal$f"});
    const std::vector<std::array<std::string, 3>> values = {
        {"BR", "LD0/LLN0.brcb01.DatSet", "LD0/LLN0$Mixed"},
        {"BR", "LD0/LLN0.brcb01.ConfRev", "1"},
        {"GO", "LD0/LLN0.gocb01.DatSet", "LD0/LLN0$Unknown"},
        {"LG", "LD0/LLN0.lcb01.DatSet", "LD0/LLN0$Mixed"},
        {"CF", "LD0/GGIO1.AnOut1.ctlModel", "1"},
        {"DC", "LD0/GGIO1.Ind1.vendorNote", "note"},
        {"DC", "LD0/GGIO1.Ind1.d", "input 1"},
        {"CF", "LD0/ZZZZ1.Foo.ctlModel", "0"},
    };
    for (const auto& [fc, reference, text] : values) {
        if (!server.SetValue(fc, reference, text)) throw std::runtime_error("gaps model: " + reference);
    }
    server.BindAll();
}

}  // namespace IcdTestModel
