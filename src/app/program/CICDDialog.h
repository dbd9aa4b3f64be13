#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/widgets/PropertyGrid.h"
#include "ui/Dialog.h"

namespace App {

// The "Device parameters" dialog of the ICD export. It learns from the exporter's section
// list only which sections are offered, shows one grid section with fixed captions for
// each, keeps what the user changes and, after OK, writes the answers the exporter reads
// back: one line of "<Answers>" XML, every item of every offered section, numbers in
// decimal.
class CICDDialog : public Ui::CDialog {
public:
    // The grid items in the order their ids are kept.
    enum Item {
        Max,
        MaxAttributes,
        LogCbName,
        LogDatSet,
        LogLogEna,
        LogTrgOps,
        LogIntgPd,
        ReportCbName,
        ReportIndex,
        ReportDatSet,
        ReportRptId,
        ReportOptFields,
        ReportBufTime,
        ReportTrgOps,
        ReportIntgPd,
        SmvCbName,
        SmvDatSet,
        SmvSvId,
        SmvOptFields,
        SmvSmpRate,
        FixLnInst,
        FixPrefix,
        ItemCount
    };

    CICDDialog(Ui::CWnd* parent, const std::string& sectionList);

    void DoDataExchange(Ui::CDataExchange* dx) override;
    Ui::BOOL OnInitDialog() override;
    // The grid's change notification: wParam = the item's id. 0.
    Ui::LRESULT OnGridItemChanged(Ui::WPARAM wParam, Ui::LPARAM lParam);
    // Replaces `answers` with the answers of the current values.
    void GetAnswers(std::string& answers) const;

    bool OffersDynDataSet() const { return dynDataSet_ != 0; }
    bool OffersLogSettings() const { return logSettings_ != 0; }
    bool OffersReportSettings() const { return reportSettings_ != 0; }
    bool OffersSmvSettings() const { return smvSettings_ != 0; }
    bool OffersConfLns() const { return confLns_ != 0; }
    // The grid id of an item; -1 when its section is not shown.
    int GetItemId(Item item) const { return itemIds_[item]; }
    Widgets::CPropertyGrid& GetGrid() { return grid_; }

private:
    // The field an item's value is kept in: an int, or one of the two flags.
    std::int32_t* IntField(int item);
    std::uint8_t* FlagField(int item);

    std::uint8_t dynDataSet_ = 0;
    std::uint8_t logSettings_ = 0;
    std::uint8_t reportSettings_ = 0;
    std::uint8_t smvSettings_ = 0;
    std::uint8_t confLns_ = 0;

    std::int32_t max_ = 0;
    std::int32_t maxAttributes_ = 0;
    std::int32_t logCbName_ = 2;
    std::int32_t logDatSet_ = 1;
    std::int32_t logLogEna_ = 1;
    std::int32_t logTrgOps_ = 1;
    std::int32_t logIntgPd_ = 1;
    std::int32_t reportCbName_ = 2;
    std::int32_t reportIndex_ = 1;
    std::int32_t reportDatSet_ = 0;
    std::int32_t reportRptId_ = 0;
    std::int32_t reportOptFields_ = 0;
    std::int32_t reportBufTime_ = 0;
    std::int32_t reportTrgOps_ = 0;
    std::int32_t reportIntgPd_ = 0;
    std::int32_t smvCbName_ = 2;
    std::int32_t smvDatSet_ = 1;
    std::int32_t smvSvId_ = 0;
    std::int32_t smvOptFields_ = 1;
    std::int32_t smvSmpRate_ = 1;
    std::uint8_t fixLnInst_ = 1;
    std::uint8_t fixPrefix_ = 1;

    std::array<int, ItemCount> itemIds_;
    Widgets::CPropertyGrid grid_;
};

}  // namespace App
