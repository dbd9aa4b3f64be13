#include "device/ReportBuffer.h"

#include <algorithm>
#include <utility>

#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Variable.h"

namespace TestDevice {

namespace {

// DataAccessError of a member whose value could not be taken.
constexpr std::int32_t ObjectValueInvalid = 11;

void FreeData(Mms::MmsData* data) {
    if (data != nullptr) Asn1::Asn1FreeValue(&Mms::MmsDataType, data);
}

}  // namespace

ValueSnapshot ValueSnapshot::Of(const Mms::Variable& variable) {
    ValueSnapshot snapshot;
    std::shared_ptr<Mms::MmsData> data(Mms::MmsNewValue<Mms::MmsData>(Mms::MmsDataType), FreeData);
    if (data != nullptr && variable.ValueToData(*data) == System::OkNoError) snapshot.data_ = std::move(data);
    return snapshot;
}

void ValueSnapshot::AppendTo(Mms::MmsAccessResultList& results) const {
    auto* result = Mms::MmsAppendNew(results, Mms::MmsAccessResultType);
    if (result == nullptr) return;
    if (data_ != nullptr &&
        Mms::MmsCopyValue(Mms::MmsDataType, data_.get(), &result->choice.success) == System::OkNoError) {
        result->present = Mms::MmsAccessResultSuccess;
        return;
    }
    result->present = Mms::MmsAccessResultFailure;
    result->choice.failure = ObjectValueInvalid;
}

bool ReportBuffer::Add(ReportEntry entry, std::size_t capacity, std::uint64_t sentUpTo) {
    entry.id = ++lastId_;
    entries_.push_back(std::move(entry));
    bool lost = false;
    while (entries_.size() > std::max<std::size_t>(capacity, 1)) {
        lost = lost || entries_.front().id > sentUpTo;
        entries_.pop_front();
    }
    return lost;
}

bool ReportBuffer::Holds(std::uint64_t id) const {
    for (const ReportEntry& entry : entries_) {
        if (entry.id == id) return true;
    }
    return false;
}

std::vector<const ReportEntry*> ReportBuffer::After(std::uint64_t id) const {
    std::vector<const ReportEntry*> after;
    for (const ReportEntry& entry : entries_) {
        if (entry.id > id) after.push_back(&entry);
    }
    return after;
}

}  // namespace TestDevice
