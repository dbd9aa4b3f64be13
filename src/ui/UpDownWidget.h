#pragma once

#include <QPointer>
#include <QWidget>

class QToolButton;

namespace Ui {

// An up-down control: two arrow buttons (and the Up and Down keys in its buddy when it
// has arrow keys). Each step asks the parent first with UDN_DELTAPOS, which may refuse it
// or change the delta; the control never edits its buddy's text itself.
class UpDownWidget : public QWidget {
public:
    explicit UpDownWidget(QWidget* parent = nullptr, bool arrowKeys = true);

    void SetRange(int lower, int upper);
    int GetLower() const { return lower_; }
    int GetUpper() const { return upper_; }
    int GetPos() const { return pos_; }
    void SetPos(int pos);
    void SetBuddy(QWidget* buddy);
    QWidget* GetBuddy() const { return buddy_.data(); }
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

    // One step as a click or key gives it: +1 up, -1 down.
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    QPointer<QWidget> buddy_;
    bool arrowKeys_;
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 0;
};

}  // namespace Ui
