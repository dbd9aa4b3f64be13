#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/Service.h"
#include "mms/user/MmsUserConnection.h"

namespace Iec61850::Acsi {

class NamedObject;

// The names of the logical devices (class 4) through a vmd-scope name list; a file
// directory (class 6) is not supported (14), any other class is refused (2).
class GetServerDirectory : public Service {
public:
    GetServerDirectory(TPAppAssociation& association, std::int32_t objectClass, AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::int32_t objectClass;
    std::string continueAfter;
    Mms::NameCollection names;
};

// The names of a logical device's MMS variables through a domain-scope name list.
class GetLogicalDeviceDirectory : public Service {
public:
    GetLogicalDeviceDirectory(TPAppAssociation& association, std::string device, AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string device;
    std::string continueAfter;
    Mms::NameCollection names;
};

// A logical node's data, control blocks or whole type (classes 7, 10-13, 15-18, 22: the
// node's type through getVariableAccessAttributes, applied to the model) or its device's
// data sets (class 9: a domain-scope name list of named variable lists); any other
// class is refused (1).
class GetLogicalNodeDirectory : public Service {
public:
    GetLogicalNodeDirectory(TPAppAssociation& association, std::string node, std::int32_t objectClass,
                            AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string node;
    std::int32_t objectClass;
    std::string device;
    std::string continueAfter;
    Mms::NameCollection names;
};

// The type of one data object or of a node's functional constraint, through
// getVariableAccessAttributes, applied to the model. A constraint is needed ("XX" or none: 2).
class GetDataDirectory : public Service {
public:
    GetDataDirectory(TPAppAssociation& association, std::string reference, std::string fc, AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string reference;
    std::string fc;
    NamedObject* found = nullptr;
    // Filled by the server's ListDataComponents.
    std::list<std::string> names;
};

// The definition of the objects a reference names, answered from the model only (from the
// device: 14).
class GetDataDefinition : public Service {
public:
    GetDataDefinition(TPAppAssociation& association, std::string reference, AnswerFrom answerFrom);
    void execute() override;
    void complete() override;

    std::string reference;
    std::vector<DataDefinitionRecord> definition;
};

}  // namespace Iec61850::Acsi
