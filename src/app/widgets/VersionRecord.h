#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Widgets {

// The fixed part of a version record: signature, structure version, file version high and
// low, product version high and low, flags mask, flags, OS, type, subtype, date high and low.
using FixedFileInfo = std::array<std::uint32_t, 13>;
constexpr std::uint32_t kVersionSignature = 0xFEEF04BD;

// What a file says about its version: the fixed part, the translations (language, code
// page), string values by "\StringFileInfo\LLLLCCCC\Name", and the link time of the image.
struct VersionRecord {
    FixedFileInfo fixed{};
    std::optional<std::vector<std::pair<std::uint16_t, std::uint16_t>>> translations;
    std::map<std::string, std::string> strings;
    std::optional<std::time_t> linkTime;
};

// The running program's record, generated when it was built.
VersionRecord BuiltVersionRecord();
// Records by file path: the program's own file has the built record; tests add their own.
void RegisterVersionRecord(const std::string& path, VersionRecord record);
std::optional<VersionRecord> FindVersionRecord(const std::string& path);
// The running program's file.
std::string ProgramPath();

}  // namespace Widgets
