#include "iec61850/acsi/LLN0.h"

#include <memory>
#include <new>

#include "iec61850/acsi/FunctionalConstraint.h"
#include "iec61850/acsi/OtherControlBlocks.h"

namespace Iec61850::Acsi {

namespace {

template <typename Block>
std::unique_ptr<NamedObject> MakeBlock(FunctionalConstraint* group, const std::string& name) {
    return std::unique_ptr<NamedObject>(new (std::nothrow) Block(group, name, nullptr, nullptr));
}

std::unique_ptr<NamedObject> MakeLog(FunctionalConstraint* group, const std::string& name) {
    return std::unique_ptr<NamedObject>(new (std::nothrow) Log(group, name));
}

template <typename Block, typename Index>
System::ResultCode Indexed(System::ResultCode result, NamedObject* block, Index& index, Block** added) {
    if (result != System::OkNoError) return result;
    index[block->GetName()] = static_cast<Block*>(block);
    if (added != nullptr) *added = static_cast<Block*>(block);
    return System::OkNoError;
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
    auto forget = [&object](auto& index) {
        const auto found = index.find(object.GetName());
        if (found != index.end() && found->second == &object) index.erase(found);
    };
    forget(sgcbs_);
    forget(logs_);
    forget(gocbs_);
    forget(gscbs_);
    forget(msvcbs_);
    forget(usvcbs_);
    LogicalNode::ForgetIndexed(object);
}

System::ResultCode LLN0::AddSGCB(const std::string& name, SGCB** added) {
    NamedObject* block = nullptr;
    const System::ResultCode result = AddBlock("SG", name, &MakeBlock<SGCB>, block);
    return Indexed(result, block, sgcbs_, added);
}

System::ResultCode LLN0::AddGoCB(const std::string& name, GoCB** added) {
    NamedObject* block = nullptr;
    const System::ResultCode result = AddBlock("GO", name, &MakeBlock<GoCB>, block);
    return Indexed(result, block, gocbs_, added);
}

System::ResultCode LLN0::AddLog(const std::string& name, Log** added) {
    NamedObject* block = nullptr;
    const System::ResultCode result = AddBlock("LG", name, &MakeLog, block);
    return Indexed(result, block, logs_, added);
}

System::ResultCode LLN0::AddGsCB(const std::string& name, GsCB** added) {
    NamedObject* block = nullptr;
    const System::ResultCode result = AddBlock("GS", name, &MakeBlock<GsCB>, block);
    return Indexed(result, block, gscbs_, added);
}

System::ResultCode LLN0::AddMSVCB(const std::string& name, MSVCB** added) {
    NamedObject* block = nullptr;
    const System::ResultCode result = AddBlock("MS", name, &MakeBlock<MSVCB>, block);
    return Indexed(result, block, msvcbs_, added);
}

System::ResultCode LLN0::AddUSVCB(const std::string& name, USVCB** added) {
    NamedObject* block = nullptr;
    const System::ResultCode result = AddBlock("US", name, &MakeBlock<USVCB>, block);
    return Indexed(result, block, usvcbs_, added);
}

}  // namespace Iec61850::Acsi
