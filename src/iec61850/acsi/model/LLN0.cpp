#include "iec61850/acsi/model/LLN0.h"

#include <memory>
#include <new>

#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"

namespace Iec61850::Acsi {

namespace {

std::unique_ptr<NamedObject> MakeLog(FunctionalConstraint* group, const std::string& name) {
    return std::unique_ptr<NamedObject>(new (std::nothrow) Log(group, name));
}

}  // namespace

LLN0::LLN0(LogicalDevice* device, Mms::MmsObject* mmsObject) : LogicalNode(device, "LLN0", mmsObject) {}

LLN0::~LLN0() {
    sgcbs_.clear();
    logs_.clear();
    gocbs_.clear();
    gscbs_.clear();
    msvcbs_.clear();
    usvcbs_.clear();
}

ModelClass LLN0::GetModelClass() const { return ModelClass::LLN0; }

void LLN0::IndexControlBlock(NamedObject& block) {
    switch (block.GetModelClass()) {
        case ModelClass::SGCB: sgcbs_[block.GetName()] = static_cast<SGCB*>(&block); break;
        case ModelClass::GoCB: gocbs_[block.GetName()] = static_cast<GoCB*>(&block); break;
        case ModelClass::GsCB: gscbs_[block.GetName()] = static_cast<GsCB*>(&block); break;
        case ModelClass::MSVCB: msvcbs_[block.GetName()] = static_cast<MSVCB*>(&block); break;
        case ModelClass::USVCB: usvcbs_[block.GetName()] = static_cast<USVCB*>(&block); break;
        case ModelClass::Log: logs_[block.GetName()] = static_cast<Log*>(&block); break;
        default: LogicalNode::IndexControlBlock(block); break;
    }
}

void LLN0::ForgetIndexed(const NamedObject& object) {
    Unindex(sgcbs_, object);
    Unindex(logs_, object);
    Unindex(gocbs_, object);
    Unindex(gscbs_, object);
    Unindex(msvcbs_, object);
    Unindex(usvcbs_, object);
    LogicalNode::ForgetIndexed(object);
}

System::ResultCode LLN0::AddSGCB(const std::string& name, SGCB** added) {
    return AddIndexedBlock("SG", name, &MakeBlock<SGCB>, sgcbs_, added);
}

System::ResultCode LLN0::AddGoCB(const std::string& name, GoCB** added) {
    return AddIndexedBlock("GO", name, &MakeBlock<GoCB>, gocbs_, added);
}

System::ResultCode LLN0::AddLog(const std::string& name, Log** added) {
    return AddIndexedBlock("LG", name, &MakeLog, logs_, added);
}

System::ResultCode LLN0::AddGsCB(const std::string& name, GsCB** added) {
    return AddIndexedBlock("GS", name, &MakeBlock<GsCB>, gscbs_, added);
}

System::ResultCode LLN0::AddMSVCB(const std::string& name, MSVCB** added) {
    return AddIndexedBlock("MS", name, &MakeBlock<MSVCB>, msvcbs_, added);
}

System::ResultCode LLN0::AddUSVCB(const std::string& name, USVCB** added) {
    return AddIndexedBlock("US", name, &MakeBlock<USVCB>, usvcbs_, added);
}

}  // namespace Iec61850::Acsi
