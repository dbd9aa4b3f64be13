#pragma once

// What a configuration tool checks when it loads an ICD file and the SCL schema does not:
// every reference of the file resolves within it, the Services' counts equal what the file
// holds, and the communication addresses read as SCL reads them. Parsed with the
// project's own XML parser; shared by the export's tests and its fuzz target.

#include <string>
#include <string_view>
#include <vector>

namespace IcdTestModel {

// One line per fault, naming the element and what it names; empty when all is well:
// - lnType, DO/SDO type, DA/BDA type (Struct to a DAType, Enum to an EnumType) defined;
//   an LN's lnClass that of its LNodeType;
// - every DOI/SDI/DAI path a member of its node's type (LNodeType, DOType, DA/SDO, BDA),
//   SDI for what has members, DAI for what has none;
// - every FCDA names an LDevice, a logical node (prefix, lnClass, lnInst) in it, a data
//   object (doName through SDOs) of its type and, by daName, an attribute of that object
//   whose fc is the FCDA's; without daName the object has an attribute of that fc;
// - every datSet of a control block names a data set of its own node;
// - GSE and SMV name a GSEControl or SampledValueControl of the LN0 of their LDevice;
//   their APPID is four and VLAN-ID three upper-case hexadecimal digits;
// - ConfDataSet (max, maxAttributes), ConfReportControl, ConfLogControl, GOOSE and GSSE
//   count the file's DataSet, FCDA, ReportControl (with RptEnabled's max), LogControl and
//   GSEControl elements, and each is present exactly when the file holds such elements.
std::vector<std::string> IcdReferenceProblems(std::string_view file);

}  // namespace IcdTestModel
