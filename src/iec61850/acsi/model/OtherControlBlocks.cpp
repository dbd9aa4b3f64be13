#include "iec61850/acsi/model/OtherControlBlocks.h"

#include "iec61850/acsi/model/AcsiTexts.h"

namespace Iec61850::Acsi {

using Scl::BasicTypeCode;

System::ResultCode LCB::Bind(const Mms::ModelHold& hold) {
    if (const System::ResultCode result = ControlBlock::Bind(hold); result != System::OkNoError) return result;
    if (const System::ResultCode result = BindAttribute("TrgOps", "TrgOp", TrgOps); result != System::OkNoError) {
        return result;
    }
    if (const System::ResultCode result = BindAttribute("IntgPd", IntgPd); result != System::OkNoError) return result;
    return BindAttribute("LogEna", LogEna);
}

System::ResultCode LCB::Create() {
    if (const System::ResultCode result = ControlBlock::Create(); result != System::OkNoError) return result;
    if (const System::ResultCode result = CreateAttributes({
            {"TrgOps", BasicTypeCode::TriggerConditions},
            {"TrgOp", BasicTypeCode::TriggerConditions},
            {"IntgPd", BasicTypeCode::INT32U},
            {"LogEna", BasicTypeCode::BOOLEAN},
        });
        result != System::OkNoError) {
        return result;
    }
    Build();
    return System::OkNoError;
}

std::int32_t LCB::GetKind() const { return ObjectClassLcb; }
ModelClass LCB::GetModelClass() const { return ModelClass::LCB; }

System::ResultCode GoCB::Bind(const Mms::ModelHold& hold) {
    if (const System::ResultCode result = ControlBlock::Bind(hold); result != System::OkNoError) return result;
    if (const System::ResultCode result = BindAttribute("GoEna", GoEna); result != System::OkNoError) return result;
    if (const System::ResultCode result = BindAttribute("ConfRev", ConfRev); result != System::OkNoError) {
        return result;
    }
    if (const System::ResultCode result = BindAttribute("GoID", GoID); result != System::OkNoError) return result;
    return BindAttribute("NdsCom", NdsCom);
}

System::ResultCode GoCB::Create() {
    if (const System::ResultCode result = ControlBlock::Create(); result != System::OkNoError) return result;
    return CreateAttributes({
        {"GoEna", BasicTypeCode::BOOLEAN},
        {"ConfRev", BasicTypeCode::INT32U},
        {"GoID", BasicTypeCode::VisString65},
        {"NdsCom", BasicTypeCode::BOOLEAN},
    });
}

std::int32_t GoCB::GetKind() const { return ObjectClassGoCb; }
ModelClass GoCB::GetModelClass() const { return ModelClass::GoCB; }

std::int32_t SGCB::GetKind() const { return ObjectClassSgcb; }
ModelClass SGCB::GetModelClass() const { return ModelClass::SGCB; }

std::int32_t GsCB::GetKind() const { return ObjectClassGsCb; }
ModelClass GsCB::GetModelClass() const { return ModelClass::GsCB; }

std::int32_t MSVCB::GetKind() const { return ObjectClassMsvCb; }
ModelClass MSVCB::GetModelClass() const { return ModelClass::MSVCB; }

std::int32_t USVCB::GetKind() const { return ObjectClassUsvCb; }
ModelClass USVCB::GetModelClass() const { return ModelClass::USVCB; }

ModelClass Log::GetModelClass() const { return ModelClass::Log; }

}  // namespace Iec61850::Acsi
