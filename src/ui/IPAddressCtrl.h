#pragma once

#include <cstdint>
#include <string>

#include "ui/Wnd.h"

namespace Ui {

class IpAddressWidget;

// The IPv4 address field: blank fields read as 0; the result counts the fields filled.
class CIPAddressCtrl : public CWnd {
public:
    int GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const;
    int GetAddress(DWORD& address) const;
    void SetAddress(DWORD address);
    void SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3);
    void ClearAddress();
    bool IsBlank() const;
    // Why the address may not be used (see IpAddressWidget::Problem); empty for nothing.
    std::string GetProblem() const;
    void SetReadOnly(bool readOnly);

private:
    IpAddressWidget* Field() const;
};

}  // namespace Ui
