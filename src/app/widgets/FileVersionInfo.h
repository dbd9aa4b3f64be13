#pragma once

#include <cstdint>
#include <string>

#include "app/widgets/VersionRecord.h"

namespace Widgets {

// A small version record of a library: size (must be 20), major, minor, build, platform.
struct DllVersionInfo {
    std::uint32_t cbSize = 20;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformID = 0;
};

// Reads a file's version record: the fixed info, the translations and the string values
// of the current translation.
class CFileVersionInfo {
public:
    virtual ~CFileVersionInfo() = default;

    bool Create(const std::string& path);
    // The module is named by its file path here.
    bool CreateFromModule(const std::string& modulePath);
    void Reset();
    bool IsValid() const { return valid_; }
    const FixedFileInfo& GetFixedInfo() const { return record_.fixed; }
    unsigned GetCurrentTranslationIndex() const { return current_; }
    // Copies at most size - 1 characters and a terminating zero; true without a buffer.
    bool QueryStringValue(const char* name, char* buffer, std::size_t size) const;
    bool QueryStandardValue(int index, char* buffer, std::size_t size) const;
    static const char* GetStandardValueName(int index);
    int FindTranslation(std::uint16_t language, std::uint16_t codePage) const;
    bool SetTranslationIndex(unsigned index);
    bool SetTranslation(std::uint16_t language, std::uint16_t codePage);
    std::uint16_t GetTranslationLanguage(unsigned index) const;
    std::uint16_t GetTranslationCodePage(unsigned index) const;
    std::uint16_t GetCurrentLanguage() const { return GetTranslationLanguage(current_); }
    std::uint16_t GetCurrentCodePage() const { return GetTranslationCodePage(current_); }
    // The language's name and its length; 0 for a language it does not know.
    static unsigned GetLanguageName(std::uint16_t language, char* buffer, std::size_t size);
    static bool GetCodePageName(std::uint16_t codePage, std::string& name);
    // 0 on success, 1 on error (wrong record size, not a library, unknown platform).
    static int GetModuleVersion(const std::string& modulePath, DllVersionInfo* info);

    // The link time of the file's image, when it has one.
    std::optional<std::time_t> GetLinkTime() const { return record_.linkTime; }

private:
    unsigned Count() const { return record_.translations ? static_cast<unsigned>(record_.translations->size()) : 0; }

    VersionRecord record_;
    unsigned current_ = 0;
    bool valid_ = false;
};

}  // namespace Widgets
