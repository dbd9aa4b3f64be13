#include "device/ReportControl.h"

#include <memory>

#include "device/Device.h"
#include "device/DeviceConnection.h"
#include "device/ModelScope.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"
#include "mms/values/Container.h"
#include "mms/values/ContainerFactory.h"
#include "system/Clock.h"
#include "system/TimeText.h"

namespace TestDevice {

namespace {

// OptFlds bits.
enum OptionBit : int {
    SequenceNumber = 1,
    ReportTimeStamp = 2,
    ReasonForInclusion = 3,
    DataSetName = 4,
    DataReference = 5,
    BufferOverflow = 6,
    EntryId = 7,
    ConfigurationRevision = 8,
    Segmentation = 9,
};
constexpr int ReasonBits = 7;

// Appends a success carrying the value of the leaf type read from the text.
void AppendValue(Mms::MmsAccessResultList& results, const DataNode& type, const std::string& text) {
    Mms::Container* holder = nullptr;
    ContainerTestSupport::Type description = ToType(type);
    if (Mms::NewContainerFromType(*description, holder) != System::OkNoError || holder == nullptr) return;
    std::unique_ptr<Mms::Container> value(holder);
    if (!text.empty()) value->FromText(text);
    auto* result = Mms::MmsAppendNew(results, Mms::MmsAccessResultType);
    if (result == nullptr) return;
    if (value->ToData(result->choice.success) == System::OkNoError) {
        result->present = Mms::MmsAccessResultSuccess;
    } else {
        result->present = Mms::MmsAccessResultFailure;
        result->choice.failure = ReportControl::ObjectValueInvalid;
    }
}

void AppendVariable(Mms::MmsAccessResultList& results, const Mms::Variable& variable) {
    auto* result = Mms::MmsAppendNew(results, Mms::MmsAccessResultType);
    if (result == nullptr) return;
    if (variable.ValueToData(result->choice.success) == System::OkNoError) {
        result->present = Mms::MmsAccessResultSuccess;
    } else {
        Mms::MmsDataType.free(&Mms::MmsDataType, &result->choice.success, 1);
        result->present = Mms::MmsAccessResultFailure;
        result->choice.failure = ReportControl::ObjectValueInvalid;
    }
}

std::string NowText() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    std::string text;
    System::FormatTimeText(text, static_cast<std::uint32_t>(ms / 86400000), static_cast<std::uint32_t>(ms % 86400000));
    return text;
}

}  // namespace

ReportControl::ReportControl(Device& device, Mms::VMD& vmd, Mms::Domain& domain, const ReportSpec& spec)
    : device_(device),
      vmd_(vmd),
      domain_(domain),
      spec_(spec),
      prefix_(spec.node + "$" + spec.fc + "$" + spec.name),
      reference_(domain.Name + "/" + prefix_) {}

bool ReportControl::Holds(const Mms::Domain& domain, const std::string& item, std::string& attribute) const {
    if (&domain != &domain_ || item.size() <= prefix_.size() + 1 || item.compare(0, prefix_.size(), prefix_) != 0 ||
        item[prefix_.size()] != '$') {
        return false;
    }
    attribute = item.substr(prefix_.size() + 1);
    return true;
}

Mms::NamedVariable* ReportControl::Attribute(const std::string& name) const {
    return domain_.FindNamedVariable(prefix_ + "$" + name);
}

std::string ReportControl::AttributeText(const std::string& name) const {
    std::string text;
    if (Mms::NamedVariable* variable = Attribute(name)) variable->ToText(text);
    return text;
}

bool ReportControl::Flag(const std::string& attribute, int bit) const {
    const std::string bits = AttributeText(attribute);
    return bit < static_cast<int>(bits.size()) && bits[static_cast<std::size_t>(bit)] == '1';
}

bool ReportControl::IsEnabled() const { return owner_ != nullptr; }

std::int32_t ReportControl::CheckWrite(DeviceConnection* writer, const std::string& attribute) const {
    if (attribute.find('$') != std::string::npos) return ObjectAccessDenied;
    if (owner_ != nullptr && owner_ != writer) return TemporarilyUnavailable;
    if (reservedBy_ != nullptr && reservedBy_ != writer) return TemporarilyUnavailable;
    return 0;
}

std::int32_t ReportControl::AfterWrite(DeviceConnection* writer, const std::string& attribute) {
    if (attribute == "Resv") {
        reservedBy_ = AttributeText("Resv") == "True" ? writer : nullptr;
        return 0;
    }
    if (attribute == "RptEna") {
        if (AttributeText("RptEna") != "True") {
            owner_ = nullptr;
            nextIntegrity_ = std::chrono::steady_clock::time_point::max();
            return 0;
        }
        // The data set is taken when the block is enabled.
        const std::string dataSet = AttributeText("DatSet");
        const std::size_t slash = dataSet.find('/');
        Mms::Domain* domain = nullptr;
        Mms::NamedVariableList* list = nullptr;
        if (slash != std::string::npos && vmd_.FindDomain(dataSet.substr(0, slash), domain) == System::OkNoError) {
            list = domain->FindNamedVariableList(dataSet.substr(slash + 1));
        }
        if (list == nullptr || writer == nullptr) {
            if (Mms::NamedVariable* enable = Attribute("RptEna")) enable->FromText("False");
            return ObjectValueInvalid;
        }
        dataSet_ = list;
        owner_ = writer;
        ScheduleIntegrity();
        return 0;
    }
    if (attribute == "IntgPd") {
        ScheduleIntegrity();
        return 0;
    }
    if (attribute == "GI" && AttributeText("GI") == "True") {
        if (Mms::NamedVariable* gi = Attribute("GI")) gi->FromText("False");
        if (owner_ == writer && writer != nullptr && Flag("TrgOps", GeneralInterrogation)) {
            // After the write's answer, as the standard orders them.
            writer->Defer([this] {
                ModelScope hold(vmd_);
                ReportAll(GeneralInterrogation);
            });
        }
    }
    return 0;
}

void ReportControl::Release(DeviceConnection* association) {
    if (reservedBy_ == association) {
        reservedBy_ = nullptr;
        if (Mms::NamedVariable* resv = Attribute("Resv")) resv->FromText("False");
    }
    if (owner_ == association) {
        owner_ = nullptr;
        nextIntegrity_ = std::chrono::steady_clock::time_point::max();
        if (Mms::NamedVariable* enable = Attribute("RptEna")) enable->FromText("False");
    }
}

void ReportControl::ScheduleIntegrity() {
    std::uint32_t period = 0;
    const std::string text = AttributeText("IntgPd");
    for (const char c : text) period = period * 10 + static_cast<std::uint32_t>(c - '0');
    if (owner_ == nullptr || period == 0 || !Flag("TrgOps", Integrity)) {
        nextIntegrity_ = std::chrono::steady_clock::time_point::max();
        return;
    }
    nextIntegrity_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(period);
    device_.WakeTimer();
}

std::chrono::steady_clock::time_point ReportControl::NextIntegrity() const { return nextIntegrity_; }

void ReportControl::IntegrityIfDue(std::chrono::steady_clock::time_point now) {
    if (owner_ == nullptr || now < nextIntegrity_) return;
    ScheduleIntegrity();
    ReportAll(Integrity);
}

void ReportControl::ValueChanged(const Mms::Domain& domain, const std::string& item) {
    if (owner_ == nullptr || dataSet_ == nullptr) return;
    const bool quality = item.size() > 2 && item.compare(item.size() - 2, 2, "$q") == 0;
    const int reason = quality ? QualityChange : DataChange;
    if (!Flag("TrgOps", reason)) return;
    std::vector<int> reasons;
    bool any = false;
    for (const Mms::Variable* member : dataSet_->Members) {
        const auto* named = dynamic_cast<const Mms::NamedVariable*>(member);
        bool touched = false;
        if (named != nullptr && named->GetOwner() == &domain) {
            const std::string& name = named->Name;
            // The member itself, a part of it, or a structure that holds it.
            touched =
                item == name ||
                (item.size() > name.size() && item.compare(0, name.size(), name) == 0 && item[name.size()] == '$') ||
                (name.size() > item.size() && name.compare(0, item.size(), item) == 0 && name[item.size()] == '$');
        }
        reasons.push_back(touched ? reason : 0);
        any = any || touched;
    }
    if (any) Send(reasons);
}

void ReportControl::ReportAll(Reason reason) {
    if (owner_ == nullptr || dataSet_ == nullptr) return;
    Send(std::vector<int>(dataSet_->Members.size(), reason));
}

void ReportControl::Send(const std::vector<int>& reasons) {
    const std::string options = AttributeText("OptFlds");
    const auto option = [&options](int bit) {
        return bit < static_cast<int>(options.size()) && options[static_cast<std::size_t>(bit)] == '1';
    };
    Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
    std::string rptId = AttributeText("RptID");
    if (rptId.empty()) rptId = reference_;
    AppendValue(*results, Leaf("", Mms::MmsTypeVisibleString, -129), rptId);
    AppendValue(*results, Leaf("", Mms::MmsTypeBitString, 10), options);
    if (option(SequenceNumber)) AppendValue(*results, Leaf("", Mms::MmsTypeUnsigned, 32), std::to_string(sequence_));
    const std::string now = NowText();
    if (option(ReportTimeStamp)) AppendValue(*results, Leaf("", Mms::MmsTypeBinaryTime, 1), now);
    if (option(DataSetName)) AppendValue(*results, Leaf("", Mms::MmsTypeVisibleString, -129), AttributeText("DatSet"));
    std::string entryId;
    if (spec_.buffered) {
        ++entry_;
        for (int shift = 56; shift >= 0; shift -= 8) {
            static const char digits[] = "0123456789ABCDEF";
            const auto octet = static_cast<std::uint8_t>(entry_ >> shift);
            entryId += digits[octet >> 4];
            entryId += digits[octet & 0xF];
        }
        if (option(BufferOverflow)) AppendValue(*results, Leaf("", Mms::MmsTypeBoolean), "False");
        if (option(EntryId)) AppendValue(*results, Leaf("", Mms::MmsTypeOctetString, 8), entryId);
    }
    if (option(ConfigurationRevision)) {
        AppendValue(*results, Leaf("", Mms::MmsTypeUnsigned, 32), AttributeText("ConfRev"));
    }
    if (option(Segmentation)) {
        AppendValue(*results, Leaf("", Mms::MmsTypeUnsigned, 16), "0");
        AppendValue(*results, Leaf("", Mms::MmsTypeBoolean), "False");
    }
    std::string inclusion;
    for (const int reason : reasons) inclusion += reason != 0 ? '1' : '0';
    AppendValue(*results, Leaf("", Mms::MmsTypeBitString, static_cast<std::int32_t>(reasons.size())), inclusion);
    std::size_t index = 0;
    std::vector<const Mms::Variable*> members(dataSet_->Members.begin(), dataSet_->Members.end());
    if (option(DataReference)) {
        for (index = 0; index < reasons.size(); ++index) {
            std::string name;
            if (reasons[index] != 0 && members[index]->GetName(name) == System::OkNoError) {
                AppendValue(*results, Leaf("", Mms::MmsTypeVisibleString, -129), name);
            }
        }
    }
    for (index = 0; index < reasons.size(); ++index) {
        if (reasons[index] != 0) AppendVariable(*results, *members[index]);
    }
    if (option(ReasonForInclusion)) {
        for (const int reason : reasons) {
            if (reason == 0) continue;
            std::string bits(ReasonBits, '0');
            bits[static_cast<std::size_t>(reason)] = '1';
            AppendValue(*results, Leaf("", Mms::MmsTypeBitString, ReasonBits), bits);
        }
    }
    owner_->SendListReport("RPT", *results);

    // What the block shows of the report it sent.
    const std::uint32_t wrap = spec_.buffered ? 65536u : 256u;
    sequence_ = (sequence_ + 1) % wrap;
    if (Mms::NamedVariable* sqNum = Attribute("SqNum")) sqNum->FromText(std::to_string(sequence_));
    if (spec_.buffered) {
        if (Mms::NamedVariable* entry = Attribute("EntryID")) entry->FromText(entryId);
        if (Mms::NamedVariable* time = Attribute("TimeOfEntry")) time->FromText(now);
    }
}

}  // namespace TestDevice
