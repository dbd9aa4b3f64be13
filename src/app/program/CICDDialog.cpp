#include "app/program/CICDDialog.h"

#include <cstdio>
#include <vector>

#include "app/ids/ControlIds.h"
#include "app/program/IcdResources.h"
#include "iec61850/scl/XmlCursor.h"
#include "ui/DataExchange.h"

namespace App {

using namespace Ui;

namespace {

// One item as the grid shows it and the answers write it.
enum class Kind { Integer, Settings, NoYes, Boolean };

struct ItemRow {
    CICDDialog::Item item;
    const char* caption;
    Kind kind;
};

struct SectionRow {
    const char* caption;
    std::vector<ItemRow> items;
};

const std::vector<std::string>& SettingOptions() {
    static const std::vector<std::string> options = {"Dynamic", "Configurable", "Fixed"};
    return options;
}

const std::vector<std::string>& NoYesOptions() {
    static const std::vector<std::string> options = {"No", "Yes"};
    return options;
}

void AppendItem(std::string& text, const char* name, int value) {
    char item[64];
    std::snprintf(item, sizeof item, "<%s Value=\"%d\"/>", name, value);
    text += item;
}

}  // namespace

CICDDialog::CICDDialog(CWnd* parent, const std::string& sectionList) : CDialog(IDD_DEVICE_PARAMETERS, parent) {
    RegisterIcdResources();
    itemIds_.fill(-1);
    MapMessage(Widgets::WM_PG_ITEMCHANGED, [this](WPARAM w, LPARAM l) { return OnGridItemChanged(w, l); });

    // Only which sections the list holds counts; their captions, types and values do not.
    Iec61850::Acsi::Scl::XmlCursor cursor;
    if (!cursor.Parse(sectionList.c_str())) return;
    std::uint8_t* const flags[] = {&dynDataSet_, &reportSettings_, &logSettings_, &smvSettings_, &confLns_};
    const char* const names[] = {"DynDataSet", "ReportSettings", "LogSettings", "SMVSettings", "ConfLNs"};
    for (int i = 0; i < 5; ++i) {
        *flags[i] = cursor.FindElement(names[i]) ? 1 : 0;
        cursor.Rewind();
    }
}

void CICDDialog::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, ControlId::DeviceParameters::Grid, grid_); }

BOOL CICDDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    const std::vector<std::string>& settings = SettingOptions();
    const std::vector<std::string>& noYes = NoYesOptions();
    struct Offered {
        bool offered;
        SectionRow row;
    };
    const Offered sections[] = {
        {OffersDynDataSet(),
         {"Dynamic datasets",
          {{Max, "Max Datasets", Kind::Integer}, {MaxAttributes, "Max Attributes", Kind::Integer}}}},
        {OffersReportSettings(),
         {"Reporting settings",
          {{ReportCbName, "Reporting CB Name", Kind::Settings},
           {ReportIndex, "Reporting CB Name With Index", Kind::NoYes},
           {ReportDatSet, "Reporting Dataset", Kind::Settings},
           {ReportRptId, "Reporting ID", Kind::Settings},
           {ReportOptFields, "Reporting Option Flags", Kind::Settings},
           {ReportBufTime, "Reporting Buffering Time", Kind::Settings},
           {ReportTrgOps, "Reporting Triggering Options", Kind::Settings},
           {ReportIntgPd, "Reporting Integrity Period", Kind::Settings}}}},
        {OffersLogSettings(),
         {"Log settings",
          {{LogCbName, "Log CB Name", Kind::Settings},
           {LogDatSet, "Log Dataset", Kind::Settings},
           {LogLogEna, "Log Enable", Kind::Settings},
           {LogTrgOps, "Log Triggering Options", Kind::Settings},
           {LogIntgPd, "Log Integrity Period", Kind::Settings}}}},
        {OffersSmvSettings(),
         {"Sampled values settings",
          {{SmvCbName, "SValues CB Name", Kind::Settings},
           {SmvDatSet, "SValues Dataset", Kind::Settings},
           {SmvSvId, "SValues ID", Kind::Settings},
           {SmvOptFields, "SValues Option Flags", Kind::Settings},
           {SmvSmpRate, "SValues Sampling Rate", Kind::Settings}}}},
        {OffersConfLns(),
         {"Logical node settings",
          {{FixPrefix, "Fixed LN Prefix", Kind::Boolean}, {FixLnInst, "Fixed LN Instance", Kind::Boolean}}}},
    };
    for (const Offered& section : sections) {
        if (!section.offered) continue;
        const int id = grid_.AddSection(section.row.caption, false, -1);
        for (const ItemRow& row : section.row.items) {
            int& slot = itemIds_[row.item];
            switch (row.kind) {
                case Kind::Integer:
                    slot = grid_.AddIntegerItem(id, row.caption, *IntField(row.item), "", true, false);
                    grid_.SetItemIsCount(slot);
                    break;
                case Kind::Settings:
                    slot = grid_.AddComboItem(id, row.caption, settings, *IntField(row.item), true, false);
                    break;
                case Kind::NoYes:
                    slot = grid_.AddComboItem(id, row.caption, noYes, *IntField(row.item), true, false);
                    break;
                case Kind::Boolean:
                    slot = grid_.AddBoolItem(id, row.caption, *FlagField(row.item) != 0, true, false);
                    break;
            }
        }
    }
    // The captions are longer than the choices: the names get the room the values spare.
    grid_.FitNameColumn();
    return TRUE;
}

std::int32_t* CICDDialog::IntField(int item) {
    std::int32_t* const fields[] = {
        &max_,         &maxAttributes_,   &logCbName_,     &logDatSet_,    &logLogEna_,
        &logTrgOps_,   &logIntgPd_,       &reportCbName_,  &reportIndex_,  &reportDatSet_,
        &reportRptId_, &reportOptFields_, &reportBufTime_, &reportTrgOps_, &reportIntgPd_,
        &smvCbName_,   &smvDatSet_,       &smvSvId_,       &smvOptFields_, &smvSmpRate_,
    };
    return item >= 0 && item < FixLnInst ? fields[item] : nullptr;
}

std::uint8_t* CICDDialog::FlagField(int item) {
    switch (item) {
        case FixLnInst: return &fixLnInst_;
        case FixPrefix: return &fixPrefix_;
        default: return nullptr;
    }
}

LRESULT CICDDialog::OnGridItemChanged(WPARAM wParam, LPARAM) {
    const int id = static_cast<int>(wParam);
    for (int item = 0; item < ItemCount; ++item) {
        if (itemIds_[item] == -1 || itemIds_[item] != id) continue;
        if (std::uint8_t* flag = FlagField(item)) {
            bool value = false;
            if (grid_.GetItemValue(id, value)) *flag = value ? 1 : 0;
        } else {
            int value = 0;
            if (grid_.GetItemValue(id, value)) *IntField(item) = value;
        }
        break;
    }
    return 0;
}

void CICDDialog::GetAnswers(std::string& answers) const {
    answers = "<Answers>";
    if (OffersDynDataSet()) {
        answers += "<DynDataSet>";
        AppendItem(answers, "max", max_);
        AppendItem(answers, "maxAttributes", maxAttributes_);
        answers += "</DynDataSet>";
    }
    if (OffersReportSettings()) {
        answers += "<ReportSettings>";
        AppendItem(answers, "cbName", reportCbName_);
        AppendItem(answers, "index", reportIndex_);
        AppendItem(answers, "datSet", reportDatSet_);
        AppendItem(answers, "rptID", reportRptId_);
        AppendItem(answers, "optFields", reportOptFields_);
        AppendItem(answers, "bufTime", reportBufTime_);
        AppendItem(answers, "trgOps", reportTrgOps_);
        AppendItem(answers, "intgPd", reportIntgPd_);
        answers += "</ReportSettings>";
    }
    if (OffersLogSettings()) {
        answers += "<LogSettings>";
        AppendItem(answers, "cbName", logCbName_);
        AppendItem(answers, "datSet", logDatSet_);
        AppendItem(answers, "logEna", logLogEna_);
        AppendItem(answers, "trgOps", logTrgOps_);
        AppendItem(answers, "intgPd", logIntgPd_);
        answers += "</LogSettings>";
    }
    if (OffersSmvSettings()) {
        answers += "<SMVSettings>";
        AppendItem(answers, "cbName", smvCbName_);
        AppendItem(answers, "datSet", smvDatSet_);
        AppendItem(answers, "svID", smvSvId_);
        AppendItem(answers, "optFields", smvOptFields_);
        AppendItem(answers, "smpRate", smvSmpRate_);
        answers += "</SMVSettings>";
    }
    if (OffersConfLns()) {
        answers += "<ConfLNs>";
        AppendItem(answers, "fixPrefix", fixPrefix_ != 0 ? 1 : 0);
        AppendItem(answers, "fixLnInst", fixLnInst_ != 0 ? 1 : 0);
        answers += "</ConfLNs>";
    }
    answers += "</Answers>";
}

}  // namespace App
