#pragma once

#include <cstdint>
#include <string>

#include "ui/OleDateTime.h"
#include "ui/messages/Types.h"

class QWidget;

namespace Ui {

class CWnd;
class CDialog;

// Thrown by CDataExchange::Fail and caught by UpdateData, which then answers false.
struct DataExchangeRefused {};

// One exchange between a dialog's controls and its members. Saving, text that does not
// parse or fit is refused: the member keeps its value, the control gets the focus, the
// user is told, and the exchange stops.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    // The control `id` of the dialog; a missing one is a fault of the program's binding
    // list and stops the exchange.
    QWidget* PrepareCtrl(int id);
    [[noreturn]] void Fail(QWidget* control, const std::string& message);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, std::string& value);
// Decimal as "%lu" writes it; refuses what is not a whole number from 0 to 4294967295.
void DDX_Text(CDataExchange* dx, int id, std::uint32_t& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
// The index of the checked button of the radio group that starts at `id`, -1 for none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
void DDX_Scroll(CDataExchange* dx, int id, int& value);
void DDX_Slider(CDataExchange* dx, int id, int& value);
void DDX_DateTimeCtrl(CDataExchange* dx, int id, COleDateTime& value);
void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value);

}  // namespace Ui
