#include "ui/ComboBox.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "ui/ControlAccess.h"
#include "ui/Text.h"

namespace Ui {
namespace {

int CompareNoCase(const QString& a, const QString& b) {
    QByteArray x = a.toUtf8();
    QByteArray y = b.toUtf8();
    int n = static_cast<int>(std::min(x.size(), y.size()));
    for (int i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(x[i]);
        unsigned char d = static_cast<unsigned char>(y[i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        if (d >= 'A' && d <= 'Z') d = static_cast<unsigned char>(d - 'A' + 'a');
        if (c != d) return c < d ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

}  // namespace

QComboBox* CComboBox::Combo() const { return qobject_cast<QComboBox*>(GetWidget()); }

int CComboBox::AddString(const std::string& text) {
    QComboBox* combo = Combo();
    if (!combo) return CB_ERR;
    QString item = ToQt(text);
    int index = combo->count();
    if (ControlStyle(combo) & CBS_SORT) {
        index = 0;
        while (index < combo->count() && CompareNoCase(combo->itemText(index), item) <= 0) ++index;
    }
    QSignalBlocker quiet(combo);
    int selected = combo->currentIndex();
    combo->insertItem(index, item);
    // Adding an item to a list with nothing chosen leaves nothing chosen.
    if (selected < 0) combo->setCurrentIndex(-1);
    return index;
}

int CComboBox::InsertString(int index, const std::string& text) {
    QComboBox* combo = Combo();
    if (!combo || index > combo->count()) return CB_ERR;
    if (index < 0) index = combo->count();
    QSignalBlocker quiet(combo);
    int selected = combo->currentIndex();
    combo->insertItem(index, ToQt(text));
    if (selected < 0) combo->setCurrentIndex(-1);
    return index;
}

int CComboBox::DeleteString(int index) {
    QComboBox* combo = Combo();
    if (!combo || index < 0 || index >= combo->count()) return CB_ERR;
    QSignalBlocker quiet(combo);
    combo->removeItem(index);
    return combo->count();
}

void CComboBox::ResetContent() {
    if (QComboBox* combo = Combo()) {
        QSignalBlocker quiet(combo);
        combo->clear();
    }
}

int CComboBox::GetCount() const { return Combo() ? Combo()->count() : CB_ERR; }

int CComboBox::GetCurSel() const { return Combo() ? Combo()->currentIndex() : CB_ERR; }

int CComboBox::SetCurSel(int index) {
    QComboBox* combo = Combo();
    if (!combo) return CB_ERR;
    QSignalBlocker quiet(combo);
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return CB_ERR;
    }
    combo->setCurrentIndex(index);
    return index;
}

std::string CComboBox::GetLBText(int index) const {
    QComboBox* combo = Combo();
    if (!combo || index < 0 || index >= combo->count()) return {};
    return FromQt(combo->itemText(index));
}

int CComboBox::FindStringExact(int startAfter, const std::string& text) const {
    QComboBox* combo = Combo();
    if (!combo) return CB_ERR;
    QString item = ToQt(text);
    for (int i = startAfter + 1; i < combo->count(); ++i) {
        if (CompareNoCase(combo->itemText(i), item) == 0) return i;
    }
    return CB_ERR;
}

}  // namespace Ui
