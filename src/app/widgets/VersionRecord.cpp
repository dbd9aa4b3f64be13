#include "app/widgets/VersionRecord.h"

#include <QFileInfo>
#include <mutex>

#include "app/widgets/VersionStamp.h"

namespace Widgets {
namespace {

std::mutex recordsMutex;
std::map<std::string, VersionRecord>& Records() {
    static std::map<std::string, VersionRecord> records;
    return records;
}

}  // namespace

std::string ProgramPath() { return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().toStdString(); }

VersionRecord BuiltVersionRecord() {
    VersionRecord record;
    std::uint32_t high = (kVersionMajor << 16) | kVersionMinor;
    std::uint32_t low = (kVersionPatch << 16) | kVersionTweak;
    record.fixed = {kVersionSignature, 0x00010000, high, low, high, low, 0x3F, 0, 0x40004, 1, 0, 0, 0};
    record.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0409, 1252}};
    const std::string prefix = "\\StringFileInfo\\040904E4\\";
    std::string version = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
                          std::to_string(kVersionPatch) + "." + std::to_string(kVersionTweak);
    record.strings[prefix + "CompanyName"] = kMakerCompany;
    record.strings[prefix + "FileDescription"] = kProductTitle;
    record.strings[prefix + "FileVersion"] = version;
    record.strings[prefix + "InternalName"] = kInternalName;
    record.strings[prefix + "LegalCopyright"] = std::string("Copyright (C) ") + kMakerCompany;
    record.strings[prefix + "OriginalFilename"] = kInternalName;
    record.strings[prefix + "ProductName"] = kProductTitle;
    record.strings[prefix + "ProductVersion"] = version;
    record.linkTime = static_cast<std::time_t>(kBuildTime);
    return record;
}

void RegisterVersionRecord(const std::string& path, VersionRecord record) {
    std::lock_guard lock(recordsMutex);
    Records()[path] = std::move(record);
}

std::optional<VersionRecord> FindVersionRecord(const std::string& path) {
    {
        std::lock_guard lock(recordsMutex);
        if (auto it = Records().find(path); it != Records().end()) return it->second;
    }
    if (!path.empty() && path == ProgramPath()) return BuiltVersionRecord();
    return std::nullopt;
}

}  // namespace Widgets
