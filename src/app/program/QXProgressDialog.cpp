#include "app/program/QXProgressDialog.h"

#include <limits>
#include <string>

#include "app/client/QXMessages.h"
#include "app/ids/ControlIds.h"
#include "app/program/ProgramResources.h"
#include "ui/DataExchange.h"
#include "ui/TextFit.h"
#include "ui/messages/MessageParams.h"

namespace App {

using namespace Ui;

QXProgressDialog::QXProgressDialog(CWnd* parent) : CDialog(IDD_QX_PROGRESS, parent) {
    RegisterProgramResources();
    MapMessage(WM_QX_MODEL_READ_PROGRESS, [this](WPARAM w, LPARAM l) { return OnProgress(w, l); });
    Create(IDD_QX_PROGRESS, parent);
    // The bar is right from the first record: a position below 500 is a part of 500.
    progress_.SetRange32(0, limit_);
}

QXProgressDialog::~QXProgressDialog() { DestroyWindow(); }

void QXProgressDialog::DoDataExchange(CDataExchange* dx) {
    namespace Id = ControlId::ModelProgress;
    DDX_Control(dx, Id::Bar, progress_);
    DDX_Control(dx, Id::Devices, devices_);
    DDX_Control(dx, Id::Nodes, nodes_);
    DDX_Control(dx, Id::DataObjects, dataObjects_);
}

BOOL QXProgressDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    FitStaticTexts(GetWidget());
    return TRUE;
}

LRESULT QXProgressDialog::OnProgress(WPARAM, LPARAM lParam) {
    const auto* record = ParamAs<const ModelReadProgress>(lParam);
    if (record == nullptr) return 1;
    dataObjects_.SetWindowText(std::to_string(record->dataObjects));
    devices_.SetWindowText(std::to_string(record->logicalDevices));
    nodes_.SetWindowText(std::to_string(record->logicalNodes));
    if (record->allObjects >= limit_) {
        // The whole 32-bit range: a large model keeps its bar true, and the limit stops
        // at the largest value instead of overflowing.
        constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
        limit_ = limit_ > largest / 2 ? largest : limit_ * 2;
        progress_.SetRange32(0, limit_);
    }
    progress_.SetPos(record->allObjects);
    Invalidate();
    return 1;
}

}  // namespace App
