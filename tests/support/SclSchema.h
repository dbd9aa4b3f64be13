#pragma once

// Where the tests find the SCL schema that exported ICD files are checked against. The
// schema is the standard's own text, so the repository does not carry it: it is looked for
// in the folder IEC_SCL_SCHEMA_DIR names, then in ../shared/scl beside the source tree.

#include <string>

namespace TestSupport {

inline constexpr const char* SclSchemaDirVariable = "IEC_SCL_SCHEMA_DIR";
inline constexpr const char* SclSchemaFile = "SCL2003.xsd";

// The path of a readable SCL2003.xsd, or empty when neither place holds one.
std::string SclSchemaPath();

// Why no schema was found, and what to set so that one is.
std::string SclSchemaMissing();

// CI=true in the environment: a step that cannot run there fails instead of being skipped,
// so that CI never passes by leaving it out.
bool RunningInCi();

}  // namespace TestSupport
