#pragma once

// Checks of an ICD file by tools no one here wrote (xmllint and the SCL schema), and of
// the references between its templates, which the schema does not check.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "iec61850/icd/TempFolder.h"
#include "iec61850/scl/XmlParser.h"
#include "support/SclSchema.h"
#include "support/ShellCommand.h"
#include "support/ToolCheck.h"
#include "support/icdmodel/IcdReferenceCheck.h"

namespace IcdTestModel {

// The file checked with xmllint against the SCL schema: each message fails the test. Where
// no schema is at hand (SclSchema.h) the file is only checked for being well-formed and the
// step is reported skipped, the rest of the test going on; under CI that fails instead.
inline void ExpectSchemaAccepts(const std::string& path) {
    if (!TestSupport::XmllintCheckRuns()) return;
    const std::string schema = TestSupport::SclSchemaPath();
    const std::string file = TestSupport::ShellQuote(path);
    std::string output;
    if (!TestSupport::CheckCanRun(!schema.empty(),
                                  "schema check of " + path + " skipped: " + TestSupport::SclSchemaMissing())) {
        ASSERT_NE(TestSupport::RunCommand("xmllint --noout " + file + " 2>&1", output), -1) << "xmllint";
        EXPECT_EQ(output, "") << path << " is not well-formed";
        return;
    }
    ASSERT_NE(TestSupport::RunCommand(
                  "xmllint --noout --schema " + TestSupport::ShellQuote(schema) + " " + file + " 2>&1", output),
              -1)
        << "xmllint";
    while (!output.empty() && output.back() == '\n') output.pop_back();
    EXPECT_EQ(output, path + " validates");
}

inline void CollectElements(const Iec61850::Acsi::Scl::XmlNode& node, const std::string& name,
                            std::vector<const Iec61850::Acsi::Scl::XmlNode*>& found) {
    for (const auto* child = node.GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        if (child->GetName() == name) found.push_back(child);
        CollectElements(*child, name, found);
    }
}

inline std::vector<const Iec61850::Acsi::Scl::XmlNode*> Elements(const Iec61850::Acsi::Scl::XmlNode& root,
                                                                 const std::string& name) {
    std::vector<const Iec61850::Acsi::Scl::XmlNode*> found;
    CollectElements(root, name, found);
    return found;
}

inline std::string AttributeOf(const Iec61850::Acsi::Scl::XmlNode& node, const std::string& name) {
    const auto* attribute = node.FindAttribute(name);
    return attribute != nullptr ? attribute->value : std::string();
}

// What is wrong with the file's references: those a configuration tool checks on loading
// (IcdReferenceProblems), and a DOType or DAType no one refers to. Empty when all is well.
inline std::vector<std::string> ReferenceProblems(const std::string& file) {
    std::vector<std::string> problems;
    const auto root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(file);
    if (root == nullptr) return {"the file does not parse"};
    std::map<std::string, std::set<std::string>> declared;  // element name -> ids
    for (const char* kind : {"LNodeType", "DOType", "DAType", "EnumType"}) {
        for (const auto* node : Elements(*root, kind)) declared[kind].insert(AttributeOf(*node, "id"));
    }
    std::set<std::string> referred;
    for (const char* kind : {"DO", "SDO"}) {
        for (const auto* node : Elements(*root, kind)) {
            const std::string type = AttributeOf(*node, "type");
            referred.insert(type);
            if (!declared["DOType"].contains(type)) problems.push_back(std::string(kind) + " type " + type);
        }
    }
    for (const char* kind : {"DA", "BDA"}) {
        for (const auto* node : Elements(*root, kind)) {
            const std::string type = AttributeOf(*node, "type");
            if (type.empty()) continue;
            referred.insert(type);
            const bool known = AttributeOf(*node, "bType") == "Struct" ? declared["DAType"].contains(type)
                                                                       : declared["EnumType"].contains(type);
            if (!known) problems.push_back(std::string(kind) + " type " + type);
        }
    }
    // A data object type without members types nothing: its attributes were lost.
    for (const auto* node : Elements(*root, "DOType")) {
        if (Elements(*node, "DA").empty() && Elements(*node, "SDO").empty()) {
            problems.push_back("DOType " + AttributeOf(*node, "id") + " has no DA");
        }
    }
    for (const char* kind : {"DOType", "DAType"}) {
        for (const std::string& id : declared[kind]) {
            if (!referred.contains(id)) problems.push_back(std::string(kind) + " " + id + " unreferenced");
        }
    }
    for (std::string& problem : IcdReferenceProblems(file)) problems.push_back(std::move(problem));
    return problems;
}

}  // namespace IcdTestModel
