#include "mms/values/ContainerFactory.h"

#include <new>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/Array.h"
#include "mms/values/BCD.h"
#include "mms/values/BinaryTime.h"
#include "mms/values/BitString.h"
#include "mms/values/Boolean.h"
#include "mms/values/FloatingPoint.h"
#include "mms/values/GeneralizedTime.h"
#include "mms/values/Integer.h"
#include "mms/values/MMSString.h"
#include "mms/values/ObjectId.h"
#include "mms/values/OctetString.h"
#include "mms/values/Structure.h"
#include "mms/values/UTCTime.h"
#include "mms/values/Unsigned.h"
#include "mms/values/VisibleString.h"

namespace Mms {

namespace {

std::unique_ptr<Container> CreateFromData(const MmsData& data) {
    switch (data.present) {
        case MmsDataArray: return std::make_unique<Array>(data);
        case MmsDataStructure: return std::make_unique<Structure>(data);
        case MmsDataBoolean: return std::make_unique<Boolean>(data);
        case MmsDataBitString: return std::make_unique<BitString>(data);
        case MmsDataInteger: return std::make_unique<Integer>(data);
        case MmsDataUnsigned: return std::make_unique<Unsigned>(data);
        case MmsDataFloatingPoint: return std::make_unique<FloatingPoint>(data);
        case MmsDataOctetString: return std::make_unique<OctetString>(data);
        case MmsDataVisibleString: return std::make_unique<VisibleString>(data);
        case MmsDataGeneralizedTime: return std::make_unique<GeneralizedTime>(data);
        case MmsDataBinaryTime: return std::make_unique<BinaryTime>(data);
        case MmsDataBcd: return std::make_unique<BCD>(data);
        case MmsDataObjId: return std::make_unique<ObjectId>(data);
        case MmsDataMmsString: return std::make_unique<MMSString>(data);
        case MmsDataUtcTime: return std::make_unique<UTCTime>(data);
        default: return nullptr;  // booleanArray has no container
    }
}

std::unique_ptr<Container> CreateFromType(const MmsTypeDescription& type, ContainerBudget& budget) {
    switch (type.present) {
        case MmsTypeArray: return std::make_unique<Array>(type, budget);
        case MmsTypeStructure: return std::make_unique<Structure>(type, budget);
        case MmsTypeBoolean: return std::make_unique<Boolean>(type);
        case MmsTypeBitString: return std::make_unique<BitString>(type);
        case MmsTypeInteger: return std::make_unique<Integer>(type);
        case MmsTypeUnsigned: return std::make_unique<Unsigned>(type);
        case MmsTypeFloatingPoint: return std::make_unique<FloatingPoint>(type);
        case MmsTypeOctetString: return std::make_unique<OctetString>(type);
        case MmsTypeVisibleString: return std::make_unique<VisibleString>(type);
        case MmsTypeGeneralizedTime: return std::make_unique<GeneralizedTime>(type);
        case MmsTypeBinaryTime: return std::make_unique<BinaryTime>(type);
        case MmsTypeBcd: return std::make_unique<BCD>(type);
        case MmsTypeObjId: return std::make_unique<ObjectId>(type);
        case MmsTypeMmsString: return std::make_unique<MMSString>(type);
        case MmsTypeUtcTime: return std::make_unique<UTCTime>(type);
        default: return nullptr;
    }
}

}  // namespace

System::ResultCode NewContainerFromData(const MmsData& data, std::unique_ptr<Container>& container) {
    container.reset();
    try {
        container = CreateFromData(data);
    } catch (const std::bad_alloc&) {
        return System::NoResources;
    }
    return container != nullptr ? System::OkNoError : System::InvalidArguments;
}

std::unique_ptr<Container> CreateContainerFromType(const MmsTypeDescription& type, ContainerBudget& budget,
                                                   System::ResultCode& result) {
    if (type.present < MmsTypeArray || type.present > MmsTypeUtcTime) {
        result = System::InvalidArguments;
        return nullptr;
    }
    if (!budget.Take()) {
        result = System::OutOfRange;
        return nullptr;
    }
    result = System::OkNoError;
    return CreateFromType(type, budget);
}

std::unique_ptr<Container> CreateContainerFromTypeSpec(const MmsTypeSpecification* spec, ContainerBudget& budget,
                                                       System::ResultCode& result) {
    if (spec != nullptr && spec->present == MmsTypeSpecificationTypeName) {
        result = System::NotSupported;
        return nullptr;
    }
    if (spec == nullptr || spec->present != MmsTypeSpecificationDescription) {
        result = System::InvalidArguments;
        return nullptr;
    }
    return CreateContainerFromType(spec->choice.typeDescription, budget, result);
}

System::ResultCode NewContainerFromType(const MmsTypeDescription& type, Container*& holder) {
    ContainerBudget budget;
    System::ResultCode result = System::OkNoError;
    std::unique_ptr<Container> created;
    try {
        created = CreateContainerFromType(type, budget, result);
    } catch (const std::bad_alloc&) {
        return System::NoResources;
    }
    if (created == nullptr) return result;

    Container* const fresh = created.get();
    Container* const previous = holder;
    if (previous != nullptr && previous->parent_ != nullptr) {
        // The old container's destruction makes its variable forget it, which may
        // empty the holder itself: the holder is set only afterwards.
        std::unique_ptr<Container> replaced = previous->parent_->ReplaceMember(*previous, created);
        replaced.reset();
        if (created == nullptr) {
            holder = fresh;
            return System::OkNoError;
        }
    }
    delete previous;
    holder = created.release();
    return System::OkNoError;
}

}  // namespace Mms
