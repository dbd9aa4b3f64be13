// The folders of src/ and the arrows between them: every include of every file keeps to
// the table below, and a folder that is not in it fails until it is declared.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "layers/IncludeCheck.h"

namespace {

namespace fs = std::filesystem;
using Layers::FolderRule;
using Layers::Table;

const fs::path kSource = fs::path(IEC_SOURCE_DIR) / "src";

// Bottom to top. The MMS floors: pdu → values → machine → user; the IEC 61850 client's:
// model → client → reader and registry (which do not know each other). Private headers
// are implementation details that only their own folder includes.
const Table& SourceTable() {
    static const Table table{
        {"system", {}, false, false, {"TimerService.h"}},
        {"protocol", {"system"}, false, false, {"Asn1Access.h", "Asn1ValueSupport.h"}},
        {"osi",
         {"protocol", "system"},
         false,
         false,
         {"AbSpdu.h",
          "AcSpdu.h",
          "CnSpdu.h",
          "ConnectSpdu.h",
          "DtSpdu.h",
          "GtDtSpdu.h",
          "GtSpdu.h",
          "RfSpdu.h",
          "Spdu.h",
          "CcTpdu.h",
          "ConnectTpdu.h",
          "CrTpdu.h",
          "DrTpdu.h",
          "DtTpdu.h",
          "ErTpdu.h",
          "Tpdu.h",
          "AcsePdus.h",
          "PresentationPdus.h",
          "PresentationEncoding.h",
          "EnclosingFrame.h",
          "SocketHandle.h"}},
        {"mms/pdu", {"protocol", "system"}, false, false, {"MmsPduTables.h"}},
        {"mms/values",
         {"mms/pdu", "protocol", "system"},
         false,
         false,
         {"ContainerDataXml.h", "ContainerOctets.h", "ContainerSize.h", "ContainerXml.h"}},
        {"mms/machine", {"mms/values", "mms/pdu", "osi", "protocol", "system"}, false, false, {"InvokeCounter.h"}},
        {"mms/user",
         {"mms/machine", "mms/values", "mms/pdu", "osi", "protocol", "system"},
         false,
         false,
         {"MmsObjectNames.h", "NameListBuilder.h"}},
        {"iec61850/scl", {"system"}, false, false, {"DictionaryTables.h", "XmlText.h"}},
        {"iec61850/acsi/model",
         {"iec61850/scl", "mms/user", "mms/values", "mms/pdu", "protocol", "system"},
         false,
         false,
         {"ComponentVariable.h", "OwnedByName.h"}},
        {"iec61850/acsi/client",
         {"iec61850/acsi/model", "iec61850/scl", "mms/user", "mms/machine", "mms/values", "mms/pdu", "osi", "protocol",
          "system"},
         false,
         false,
         {"AcsiLayer.h", "AcsiStack.h", "ServiceModel.h"}},
        {"iec61850/acsi/reader",
         {"iec61850/acsi/client", "iec61850/acsi/model", "iec61850/scl", "mms/user", "mms/machine", "mms/values",
          "mms/pdu", "system"},
         false,
         false,
         {}},
        {"iec61850/acsi/registry",
         {"iec61850/acsi/client", "iec61850/acsi/model", "system"},
         false,
         false,
         {"HandleTable.h", "RegistryLock.h"}},
        {"iec61850/icd",
         {"iec61850/acsi/client", "iec61850/acsi/model", "iec61850/scl", "mms/user", "mms/machine", "mms/values",
          "system"},
         false,
         false,
         {"ControlBlockAddress.h", "DecimalText.h", "IcdEnumerations.h", "ReplacingFileWriter.h", "SclTreeNode.h"}},
        {"ui/messages", {}, false, false, {}},
        {"ui", {"ui/messages"}, true, false, {"IpAddressWidget.h", "StatusBarWidget.h", "UpDownWidget.h"}},
        {"app/ids", {"ui/messages"}, false, false, {}},
        {"app/goose", {}, false, true, {"GooseBerReaders.h"}},
        {"app/widgets",
         {"app/ids", "ui", "ui/messages"},
         true,
         false,
         {"MaskPositions.h", "NumberText.h", "PropertyGridCombo.h", "PropertyGridDirectoryPicker.h",
          "PropertyGridInPlaceEdit.h", "PropertyGridMonthCalCtrl.h"}},
        {"app/client",
         {"ui/messages", "iec61850/acsi/reader", "iec61850/acsi/registry", "iec61850/acsi/client",
          "iec61850/acsi/model", "iec61850/scl", "mms/user", "mms/machine", "mms/values", "system"},
         false,
         false,
         {"SelectionCollector.h"}},
        {"app/program",
         {"app/client", "app/goose", "app/widgets", "app/ids", "ui", "ui/messages", "iec61850/icd",
          "iec61850/acsi/registry", "iec61850/acsi/client", "iec61850/acsi/model", "iec61850/scl", "system"},
         true,
         false,
         {"UiNotifier.h"}},
        {"app", {"app/program", "iec61850/icd", "iec61850/acsi/registry", "ui", "ui/messages"}, true, false, {}},
    };
    return table;
}

TEST(LayerGraph, EveryIncludeOfTheSourceTreeKeepsToTheTable) {
    EXPECT_EQ(Layers::FindIncludeFaults(kSource, SourceTable()), std::vector<std::string>{});
}

TEST(LayerGraph, TheTableListsWhatExistsAndPointsOneWay) {
    EXPECT_EQ(Layers::FindTableFaults(kSource, SourceTable()), std::vector<std::string>{});
}

TEST(LayerGraph, LibrariesLinkOnlyWhatTheirFoldersMayInclude) {
    EXPECT_EQ(Layers::FindLinkFaults(kSource, SourceTable()), std::vector<std::string>{});
}

TEST(LayerGraph, FloorsReachOnlyDownwards) {
    struct Case {
        const char* folder;
        std::vector<std::string> neverReached;
    };
    const std::vector<std::string> program{"iec61850/icd", "ui",         "app/goose",
                                           "app/widgets",  "app/client", "app/program"};
    const Case cases[] = {
        {"mms/values", {"mms/machine", "mms/user"}},
        {"mms/machine", {"mms/user"}},
        {"iec61850/acsi/model", {"iec61850/acsi/client", "iec61850/acsi/reader", "iec61850/acsi/registry"}},
        {"iec61850/acsi/reader", {"iec61850/acsi/registry"}},
        {"iec61850/acsi/registry", {"iec61850/acsi/reader"}},
        // The device model and the client sit below the ICD exporter and the program.
        {"iec61850/acsi/model", program},
        {"iec61850/acsi/client", program},
        {"iec61850/acsi/reader", program},
        {"iec61850/acsi/registry", program},
        {"app/client", {"ui", "app/widgets", "app/program", "app/goose", "iec61850/icd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::set<std::string> reached = Layers::Reach(SourceTable(), c.folder);
        EXPECT_FALSE(reached.empty());
        for (const std::string& above : c.neverReached) EXPECT_FALSE(reached.contains(above)) << above;
    }
}

}  // namespace
