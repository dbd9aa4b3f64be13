#pragma once

// The steps the program takes before a writer runs, and what a writer writes alone.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/TempFolder.h"
#include "iec61850/scl/XmlWriter.h"
#include "support/icdmodel/IcdTestServer.h"

namespace IcdTestModel {

// Offers the settings and gives the answers.
inline void Answer(IcdTestServer& server, const std::string& answers = "<Answers/>") {
    std::string list;
    ASSERT_EQ(server.BuildIcdSettingsXml(list), 0);
    ASSERT_EQ(server.ReadIcdAnswers(answers), 0) << server.IcdFailure();
}

// The whole file of an export with these answers.
inline std::string ExportedFile(IcdTestServer& server, const std::string& answers = "<Answers/>") {
    Answer(server, answers);
    TempFolder folder;
    const std::string path = folder.File("export.icd");
    EXPECT_EQ(server.WriteIcdFile(path), 0) << server.IcdFailure();
    return ReadWhole(path);
}

// What one writer writes, without layout.
inline std::string Written(const std::function<void(Iec61850::Acsi::Scl::XmlWriter&)>& write) {
    Iec61850::Acsi::Scl::XmlWriter writer(false);
    write(writer);
    std::string text;
    writer.GetXml(text);
    return text;
}

// The number of times the text holds the piece.
inline std::size_t CountOf(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

}  // namespace IcdTestModel
