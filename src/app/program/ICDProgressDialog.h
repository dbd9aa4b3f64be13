#pragma once

#include <cstdint>

#include "ui/Dialog.h"
#include "ui/Edit.h"
#include "ui/ProgressCtrl.h"

namespace App {

// The small window that shows how many logical nodes have had their values read before
// an ICD export. It exists, hidden, from construction; the main dialog shows it, gives it
// the total of reads, forwards the client's counts of reads still outstanding and hides
// it. The bar counts reads, the "Explored LN" field logical nodes.
//
// The range is the whole 32-bit value: a device with more than 32767 logical nodes keeps
// a true bar.
class ICDProgressDialog : public Ui::CDialog {
public:
    explicit ICDProgressDialog(Ui::CWnd* parent = nullptr);
    ~ICDProgressDialog() override;

    void DoDataExchange(Ui::CDataExchange* dx) override;
    // Texts the template's boxes would cut grow to their words.
    Ui::BOOL OnInitDialog() override;

    // The number of reads (IcdValueReadsPerNode for each logical node).
    void SetTotal(int total) { range_ = total; }
    // The bar's range becomes 0 .. the range. 1.
    int ApplyRange();
    // WM_QX_ICD_PROGRESS: lParam = the reads still outstanding. 1.
    Ui::LRESULT OnProgress(Ui::WPARAM wParam, Ui::LPARAM lParam);

    int GetRange() const { return range_; }
    Ui::CProgressCtrl& GetProgressCtrl() { return progress_; }
    Ui::CEdit& GetCountEdit() { return count_; }

private:
    int range_ = 10;
    Ui::CProgressCtrl progress_;
    Ui::CEdit count_;
};

}  // namespace App
