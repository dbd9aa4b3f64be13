#include "app/program/IcdDeviceFacts.h"

#include "app/client/QXClient.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "mms/machine/MmsConnection.h"

namespace App {

bool TakeIcdDeviceFacts(const QXClient& client, const Iec61850::Acsi::Server& server, IcdDeviceFacts& facts) {
    facts = {};
    Iec61850::Acsi::TPAppAssociation* association = client.GetAssociation();
    Mms::MmsConnection* mms = association != nullptr ? association->GetMmsConnection() : nullptr;
    if (mms == nullptr || !client.IsAssociated()) return false;
    for (std::int32_t service = 1; service <= Mms::MmsServiceCount; ++service)
        facts.services[static_cast<std::size_t>(service)] = mms->IsServiceSupported(service);
    const Mms::MmsIdentity identity = server.GetIdentity();
    facts.vendorName = identity.vendorName;
    facts.modelName = identity.modelName;
    // An end that came while they were taken may have cleared what was read.
    return client.IsAssociated();
}

bool IcdFactsSource::IsServiceSupported(std::int32_t service) const {
    return service >= 1 && service <= Mms::MmsServiceCount && facts_.services[static_cast<std::size_t>(service)];
}

}  // namespace App
