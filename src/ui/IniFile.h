#pragma once

#include <string>

namespace Ui {

// GetPrivateProfileString's rules: section and key matched without regard to case, the
// value trimmed of blanks and of one pair of surrounding quotes, lines starting with ";"
// skipped, the default when the file, section or key is missing. No length limit.
std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    const std::string& path);

}  // namespace Ui
