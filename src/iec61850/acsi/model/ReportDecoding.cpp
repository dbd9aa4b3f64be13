// How a report control block recognises its reports and decodes them, field by field,
// into the model.

#include <algorithm>
#include <string>
#include <utility>

#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/user/InformationReport.h"
#include "mms/user/Variable.h"
#include "mms/values/Array.h"
#include "mms/values/Container.h"
#include "mms/values/Object.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {

using System::ResultCode;

namespace {

// Whether the value and every part of it were taken from the report: a container keeps
// a value it refused (a binary time of the wrong length, say) in its first state, which
// must never pass for a reported value.
bool IsWhole(const Mms::Container& value) {
    if (value.GetState() != Mms::StateValid) return false;
    if (const auto* structure = dynamic_cast<const Mms::Structure*>(&value)) {
        for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) {
            const Mms::Container* component = structure->GetComponent(i);
            if (component == nullptr || !IsWhole(*component)) return false;
        }
    }
    if (const auto* array = dynamic_cast<const Mms::Array*>(&value)) {
        for (std::size_t i = 0; i < array->GetElementCount(); ++i) {
            const Mms::Container* element = array->GetElement(i);
            if (element == nullptr || !IsWhole(*element)) return false;
        }
    }
    return true;
}

// A whole value of one of the classes.
bool IsOfClass(const Mms::Container* value, std::initializer_list<std::uint32_t> classes) {
    return value != nullptr && std::find(classes.begin(), classes.end(), value->GetClassId()) != classes.end() &&
           IsWhole(*value);
}

bool IsText(const Mms::Container* value) {
    return IsOfClass(value, {Mms::VisibleStringClassId, Mms::MmsStringClassId});
}

// The value at the cursor's next position (null at the end), the cursor moved onto it.
Mms::Container* NextValue(ReportCursor& cursor) {
    if (cursor.position + 1 >= cursor.values.size()) return nullptr;
    ++cursor.position;
    return cursor.values[cursor.position];
}

ResultCode TextOf(Mms::Container& value, std::string& text) {
    text.clear();
    return value.ToText(text);
}

// "LD0/MMXU1$MX$TotW" gives "MX" and "LD0/MMXU1.TotW".
void SplitDataReference(const std::string& name, std::string& fc, std::string& reference) {
    const std::size_t first = name.find('$');
    const std::string head = name.substr(0, first);
    const std::string tail = first == std::string::npos ? std::string() : name.substr(first + 1);
    const std::size_t second = tail.find('$');
    fc = tail.substr(0, second);
    const std::string rest = second == std::string::npos ? std::string() : tail.substr(second + 1);
    reference = head + "$" + rest;
    std::replace(reference.begin(), reference.end(), '$', '.');
}

// A data-set reference with "$" for every ".", as a report names it.
std::string AsReported(std::string name) {
    std::replace(name.begin(), name.end(), '.', '$');
    return name;
}

}  // namespace

ResultCode FindReportDataSetName(const Mms::InformationReport& report, std::string& name, bool& carried) {
    name.clear();
    carried = false;
    if (report.Values.size() < 2 || !IsOfClass(report.Values[1], {Mms::BitStringClassId})) {
        return System::InvalidArguments;
    }
    Mms::Container& options = *report.Values[1];
    bool sequence = false;
    bool time = false;
    for (const auto& [option, set] :
         {std::pair{OptionSequenceNumber, &sequence}, std::pair{OptionReportTimeStamp, &time},
          std::pair{OptionDataSetName, &carried}}) {
        if (const ResultCode result = options.GetBit(option, *set); result != System::OkNoError) {
            carried = false;
            return result;
        }
    }
    if (!carried) return System::OkNoError;
    // RptID, OptFlds, then SqNum and TimeOfEntry when asked for, then the name.
    const std::size_t at = 2 + (sequence ? 1 : 0) + (time ? 1 : 0);
    if (at >= report.Values.size() || !IsText(report.Values[at])) return System::InvalidArguments;
    return TextOf(*report.Values[at], name);
}

// ---- matching ----

ResultCode RCB::MatchReport(const Mms::InformationReport& report) {
    if (RptID == nullptr) return System::InvalidState;
    if (report.Values.size() < 3 || !IsText(report.Values[0])) return System::InvalidArguments;
    std::string own;
    if (const ResultCode result = TextOf(*RptID, own); result != System::OkNoError) return result;
    std::string received;
    if (const ResultCode result = TextOf(*report.Values[0], received); result != System::OkNoError) return result;
    if (!own.empty()) return own == received ? System::OkNoError : System::InvalidArguments;
    if (received == GetReference()) return System::OkNoError;
    const std::string parent = GetParent() != nullptr ? GetParent()->GetReference() : std::string();
    std::string dotted = parent + "." + GetFcName() + "." + GetName();
    if (received == dotted) return System::OkNoError;
    std::replace(dotted.begin(), dotted.end(), '.', '$');
    return received == dotted ? System::OkNoError : System::InvalidArguments;
}

bool RCB::IsOwnDataSetName(const std::string& name) const {
    std::string own;
    if (Mms::Container* datSet = GetDatSetValue()) {
        if (TextOf(*datSet, own) != System::OkNoError) return false;
    } else if (GetDataSet() != nullptr) {
        own = GetDataSet()->GetReference();
    } else {
        return false;
    }
    return AsReported(own) == AsReported(name);
}

// ---- the whole report ----

ResultCode RCB::decodeReport(const Mms::ModelHold& hold, std::vector<ReportHeaderRecord>& records,
                             std::vector<ReportEntry>& entries, Mms::InformationReport& report) {
    if (GetDataSet() == nullptr || OptFlds == nullptr || RptID == nullptr) return System::InvalidState;
    if (report.Values.size() < 3) return System::InvalidArguments;
    // Another data set's report must not touch this block at all.
    std::string named;
    bool carried = false;
    if (const ResultCode result = FindReportDataSetName(report, named, carried); result != System::OkNoError) {
        return result;
    }
    if (carried && !IsOwnDataSetName(named)) return System::InvalidContext;
    ReportCursor cursor{report.Values, 1, hold};
    Mms::Container* options = report.Values[1];
    if (!IsOfClass(options, {Mms::BitStringClassId})) return System::InvalidArguments;
    if (!OptFlds->Equals(*options)) {
        if (const ResultCode taken = OptFlds->Assign(*options); taken != System::OkNoError) return taken;
    }
    std::string text;
    if (const ResultCode result = TextOf(*RptID, text); result != System::OkNoError) return result;
    records.emplace_back("RptID", text);
    if (const ResultCode result = TextOf(*OptFlds, text); result != System::OkNoError) return result;
    records.emplace_back("OptFlds", text);

    using Decoder = ResultCode (RCB::*)(std::vector<ReportHeaderRecord>&, ReportCursor&);
    static constexpr Decoder decoders[] = {&RCB::decodeSqNum,       &RCB::decodeTimeOfEntry, &RCB::decodeDatSet,
                                           &RCB::decodeBufOvfl,     &RCB::decodeEntryId,     &RCB::decodeConfRev,
                                           &RCB::decodeSegmentation};
    for (const Decoder decoder : decoders) {
        if (const ResultCode result = (this->*decoder)(records, cursor); result != System::OkNoError) return result;
    }
    return decodeEntries(entries, cursor);
}

// ---- header fields ----

ResultCode RCB::TestOption(ReportOption option, bool& set) const {
    set = false;
    if (OptFlds == nullptr) return System::InvalidState;
    return OptFlds->GetBit(option, set);
}

ResultCode RCB::nextValueText(std::string& text, ReportCursor& cursor) {
    Mms::Container* value = NextValue(cursor);
    if (value == nullptr) return System::InvalidArguments;
    return TextOf(*value, text);
}

ResultCode RCB::DecodeField(ReportOption option, const char* name, std::initializer_list<std::uint32_t> classes,
                            Mms::Container* target, std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    bool set = false;
    if (const ResultCode result = TestOption(option, set); result != System::OkNoError || !set) return result;
    Mms::Container* value = NextValue(cursor);
    if (value == nullptr || !IsOfClass(value, classes)) return System::InvalidArguments;
    if (target != nullptr) {
        if (const ResultCode taken = target->Assign(*value); taken != System::OkNoError) return taken;
    }
    std::string text;
    if (const ResultCode result = TextOf(*value, text); result != System::OkNoError) return result;
    records.emplace_back(name, text);
    return System::OkNoError;
}

ResultCode RCB::decodeSqNum(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    return DecodeField(OptionSequenceNumber, "SqNum", {Mms::UnsignedClassId, Mms::IntegerClassId}, SqNum, records,
                       cursor);
}

ResultCode RCB::decodeTimeOfEntry(std::vector<ReportHeaderRecord>&, ReportCursor&) { return System::NotSupported; }

ResultCode BRCB::decodeTimeOfEntry(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    return DecodeField(OptionReportTimeStamp, "TimeOfEntry", {Mms::BinaryTimeClassId}, TimeOfEntry, records, cursor);
}

ResultCode URCB::decodeTimeOfEntry(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    return DecodeField(OptionReportTimeStamp, "TimeOfEntry", {Mms::BinaryTimeClassId}, nullptr, records, cursor);
}

ResultCode RCB::decodeDatSet(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    bool set = false;
    if (const ResultCode result = TestOption(OptionDataSetName, set); result != System::OkNoError || !set) {
        return result;
    }
    Mms::Container* value = NextValue(cursor);
    if (!IsText(value)) return System::InvalidArguments;
    std::string named;
    if (const ResultCode result = TextOf(*value, named); result != System::OkNoError) return result;
    // The block keeps its data set: the device's DatSet changes only by a write, and a
    // report of another set is not this block's.
    if (!IsOwnDataSetName(named)) return System::InvalidContext;
    records.emplace_back("DatSet", named);
    return System::OkNoError;
}

ResultCode RCB::decodeBufOvfl(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    return DecodeField(OptionBufferOverflow, "BufOvfl", {Mms::BooleanClassId}, nullptr, records, cursor);
}

ResultCode URCB::decodeBufOvfl(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    const std::size_t next = cursor.position + 1;
    if (next >= cursor.values.size() || !IsOfClass(cursor.values[next], {Mms::BooleanClassId})) {
        return System::OkNoError;
    }
    return RCB::decodeBufOvfl(records, cursor);
}

ResultCode RCB::decodeEntryId(std::vector<ReportHeaderRecord>&, ReportCursor&) { return System::OkNoError; }

ResultCode BRCB::decodeEntryId(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    return DecodeField(OptionEntryId, "EntryID", {Mms::OctetStringClassId}, EntryID, records, cursor);
}

ResultCode RCB::decodeConfRev(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    return DecodeField(OptionConfRevision, "ConfRev", {Mms::UnsignedClassId, Mms::IntegerClassId}, ConfRev, records,
                       cursor);
}

ResultCode RCB::decodeSegmentation(std::vector<ReportHeaderRecord>& records, ReportCursor& cursor) {
    bool set = false;
    if (const ResultCode result = TestOption(OptionSegmentation, set); result != System::OkNoError || !set) {
        return result;
    }
    Mms::Container* number = NextValue(cursor);
    if (!IsOfClass(number, {Mms::UnsignedClassId, Mms::IntegerClassId})) return System::InvalidArguments;
    std::string text;
    if (const ResultCode result = TextOf(*number, text); result != System::OkNoError) return result;
    records.emplace_back("SubSqNum", text);
    Mms::Container* more = NextValue(cursor);
    if (!IsOfClass(more, {Mms::BooleanClassId})) return System::InvalidArguments;
    if (const ResultCode result = TextOf(*more, text); result != System::OkNoError) return result;
    records.emplace_back("MoreSegmentsFollow", text);
    return System::OkNoError;
}

// ---- the included members ----

ResultCode RCB::decodeEntries(std::vector<ReportEntry>& entries, ReportCursor& cursor) {
    Mms::Container* inclusionValue = NextValue(cursor);
    if (!IsOfClass(inclusionValue, {Mms::BitStringClassId})) return System::InvalidArguments;
    std::string inclusion;
    if (const ResultCode result = TextOf(*inclusionValue, inclusion); result != System::OkNoError) return result;
    DataSet* dataSet = GetDataSet();
    if (dataSet == nullptr) return System::OkNoError;
    const std::vector<NamedObject*>& members = dataSet->GetMembers();
    // One bit per member: a string of another length was made for another data set.
    if (inclusion.size() != members.size()) return System::InvalidState;
    const std::size_t included = static_cast<std::size_t>(std::count(inclusion.begin(), inclusion.end(), '1'));
    bool references = false;
    bool reasons = false;
    if (const ResultCode result = TestOption(OptionDataReference, references); result != System::OkNoError) {
        return result;
    }
    if (const ResultCode result = TestOption(OptionReasonForInclusion, reasons); result != System::OkNoError) {
        return result;
    }
    // Data references, then values, then reasons, n of each: all of them must be there.
    const std::size_t first = cursor.position + 1;
    const std::size_t needed = included * (1 + (references ? 1 : 0) + (reasons ? 1 : 0));
    if (cursor.values.size() < first || cursor.values.size() - first < needed) return System::InvalidArguments;
    std::size_t referenceAt = first;
    std::size_t valueAt = first + (references ? included : 0);
    std::size_t reasonAt = valueAt + included;
    cursor.position = reasonAt - 1;

    for (std::size_t i = 0; i < inclusion.size(); ++i) {
        if (inclusion[i] != '1') continue;
        ReportEntry entry;
        if (references) {
            Mms::Container* name = cursor.values[referenceAt++];
            if (!IsText(name)) return System::InvalidArguments;
            std::string text;
            if (const ResultCode result = TextOf(*name, text); result != System::OkNoError) return result;
            SplitDataReference(text, entry.fc, entry.reference);
        }
        NamedObject* member = members[i];
        auto* variable = member != nullptr ? dynamic_cast<Mms::Variable*>(member->GetMmsObject(cursor.hold)) : nullptr;
        if (variable == nullptr || variable->GetValue() == nullptr) return System::InvalidState;
        Mms::Container* value = cursor.values[valueAt++];
        if (value == nullptr || !IsWhole(*value)) return System::InvalidArguments;
        if (const ResultCode taken = variable->Assign(*value); taken != System::OkNoError) return taken;
        if (auto* item = dynamic_cast<DataItem*>(member)) {
            if (const ResultCode listed = item->CollectValues(entry.values); listed != System::OkNoError) {
                return listed;
            }
        }
        if (reasons) {
            Mms::Container* reason = cursor.values[reasonAt++];
            if (!IsOfClass(reason, {Mms::BitStringClassId})) return System::InvalidArguments;
            if (const ResultCode result = TextOf(*reason, entry.reason); result != System::OkNoError) return result;
        }
        entries.push_back(std::move(entry));
    }
    cursor.position = reasonAt - 1;
    return System::OkNoError;
}

}  // namespace Iec61850::Acsi
