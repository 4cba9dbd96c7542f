#include "PaintedIconEngine.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace vortalux {

PaintedIconEngine::PaintedIconEngine(Drawing drawing)
    : m_drawing(std::move(drawing))
{
}

QIcon PaintedIconEngine::MakeIcon(Drawing drawing)
{
    return QIcon(new PaintedIconEngine(std::move(drawing)));
}

void PaintedIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State)
{
    const qreal side = std::min(rect.width(), rect.height());
    const QRectF square(
        rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side, side);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (mode == QIcon::Disabled)
        painter->setOpacity(painter->opacity() * 0.4);
    m_drawing(*painter, square);
    painter->restore();
}

QPixmap PaintedIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap PaintedIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale)
{
    // QIcon asks with the size in device pixels already multiplied by the scale.
    QPixmap pixmap(size);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), (QSizeF(size) / scale).toSize()), mode, state);
    return pixmap;
}

QIconEngine* PaintedIconEngine::clone() const { return new PaintedIconEngine(m_drawing); }

QString PaintedIconEngine::key() const { return QStringLiteral("vortalux-painted"); }

} // namespace vortalux
