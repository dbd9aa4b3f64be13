// Control blocks inside a logical node: ReportControl, LogControl, GSEControl and
// SampledValueControl, from the values bound to each block.

#include <cctype>

#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/ValueFacts.h"
#include "iec61850/scl/XmlWriter.h"
#include "mms/values/Container.h"

namespace Iec61850::Acsi::Scl {

namespace {

// The text of a bound component; none for an unbound one, a value the device never gave
// (ReceivedText) or an empty text.
std::optional<std::string> TextOf(Mms::Container* value) { return ReceivedText(value); }

// The text of the block's child attribute of that name, on the same terms.
std::optional<std::string> ChildText(NamedObject& block, std::string_view name) {
    Mms::Container* value = nullptr;
    if (block.GetChildValue(name, value) != System::OkNoError) return std::nullopt;
    return ReceivedText(value);
}

// A number SCL takes as an unsigned integer.
bool IsUnsigned(const std::string& text) {
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           std::stoull(text) <= UINT32_MAX;
}

void WriteIfPresent(XmlWriter& writer, const char* name, const std::optional<std::string>& text) {
    if (text) writer.WriteAttribute(name, *text);
}

void WriteIfUnsigned(XmlWriter& writer, const char* name, const std::optional<std::string>& text) {
    if (text && IsUnsigned(*text)) writer.WriteAttribute(name, *text);
}

// The trigger options of a six-character bit text (bit 0 first): data change, quality
// change, data update, integrity; general interrogation has no attribute here.
void WriteTrgOps(XmlWriter& writer, const std::optional<std::string>& bits) {
    writer.StartElement("TrgOps");
    if (bits && bits->size() == 6) {
        const char* const names[] = {nullptr, "dchg", "qchg", "dupd", "period"};
        for (int bit = 1; bit <= 4; ++bit) {
            if ((*bits)[bit] == '1') writer.WriteAttribute(names[bit], "true");
        }
    }
    writer.EndElement();
}

void WriteOptFields(XmlWriter& writer, const std::optional<std::string>& bits) {
    writer.StartElement("OptFields");
    if (bits && bits->size() == 10) {
        const std::pair<int, const char*> fields[] = {{1, "seqNum"},   {2, "timeStamp"}, {3, "reasonCode"},
                                                      {4, "dataSet"},  {5, "dataRef"},   {7, "entryID"},
                                                      {8, "configRef"}};
        for (const auto& [bit, name] : fields) {
            if ((*bits)[bit] == '1') writer.WriteAttribute(name, "true");
        }
    }
    writer.EndElement();
}

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string IcdExporter::ReportControlName(const std::string& blockName) const {
    if (answers_.reportIndex || blockName.size() <= 2) return blockName;
    return blockName.substr(0, blockName.size() - 2);
}

std::optional<std::string> IcdExporter::DataSetAttribute(ControlBlock& block) const {
    // The set a block names must be one this node's element declares.
    const std::optional<std::string> text = TextOf(block.GetDatSetValue());
    const DataSet* dataSet = block.GetDataSet();
    if (!text || dataSet == nullptr || dataSet->GetParent() == nullptr) return std::nullopt;
    const NamedObject* node = block.GetParent() != nullptr ? block.GetParent()->GetParent() : nullptr;
    if (dataSet->GetParent() != node || !HasWrittenMembers(*dataSet)) return std::nullopt;
    const std::size_t dollar = text->find('$');
    const std::string shortened = dollar == std::string::npos ? *text : text->substr(dollar + 1);
    if (shortened != dataSet->GetName()) return std::nullopt;
    return shortened;
}

bool IcdExporter::WriteReportControl(XmlWriter& writer, RCB& block, bool buffered, const std::string& name,
                                     std::uint32_t instances) {
    // SCL requires the configuration revision; a block without one has no valid form.
    const std::optional<std::string> confRev = TextOf(block.ConfRev);
    if (!confRev || !IsUnsigned(*confRev)) return false;
    writer.StartElement("ReportControl");
    writer.WriteAttribute("name", name);
    WriteIfPresent(writer, "datSet", DataSetAttribute(block));
    WriteIfUnsigned(writer, "intgPd", TextOf(block.IntgPd));
    WriteIfPresent(writer, "rptID", TextOf(block.RptID));
    writer.WriteAttribute("confRev", *confRev);
    writer.WriteAttribute("buffered", buffered ? "true" : "false");
    WriteIfUnsigned(writer, "bufTime", TextOf(block.BufTm));
    WriteTrgOps(writer, TextOf(block.TrgOps));
    WriteOptFields(writer, TextOf(block.OptFlds));
    if (instances > 1) {
        writer.StartElement("RptEnabled");
        writer.AddAttribute("max", instances);
        writer.EndElement();
    }
    writer.EndElement();
    return true;
}

void IcdExporter::WriteReportControls(XmlWriter& writer, LogicalNode& node) {
    struct Entry {
        RCB* block;
        bool buffered;
    };
    std::vector<Entry> entries;
    for (const auto& [name, block] : node.GetBRCBs()) entries.push_back({block, true});
    for (const auto& [name, block] : node.GetURCBs()) entries.push_back({block, false});
    // Instances of one indexed block share its name once the index is cut off.
    std::map<std::string, std::vector<const Entry*>> instances;
    for (const Entry& entry : entries) instances[ReportControlName(entry.block->GetName())].push_back(&entry);
    std::set<std::string> written;
    const auto write = [&](const Entry& entry, const std::string& name, std::uint32_t count) {
        if (written.contains(name) || !WriteReportControl(writer, *entry.block, entry.buffered, name, count)) return;
        written.insert(name);
        contents_.reportControlBlocks += count;
    };
    for (const Entry& entry : entries) {
        const std::string name = ReportControlName(entry.block->GetName());
        const std::vector<const Entry*>& group = instances[name];
        if (group.front() != &entry) continue;
        if (group.size() == 1) {
            write(entry, name, 1);
            continue;
        }
        // One element stands for the instances only when it says of each what the device
        // has (RptID, data set, options, periods ...); else each is an element of its own,
        // under its own name.
        std::set<std::string> forms;
        for (const Entry* instance : group) {
            XmlWriter form(false);
            WriteReportControl(form, *instance->block, instance->buffered, name, 1);
            std::string text;
            form.GetXml(text);
            forms.insert(std::move(text));
        }
        if (forms.size() == 1) {
            write(entry, name, static_cast<std::uint32_t>(group.size()));
        } else {
            for (const Entry* instance : group) write(*instance, instance->block->GetName(), 1);
        }
    }
}

void IcdExporter::WriteGooseControl(XmlWriter& writer, GoCB& block) {
    writer.StartElement("GSEControl");
    writer.WriteAttribute("name", block.GetName());
    writer.WriteAttribute("type", "GOOSE");
    writer.WriteAttribute("appID", TextOf(block.GoID).value_or(""));
    WriteIfPresent(writer, "datSet", DataSetAttribute(block));
    WriteIfUnsigned(writer, "confRev", TextOf(block.ConfRev));
    writer.EndElement();
}

void IcdExporter::WriteGsseControl(XmlWriter& writer, GsCB& block) {
    writer.StartElement("GSEControl");
    writer.WriteAttribute("name", block.GetName());
    writer.WriteAttribute("type", "GSSE");
    // The model keeps no identifier for a GSSE block.
    writer.WriteAttribute("appID", "");
    writer.EndElement();
}

void IcdExporter::WriteLogControl(XmlWriter& writer, LCB& block) {
    writer.StartElement("LogControl");
    writer.WriteAttribute("name", block.GetName());
    WriteIfPresent(writer, "datSet", DataSetAttribute(block));
    WriteIfUnsigned(writer, "intgPd", TextOf(block.IntgPd));
    writer.WriteAttribute("logName", LogNameOf(block));
    if (const std::optional<std::string> enabled = TextOf(block.LogEna)) {
        const std::string lowered = Lowered(*enabled);
        if (lowered == "true" || lowered == "false") writer.WriteAttribute("logEna", lowered);
    }
    WriteTrgOps(writer, TextOf(block.TrgOps));
    writer.EndElement();
}

std::string IcdExporter::LogNameOf(LCB& block) const {
    // The log lives in a logical device: the one the block's LogRef names when the model has
    // it, else the block's own. SCL names it by that device's inst.
    if (const std::optional<std::string> logRef = ChildText(block, "LogRef")) {
        const std::size_t slash = logRef->find('/');
        if (slash != std::string::npos) {
            const std::string device = logRef->substr(0, slash);
            for (LogicalDevice* known : source_->GetLogicalDevices()) {
                if (known->GetName() == device) return LdInstOf(*known);
            }
        }
    }
    return LdInstOf(block.GetLogicalDeviceName());
}

bool IcdExporter::WriteSampledValueControl(XmlWriter& writer, ControlBlock& block, bool multicast) {
    // SCL requires the sample rate; a block without one has no valid form.
    const std::optional<std::uint64_t> rate = SampleRateOf(block);
    if (!rate) return false;
    std::optional<std::string> id = ChildText(block, multicast ? "MsvID" : "UsvID");
    if (!id) id = ChildText(block, "SvID");
    writer.StartElement("SampledValueControl");
    writer.WriteAttribute("name", block.GetName());
    WriteIfPresent(writer, "datSet", DataSetAttribute(block));
    writer.WriteAttribute("smvID", id.value_or(""));
    writer.WriteAttribute("multicast", multicast ? "true" : "false");
    writer.WriteAttribute("smpRate", std::to_string(*rate));
    writer.WriteAttribute("nofASDU", "1");
    writer.StartElement("SmvOpts");
    writer.WriteAttribute("refreshTime", "false");
    writer.WriteAttribute("sampleSynchronized", "true");
    writer.WriteAttribute("sampleRate", "true");
    writer.EndElement();
    writer.EndElement();
    return true;
}

}  // namespace Iec61850::Acsi::Scl
