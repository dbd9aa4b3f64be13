#include "layers/IncludeCheck.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

namespace Layers {

namespace fs = std::filesystem;

namespace {

struct Include {
    std::string name;
    bool quoted = false;
};

bool HoldsCode(const fs::path& file) {
    const std::string extension = file.extension().string();
    return extension == ".h" || extension == ".cpp" || extension == ".in";
}

std::string FolderOf(const fs::path& file, const fs::path& root) {
    return fs::relative(file, root).parent_path().generic_string();
}

std::string ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Include> IncludesOf(const fs::path& file) {
    static const std::regex line(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    std::ifstream in(file);
    std::string text;
    while (std::getline(in, text)) {
        std::smatch match;
        if (std::regex_search(text, match, line)) found.push_back({match[2].str(), match[1].str() == "\""});
    }
    return found;
}

const FolderRule* RuleOf(const Table& table, const std::string& folder) {
    const auto found =
        std::find_if(table.begin(), table.end(), [&](const FolderRule& r) { return r.folder == folder; });
    return found != table.end() ? &*found : nullptr;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool IsQt(const std::string& name) { return name.starts_with("Q"); }

bool IsPcap(const std::string& name) { return name == "pcap.h" || name.starts_with("pcap/"); }

// Why the folder's file may not have the include; empty when it may.
std::string Refusal(const Table& table, const FolderRule& rule, const Include& include) {
    const std::string target = fs::path(include.name).parent_path().generic_string();
    const FolderRule* reached = RuleOf(table, target);
    if (reached == nullptr) {
        if (include.quoted) return "names no folder of the tree (includes are written from its root)";
        if (IsQt(include.name) && !rule.qt) return rule.folder + " may not include Qt";
        if (IsPcap(include.name) && !rule.pcap) return rule.folder + " may not include libpcap";
        return "";
    }
    if (reached == &rule) return "";
    if (!Contains(rule.mayInclude, target)) return rule.folder + " may not include " + target;
    if (Contains(reached->privateHeaders, fs::path(include.name).filename().string())) {
        return "a header private to " + target;
    }
    return "";
}

std::vector<fs::path> FilesUnder(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && HoldsCode(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The iec_add_library calls of every CMakeLists.txt under the root: target, folder of the
// file, and what it names after DEPS; plus what the file links besides (Qt, libpcap).
struct Library {
    std::string target;
    std::string folder;
    std::vector<std::string> deps;
    bool qt = false;
    bool pcap = false;
};

std::vector<Library> LibrariesUnder(const fs::path& root) {
    static const std::regex comment("#[^\n]*");
    static const std::regex call(R"(iec_add_library\(\s*([A-Za-z0-9_]+)([^)]*)\))");
    std::vector<Library> libraries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().filename() != "CMakeLists.txt") continue;
        const std::string text = std::regex_replace(ReadWhole(entry.path()), comment, "");
        std::smatch match;
        if (!std::regex_search(text, match, call)) continue;
        Library library{match[1].str(), FolderOf(entry.path(), root), {}, false, false};
        std::istringstream words(match[2].str());
        for (std::string word; words >> word;) {
            if (word != "DEPS") library.deps.push_back(word);
        }
        library.qt = text.find("Qt6") != std::string::npos;
        library.pcap = text.find("pcap") != std::string::npos || text.find("PCAP") != std::string::npos;
        libraries.push_back(std::move(library));
    }
    return libraries;
}

bool IsAtOrBelow(const std::string& folder, const std::string& top) {
    return top.empty() || folder == top || folder.starts_with(top + "/");
}

// The listed folders that belong to the library: at or below its folder, and not at or
// below another library's folder that lies deeper.
std::vector<const FolderRule*> FoldersOf(const Library& library, const std::vector<Library>& libraries,
                                         const Table& table) {
    std::vector<const FolderRule*> folders;
    for (const FolderRule& rule : table) {
        if (!IsAtOrBelow(rule.folder, library.folder)) continue;
        const bool deeper = std::any_of(libraries.begin(), libraries.end(), [&](const Library& other) {
            return other.folder.size() > library.folder.size() && IsAtOrBelow(other.folder, library.folder) &&
                   IsAtOrBelow(rule.folder, other.folder);
        });
        if (!deeper) folders.push_back(&rule);
    }
    return folders;
}

}  // namespace

std::vector<std::string> FindIncludeFaults(const fs::path& root, const Table& table) {
    std::vector<std::string> faults;
    std::set<std::string> unlisted;
    for (const fs::path& file : FilesUnder(root)) {
        const std::string folder = FolderOf(file, root);
        const FolderRule* rule = RuleOf(table, folder);
        if (rule == nullptr) {
            if (unlisted.insert(folder).second) faults.push_back(folder + " holds code but the table does not list it");
            continue;
        }
        const std::string name = fs::relative(file, root).generic_string();
        for (const Include& include : IncludesOf(file)) {
            const std::string why = Refusal(table, *rule, include);
            if (!why.empty()) faults.push_back(name + " includes " + include.name + ": " + why);
        }
    }
    return faults;
}

std::set<std::string> Reach(const Table& table, const std::string& folder) {
    std::set<std::string> reached;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const FolderRule* rule = RuleOf(table, pending.back());
        pending.pop_back();
        if (rule == nullptr) continue;
        for (const std::string& next : rule->mayInclude) {
            if (reached.insert(next).second) pending.push_back(next);
        }
    }
    return reached;
}

std::vector<std::string> FindTableFaults(const fs::path& root, const Table& table) {
    std::vector<std::string> faults;
    for (const FolderRule& rule : table) {
        const fs::path folder = root / rule.folder;
        const bool hasCode =
            fs::is_directory(folder) && std::any_of(fs::directory_iterator(folder), fs::directory_iterator(),
                                                    [](const fs::directory_entry& e) { return HoldsCode(e.path()); });
        if (!hasCode) faults.push_back(rule.folder + " is listed but holds no code");
        for (const std::string& header : rule.privateHeaders) {
            if (!fs::exists(folder / header)) faults.push_back(rule.folder + "/" + header + " is private but missing");
        }
        for (const std::string& other : rule.mayInclude) {
            const FolderRule* reached = RuleOf(table, other);
            if (reached == nullptr) {
                faults.push_back(rule.folder + " may include " + other + ", which is not listed");
            } else if (reached->qt && !rule.qt) {
                faults.push_back(rule.folder + " has no Qt but may include " + other + ", which has");
            }
        }
        if (Reach(table, rule.folder).contains(rule.folder)) faults.push_back(rule.folder + " reaches itself");
    }
    return faults;
}

std::vector<std::string> FindLinkFaults(const fs::path& root, const Table& table) {
    const std::vector<Library> libraries = LibrariesUnder(root);
    std::vector<std::string> faults;
    for (const Library& library : libraries) {
        const std::vector<const FolderRule*> own = FoldersOf(library, libraries, table);
        std::set<std::string> reach;
        for (const FolderRule* rule : own) reach.merge(Reach(table, rule->folder));
        if (library.qt && std::none_of(own.begin(), own.end(), [](const FolderRule* r) { return r->qt; })) {
            faults.push_back(library.target + " links Qt, which none of its folders may include");
        }
        if (library.pcap && std::none_of(own.begin(), own.end(), [](const FolderRule* r) { return r->pcap; })) {
            faults.push_back(library.target + " links libpcap, which none of its folders may include");
        }
        for (const std::string& dep : library.deps) {
            const auto linked = std::find_if(libraries.begin(), libraries.end(),
                                             [&](const Library& other) { return other.target == dep; });
            if (linked == libraries.end()) continue;  // not one of the tree's libraries
            const std::vector<const FolderRule*> theirs = FoldersOf(*linked, libraries, table);
            const bool below = std::any_of(theirs.begin(), theirs.end(),
                                           [&](const FolderRule* r) { return reach.contains(r->folder); });
            if (!below) faults.push_back(library.target + " links " + dep + ", none of whose folders it may include");
        }
    }
    return faults;
}

}  // namespace Layers
