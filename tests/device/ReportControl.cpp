#include "device/ReportControl.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <utility>

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

// The 8 octets of an entry id as the OctetString's text gives them, and back.
std::string EntryIdText(std::uint64_t id) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 60; shift >= 0; shift -= 4) text += digits[(id >> shift) & 0xF];
    return text;
}

std::optional<std::uint64_t> EntryIdOf(const std::string& text) {
    if (text.size() != 16) return std::nullopt;
    std::uint64_t id = 0;
    for (const char c : text) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) != 0
                              ? c - '0'
                              : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        if (digit < 0 || digit > 15) return std::nullopt;
        id = id << 4 | static_cast<std::uint64_t>(digit);
    }
    return id;
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

std::uint32_t ReportControl::AttributeNumber(const std::string& name) const {
    std::uint32_t number = 0;
    for (const char c : AttributeText(name)) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) break;
        number = number * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return number;
}

bool ReportControl::IsEnabled() const { return owner_ != nullptr; }

std::int32_t ReportControl::CheckWrite(DeviceConnection* writer, const std::string& attribute) const {
    if (attribute.find('$') != std::string::npos) return ObjectAccessDenied;
    if (owner_ != nullptr && owner_ != writer) return TemporarilyUnavailable;
    if (reservedBy_ != nullptr && reservedBy_ != writer) return TemporarilyUnavailable;
    // Where a buffered block resumes, and its buffer, change only while it is disabled.
    if (owner_ != nullptr && (attribute == "EntryID" || attribute == "PurgeBuf")) return TemporarilyUnavailable;
    return 0;
}

std::int32_t ReportControl::AfterWrite(DeviceConnection* writer, const std::string& attribute) {
    if (attribute == "Resv") {
        reservedBy_ = AttributeText("Resv") == "True" ? writer : nullptr;
        return 0;
    }
    if (attribute == "RptEna") {
        if (AttributeText("RptEna") == "True") return Enable(writer);
        Disable();
        return 0;
    }
    if (attribute == "IntgPd") {
        ScheduleIntegrity();
        return 0;
    }
    if (attribute == "EntryID" && spec_.buffered) return TakeEntryId();
    if (attribute == "PurgeBuf" && spec_.buffered && AttributeText("PurgeBuf") == "True") {
        if (Mms::NamedVariable* purge = Attribute("PurgeBuf")) purge->FromText("False");
        buffer_.Purge();
        overflowed_ = false;
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

std::int32_t ReportControl::Enable(DeviceConnection* writer) {
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
    if (owner_ == writer) return 0;
    // Entries of another data set mean nothing to this one.
    if (list != dataSet_) buffer_.Purge();
    dataSet_ = list;
    owner_ = writer;
    if (!spec_.buffered) {
        // Enabling reserves an unbuffered block for the association.
        reservedBy_ = writer;
        if (Mms::NamedVariable* resv = Attribute("Resv")) resv->FromText("True");
    } else {
        buffering_ = true;
        if (device_.ReportBufferingFaults().overflowBufferNow) overflowed_ = true;
        // What was buffered leaves after the write's answer, before anything newer.
        catchingUp_ = true;
        writer->Defer([this, writer] {
            ModelScope hold(vmd_);
            if (owner_ != writer || !catchingUp_) return;
            catchingUp_ = false;
            SendBuffered();
        });
    }
    ScheduleIntegrity();
    return 0;
}

void ReportControl::Disable() {
    // A buffered block keeps what it was building; an unbuffered one has nobody to tell.
    if (spec_.buffered) {
        owner_ = nullptr;
        if (open_) CloseEntry();
    } else {
        open_.reset();
        owner_ = nullptr;
    }
    catchingUp_ = false;
    openUntil_ = std::chrono::steady_clock::time_point::max();
    nextIntegrity_ = std::chrono::steady_clock::time_point::max();
}

std::int32_t ReportControl::TakeEntryId() {
    const std::optional<std::uint64_t> id = EntryIdOf(AttributeText("EntryID"));
    // Zero resumes from the oldest entry; any other id must be one the buffer holds.
    if (id && (*id == 0 || buffer_.Holds(*id))) {
        sentUpTo_ = *id;
        shownEntryId_ = EntryIdText(*id);
        return 0;
    }
    if (Mms::NamedVariable* entry = Attribute("EntryID")) entry->FromText(shownEntryId_);
    return ObjectValueInvalid;
}

void ReportControl::Release(DeviceConnection* association) {
    if (reservedBy_ == association) {
        reservedBy_ = nullptr;
        if (Mms::NamedVariable* resv = Attribute("Resv")) resv->FromText("False");
    }
    if (owner_ == association) {
        Disable();
        if (Mms::NamedVariable* enable = Attribute("RptEna")) enable->FromText("False");
    }
}

void ReportControl::ScheduleIntegrity() {
    const std::uint32_t period = AttributeNumber("IntgPd");
    if (owner_ == nullptr || period == 0 || !Flag("TrgOps", Integrity)) {
        nextIntegrity_ = std::chrono::steady_clock::time_point::max();
        return;
    }
    nextIntegrity_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(period);
    device_.WakeTimer();
}

std::chrono::steady_clock::time_point ReportControl::NextDue() const {
    return std::min(nextIntegrity_, open_ ? openUntil_ : std::chrono::steady_clock::time_point::max());
}

void ReportControl::RunDue(std::chrono::steady_clock::time_point now) {
    if (open_ && now >= openUntil_) CloseEntry();
    if (owner_ == nullptr || now < nextIntegrity_) return;
    ScheduleIntegrity();
    ReportAll(Integrity);
}

void ReportControl::ValueChanged(const Mms::Domain& domain, const std::string& item) {
    if (dataSet_ == nullptr || (owner_ == nullptr && !(spec_.buffered && buffering_))) return;
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
    if (any) Collect(reasons);
}

void ReportControl::ReportAll(Reason reason) {
    if (owner_ == nullptr || dataSet_ == nullptr) return;
    // What was building goes first, on its own.
    if (open_) CloseEntry();
    Collect(std::vector<int>(dataSet_->Members.size(), reason));
    if (open_) CloseEntry();
}

void ReportControl::Collect(const std::vector<int>& reasons) {
    const std::vector<const Mms::Variable*> members(dataSet_->Members.begin(), dataSet_->Members.end());
    // A member already in the entry closes it: one entry carries one value per member.
    if (open_ && open_->reasons.size() == reasons.size()) {
        for (std::size_t i = 0; i < reasons.size(); ++i) {
            if (reasons[i] != 0 && open_->Includes(i)) {
                CloseEntry();
                break;
            }
        }
    } else if (open_) {
        CloseEntry();
    }
    const std::uint32_t bufferTime = AttributeNumber("BufTm");
    if (!open_) {
        open_.emplace();
        open_->time = NowText();
        open_->reasons.assign(reasons.size(), 0);
        open_->values.resize(reasons.size());
        openUntil_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(bufferTime);
    }
    for (std::size_t i = 0; i < reasons.size() && i < members.size(); ++i) {
        if (reasons[i] == 0) continue;
        open_->reasons[i] = reasons[i];
        open_->values[i] = ValueSnapshot::Of(*members[i]);
    }
    if (bufferTime == 0) {
        CloseEntry();
    } else {
        device_.WakeTimer();
    }
}

void ReportControl::CloseEntry() {
    if (!open_) return;
    ReportEntry entry = std::move(*open_);
    open_.reset();
    openUntil_ = std::chrono::steady_clock::time_point::max();
    Dispatch(std::move(entry));
}

void ReportControl::Dispatch(ReportEntry entry) {
    if (!spec_.buffered) {
        if (owner_ != nullptr && dataSet_ != nullptr) Send(entry);
        return;
    }
    const int capacity = device_.ReportBufferingFaults().entries;
    if (buffer_.Add(std::move(entry), capacity > 0 ? static_cast<std::size_t>(capacity) : ReportBuffer::DefaultCapacity,
                    sentUpTo_)) {
        overflowed_ = true;
    }
    if (owner_ != nullptr && !catchingUp_) SendBuffered();
}

void ReportControl::SendBuffered() {
    if (owner_ == nullptr || dataSet_ == nullptr) return;
    for (const ReportEntry* entry : buffer_.After(sentUpTo_)) {
        Send(*entry);
        sentUpTo_ = entry->id;
    }
}

void ReportControl::SendBare(DeviceConnection& to, const std::string& rptId) {
    Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
    AppendValue(*results, Leaf("", Mms::MmsTypeVisibleString, -129), rptId);
    AppendValue(*results, Leaf("", Mms::MmsTypeBitString, 10), std::string(10, '0'));
    to.SendListReport("RPT", *results);
}

void ReportControl::Send(const ReportEntry& entry) {
    const std::string options = AttributeText("OptFlds");
    const auto option = [&options](int bit) {
        return bit < static_cast<int>(options.size()) && options[static_cast<std::size_t>(bit)] == '1';
    };
    const std::vector<int>& reasons = entry.reasons;
    Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
    std::string rptId = AttributeText("RptID");
    if (rptId.empty()) rptId = reference_;
    AppendValue(*results, Leaf("", Mms::MmsTypeVisibleString, -129), rptId);
    AppendValue(*results, Leaf("", Mms::MmsTypeBitString, 10), options);
    if (option(SequenceNumber)) AppendValue(*results, Leaf("", Mms::MmsTypeUnsigned, 32), std::to_string(sequence_));
    if (option(ReportTimeStamp)) AppendValue(*results, Leaf("", Mms::MmsTypeBinaryTime, 1), entry.time);
    if (option(DataSetName)) AppendValue(*results, Leaf("", Mms::MmsTypeVisibleString, -129), AttributeText("DatSet"));
    const std::string entryId = EntryIdText(entry.id);
    if (spec_.buffered) {
        if (option(BufferOverflow))
            AppendValue(*results, Leaf("", Mms::MmsTypeBoolean), overflowed_ ? "True" : "False");
        overflowed_ = false;
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
    const std::vector<const Mms::Variable*> members(dataSet_->Members.begin(), dataSet_->Members.end());
    if (option(DataReference)) {
        for (std::size_t index = 0; index < reasons.size(); ++index) {
            std::string name;
            if (reasons[index] != 0 && index < members.size() && members[index]->GetName(name) == System::OkNoError) {
                AppendValue(*results, Leaf("", Mms::MmsTypeVisibleString, -129), name);
            }
        }
    }
    for (std::size_t index = 0; index < reasons.size(); ++index) {
        if (reasons[index] != 0) entry.values[index].AppendTo(*results);
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
        shownEntryId_ = entryId;
        if (Mms::NamedVariable* shown = Attribute("EntryID")) shown->FromText(entryId);
        if (Mms::NamedVariable* time = Attribute("TimeOfEntry")) time->FromText(entry.time);
    }
}

}  // namespace TestDevice
