#include "mms/user/PlainNamedObjects.h"

#include <new>
#include <utility>

#include "mms/pdu/MmsPduServices.h"

namespace Mms {

PlainNamedObject::PlainNamedObject(MmsUserConnection* connection, std::string name, MmsObject* owner)
    : MmsObject(connection, owner), Name(std::move(name)) {}

namespace {

template <typename Class>
std::unique_ptr<MmsObject> Make(MmsUserConnection* connection, const std::string& name, MmsObject* owner) {
    return std::unique_ptr<MmsObject>(new (std::nothrow) Class(connection, name, owner));
}

}  // namespace

std::unique_ptr<MmsObject> NewPlainNamedObject(std::int32_t basicObjectClass, MmsUserConnection* connection,
                                               const std::string& name, MmsObject* owner) {
    switch (basicObjectClass) {
        case MmsClassScatteredAccess: return Make<ScatteredAccess>(connection, name, owner);
        case MmsClassNamedType: return Make<NamedType>(connection, name, owner);
        case MmsClassSemaphore: return Make<Semaphore>(connection, name, owner);
        case MmsClassEventCondition: return Make<EventCondition>(connection, name, owner);
        case MmsClassEventAction: return Make<EventAction>(connection, name, owner);
        case MmsClassEventEnrollment: return Make<EventEnrollment>(connection, name, owner);
        case MmsClassJournal: return Make<Journal>(connection, name, owner);
        case MmsClassProgramInvocation: return Make<ProgramInvocation>(connection, name, owner);
        case MmsClassOperatorStation: return Make<OperatorStation>(connection, name, owner);
        case MmsClassDataExchange: return Make<DataExchange>(connection, name, owner);
        case MmsClassAccessControlList: return Make<AccessControlList>(connection, name, owner);
        default: return nullptr;
    }
}

}  // namespace Mms
