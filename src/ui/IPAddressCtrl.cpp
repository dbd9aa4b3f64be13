#include "ui/IPAddressCtrl.h"

#include "ui/IpAddressWidget.h"

namespace Ui {

IpAddressWidget* CIPAddressCtrl::Field() const { return dynamic_cast<IpAddressWidget*>(GetWidget()); }

int CIPAddressCtrl::GetAddress(DWORD& address) const {
    address = 0;
    return Field() ? Field()->GetAddress(address) : 0;
}

int CIPAddressCtrl::GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const {
    DWORD address = 0;
    int filled = GetAddress(address);
    f0 = static_cast<BYTE>(address >> 24);
    f1 = static_cast<BYTE>(address >> 16);
    f2 = static_cast<BYTE>(address >> 8);
    f3 = static_cast<BYTE>(address);
    return filled;
}

void CIPAddressCtrl::SetAddress(DWORD address) {
    if (Field()) Field()->SetAddress(address);
}

void CIPAddressCtrl::SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3) {
    SetAddress((DWORD{f0} << 24) | (DWORD{f1} << 16) | (DWORD{f2} << 8) | f3);
}

void CIPAddressCtrl::ClearAddress() {
    if (Field()) Field()->ClearAddress();
}

std::string CIPAddressCtrl::GetProblem() const { return Field() ? Field()->Problem().toStdString() : std::string(); }

bool CIPAddressCtrl::IsBlank() const { return !Field() || Field()->IsBlank(); }

void CIPAddressCtrl::SetReadOnly(bool readOnly) {
    if (Field()) Field()->SetReadOnly(readOnly);
}

}  // namespace Ui
