// The data type templates of the ICD document.

#include "iec61850/icd/ICDClasses.h"
#include "iec61850/scl/XmlWriter.h"

namespace Iec61850::Acsi::Scl {

void IcdExporter::NumberTypeClasses(std::vector<TypeFiling>& filings) { (void)filings; }

void IcdExporter::WriteDataTypeTemplates(XmlWriter& writer) {
    writer.StartElement("DataTypeTemplates");
    writer.EndElement();
}

}  // namespace Iec61850::Acsi::Scl
