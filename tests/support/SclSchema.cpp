#include "support/SclSchema.h"

#include <cstdlib>
#include <fstream>

namespace TestSupport {
namespace {

// Readable here and now, not only present: a file its reader may not open counts as missing.
bool Readable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file.good() && file.peek() != std::ifstream::traits_type::eof();
}

std::string Candidate(const std::string& folder) { return folder + "/" + SclSchemaFile; }

}  // namespace

std::string SclSchemaPath() {
    if (const char* folder = std::getenv(SclSchemaDirVariable); folder != nullptr && *folder != '\0') {
        const std::string path = Candidate(folder);
        if (Readable(path)) return path;
    }
    const std::string beside = Candidate(std::string(IEC_SOURCE_DIR) + "/../shared/scl");
    return Readable(beside) ? beside : std::string();
}

std::string SclSchemaMissing() {
    const char* folder = std::getenv(SclSchemaDirVariable);
    return std::string("no readable SCL schema ") + SclSchemaFile + " in " + SclSchemaDirVariable + " (" +
           (folder != nullptr ? "\"" + std::string(folder) + "\"" : std::string("not set")) + ") nor in " +
           IEC_SOURCE_DIR + "/../shared/scl: set " + SclSchemaDirVariable +
           " to the folder that holds it to check ICD files against the schema";
}

bool RunningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

}  // namespace TestSupport
