#pragma once

#include <cstdint>

#include "ui/Dialog.h"
#include "ui/Edit.h"
#include "ui/ProgressCtrl.h"

namespace App {

// The small window that shows how far the reading of the device's model has come. It
// exists, hidden, from construction; the main dialog shows it, feeds it the progress
// records and hides it again.
class QXProgressDialog : public Ui::CDialog {
public:
    explicit QXProgressDialog(Ui::CWnd* parent = nullptr);
    ~QXProgressDialog() override;

    void DoDataExchange(Ui::CDataExchange* dx) override;
    // Texts the template's boxes would cut grow to their words.
    Ui::BOOL OnInitDialog() override;
    // WM_QX_MODEL_READ_PROGRESS: lParam points at a ModelReadProgress.
    Ui::LRESULT OnProgress(Ui::WPARAM wParam, Ui::LPARAM lParam);

    std::int32_t GetLimit() const { return limit_; }

private:
    std::int32_t limit_ = 500;
    Ui::CProgressCtrl progress_;
    Ui::CEdit devices_;
    Ui::CEdit nodes_;
    Ui::CEdit dataObjects_;
};

}  // namespace App
