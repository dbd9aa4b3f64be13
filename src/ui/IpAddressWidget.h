#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

class QLineEdit;
class QMenu;

namespace Ui {

// Four number fields for an IPv4 address. A blank field reads as 0; a field takes up to
// three digits, and any other keystroke is refused with a beep. A number over 255 stays as
// typed, and Problem names it, so that nothing is taken for an address nobody typed.
class IpAddressWidget : public QWidget {
public:
    explicit IpAddressWidget(QWidget* parent = nullptr);

    // The address in host order (first field in the top byte); the result is the number
    // of fields that hold a number from 0 to 255 (others read as 0).
    int GetAddress(std::uint32_t& address) const;
    void SetAddress(std::uint32_t address);
    void ClearAddress();
    bool IsBlank() const;
    // Why the address shown may not be used, in one line: a number over 255 ("999 is not a
    // number from 0 to 255"), or a paste that was refused since the last change; empty
    // when there is nothing against it.
    QString Problem() const;
    QLineEdit* Field(int index) const { return fields_[static_cast<size_t>(index)]; }
    // The field's own context menu, whose Paste pastes as Ctrl+V does (a dotted address
    // fills all four fields, anything else with a dot or a letter is refused and named).
    // The caller owns it.
    QMenu* CreateFieldMenu(QLineEdit* field);
    // Read-only while the address is in use: shown, selectable, not editable.
    void SetReadOnly(bool readOnly);

protected:
    // "." or a blank moves on to the next field, as typing an address expects; select all
    // takes the whole address, so that what is typed next replaces it; a pasted dotted
    // address fills all four fields, and anything else with a dot or a letter is refused.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnFieldKey(size_t index, QKeyEvent* key);
    bool PasteAddress();
    void MoveTo(size_t index);

    std::array<QLineEdit*, 4> fields_{};
    bool readOnly_ = false;
    bool wholeSelected_ = false;
    // The field the third digit of the one before moved to: a "." typed next is the one
    // the user meant for that move, not a request to skip this field.
    int autoMovedTo_ = -1;
    QString rejectedPaste_;
};

}  // namespace Ui
