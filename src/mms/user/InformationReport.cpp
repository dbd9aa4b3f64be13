#include "mms/user/InformationReport.h"

#include <memory>
#include <new>

#include "mms/pdu/MmsPduReader.h"
#include "mms/user/Domain.h"
#include "mms/user/MmsObjectNames.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"
#include "mms/values/ContainerFactory.h"

namespace Mms {

InformationReport::InformationReport(MmsUserConnection* connection, MmsObject* owner) : MmsObject(connection, owner) {}

InformationReport::~InformationReport() {
    for (Container* value : Values) delete value;
}

std::uint32_t InformationReport::GetClassId() const { return InformationReportClassId; }

const char* InformationReport::GetClassName() const { return "InformationReport"; }

void InformationReport::TakeValues(const MmsAccessResultList& results) {
    System::ResultCode last = System::Error;
    for (const MmsAccessResult* result : results) {
        if (result->present != MmsAccessResultSuccess) {
            valueIndex_.push_back(-1);
            continue;
        }
        std::unique_ptr<Container> value;
        System::ResultCode outcome = System::NoResources;
        try {
            outcome = NewContainerFromData(result->choice.success, value);
        } catch (const std::bad_alloc&) {
            value.reset();
        }
        if (outcome == System::OkNoError && value != nullptr && value->GetState() != StateValid) {
            outcome = value->ErrStatus != 0 ? value->ErrStatus : System::Error;
        }
        last = outcome;
        if (value == nullptr) {
            valueIndex_.push_back(-1);
            continue;
        }
        valueIndex_.push_back(static_cast<std::int32_t>(Values.size()));
        Values.push_back(value.release());
    }
    ErrStatus = last;
}

System::ResultCode InformationReport::FromListReport(const MmsObjectName& listName,
                                                     const MmsAccessResultList& results) {
    kind_ = ListReport;
    MmsObjectNameText(listName, listName_);
    TakeValues(results);
    return ErrStatus;
}

System::ResultCode InformationReport::FromVariablesReport(const MmsVariableList& variables,
                                                          const MmsAccessResultList& results) {
    kind_ = VariablesReport;
    TakeValues(results);
    for (const MmsVariableEntry* entry : variables) {
        const MmsVariableSpecification& spec = entry->variableSpecification;
        std::string name;
        if (spec.present != MmsVariableSpecificationName ||
            MmsObjectNameText(spec.choice.name, name) != System::OkNoError) {
            ErrStatus = System::NotSupported;
            return ErrStatus;
        }
        Names.push_back(std::move(name));
    }
    NamesComplete = true;
    return ErrStatus;
}

Container* InformationReport::ValueAt(std::size_t index) const {
    if (index >= valueIndex_.size() || valueIndex_[index] < 0) return nullptr;
    return Values[static_cast<std::size_t>(valueIndex_[index])];
}

System::ResultCode InformationReport::ApplyValue(std::size_t index) {
    std::string domainName;
    std::string itemName;
    Container* const value = ValueAt(index);
    VMD* vmd = owner_ != nullptr && owner_->GetClassId() == VmdClassId ? static_cast<VMD*>(owner_) : nullptr;
    if (vmd == nullptr && connection_ != nullptr) vmd = connection_->GetVmd();
    Domain* domain = nullptr;
    if (index >= Names.size() || value == nullptr || vmd == nullptr ||
        SplitObjectText(Names[index], domainName, itemName) != System::OkNoError || domainName.empty() ||
        vmd->FindDomain(domainName, domain) != System::OkNoError) {
        ErrStatus = System::InvalidArguments;
        return ErrStatus;
    }
    NamedVariable* const variable = domain->FindNamedVariable(itemName);
    if (variable == nullptr) {
        ErrStatus = System::InvalidArguments;
        return ErrStatus;
    }
    return variable->Assign(*value);
}

}  // namespace Mms
