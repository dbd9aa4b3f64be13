#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;

namespace Ui {

// Four number fields for an IPv4 address. A blank field reads as 0; a field takes only
// digits up to 255, and a keystroke that would go beyond is refused with a beep.
class IpAddressWidget : public QWidget {
public:
    explicit IpAddressWidget(QWidget* parent = nullptr);

    // The address in host order (first field in the top byte); the result is the number
    // of fields that are not blank.
    int GetAddress(std::uint32_t& address) const;
    void SetAddress(std::uint32_t address);
    void ClearAddress();
    bool IsBlank() const;
    QLineEdit* Field(int index) const { return fields_[static_cast<size_t>(index)]; }

protected:
    // "." or a blank moves on to the next field, as typing an address expects.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLineEdit*, 4> fields_{};
};

}  // namespace Ui
