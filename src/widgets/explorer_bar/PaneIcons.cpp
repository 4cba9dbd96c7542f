#include "PaneIcons.h"

#include "PaintedIconEngine.h"

#include <QPainter>
#include <QPainterPath>

namespace vortalux {

namespace {

// Every drawing works on a grid of `units` x `units`, scaled to the square it is asked to fill.
QIcon Drawn(qreal units, std::function<void(QPainter&)> drawing)
{
    return PaintedIconEngine::MakeIcon([units, drawing](QPainter& painter, const QRectF& square) {
        painter.translate(square.topLeft());
        painter.scale(square.width() / units, square.height() / units);
        drawing(painter);
    });
}

QPen Outline(const QColor& color, qreal width = 1.0)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

QIcon PaneIcons::Logo()
{
    return Drawn(32, [](QPainter& painter) {
        QLinearGradient fill(0, 0, 0, 32);
        fill.setColorAt(0, QColor(0x4f, 0x9d, 0xf0));
        fill.setColorAt(1, QColor(0x1d, 0x5f, 0xb8));
        painter.setPen(Outline(QColor(0x10, 0x3a, 0x75), 1.5));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
        // A picture frame with a mountain: what the program fetches.
        painter.setPen(Outline(Qt::white, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(7, 8, 18, 15), 2, 2);
        QPainterPath mountain;
        mountain.moveTo(8.5, 21.5);
        mountain.lineTo(14, 14);
        mountain.lineTo(17.5, 18.5);
        mountain.lineTo(20, 16);
        mountain.lineTo(23.5, 21.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xff, 0xd0, 0x5a));
        painter.drawPath(mountain);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(20.5, 11.5), 1.8, 1.8);
    });
}

QIcon PaneIcons::About()
{
    return Drawn(16, [](QPainter& painter) {
        painter.setPen(Outline(QColor(0x12, 0x45, 0x8c)));
        painter.setBrush(QColor(0x2f, 0x7d, 0xd8));
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
        painter.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 5.6), 0.8, 0.8);
    });
}

QIcon PaneIcons::Update()
{
    return Drawn(16, [](QPainter& painter) {
        painter.setPen(Outline(QColor(0x1b, 0x6e, 0x2a)));
        painter.setBrush(QColor(0x3c, 0xb3, 0x4f));
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        painter.setPen(Outline(Qt::white, 1.7));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(4.3, 4.3, 7.4, 7.4), 100 * 16, 280 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        const QPointF head[] = {{7.2, 2.3}, {10.4, 4.4}, {7.0, 6.4}};
        painter.drawPolygon(head, 3);
    });
}

QIcon PaneIcons::Support()
{
    return Drawn(16, [](QPainter& painter) {
        painter.setPen(Outline(QColor(0x8a, 0x1c, 0x1c)));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xd9, 0x36, 0x36));
        for (int quarter = 0; quarter < 4; ++quarter)
            painter.drawPie(QRectF(1.5, 1.5, 13, 13), (45 + quarter * 90 - 22) * 16, 44 * 16);
        painter.setPen(Outline(QColor(0x8a, 0x1c, 0x1c)));
        painter.setBrush(QColor(0xf4, 0xf4, 0xf4));
        painter.drawEllipse(QPointF(8, 8), 3.2, 3.2);
    });
}

QIcon PaneIcons::Managers()
{
    return Drawn(16, [](QPainter& painter) {
        painter.setPen(Outline(QColor(0x4a, 0x4a, 0x55)));
        painter.setBrush(QColor(0xc8, 0xcc, 0xd6));
        QPainterPath tray;
        tray.moveTo(1.5, 9.5);
        tray.lineTo(4, 9.5);
        tray.lineTo(5.5, 11.5);
        tray.lineTo(10.5, 11.5);
        tray.lineTo(12, 9.5);
        tray.lineTo(14.5, 9.5);
        tray.lineTo(14.5, 14.5);
        tray.lineTo(1.5, 14.5);
        tray.closeSubpath();
        painter.drawPath(tray);
        painter.setPen(Outline(QColor(0x0f, 0x4f, 0x9e)));
        painter.setBrush(QColor(0x2f, 0x7d, 0xd8));
        const QPointF arrow[]
            = {{6.3, 1.5}, {9.7, 1.5}, {9.7, 5.5}, {12.5, 5.5}, {8, 10.3}, {3.5, 5.5}, {6.3, 5.5}};
        painter.drawPolygon(arrow, 7);
    });
}

QIcon PaneIcons::Rules()
{
    return Drawn(16, [](QPainter& painter) {
        painter.setPen(Outline(QColor(0x55, 0x55, 0x60)));
        painter.setBrush(QColor(0xfb, 0xfb, 0xf4));
        QPainterPath sheet;
        sheet.moveTo(3, 1.5);
        sheet.lineTo(10, 1.5);
        sheet.lineTo(13, 4.5);
        sheet.lineTo(13, 14.5);
        sheet.lineTo(3, 14.5);
        sheet.closeSubpath();
        painter.drawPath(sheet);
        painter.setPen(Outline(QColor(0xe0, 0x8a, 0x1e), 1.2));
        for (const qreal y : {6.0, 8.5, 11.0})
            painter.drawLine(QPointF(5, y), QPointF(11, y));
    });
}

} // namespace vortalux
