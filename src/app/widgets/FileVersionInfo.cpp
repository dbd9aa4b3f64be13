#include "app/widgets/FileVersionInfo.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace Widgets {
namespace {

constexpr std::array<const char*, 13> kStandardNames = {
    "Comments",       "CompanyName",     "FileDescription",  "FileVersion",  "InternalName",
    "LegalCopyright", "LegalTrademarks", "OriginalFilename", "PrivateBuild", "ProductName",
    "ProductVersion", "SpecialBuild",    "OLESelfRegister"};

struct CodePageName {
    std::uint16_t codePage;
    const char* name;
};
constexpr CodePageName kCodePages[] = {{0, "7-bit ASCII"},
                                       {932, "Japan (Shift \xE2\x80\x93 JIS X-0208)"},
                                       {949, "Korea (Shift \xE2\x80\x93 KSC 5601)"},
                                       {950, "Taiwan (Big5)"},
                                       {1200, "Unicode"},
                                       {1250, "Latin-2 (Eastern European)"},
                                       {1251, "Cyrillic"},
                                       {1252, "Multilingual"},
                                       {1253, "Greek"},
                                       {1254, "Turkish"},
                                       {1255, "Hebrew"},
                                       {1256, "Arabic"}};

void CopyOut(const std::string& text, char* buffer, std::size_t size) {
    std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

bool CFileVersionInfo::Create(const std::string& path) {
    Reset();
    std::optional<VersionRecord> record = FindVersionRecord(path);
    if (!record || !record->translations) {
        Reset();
        return false;
    }
    record_ = std::move(*record);
    valid_ = record_.fixed[0] == kVersionSignature;
    return true;
}

bool CFileVersionInfo::CreateFromModule(const std::string& modulePath) {
    return Create(modulePath.substr(0, std::min<std::size_t>(modulePath.size(), 260)));
}

void CFileVersionInfo::Reset() {
    record_ = VersionRecord{};
    current_ = 0;
    valid_ = false;
}

bool CFileVersionInfo::QueryStringValue(const char* name, char* buffer, std::size_t size) const {
    if (!valid_ || !name || (buffer && size < 1)) return false;
    if (buffer) buffer[0] = '\0';
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04X%04X\\", current_ < Count() ? GetCurrentLanguage() : 0,
                  current_ < Count() ? GetCurrentCodePage() : 0);
    auto it = record_.strings.find(std::string(key) + name);
    if (it == record_.strings.end()) return false;
    if (buffer) CopyOut(it->second, buffer, size);
    return true;
}

bool CFileVersionInfo::QueryStandardValue(int index, char* buffer, std::size_t size) const {
    const char* name = GetStandardValueName(index);
    return name && QueryStringValue(name, buffer, size);
}

const char* CFileVersionInfo::GetStandardValueName(int index) {
    return index >= 0 && index < static_cast<int>(kStandardNames.size()) ? kStandardNames[static_cast<size_t>(index)]
                                                                         : nullptr;
}

int CFileVersionInfo::FindTranslation(std::uint16_t language, std::uint16_t codePage) const {
    for (unsigned i = 0; i < Count(); ++i) {
        if ((*record_.translations)[i] == std::make_pair(language, codePage)) return static_cast<int>(i);
    }
    return -1;
}

bool CFileVersionInfo::SetTranslationIndex(unsigned index) {
    if (index == current_) return true;
    if (index >= Count()) return false;
    current_ = index;
    return true;
}

bool CFileVersionInfo::SetTranslation(std::uint16_t language, std::uint16_t codePage) {
    if (current_ < Count() && GetCurrentLanguage() == language && GetCurrentCodePage() == codePage) return true;
    int index = FindTranslation(language, codePage);
    if (index < 0) return false;
    current_ = static_cast<unsigned>(index);
    return true;
}

std::uint16_t CFileVersionInfo::GetTranslationLanguage(unsigned index) const {
    return valid_ && index < Count() ? (*record_.translations)[index].first : 0;
}

std::uint16_t CFileVersionInfo::GetTranslationCodePage(unsigned index) const {
    return valid_ && index < Count() ? (*record_.translations)[index].second : 0;
}

unsigned CFileVersionInfo::GetLanguageName(std::uint16_t language, char* buffer, std::size_t size) {
    if (!buffer || size < 1) return 0;
    buffer[0] = '\0';
    if (language != 0x0409) return 0;
    const std::string name = "English (United States)";
    CopyOut(name, buffer, size);
    return static_cast<unsigned>(std::strlen(buffer));
}

bool CFileVersionInfo::GetCodePageName(std::uint16_t codePage, std::string& name) {
    for (const CodePageName& entry : kCodePages) {
        if (entry.codePage == codePage) {
            name = entry.name;
            return true;
        }
    }
    name = "Unknown";
    return false;
}

int CFileVersionInfo::GetModuleVersion(const std::string& modulePath, DllVersionInfo* info) {
    if (!info || info->cbSize != sizeof(DllVersionInfo)) return 1;
    CFileVersionInfo version;
    if (!version.CreateFromModule(modulePath) || !version.IsValid()) return 1;
    const FixedFileInfo& fixed = version.GetFixedInfo();
    std::uint32_t os = fixed[8];
    std::uint32_t type = fixed[9];
    if (type != 2 && type != 7) return 1;
    std::uint32_t platform = 0;
    if (os == 4 || os == 0x40004) {
        platform = 1;
    } else if (os == 0x40000) {
        platform = 2;
    } else {
        return 1;
    }
    info->dwMajorVersion = fixed[2] >> 16;
    info->dwMinorVersion = fixed[2] & 0xFFFF;
    info->dwBuildNumber = fixed[3] >> 16;
    info->dwPlatformID = platform;
    return 0;
}

}  // namespace Widgets
