#include "mms/user/SelectedPart.h"

#include <cstring>

#include "mms/pdu/MmsPduData.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/IndexedItem.h"
#include "mms/values/Array.h"
#include "mms/values/Container.h"

namespace Mms {

namespace {

struct Span {
    std::size_t first = 0;
    std::size_t count = 0;
};

// The elements a range step covers; false when the value is no array or the range
// reaches past its end.
bool RangeOf(const Container& value, const AccessStep& step, Span& span) {
    if (value.GetClassId() != ArrayClassId) return false;
    const std::size_t elements = static_cast<const Array&>(value).GetElementCount();
    if (step.kind == AccessStep::Kind::AllElements) {
        span = {0, elements};
        return true;
    }
    span = {step.index, step.count};
    return step.count > 0 && span.first < elements && span.count <= elements - span.first;
}

bool IsRange(const AccessStep& step) {
    return step.kind == AccessStep::Kind::IndexRange || step.kind == AccessStep::Kind::AllElements;
}

System::ResultCode Failed(std::int32_t code, std::int32_t& accessError) {
    accessError = code;
    return System::Error;
}

System::ResultCode ToDataFrom(Container& value, const AccessPath& path, std::size_t at, MmsData& data,
                              std::int32_t& accessError) {
    if (at == path.size()) {
        const System::ResultCode converted = value.ToData(data);
        if (converted == System::NoResources) return converted;
        return converted == System::OkNoError ? converted : Failed(MmsObjectValueInvalid, accessError);
    }
    const AccessStep& step = path[at];
    if (!IsRange(step)) {
        Container* part = PartBelow(value, step);
        return part != nullptr ? ToDataFrom(*part, path, at + 1, data, accessError)
                               : Failed(MmsObjectNonExistent, accessError);
    }
    Span span;
    if (!RangeOf(value, step, span)) return Failed(MmsObjectNonExistent, accessError);
    const auto& elements = static_cast<const Array&>(value);
    data.present = MmsDataArray;
    for (std::size_t i = 0; i < span.count; ++i) {
        MmsData* element = MmsAppendNew(data.choice.array, MmsDataType);
        if (element == nullptr) return System::NoResources;
        if (const System::ResultCode result =
                ToDataFrom(*elements.GetElement(span.first + i), path, at + 1, *element, accessError);
            result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

System::ResultCode FromDataAt(Container& value, const AccessPath& path, std::size_t at, const MmsData& data,
                              std::int32_t& accessError) {
    if (at == path.size()) {
        return value.FromData(data) == System::OkNoError ? System::OkNoError
                                                         : Failed(MmsObjectAccessDenied, accessError);
    }
    const AccessStep& step = path[at];
    if (!IsRange(step)) {
        Container* part = PartBelow(value, step);
        return part != nullptr ? FromDataAt(*part, path, at + 1, data, accessError)
                               : Failed(MmsObjectNonExistent, accessError);
    }
    Span span;
    if (!RangeOf(value, step, span)) return Failed(MmsObjectNonExistent, accessError);
    if (data.present != MmsDataArray || static_cast<std::size_t>(data.choice.array.Count()) != span.count) {
        return Failed(MmsObjectAccessDenied, accessError);
    }
    const auto& elements = static_cast<const Array&>(value);
    for (std::size_t i = 0; i < span.count; ++i) {
        if (const System::ResultCode result = FromDataAt(*elements.GetElement(span.first + i), path, at + 1,
                                                         *data.choice.array[static_cast<std::int32_t>(i)], accessError);
            result != System::OkNoError) {
            return result;
        }
    }
    return System::OkNoError;
}

}  // namespace

System::ResultCode SelectedPartToData(Container& value, const AccessPath& path, MmsData& data,
                                      std::int32_t& accessError) {
    const System::ResultCode result = ToDataFrom(value, path, 0, data, accessError);
    if (result != System::OkNoError) {
        MmsDataType.free(&MmsDataType, &data, 1);
        std::memset(static_cast<void*>(&data), 0, sizeof(data));
    }
    return result;
}

System::ResultCode SelectedPartFromData(Container& value, const AccessPath& path, const MmsData& data,
                                        std::int32_t& accessError) {
    return FromDataAt(value, path, 0, data, accessError);
}

}  // namespace Mms
