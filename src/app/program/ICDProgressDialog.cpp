#include "app/program/ICDProgressDialog.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "app/client/IcdValueReads.h"
#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/IcdResources.h"
#include "ui/DataExchange.h"
#include "ui/TextFit.h"

namespace App {

using namespace Ui;

ICDProgressDialog::ICDProgressDialog(CWnd* parent) : CDialog(IDD_ICD_PROGRESS, parent) {
    RegisterIcdResources();
    MapMessage(WM_QX_ICD_PROGRESS, [this](WPARAM w, LPARAM l) { return OnProgress(w, l); });
    Create(IDD_ICD_PROGRESS, parent);
}

ICDProgressDialog::~ICDProgressDialog() { DestroyWindow(); }

void ICDProgressDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, ControlId::IcdProgress::Bar, progress_);
    DDX_Control(dx, ControlId::IcdProgress::Count, count_);
}

BOOL ICDProgressDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    FitStaticTexts(GetWidget());
    return TRUE;
}

int ICDProgressDialog::ApplyRange() {
    progress_.SetRange32(0, range_);
    return 1;
}

LRESULT ICDProgressDialog::OnProgress(WPARAM, LPARAM lParam) {
    const std::int64_t outstanding = static_cast<std::int64_t>(lParam);
    if (range_ - outstanding < 0) {
        // Once per message, and never past the largest range the bar takes.
        constexpr int largest = std::numeric_limits<int>::max();
        range_ = range_ > largest / 2 ? largest : range_ * 2;
    }
    progress_.SetRange32(0, range_);
    const std::int64_t done = range_ - outstanding;
    // The bar moves by reads, the count by logical nodes: each node has its reads asked in
    // turn, so every IcdValueReadsPerNode reads confirmed are one node's.
    char text[32];
    std::snprintf(text, sizeof text, "%lli", static_cast<long long>(done / IcdValueReadsPerNode));
    count_.SetWindowText(text);
    progress_.SetPos(static_cast<int>(std::max<std::int64_t>(done, std::numeric_limits<int>::min())));
    Invalidate();
    UpdateWindow();
    return 1;
}

}  // namespace App
