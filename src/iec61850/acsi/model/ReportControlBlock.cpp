#include "iec61850/acsi/model/ReportControlBlock.h"

#include <array>

#include "iec61850/acsi/model/AcsiTexts.h"
#include "mms/values/Boolean.h"

namespace Iec61850::Acsi {

using Scl::BasicTypeCode;

System::ResultCode RCB::Bind(const Mms::ModelHold& hold) {
    const std::string fc = GetFcName();
    if (fc != "BR" && fc != "RP") return System::OkNoError;
    if (const System::ResultCode result = ControlBlock::Bind(hold); result != System::OkNoError) return result;
    // In this order; devices name two of them either way.
    struct Attribute {
        const char* name;
        const char* alternative;
        Mms::Container** value;
    };
    const std::array<Attribute, 9> attributes = {{
        {"RptID", nullptr, &RptID},
        {"OptFlds", nullptr, &OptFlds},
        {"RptEna", nullptr, &RptEna},
        {"ConfRev", nullptr, &ConfRev},
        {"BufTm", "BufTim", &BufTm},
        {"TrgOps", "TrgOp", &TrgOps},
        {"IntgPd", nullptr, &IntgPd},
        {"GI", nullptr, &GI},
        {"SqNum", nullptr, &SqNum},
    }};
    for (const Attribute& attribute : attributes) {
        const System::ResultCode result = attribute.alternative != nullptr
                                              ? BindAttribute(attribute.name, attribute.alternative, *attribute.value)
                                              : BindAttribute(attribute.name, *attribute.value);
        if (result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

bool RCB::IsEnabled() const {
    const auto* enabled = dynamic_cast<const Mms::Boolean*>(RptEna);
    if (enabled == nullptr) return false;
    const std::int32_t state = enabled->GetState();
    return (state == Mms::StateValid || state == Mms::StateFromText) && enabled->GetValue();
}

System::ResultCode RCB::Create() {
    if (const System::ResultCode result = ControlBlock::Create(); result != System::OkNoError) return result;
    // Only an unbuffered block has Resv; it follows RptEna.
    if (const System::ResultCode result =
            CreateAttributes({{"RptID", BasicTypeCode::VisString65}, {"RptEna", BasicTypeCode::BOOLEAN}});
        result != System::OkNoError) {
        return result;
    }
    if (GetKind() == ObjectClassUrcb) {
        if (const System::ResultCode result = CreateAttribute("Resv", BasicTypeCode::BOOLEAN);
            result != System::OkNoError) {
            return result;
        }
    }
    return CreateAttributes({
        {"DatSet", BasicTypeCode::ObjectReference},
        {"ConfRev", BasicTypeCode::INT32U},
        {"OptFlds", BasicTypeCode::OptFlds},
        {"BufTm", BasicTypeCode::INT32U},
        {"SqNum", BasicTypeCode::INT16U},
        {"TrgOps", BasicTypeCode::TriggerConditions},
        {"IntgPd", BasicTypeCode::INT32U},
        {"GI", BasicTypeCode::BOOLEAN},
    });
}

System::ResultCode BRCB::Bind(const Mms::ModelHold& hold) {
    if (const System::ResultCode result = RCB::Bind(hold); result != System::OkNoError) return result;
    if (GetFcName() != "BR" && GetFcName() != "RP") return System::OkNoError;
    if (const System::ResultCode result = BindAttribute("PurgeBuf", PurgeBuf); result != System::OkNoError) {
        return result;
    }
    if (const System::ResultCode result = BindAttribute("TimeOfEntry", "TimeofEntry", TimeOfEntry);
        result != System::OkNoError) {
        return result;
    }
    return BindAttribute("EntryID", EntryID);
}

System::ResultCode BRCB::Create() {
    if (const System::ResultCode result = RCB::Create(); result != System::OkNoError) return result;
    return CreateAttributes({
        {"PurgeBuf", BasicTypeCode::BOOLEAN},
        {"EntryID", BasicTypeCode::EntryID},
        {"TimeofEntry", BasicTypeCode::EntryTime},
        {"ResvTms", BasicTypeCode::EntryID},
    });
}

std::int32_t BRCB::GetKind() const { return ObjectClassBrcb; }

ModelClass BRCB::GetModelClass() const { return ModelClass::BRCB; }

System::ResultCode URCB::Bind(const Mms::ModelHold& hold) {
    const System::ResultCode bound = RCB::Bind(hold);
    if (GetFcName() != "BR" && GetFcName() != "RP") return bound;
    const System::ResultCode resv = BindAttribute("Resv", Resv);
    return resv != System::OkNoError ? resv : bound;
}

std::int32_t URCB::GetKind() const { return ObjectClassUrcb; }

ModelClass URCB::GetModelClass() const { return ModelClass::URCB; }

}  // namespace Iec61850::Acsi
