#pragma once

#include <QIconEngine>

#include <functional>

namespace vortalux {

// An icon drawn by code at whatever size and device pixel ratio it is asked for, so it is sharp on
// every screen without shipping pictures. The drawing gets a painter and the square to fill.
class PaintedIconEngine final : public QIconEngine {
public:
    using Drawing = std::function<void(QPainter& painter, const QRectF& square)>;

    explicit PaintedIconEngine(Drawing drawing);
    static QIcon MakeIcon(Drawing drawing);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    Drawing m_drawing;
};

} // namespace vortalux
