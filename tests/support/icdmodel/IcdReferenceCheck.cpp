#include "support/icdmodel/IcdReferenceCheck.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "iec61850/scl/XmlNode.h"
#include "iec61850/scl/XmlParser.h"

namespace IcdTestModel {

namespace {

using Node = Iec61850::Acsi::Scl::XmlNode;

std::string Attr(const Node& node, std::string_view name) {
    const auto* attribute = node.FindAttribute(name);
    return attribute != nullptr ? attribute->value : std::string();
}

std::vector<const Node*> Children(const Node& node, std::string_view name) {
    std::vector<const Node*> found;
    for (const Node* child = node.GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        if (child->GetName() == name) found.push_back(child);
    }
    return found;
}

const Node* Child(const Node& node, std::string_view name) {
    const auto found = Children(node, name);
    return found.empty() ? nullptr : found.front();
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        parts.push_back(path.substr(start, dot - start));
        start = dot + 1;
    }
    return parts;
}

bool IsUpperHex(const std::string& text, std::size_t digits) {
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

// Whether an FCDA of the constraint `fc` names a DA of the constraint `written`: an SE
// attribute gives a server both the edited (SE) and the active group's copy (SG).
bool NamesFc(const std::string& written, const std::string& fc) {
    return written == fc || (written == "SE" && fc == "SG");
}

// "phsAHar(9)" -> "phsAHar" and 9; a name without an index keeps it, the index none (-1);
// a malformed index gives -2.
std::pair<std::string, long> SplitIndex(const std::string& name) {
    const std::size_t open = name.find('(');
    if (open == std::string::npos) return {name, -1};
    const std::string digits = name.substr(open + 1, name.size() - open - 2);
    if (name.back() != ')' || digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {name, -2};
    }
    return {name.substr(0, open), std::stol(digits)};
}

// A member of a template: DO, SDO, DA or BDA, with what it refers to.
struct Member {
    std::string kind;
    std::string fc;
    std::string bType;
    std::string type;
    long count = 0;
};

struct Template {
    std::string id;
    std::string lnClass;
    std::map<std::string, Member> members;
};

class Checker {
public:
    explicit Checker(const Node& scl) : scl_(scl) {}

    std::vector<std::string> Run() {
        ReadTemplates();
        CheckTemplateReferences();
        for (const Node* ied : Children(scl_, "IED")) CheckIed(*ied);
        CheckCommunication();
        return std::move(problems_);
    }

private:
    void Problem(std::string text) { problems_.push_back(std::move(text)); }

    void ReadTemplates() {
        const Node* templates = Child(scl_, "DataTypeTemplates");
        if (templates == nullptr) return;
        const auto read = [](const Node& element, std::initializer_list<const char*> memberKinds) {
            Template t{Attr(element, "id"), Attr(element, "lnClass"), {}};
            for (const char* kind : memberKinds) {
                for (const Node* member : Children(element, kind)) {
                    const std::string count = Attr(*member, "count");
                    t.members[Attr(*member, "name")] =
                        Member{kind, Attr(*member, "fc"), Attr(*member, "bType"), Attr(*member, "type"),
                               count.empty() ? 0 : std::stol(count)};
                }
            }
            return t;
        };
        for (const Node* n : Children(*templates, "LNodeType")) lnTypes_[Attr(*n, "id")] = read(*n, {"DO"});
        for (const Node* n : Children(*templates, "DOType")) doTypes_[Attr(*n, "id")] = read(*n, {"SDO", "DA"});
        for (const Node* n : Children(*templates, "DAType")) daTypes_[Attr(*n, "id")] = read(*n, {"BDA"});
        for (const Node* n : Children(*templates, "EnumType")) enumTypes_.insert(Attr(*n, "id"));
    }

    void CheckTemplateReferences() {
        for (const auto* map : {&lnTypes_, &doTypes_, &daTypes_}) {
            for (const auto& [id, t] : *map) {
                for (const auto& [name, m] : t.members) {
                    const std::string where = id + "." + name;
                    if (m.kind == "DO" || m.kind == "SDO") {
                        if (!doTypes_.contains(m.type)) Problem(where + ": no DOType " + m.type);
                    } else if (m.bType == "Struct") {
                        if (!daTypes_.contains(m.type)) Problem(where + ": no DAType " + m.type);
                    } else if (m.bType == "Enum") {
                        if (!enumTypes_.contains(m.type)) Problem(where + ": no EnumType " + m.type);
                    }
                }
            }
        }
    }

    // The type a member leads to: a DOType for DO and SDO, a DAType for a Struct attribute.
    const Template* TypeOf(const Member& m) const {
        const auto* map = m.kind == "DO" || m.kind == "SDO" ? &doTypes_ : m.bType == "Struct" ? &daTypes_ : nullptr;
        if (map == nullptr) return nullptr;
        const auto found = map->find(m.type);
        return found != map->end() ? &found->second : nullptr;
    }

    void CheckIed(const Node& ied) {
        std::size_t dataSets = 0, largestDataSet = 0, reports = 0, logs = 0, goose = 0, gsse = 0;
        for (const Node* ap : Children(ied, "AccessPoint")) {
            for (const Node* server : Children(*ap, "Server")) {
                for (const Node* device : Children(*server, "LDevice")) devices_[Attr(*device, "inst")] = device;
            }
        }
        for (const auto& [inst, device] : devices_) {
            std::vector<const Node*> nodes = Children(*device, "LN0");
            for (const Node* ln : Children(*device, "LN")) nodes.push_back(ln);
            for (const Node* ln : nodes) {
                const std::string where = inst + "/" + Attr(*ln, "prefix") + Attr(*ln, "lnClass") + Attr(*ln, "inst");
                CheckNode(*ln, where);
                std::set<std::string> setNames;
                for (const Node* set : Children(*ln, "DataSet")) {
                    setNames.insert(Attr(*set, "name"));
                    ++dataSets;
                    largestDataSet = std::max(largestDataSet, Children(*set, "FCDA").size());
                    for (const Node* fcda : Children(*set, "FCDA")) CheckFcda(*fcda, where + " " + Attr(*set, "name"));
                }
                for (const char* kind : {"ReportControl", "LogControl", "GSEControl", "SampledValueControl"}) {
                    for (const Node* block : Children(*ln, kind)) {
                        const auto* datSet = block->FindAttribute("datSet");
                        if (datSet != nullptr && !setNames.contains(datSet->value)) {
                            Problem(where + " " + kind + " " + Attr(*block, "name") + ": no data set " + datSet->value);
                        }
                    }
                }
                for (const Node* report : Children(*ln, "ReportControl")) {
                    const Node* enabled = Child(*report, "RptEnabled");
                    reports += enabled != nullptr ? std::stoul("0" + Attr(*enabled, "max")) : 1;
                }
                logs += Children(*ln, "LogControl").size();
                for (const Node* gse : Children(*ln, "GSEControl")) ++(Attr(*gse, "type") == "GSSE" ? gsse : goose);
            }
        }
        const Node* services = Child(ied, "Services");
        if (services == nullptr) return;
        const auto count = [&](const char* element, const char* attribute, std::size_t held, bool required) {
            const Node* node = Child(*services, element);
            if (node == nullptr) {
                if (required && held != 0)
                    Problem(std::string("Services: no ") + element + " for " + std::to_string(held));
                return;
            }
            const std::string written = Attr(*node, attribute);
            if (written != std::to_string(held)) {
                Problem(std::string("Services: ") + element + " " + attribute + "=" + written + ", the file holds " +
                        std::to_string(held));
            }
        };
        count("ConfDataSet", "max", dataSets, true);
        if (dataSets != 0) count("ConfDataSet", "maxAttributes", largestDataSet, true);
        count("ConfReportControl", "max", reports, true);
        if ((Child(*services, "ReportSettings") != nullptr) != (reports != 0)) {
            Problem("Services: ReportSettings for " + std::to_string(reports) + " report blocks");
        }
        count("ConfLogControl", "max", logs, false);
        count("GOOSE", "max", goose, true);
        count("GSSE", "max", gsse, true);
    }

    void CheckNode(const Node& ln, const std::string& where) {
        const auto type = lnTypes_.find(Attr(ln, "lnType"));
        if (type == lnTypes_.end()) {
            Problem(where + ": no LNodeType " + Attr(ln, "lnType"));
            return;
        }
        if (type->second.lnClass != Attr(ln, "lnClass"))
            Problem(where + ": LNodeType of class " + type->second.lnClass);
        for (const Node* doi : Children(ln, "DOI")) {
            const std::string name = Attr(*doi, "name");
            const auto member = type->second.members.find(name);
            const Template* doType = member != type->second.members.end() ? TypeOf(member->second) : nullptr;
            if (doType == nullptr) {
                Problem(where + " DOI " + name + ": no such data object in " + type->first);
                continue;
            }
            CheckInstances(*doi, *doType, where + "." + name);
        }
    }

    void CheckInstances(const Node& parent, const Template& type, const std::string& where) {
        for (const Node* child = parent.GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
            const std::string element = child->GetName();
            if (element != "SDI" && element != "DAI") continue;
            const std::string name = Attr(*child, "name");
            const auto member = type.members.find(name);
            if (member == type.members.end()) {
                Problem(where + " " + element + " " + name + ": not in " + type.id);
                continue;
            }
            const Template* inner = TypeOf(member->second);
            if (element == "SDI" && inner == nullptr)
                Problem(where + " SDI " + name + ": has no members in " + type.id);
            if (element == "DAI" && inner != nullptr) Problem(where + " DAI " + name + ": has members in " + type.id);
            if (element == "SDI" && inner != nullptr) CheckInstances(*child, *inner, where + "." + name);
        }
    }

    const Node* FindNode(const Node& device, const std::string& prefix, const std::string& lnClass,
                         const std::string& inst) const {
        if (lnClass == "LLN0") return Child(device, "LN0");
        for (const Node* ln : Children(device, "LN")) {
            if (Attr(*ln, "prefix") == prefix && Attr(*ln, "lnClass") == lnClass && Attr(*ln, "inst") == inst)
                return ln;
        }
        return nullptr;
    }

    bool HasFc(const Template& doType, const std::string& fc, int depth = 0) const {
        for (const auto& [name, m] : doType.members) {
            if (m.kind == "DA" && NamesFc(m.fc, fc)) return true;
            const Template* inner = m.kind == "SDO" && depth < 16 ? TypeOf(m) : nullptr;
            if (inner != nullptr && HasFc(*inner, fc, depth + 1)) return true;
        }
        return false;
    }

    void CheckFcda(const Node& fcda, const std::string& set) {
        const std::string fc = Attr(fcda, "fc");
        const std::string what = set + " FCDA " + Attr(fcda, "ldInst") + "/" + Attr(fcda, "prefix") +
                                 Attr(fcda, "lnClass") + Attr(fcda, "lnInst") + "." + Attr(fcda, "doName") + "." +
                                 Attr(fcda, "daName") + " [" + fc + "]";
        const auto device = devices_.find(Attr(fcda, "ldInst"));
        if (device == devices_.end()) return Problem(what + ": no LDevice");
        const Node* ln = FindNode(*device->second, Attr(fcda, "prefix"), Attr(fcda, "lnClass"), Attr(fcda, "lnInst"));
        if (ln == nullptr) return Problem(what + ": no logical node");
        const auto lnType = lnTypes_.find(Attr(*ln, "lnType"));
        if (lnType == lnTypes_.end()) return Problem(what + ": no LNodeType");
        const std::string doName = Attr(fcda, "doName");
        if (doName.empty()) return Problem(what + ": no doName");
        const Template* type = &lnType->second;
        for (const std::string& name : Split(doName)) {
            const auto member = type->members.find(name);
            const bool isObject = member != type->members.end() && member->second.kind != "DA";
            type = isObject ? TypeOf(member->second) : nullptr;
            if (type == nullptr) return Problem(what + ": no data object " + name);
        }
        const auto* daName = fcda.FindAttribute("daName");
        if (daName == nullptr) {
            if (!HasFc(*type, fc)) Problem(what + ": no attribute of that fc");
            return;
        }
        bool first = true;
        const std::vector<std::string> parts = Split(daName->value);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            // An element of an array attribute: "phsAHar(9)" is element 9 of a DA with count.
            const auto [name, index] = SplitIndex(parts[i]);
            if (type == nullptr) return Problem(what + ": " + name + " below a basic attribute");
            const auto member = type->members.find(name);
            if (member == type->members.end() || member->second.kind == "SDO") {
                return Problem(what + ": no attribute " + name + " in " + type->id);
            }
            const long count = member->second.count;
            const bool intoArray = index == -1 && count > 0 && i + 1 < parts.size();
            if (index == -2 || index >= count || intoArray) {
                return Problem(what + ": " + parts[i] + " names no element of " + name + " (count " +
                               std::to_string(count) + ")");
            }
            if (first && !NamesFc(member->second.fc, fc))
                return Problem(what + ": " + name + " is " + member->second.fc);
            first = false;
            type = TypeOf(member->second);
        }
    }

    void CheckCommunication() {
        const Node* communication = Child(scl_, "Communication");
        if (communication == nullptr) return;
        for (const Node* subNetwork : Children(*communication, "SubNetwork")) {
            for (const Node* ap : Children(*subNetwork, "ConnectedAP")) {
                for (const auto& [kind, control] : {std::pair{"GSE", "GSEControl"}, {"SMV", "SampledValueControl"}}) {
                    for (const Node* address : Children(*ap, kind)) CheckAddress(*address, kind, control);
                }
            }
        }
    }

    void CheckAddress(const Node& address, const std::string& kind, const char* control) {
        const std::string what = kind + " " + Attr(address, "ldInst") + "/" + Attr(address, "cbName");
        const auto device = devices_.find(Attr(address, "ldInst"));
        const Node* lln0 = device != devices_.end() ? Child(*device->second, "LN0") : nullptr;
        const auto blocks = lln0 != nullptr ? Children(*lln0, control) : std::vector<const Node*>{};
        if (std::none_of(blocks.begin(), blocks.end(),
                         [&](const Node* block) { return Attr(*block, "name") == Attr(address, "cbName"); })) {
            Problem(what + ": no " + control);
        }
        const Node* inner = Child(address, "Address");
        if (inner == nullptr) return;
        for (const Node* p : Children(*inner, "P")) {
            const std::string type = Attr(*p, "type");
            if (type == "APPID" && !IsUpperHex(p->GetText(), 4)) Problem(what + ": APPID " + p->GetText());
            if (type == "VLAN-ID" && !IsUpperHex(p->GetText(), 3)) Problem(what + ": VLAN-ID " + p->GetText());
        }
    }

    const Node& scl_;
    std::map<std::string, Template> lnTypes_, doTypes_, daTypes_;
    std::set<std::string> enumTypes_;
    std::map<std::string, const Node*> devices_;
    std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> IcdReferenceProblems(std::string_view file) {
    // The generator's declaration and comment come first; the parser starts at the root.
    const std::unique_ptr<Node> root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(file);
    if (root == nullptr) return {"the file does not parse"};
    return Checker(*root).Run();
}

}  // namespace IcdTestModel
