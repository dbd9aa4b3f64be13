#include "app/widgets/AboutPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Widgets {
namespace {

const QColor kNavy(0, 0, 120);
const QColor kAmber(240, 170, 20);

// A lightning bolt, the emblem of the program, inside `box`.
void DrawBolt(QPainter& painter, const QRectF& box) {
    QPainterPath bolt;
    const auto at = [&box](double x, double y) {
        return QPointF(box.left() + x * box.width(), box.top() + y * box.height());
    };
    bolt.moveTo(at(0.60, 0.00));
    bolt.lineTo(at(0.15, 0.55));
    bolt.lineTo(at(0.45, 0.55));
    bolt.lineTo(at(0.35, 1.00));
    bolt.lineTo(at(0.85, 0.40));
    bolt.lineTo(at(0.55, 0.40));
    bolt.closeSubpath();
    painter.setPen(QPen(kNavy, 1));
    painter.setBrush(kAmber);
    painter.drawPath(bolt);
}

}  // namespace

QPixmap DrawAboutLogo() {
    QPixmap logo(32, 32);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kNavy, 2));
    painter.setBrush(QColor(225, 235, 250));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    DrawBolt(painter, QRectF(7, 4, 18, 24));
    return logo;
}

QPixmap DrawAboutBanner(QSize size) {
    QPixmap banner(size);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), 0);
    sky.setColorAt(0, QColor(20, 40, 120));
    sky.setColorAt(1, QColor(90, 140, 210));
    painter.fillRect(banner.rect(), sky);
    // A busbar with feeders, each with its breaker: the single-line diagram the program
    // reads from a device, spread over the width it is given.
    painter.setPen(QPen(Qt::white, 3));
    const int bus = size.height() * 4 / 13;
    painter.drawLine(30, bus, size.width() - 30, bus);
    painter.setPen(QPen(Qt::white, 2));
    constexpr int feeders = 6;
    const int spacing = (size.width() - 140) / (feeders - 1);
    for (int feeder = 0; feeder < feeders; ++feeder) {
        const int x = 70 + feeder * spacing;
        painter.drawLine(x, bus, x, bus + 22);
        painter.setBrush(feeder % 2 == 0 ? QColor(200, 40, 40) : QColor(40, 170, 60));
        painter.drawRect(x - 8, bus + 22, 16, 16);
        painter.drawLine(x, bus + 38, x, size.height() - 20);
        painter.drawLine(x - 8, size.height() - 20, x + 8, size.height() - 20);
    }
    DrawBolt(painter, QRectF(size.width() - 60, 8, 24, 30));
    return banner;
}

}  // namespace Widgets
