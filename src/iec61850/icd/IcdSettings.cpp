// The first step of the export: the facts of the model, the profile and the association,
// and the section list that offers the device parameters to the program.

#include <algorithm>
#include <cstdio>
#include <set>

#include "iec61850/acsi/model/ControlBlock.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/icd/DecimalText.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/ValueFacts.h"
#include "iec61850/scl/XmlWriter.h"

namespace Iec61850::Acsi::Scl {

namespace {

// MMS services whose negotiation opens a section.
constexpr std::int32_t kDefineNamedVariableList = 7;
constexpr std::int32_t kDeleteNamedVariableList = 9;
constexpr std::int32_t kReadJournal = 12;
constexpr std::int32_t kInitializeJournal = 14;

constexpr const char* kSettingValues = "Dynamic/Configurable/Fixed";

// An object reached from the node through owned children of these names, or null.
NamedObject* FindPath(NamedObject* from, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        if (from == nullptr) return nullptr;
        from = from->FindOwnedChild(name);
    }
    return from;
}

bool IsTwelveHexDigits(const std::string& text) {
    return text.size() == 12 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

// A decimal number of the device as SCL writes an APPID or VLAN-ID: that many upper-case
// hexadecimal digits. Empty for a text that is no number of that range, which SCL cannot read.
std::string HexField(const std::string& text, int digits) {
    const std::optional<std::int32_t> number = ReadWholeDecimal(text);
    const std::int32_t most = (1 << (4 * digits)) - 1;
    if (!number || *number < 0 || *number > most) return {};
    char hex[8];
    std::snprintf(hex, sizeof hex, "%0*X", digits, static_cast<unsigned>(*number));
    return hex;
}

void WriteItem(XmlWriter& writer, const char* name, const char* caption, const char* type,
               const char* values = nullptr) {
    writer.StartElement(name);
    writer.WriteAttribute("Caption", caption);
    writer.WriteAttribute("Type", type);
    if (values != nullptr) writer.WriteAttribute("Values", values);
    writer.EndElement();
}

void StartSection(XmlWriter& writer, const char* name, const char* caption) {
    writer.StartElement(name);
    writer.WriteAttribute("Caption", caption);
    writer.WriteAttribute("Type", "Set");
}

std::uint32_t Count(std::size_t size) { return static_cast<std::uint32_t>(std::min<std::size_t>(size, UINT32_MAX)); }

}  // namespace

std::int32_t IcdExporter::BuildSettingsXml(std::string& text) {
    lastFailure_.clear();
    {
        const Mms::ModelHold hold = source_->HoldModel();
        if (!hold.Taken()) return RefuseLock(hold.GetResult());
        counts_ = {};
        timerActivatedControl_ = false;
        iedName_.clear();
        configRevision_.clear();
        gooseAddresses_.clear();
        gsseAddresses_.clear();
        svAddresses_.clear();
        const std::vector<LogicalDevice*> devices = source_->GetLogicalDevices();
        ComputeIedName(devices);
        ReadRemoteAddressing();
        WalkModelFacts(devices);
    }
    XmlWriter writer(false);
    WriteSectionList(writer);
    std::string list;
    writer.GetXml(list);
    text += list;
    state_ = 1;
    return 0;
}

std::string IcdExporter::IedNameOf(const std::vector<std::string>& deviceNames) {
    std::string ied;
    if (deviceNames.empty()) return ied;
    if (deviceNames.size() == 1) {
        const std::string& name = deviceNames.front();
        const std::size_t relay = name.find("Relay");
        if (relay != std::string::npos && relay + 5 == name.size()) {
            ied = name.substr(0, relay);
        } else {
            ied = name.substr(0, std::min<std::size_t>(name.size() - 1, 4));
        }
    } else {
        for (const std::string& name : deviceNames) {
            if (ied.empty()) {
                ied = name;
                continue;
            }
            std::size_t same = 0;
            while (same < ied.size() && same < name.size() && ied[same] == name[same]) ++same;
            ied.resize(same);
        }
    }
    // The schema needs a name.
    if (ied.empty()) ied = deviceNames.front();
    return ied;
}

void IcdExporter::ComputeIedName(const std::vector<LogicalDevice*>& devices) {
    iedName_.clear();
    wholeDeviceNames_ = false;
    if (devices.empty()) return;
    std::vector<std::string> names;
    for (const LogicalDevice* device : devices) names.push_back(device->GetName());
    iedName_ = IedNameOf(names);
    // Per device, an inst of its own.
    std::set<std::string> insts;
    for (const LogicalDevice* device : devices) {
        const std::string inst = LdInstOf(*device);
        if (inst.empty() || !insts.insert(inst).second) wholeDeviceNames_ = true;
    }
}

void IcdExporter::GetProfileParameter(std::string_view name, std::string& value) const {
    value.clear();
    for (const auto& [parameter, text] : source_->GetProfileParameters()) {
        if (parameter == name) value = text;
    }
}

void IcdExporter::ReadRemoteAddressing() {
    std::string text;
    GetProfileParameter("RemoteAeQualifier", text);
    remote_.aeQualifier = ReadLeadingDecimal(text);
    GetProfileParameter("RemoteApId", remote_.apId);
    std::replace(remote_.apId.begin(), remote_.apId.end(), '.', ',');
    GetProfileParameter("RemotePSelector", text);
    remote_.pSelector = ReadLeadingDecimal(text);
    GetProfileParameter("RemoteSSelector", text);
    remote_.sSelector = ReadLeadingDecimal(text);
    GetProfileParameter("RemoteTSelector", text);
    remote_.tSelector = ReadLeadingDecimal(text);
    GetProfileParameter("RemoteNAddress", remote_.networkAddress);
}

void IcdExporter::WalkModelFacts(const std::vector<LogicalDevice*>& devices) {
    for (LogicalDevice* device : devices) {
        for (const auto& [name, node] : device->GetLogicalNodes()) {
            counts_.dataSets += Count(node->GetDataSets().size());
            for (const auto& [setName, dataSet] : node->GetDataSets()) {
                counts_.largestDataSet = std::max(counts_.largestDataSet, Count(dataSet->GetMembers().size()));
            }
            counts_.reportControlBlocks += Count(node->GetBRCBs().size() + node->GetURCBs().size());
            counts_.logControlBlocks += Count(node->GetLCBs().size());
            if (name == "LLN0") FileAddressesOf(*device, *node);
            if (!timerActivatedControl_) {
                timerActivatedControl_ = FindPath(node->FindFc("CO"), {"Pos", "Oper", "operTm"}) != nullptr;
            }
        }
    }
}

void IcdExporter::FileAddressesOf(LogicalDevice& device, LogicalNode& node) {
    if (configRevision_.empty()) {
        if (NamedObject* configRev = FindPath(node.FindFc("DC"), {"NamPlt", "configRev"})) {
            Mms::Container* value = nullptr;
            if (configRev->GetValue(value) == System::OkNoError) configRevision_ = ReceivedText(value).value_or("");
        }
    }
    auto* lln0 = dynamic_cast<LLN0*>(&node);
    if (lln0 == nullptr) return;
    counts_.gooseControlBlocks += Count(lln0->GetGoCBs().size());
    counts_.gsseControlBlocks += Count(lln0->GetGsCBs().size());
    counts_.sampledValueControlBlocks += Count(lln0->GetUSVCBs().size() + lln0->GetMSVCBs().size());

    const std::string ldInst = LdInstOf(device);
    const auto file = [&ldInst](std::map<std::string, ControlBlockAddress>& map, const std::string& key,
                                ControlBlock& block) {
        ControlBlockAddress address{ldInst, block.GetName(), {}, {}, {}, {}};
        ReadControlBlockAddress(block, address.macAddress, address.appId, address.vlanPriority, address.vlanId);
        map[key] = std::move(address);
    };
    for (const auto& [name, block] : lln0->GetGoCBs()) file(gooseAddresses_, ldInst + name, *block);
    for (const auto& [name, block] : lln0->GetGsCBs()) file(gsseAddresses_, ldInst + name, *block);
    for (const auto& [name, block] : lln0->GetUSVCBs()) file(svAddresses_, ldInst + "U" + name, *block);
    for (const auto& [name, block] : lln0->GetMSVCBs()) file(svAddresses_, ldInst + "M" + name, *block);
}

void IcdExporter::ReadControlBlockAddress(ControlBlock& block, std::string& mac, std::string& appId,
                                          std::string& priority, std::string& vlanId) {
    mac.clear();
    appId.clear();
    priority.clear();
    vlanId.clear();
    NamedObject* address = block.FindOwnedChild("DstAddress");
    if (address == nullptr) return;
    const auto read = [address](std::string_view name, std::string& text) {
        Mms::Container* value = nullptr;
        if (address->GetChildValue(name, value) == System::OkNoError) text = ReceivedText(value).value_or("");
    };
    read("Addr", mac);
    read("APPID", appId);
    read("PRIORITY", priority);
    read("VID", vlanId);
    appId = HexField(appId, 4);
    vlanId = HexField(vlanId, 3);
    // Only a whole address is shown as pairs; anything else stays as the device gave it.
    if (IsTwelveHexDigits(mac)) {
        for (std::size_t at : {2, 5, 8, 11, 14}) mac.insert(at, 1, '-');
    }
}

void IcdExporter::WriteSectionList(XmlWriter& writer) const {
    writer.StartElement("Question");
    if (source_->IsServiceSupported(kDefineNamedVariableList) &&
        source_->IsServiceSupported(kDeleteNamedVariableList)) {
        StartSection(writer, "DynDataSet", "Dynamic datasets");
        WriteItem(writer, "max", "Maximum count", "Number");
        WriteItem(writer, "maxAttributes", "Maximum attributes", "Number");
        writer.EndElement();
    }
    if (source_->IsServiceSupported(kReadJournal) && source_->IsServiceSupported(kInitializeJournal) &&
        counts_.logControlBlocks != 0) {
        StartSection(writer, "LogSettings", "Log settings");
        WriteItem(writer, "cbName", "Name", "Enum", kSettingValues);
        WriteItem(writer, "datSet", "Dataset", "Enum", kSettingValues);
        WriteItem(writer, "logEna", "Enable", "Enum", kSettingValues);
        WriteItem(writer, "trgOps", "Triggering options", "Enum", kSettingValues);
        WriteItem(writer, "intgPd", "Integrity period", "Enum", kSettingValues);
        writer.EndElement();
    }
    if (counts_.reportControlBlocks != 0) {
        StartSection(writer, "ReportSettings", "Report settings");
        WriteItem(writer, "cbName", "Name", "Enum", kSettingValues);
        WriteItem(writer, "index", "Indexing", "Enum", "No/yes");
        WriteItem(writer, "datSet", "Dataset", "Enum", kSettingValues);
        WriteItem(writer, "rptID", "Report ID", "Enum", kSettingValues);
        WriteItem(writer, "optFields", "Option fields", "Enum", kSettingValues);
        WriteItem(writer, "bufTime", "Buffering time", "Enum", kSettingValues);
        WriteItem(writer, "trgOps", "Triggering options", "Enum", kSettingValues);
        WriteItem(writer, "intgPd", "Integrity period", "Enum", kSettingValues);
        writer.EndElement();
    }
    if (counts_.sampledValueControlBlocks != 0) {
        StartSection(writer, "SMVSettings", "Sampled values settings");
        WriteItem(writer, "cbName", "Name", "Enum", kSettingValues);
        WriteItem(writer, "datSet", "Dataset", "Enum", kSettingValues);
        WriteItem(writer, "svID", "Sampled value ID", "Enum", kSettingValues);
        WriteItem(writer, "optFields", "Option fields", "Enum", kSettingValues);
        WriteItem(writer, "smpRate", "Sampling rate", "Enum", kSettingValues);
        writer.EndElement();
    }
    StartSection(writer, "ConfLNs", "LNs configuration");
    WriteItem(writer, "fixPrefix", "Fixed prefix", "Bool");
    WriteItem(writer, "fixLnInst", "Fixed instance", "Bool");
    writer.EndElement();
    writer.EndElement();
}

}  // namespace Iec61850::Acsi::Scl
