#include "iec61850/acsi/client/Release.h"

#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "mms/pdu/MmsPdu.h"

namespace Iec61850::Acsi {

Release::Release(TPAppAssociation& association) : Service(association, AnswerFrom::Device) {}

Release::~Release() { GetAssociation().ReleaseOver(*this); }

void Release::execute() {
    Service::execute();
    const System::ResultCode result = GetAssociation().ConcludeFor(*this);
    // The conclude waits for every request out to be answered; one left unanswered for the
    // time-out keeps it from going, and the association ends with an abort instead.
    if (result == System::Timeout) GetAssociation().GiveUpConclude();
    Handed(result);
}

bool Release::RefusedByDevice() const {
    return GetResult() == System::Rejected &&
           (GetAnswerKind() == Mms::MmsPduConcludeError || GetAnswerKind() == Mms::MmsPduReject);
}

void Release::complete() {
    // An answered conclude has ended the association already, on the thread that took the
    // answer in (Mms::MmsUserConnection::OnConcludeResponse): only the confirmation is left.
    const bool concluded = GetResult() == System::OkNoError && GetAnswerKind() == Mms::MmsPduConcludeResponse;
    // Every release ends here, once, however it ended (answered, refused, withdrawn, refused
    // at its post, never sent, timed out, overtaken by an abort): its mark goes before the
    // client hears of it, so that what the client posts from the confirmation is taken.
    GetAssociation().ReleaseOver(*this);
    SetServiceError(concluded ? 0 : 11);
    Confirm([](ClientApplication& client, Service& service) { client.OnRelease(static_cast<Release*>(&service)); });
}

}  // namespace Iec61850::Acsi
