#include "mms/pdu/AlternateAccess.h"

#include <cstddef>

#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"

namespace Mms {

namespace {

void ReadRange(const MmsIndexRange& range, AccessStep& step) {
    step.kind = AccessStep::Kind::IndexRange;
    step.index = range.lowIndex;
    step.count = range.numberOfElements;
}

System::ResultCode ReadSelection(const MmsAccessSelection& selection, AccessStep& step) {
    switch (selection.present) {
        case MmsAccessSelectionComponent: step = AccessStep::Named(MmsText(selection.choice.component)); break;
        case MmsAccessSelectionIndex: step.index = selection.choice.index; break;
        case MmsAccessSelectionIndexRange: ReadRange(selection.choice.indexRange, step); break;
        case MmsAccessSelectionAllElements: step.kind = AccessStep::Kind::AllElements; break;
        default: return System::InvalidArguments;
    }
    return System::OkNoError;
}

void WriteSelection(const AccessStep& step, MmsAccessSelection& selection, System::ResultCode& result) {
    switch (step.kind) {
        case AccessStep::Kind::Component:
            selection.present = MmsAccessSelectionComponent;
            result = MmsSetText(selection.choice.component, step.component);
            break;
        case AccessStep::Kind::Index:
            selection.present = MmsAccessSelectionIndex;
            selection.choice.index = step.index;
            break;
        case AccessStep::Kind::IndexRange:
            selection.present = MmsAccessSelectionIndexRange;
            selection.choice.indexRange = {step.index, step.count};
            break;
        case AccessStep::Kind::AllElements: selection.present = MmsAccessSelectionAllElements; break;
    }
}

System::ResultCode WriteFrom(const AccessPath& path, std::size_t at, MmsAlternateAccess& access) {
    auto* element = MmsAppendNew(access, MmsAlternateAccessElementType);
    if (element == nullptr) return System::NoResources;
    const AccessStep& step = path[at];
    System::ResultCode result = System::OkNoError;
    if (at + 1 < path.size()) {
        element->present = MmsAlternateAccessSelectAlternate;
        MmsSelectAlternateAccess& select = element->choice.selectAlternateAccess;
        WriteSelection(step, select.accessSelection, result);
        return result != System::OkNoError ? result : WriteFrom(path, at + 1, select.alternateAccess);
    }
    // selectAccess: the same four choices as accessSelection, one alternative further on.
    MmsAccessSelection last{};
    WriteSelection(step, last, result);
    element->present = last.present + 1;
    switch (step.kind) {
        case AccessStep::Kind::Component: MmsTakeOver(element->choice.component, last.choice.component); break;
        case AccessStep::Kind::Index: element->choice.index = last.choice.index; break;
        case AccessStep::Kind::IndexRange: element->choice.indexRange = last.choice.indexRange; break;
        case AccessStep::Kind::AllElements: break;
    }
    return result;
}

}  // namespace

System::ResultCode MmsReadAlternateAccess(const MmsAlternateAccess& access, AccessPath& path) {
    const MmsAlternateAccess* at = &access;
    while (true) {
        if (at->Count() == 0) return System::InvalidArguments;
        if (at->Count() != 1) return System::NotSupported;
        const MmsAlternateAccessElement& element = *(*at)[0];
        AccessStep step;
        switch (element.present) {
            case MmsAlternateAccessSelectAlternate: {
                const MmsSelectAlternateAccess& select = element.choice.selectAlternateAccess;
                if (const System::ResultCode result = ReadSelection(select.accessSelection, step);
                    result != System::OkNoError) {
                    return result;
                }
                path.push_back(std::move(step));
                at = &select.alternateAccess;
                continue;
            }
            case MmsAlternateAccessComponent: step = AccessStep::Named(MmsText(element.choice.component)); break;
            case MmsAlternateAccessIndex: step.index = element.choice.index; break;
            case MmsAlternateAccessIndexRange: ReadRange(element.choice.indexRange, step); break;
            case MmsAlternateAccessAllElements: step.kind = AccessStep::Kind::AllElements; break;
            case MmsAlternateAccessNamed: return System::NotSupported;
            default: return System::InvalidArguments;
        }
        path.push_back(std::move(step));
        return System::OkNoError;
    }
}

System::ResultCode MmsWriteAlternateAccess(const AccessPath& path, MmsAlternateAccess& access) {
    if (path.empty()) return System::InvalidArguments;
    return WriteFrom(path, 0, access);
}

System::ResultCode MmsNewAlternateAccess(const AccessPath& path, MmsAlternateAccess*& slot) {
    if (slot != nullptr) return System::InvalidArguments;
    auto* access = MmsNewValue<MmsAlternateAccess>(MmsAlternateAccessType);
    if (access == nullptr) return System::NoResources;
    if (const System::ResultCode result = MmsWriteAlternateAccess(path, *access); result != System::OkNoError) {
        Asn1::Asn1FreeValue(&MmsAlternateAccessType, access);
        return result;
    }
    slot = access;
    return System::OkNoError;
}

}  // namespace Mms
