#pragma once

#include <string>
#include <vector>

#include "iec61850/acsi/model/ValueRecord.h"
#include "system/ResultCode.h"

namespace Iec61850::Acsi {

class DataSet;
class DataSetAssociation;
class NamedObject;

// A data set defined on a logical node: a named variable list "node$name" in the node's
// domain, the members the records name (none: no records), entered in the node.
// InvalidArguments for an object that is no logical node, InvalidState for a node whose
// device has no domain, AlreadyExist for a name taken; a failure leaves nothing behind.
// The caller does not hold the model lock (the member lookups take it).
System::ResultCode CreateNodeDataSet(NamedObject& node, const std::string& name,
                                     const std::vector<ValueRecord>* members, DataSet*& created);

// A data set of the association: an association-specific named variable list of that
// name, filed with the association's MMS user, and the members the records name; entered
// in the association's map. A failure leaves nothing behind, in the association or its
// MMS user (the list's filing refused: that result).
System::ResultCode CreateAssociationDataSet(DataSetAssociation& association, const std::string& name,
                                            const std::vector<ValueRecord>& members, DataSet*& created);

// Takes the data set out of its node or device and deletes it; every control block that
// named it forgets it. Its named variable list is left to the MMS objects that own it.
// InvalidContext for a data set that nothing holds under its name. The caller holds the
// model lock (whoever walks the model could meet the set as it goes).
System::ResultCode RemoveDataSet(DataSet& dataSet);

}  // namespace Iec61850::Acsi
