#pragma once

#include <memory>
#include <string_view>

#include "system/ResultCode.h"

namespace Mms {
class MmsUserConnection;
}

namespace Iec61850::Acsi {

class DataSet;
class ModelLookup;

// What an association offers its own data sets ("@name"): the server whose model their
// members belong to, the MMS service user that holds their named variable lists, and the
// map that owns them. The association implements it.
class DataSetAssociation {
public:
    virtual ~DataSetAssociation() = default;

    virtual ModelLookup* GetServer() const = 0;
    virtual Mms::MmsUserConnection* GetMmsUser() const = 0;
    // AlreadyExist (the set deleted) for a name taken.
    virtual System::ResultCode AdoptDataSet(std::unique_ptr<DataSet> dataSet) = 0;
    virtual DataSet* FindDataSet(std::string_view name) const = 0;
    virtual std::unique_ptr<DataSet> ReleaseDataSet(std::string_view name) = 0;
};

}  // namespace Iec61850::Acsi
