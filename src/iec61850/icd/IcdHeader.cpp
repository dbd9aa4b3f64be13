// The head of the ICD document: the SCL root, the header, the communication section and
// the IED with its services, up to the open server of its access point.

#include <set>

#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/icd/DecimalText.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/ValueFacts.h"
#include "iec61850/scl/XmlWriter.h"

namespace Iec61850::Acsi::Scl {

namespace {

// MMS services by their numbers in the negotiated-services check.
enum Service : std::int32_t {
    GetNameList = 2,
    Read = 4,
    Write = 5,
    GetVariableAccessAttributes = 6,
    DefineNamedVariableList = 7,
    GetNamedVariableListAttributes = 8,
    DeleteNamedVariableList = 9,
    ObtainFile = 11,
    ReadJournal = 12,
    InitializeJournal = 14,
    FileOpen = 16,
    FileRead = 17,
    FileClose = 18,
    FileDelete = 19,
    FileDirectory = 20,
};

void Empty(XmlWriter& writer, const char* name) {
    writer.StartElement(name);
    writer.EndElement();
}

// An address parameter; one without text is left out, since SCL has no empty address.
void WriteP(XmlWriter& writer, const char* type, const std::string& text) {
    if (text.empty()) return;
    writer.StartElement("P");
    writer.WriteAttribute("type", type);
    writer.WriteText(text);
    writer.EndElement();
}

std::string NumberText(const std::optional<std::int64_t>& number) {
    return number ? std::to_string(*number) : std::string();
}

}  // namespace

const char* IcdExporter::SettingText(std::int32_t setting) {
    static const char* const kTexts[] = {"Dyn", "Conf", "Fix"};
    return setting >= SettingDyn && setting <= SettingFix ? kTexts[setting] : kTexts[SettingFix];
}

void IcdExporter::WriteHeaderAndServices(XmlWriter& writer) {
    constexpr const char* kSclNamespace = "http://www.iec.ch/61850/2003/SCL";
    writer.StartElement("SCL");
    writer.WriteAttribute("xmlns", kSclNamespace);
    writer.WriteAttribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
    writer.WriteAttribute("xsi:schemaLocation", std::string(kSclNamespace) + " SCL.xsd");
    writer.StartElement("Header");
    writer.WriteAttribute("id", "Ostravin SCL");
    writer.WriteAttribute("nameStructure", "IEDName");
    writer.EndElement();

    // SCL needs an IED name: without one (a model without logical devices) there is no IED
    // to describe, and no access point to address.
    iedOpen_ = !iedName_.empty();
    serverOpen_ = false;
    if (!iedOpen_) return;
    writer.StartElement("Communication");
    writer.StartElement("SubNetwork");
    writer.WriteAttribute("name", "NONE");
    WriteConnectedAccessPoint(writer);
    writer.EndElement();  // SubNetwork
    writer.EndElement();  // Communication

    writer.StartElement("IED");
    writer.WriteAttribute("name", iedName_);
    // Both optional: an identity the device did not give is left out, not made up.
    if (const std::string type = source_->GetModelName(); !type.empty()) writer.WriteAttribute("type", type);
    if (const std::string maker = source_->GetVendorName(); !maker.empty())
        writer.WriteAttribute("manufacturer", maker);
    writer.WriteAttribute("configVersion", configRevision_);
    WriteServices(writer);
    writer.StartElement("AccessPoint");
    writer.WriteAttribute("name", "P1");
    // A server holds one logical device at least; without any SCL can take, it is left out.
    for (LogicalDevice* device : source_->GetLogicalDevices()) serverOpen_ = serverOpen_ || HasLDeviceForm(*device);
    if (!serverOpen_) return;
    writer.StartElement("Server");
    writer.StartElement("Authentication");
    writer.WriteAttribute("none", "true");
    writer.EndElement();
}

void IcdExporter::WriteConnectedAccessPoint(XmlWriter& writer) {
    writer.StartElement("ConnectedAP");
    writer.WriteAttribute("iedName", iedName_);
    writer.WriteAttribute("apName", "P1");
    const std::pair<const char*, std::string> parameters[] = {
        {"OSI-AP-Title", remote_.apId},
        {"OSI-AE-Qualifier", NumberText(remote_.aeQualifier)},
        {"OSI-PSEL", NumberText(remote_.pSelector)},
        {"OSI-SSEL", NumberText(remote_.sSelector)},
        {"OSI-TSEL", NumberText(remote_.tSelector)},
        {"IP", remote_.networkAddress},
    };
    bool anyParameter = false;
    for (const auto& [type, text] : parameters) anyParameter = anyParameter || !text.empty();
    if (anyParameter) {
        writer.StartElement("Address");
        for (const auto& [type, text] : parameters) WriteP(writer, type, text);
        writer.EndElement();
    }
    // Addresses only of blocks the file holds: each names its block.
    const std::pair<const char*, const std::map<std::string, ControlBlockAddress>*> maps[] = {
        {"GO", &gooseAddresses_}, {"GS", &gsseAddresses_}, {"SV", &svAddresses_}};
    for (const auto& [kind, map] : maps) {
        for (const auto& [key, address] : *map) {
            if (!contents_.addressedBlocks.contains(kind + key)) continue;
            writer.StartElement(std::string_view(kind) == "SV" ? "SMV" : "GSE");
            WriteCommAddress(writer, address);
            writer.EndElement();
        }
    }
    writer.EndElement();  // ConnectedAP
}

void IcdExporter::WriteServices(XmlWriter& writer) {
    const auto has = [this](std::initializer_list<std::int32_t> services) {
        for (std::int32_t service : services) {
            if (!source_->IsServiceSupported(service)) return false;
        }
        return true;
    };
    // What the file holds, not what the model has: a tool checks the one against the other.
    const FileContents& c = contents_;
    const Answers& a = answers_;
    writer.StartElement("Services");
    Empty(writer, "DynAssociation");
    if (has({GetNameList})) Empty(writer, "GetDirectory");
    if (has({GetVariableAccessAttributes})) {
        Empty(writer, "GetDataObjectDefinition");
        Empty(writer, "DataObjectDirectory");
    }
    if (has({Read, Write})) {
        Empty(writer, "GetDataSetValue");
        Empty(writer, "SetDataSetValue");
        Empty(writer, "ReadWrite");
    }
    if (has({GetNamedVariableListAttributes})) Empty(writer, "DataSetDirectory");
    if (c.logControlBlocks + c.gooseControlBlocks + c.gsseControlBlocks + c.sampledValueControlBlocks != 0) {
        Empty(writer, "GetCBValues");
    }
    if (has({DefineNamedVariableList, DeleteNamedVariableList})) {
        writer.StartElement("DynDataSet");
        writer.AddAttribute("max", static_cast<std::uint32_t>(a.dynMax));
        writer.AddAttribute("maxAttributes", static_cast<std::uint32_t>(a.dynMaxAttributes));
        writer.EndElement();
    }
    if (c.dataSets != 0) {
        writer.StartElement("ConfDataSet");
        writer.AddAttribute("max", c.dataSets);
        writer.AddAttribute("maxAttributes", c.largestDataSet);
        writer.EndElement();
    }
    if (has({ObtainFile, FileOpen, FileClose, FileDelete, FileDirectory, FileRead})) Empty(writer, "FileHandling");
    if (has({ReadJournal, InitializeJournal}) && c.logControlBlocks != 0) {
        writer.StartElement("LogSettings");
        writer.WriteAttribute("cbName", SettingText(a.logCbName));
        writer.WriteAttribute("datSet", SettingText(a.logDatSet));
        writer.WriteAttribute("logEna", SettingText(a.logLogEna));
        writer.WriteAttribute("trgOps", SettingText(a.logTrgOps));
        writer.WriteAttribute("intgPd", SettingText(a.logIntgPd));
        writer.EndElement();
        writer.StartElement("ConfLogControl");
        writer.AddAttribute("max", c.logControlBlocks);
        writer.EndElement();
    }
    if (c.reportControlBlocks != 0) {
        writer.StartElement("ReportSettings");
        writer.WriteAttribute("cbName", SettingText(a.reportCbName));
        writer.WriteAttribute("datSet", SettingText(a.reportDatSet));
        writer.WriteAttribute("rptID", SettingText(a.reportRptId));
        writer.WriteAttribute("optFields", SettingText(a.reportOptFields));
        writer.WriteAttribute("bufTime", SettingText(a.reportBufTime));
        writer.WriteAttribute("trgOps", SettingText(a.reportTrgOps));
        writer.WriteAttribute("intgPd", SettingText(a.reportIntgPd));
        writer.EndElement();
        writer.StartElement("ConfReportControl");
        writer.AddAttribute("max", c.reportControlBlocks);
        writer.EndElement();
    }
    if (timerActivatedControl_) Empty(writer, "TimerActivatedControl");
    if (c.sampledValueControlBlocks != 0) {
        // SCL needs the rates the device samples at; a block is written only with its rate.
        writer.StartElement("SMVSettings");
        writer.WriteAttribute("cbName", SettingText(a.smvCbName));
        writer.WriteAttribute("datSet", SettingText(a.smvDatSet));
        writer.WriteAttribute("svID", SettingText(a.smvSvId));
        writer.WriteAttribute("optFields", SettingText(a.smvOptFields));
        writer.WriteAttribute("smpRate", SettingText(a.smvSmpRate));
        for (std::uint64_t rate : c.sampleRates) {
            writer.StartElement("SmpRate");
            writer.WriteText(std::to_string(rate));
            writer.EndElement();
        }
        writer.EndElement();
    }
    if (c.gooseControlBlocks != 0 || c.gsseControlBlocks != 0) {
        Empty(writer, "GSEDir");
        writer.StartElement("GSESettings");
        writer.WriteAttribute("cbName", SettingText(a.gseCbName));
        writer.WriteAttribute("datSet", SettingText(a.gseDatSet));
        writer.WriteAttribute("appID", SettingText(a.gseAppId));
        if (c.gsseControlBlocks != 0) writer.WriteAttribute("dataLabel", SettingText(a.gseDataLabel));
        writer.EndElement();
        if (c.gooseControlBlocks != 0) {
            writer.StartElement("GOOSE");
            writer.AddAttribute("max", c.gooseControlBlocks);
            writer.EndElement();
        }
        if (c.gsseControlBlocks != 0) {
            writer.StartElement("GSSE");
            writer.AddAttribute("max", c.gsseControlBlocks);
            writer.EndElement();
        }
    }
    writer.StartElement("ConfLNs");
    writer.WriteAttribute("fixPrefix", "true");
    writer.WriteAttribute("fixLnInst", "true");
    writer.EndElement();
    writer.EndElement();  // Services
}

void IcdExporter::WriteCommAddress(XmlWriter& writer, const ControlBlockAddress& address) {
    writer.WriteAttribute("ldInst", address.ldInst);
    writer.WriteAttribute("cbName", address.cbName);
    if (address.macAddress.empty() && address.appId.empty() && address.vlanPriority.empty() && address.vlanId.empty()) {
        return;  // SCL has no empty Address: the element is left out
    }
    writer.StartElement("Address");
    WriteP(writer, "MAC-Address", address.macAddress);
    WriteP(writer, "APPID", address.appId);
    WriteP(writer, "VLAN-PRIORITY", address.vlanPriority);
    WriteP(writer, "VLAN-ID", address.vlanId);
    writer.EndElement();
}

std::optional<std::uint64_t> IcdExporter::SampleRateOf(ControlBlock& block) {
    Mms::Container* value = nullptr;
    if (block.GetChildValue("SmpRate", value) != System::OkNoError) return std::nullopt;
    const std::string text = ReceivedText(value).value_or(std::string());
    const std::optional<std::int64_t> rate = ReadLeadingDecimal(text);
    if (!rate || *rate < 0 || std::to_string(*rate) != text) return std::nullopt;
    return static_cast<std::uint64_t>(*rate);
}

}  // namespace Iec61850::Acsi::Scl
