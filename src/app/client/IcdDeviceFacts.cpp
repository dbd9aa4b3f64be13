#include "app/client/IcdDeviceFacts.h"

#include <algorithm>
#include <utility>

#include "app/client/QXClient.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/IcdExport.h"
#include "mms/machine/MmsConnection.h"

namespace App {

bool IcdDeviceFacts::Supports(std::int32_t service) const {
    return std::binary_search(services.begin(), services.end(), service);
}

bool TakeIcdDeviceFacts(const QXClient& client, const Iec61850::Acsi::Server& server, IcdDeviceFacts& facts) {
    facts = {};
    Iec61850::Acsi::TPAppAssociation* association = client.GetAssociation();
    Mms::MmsConnection* mms = association != nullptr ? association->GetMmsConnection() : nullptr;
    if (mms == nullptr || !client.IsAssociated()) return false;
    for (std::int32_t service = 1; service <= Mms::MmsServiceCount; ++service) {
        if (mms->IsServiceSupported(service)) facts.services.push_back(service);
    }
    Iec61850::Acsi::IcdIdentity identity = Iec61850::Acsi::IcdIdentityOf(server);
    facts.vendorName = std::move(identity.manufacturer);
    facts.modelName = std::move(identity.type);
    // An end that came while they were taken may have cleared what was read.
    return client.IsAssociated();
}

}  // namespace App
