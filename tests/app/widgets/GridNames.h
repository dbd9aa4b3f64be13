#pragma once

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>
#include <string>
#include <vector>

#include "app/widgets/PropertyGrid.h"
#include "ui/Text.h"

namespace GridTest {

// The names a grid shows neither whole in their cells nor whole in the tooltip that the
// pointer on the name brings up. Rows out of view count as they would in view.
inline std::vector<std::string> CutGridNames(Widgets::CPropertyGrid& grid) {
    std::vector<std::string> cut;
    QWidget* widget = grid.GetWidget();
    widget->repaint();
    const QFontMetrics metrics(grid.GetFont());
    for (const auto& section : grid.Sections()) {
        for (const auto& item : section.items) {
            const Ui::RECT& cell = item.nameRect;
            const int room = cell.right - 1 - Widgets::CPropertyGrid::kNameTextLeft;
            const QPoint point((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
            QHelpEvent help(QEvent::ToolTip, point, widget->mapToGlobal(point));
            QApplication::sendEvent(widget, &help);
            // A tooltip is hidden only after a moment: the event says whether one came now.
            const bool tip = help.isAccepted() && QToolTip::isVisible() && Ui::FromQt(QToolTip::text()) == item.name;
            QToolTip::hideText();
            if (metrics.horizontalAdvance(Ui::ToQt(item.name)) > room && !tip) cut.push_back(item.name);
        }
    }
    return cut;
}

}  // namespace GridTest
