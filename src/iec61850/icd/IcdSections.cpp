// The sections of the ICD document between the head and the end.

#include "iec61850/acsi/LogicalDevice.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/scl/XmlWriter.h"

namespace Iec61850::Acsi::Scl {

void IcdExporter::WriteHeaderAndServices(XmlWriter& writer) {
    writer.StartElement("SCL");
    writer.WriteAttribute("xmlns", "http://www.iec.ch/61850/2003/SCL");
    writer.StartElement("Header");
    writer.WriteAttribute("id", iedName_);
    writer.EndElement();
    writer.StartElement("IED");
    writer.WriteAttribute("name", iedName_);
    writer.StartElement("AccessPoint");
    writer.WriteAttribute("name", "S1");
    writer.StartElement("Server");
    writer.StartElement("Authentication");
    writer.WriteAttribute("none", "true");
    writer.EndElement();
}

void IcdExporter::WriteLogicalDevice(XmlWriter& writer, LogicalDevice& device) {
    writer.StartElement("LDevice");
    writer.WriteAttribute("inst", LdInstOf(device));
    writer.EndElement();
}

void IcdExporter::NumberTypeClasses(std::vector<TypeFiling>& filings) { (void)filings; }

void IcdExporter::WriteDataTypeTemplates(XmlWriter& writer) {
    writer.StartElement("DataTypeTemplates");
    writer.EndElement();
}

}  // namespace Iec61850::Acsi::Scl
