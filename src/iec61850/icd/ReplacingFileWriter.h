#pragma once

#include <string>
#include <string_view>

namespace Iec61850::Acsi::Scl {

// Writes a whole file so that readers see either the old file or the complete new one:
// the content goes into a new file beside the target, which is flushed, closed and then
// renamed over the target. On any failure the new file is removed, an existing target
// stays as it was, false is returned and `error` holds the step and the system's text.
bool WriteFileReplacing(const std::string& path, std::string_view content, std::string& error);

// Makes an empty file beside `path` under a name no other file has (created exclusively,
// mode 0666 less the umask), for a caller that writes there first and renames it over
// `path` later; its name goes to `staged`. False with `error` when none can be made.
bool CreateFileBeside(const std::string& path, std::string& staged, std::string& error);

}  // namespace Iec61850::Acsi::Scl
