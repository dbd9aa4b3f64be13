#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

namespace Ui {

// A status bar docked at the bottom of its parent: panes by right edge in pixels (-1 =
// to the end), a text per pane, a minimum height.
class StatusBarWidget : public QWidget {
public:
    explicit StatusBarWidget(QWidget* parent = nullptr);

    bool SetParts(const std::vector<int>& rightEdges);
    int GetParts() const { return static_cast<int>(edges_.size()); }
    std::vector<int> GetPartEdges() const { return edges_; }
    bool SetText(int pane, const QString& text);
    QString GetText(int pane) const;
    void SetMinHeight(int height);
    // Back to the bottom of the parent, full width.
    void Dock();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<int> edges_{-1};
    QStringList texts_{QString()};
    int minHeight_ = 0;
};

}  // namespace Ui
