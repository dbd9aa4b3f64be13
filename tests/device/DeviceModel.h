#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/DataTree.h"

namespace Mms {
class NamedVariable;
class VMD;
}  // namespace Mms

namespace TestDevice {

// The control models of IEC 61850-7-2, as the ctlModel attribute holds them.
enum class ControlModel : int {
    StatusOnly = 0,
    DirectNormal = 1,
    SboNormal = 2,
    DirectEnhanced = 3,
    SboEnhanced = 4,
};

// How the model is shaped and how large it is.
struct ModelOptions {
    bool large = false;
    // The large model: logical devices, and logical nodes in all (LLN0 included).
    int logicalDevices = 10;
    int logicalNodes = 500;
    // Functional constraints in another order than IEC 61850-8-1 gives, since a client
    // must not depend on it.
    bool otherFcOrder = false;
    // The small model's bay1 with a data set of attributes (GGIO1 Ind1's stVal and q), as
    // some devices list their members, and an unbuffered block "urcbAttr01" on it.
    bool attributeDataSet = false;
    // The small model: protection nodes PTOC1 and PDIF1 of LD0 that keep their settings per
    // setting group, under SG and SE (StrVal's edit buffer differs), LLN0's SGCB with four
    // groups, the second active, and a data set "LLN0$dsSettings" of LD0 naming some of
    // them. SE is read only while EditSG names a group (SettingGroups.h).
    bool settingGroups = false;
    // More than zero: a node whose CF holds this many components (HugeFcNode.h).
    int hugeFcComponents = 0;
    // The small model: one more data set of LD0, "LLN0$dsx", of these members: the
    // domain's variables, or "name(i)" for element i of the array variable "name" and
    // "name(i)$..." for a part of it, listed on the wire as the array with an alternate
    // access (past the array's end such a member names nothing the device holds).
    std::vector<std::string> extraDataSet;
    // The small model: LD0 with the harmonics node MHAI1 (HarmonicsNode.h), a data set
    // "LLN0$dsHar" of parts of its array's elements and an unbuffered block "urcbHar01" on it.
    bool harmonics = false;
    // The Identify answer.
    std::string vendor = "Test Works";
    std::string modelName = "IEC 61850 test device";
    std::string revision = "1.0";
};

// A controllable data object: "LD0", "CSWI1", "Pos".
struct ControlSpec {
    std::string domain;
    std::string node;
    std::string dataObject;
    ControlModel model = ControlModel::StatusOnly;
};

// A report control block: "LD0", "LLN0", "BR", "brcb01".
struct ReportSpec {
    std::string domain;
    std::string node;
    std::string fc;
    std::string name;
    bool buffered = false;
};

// What the device needs of the model it built.
struct ModelSummary {
    std::vector<ControlSpec> controls;
    std::vector<ReportSpec> reports;
    std::size_t leaves = 0;
    std::size_t logicalNodes = 0;
    // The variables of the data-set members that name parts of arrays, which no domain files.
    std::vector<std::shared_ptr<Mms::NamedVariable>> elementMembers;
};

// The functional constraints of a logical node in the order IEC 61850-8-1 gives.
const std::vector<std::string>& StandardFcOrder();

// Fills the VMD (which must be empty) with the small or the large model.
ModelSummary BuildModel(Mms::VMD& vmd, const ModelOptions& options);

// The vmd-specific structure that refused controls report: CntrlObj, Error, origin
// {orCat, orIdent}, ctlNum, AddCause.
DataNode LastApplErrorType();

}  // namespace TestDevice
