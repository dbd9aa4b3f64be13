#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

// The include rules between the folders of a source tree: a table of what each folder's
// files may include, and the checks of a tree (and of the table) against it. Includes are
// written from the tree's root ("mms/values/Container.h"), so the folder an include
// reaches is the folder its name begins with. The build cannot catch a wrong-way include,
// since every library exports the same include root; these checks do.
namespace Layers {

struct FolderRule {
    std::string folder;                       // from the root, "/" between names; "" for none
    std::vector<std::string> mayInclude;      // the other folders its files may include directly
    bool qt = false;                          // <Q...> and <Qt...>
    bool pcap = false;                        // <pcap.h>, <pcap/...>
    std::vector<std::string> privateHeaders;  // file names that only the folder itself may include
};

using Table = std::vector<FolderRule>;

// One line per include under the root that the table forbids, naming the file, the
// include and the rule, and one per folder holding .h, .cpp or .in files that the table
// does not list.
std::vector<std::string> FindIncludeFaults(const std::filesystem::path& root, const Table& table);

// Faults of the table itself: a folder it allows that it does not list, a private header
// or a listed folder that does not exist, two folders that reach each other, and a folder
// without Qt that may include one with Qt (and so reach Qt through its headers).
std::vector<std::string> FindTableFaults(const std::filesystem::path& root, const Table& table);

// Libraries (iec_add_library in a CMakeLists.txt under the root) that link one of the
// tree's other libraries none of whose folders their own may reach, or Qt or libpcap
// where none of their folders may include it. A library's folders are the listed ones at
// or below its CMakeLists.txt, up to the next one that makes a library.
std::vector<std::string> FindLinkFaults(const std::filesystem::path& root, const Table& table);

// Every folder the folder reaches through the table, one step or more.
std::set<std::string> Reach(const Table& table, const std::string& folder);

}  // namespace Layers
