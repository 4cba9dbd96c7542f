#include "ExplorerBarPainter.h"

#include "ImageList.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWidget>

#include <cmath>

namespace vortalux {

namespace {

QColor Mix(const QColor& from, const QColor& to, qreal amount)
{
    return QColor::fromRgbF(static_cast<float>(from.redF() + (to.redF() - from.redF()) * amount),
        static_cast<float>(from.greenF() + (to.greenF() - from.greenF()) * amount),
        static_cast<float>(from.blueF() + (to.blueF() - from.blueF()) * amount));
}

qreal Luminance(const QColor& color)
{
    const auto channel = [](qreal value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF())
        + 0.0722 * channel(color.blueF());
}

qreal Contrast(const QColor& a, const QColor& b)
{
    const qreal first = Luminance(a);
    const qreal second = Luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

bool IsDark(const QPalette& palette) { return Luminance(palette.color(QPalette::Base)) < 0.2; }

// The gradient of a header: normal groups stay near the content colour with a tint of the
// highlight, the special group is filled with the highlight itself.
struct HeaderColors {
    QColor start;
    QColor end;
    QColor text;
};

HeaderColors HeaderColorsFor(const QPalette& palette, GroupKind kind, bool hot, bool pressed)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor highlight = palette.color(QPalette::Highlight);
    HeaderColors colors;
    if (kind == GroupKind::Special) {
        const QColor deep = Mix(highlight, IsDark(palette) ? Qt::black : QColor(0, 0, 40), 0.35);
        colors.start = pressed ? deep : hot ? highlight.lighter(112) : highlight;
        colors.end = pressed ? highlight : deep;
        colors.text
            = ExplorerBarPainter::Readable(palette.color(QPalette::HighlightedText), colors.end, palette);
        if (Contrast(colors.text, colors.start) < 3.0)
            colors.text = Luminance(colors.start) > 0.4 ? QColor(Qt::black) : QColor(Qt::white);
        return colors;
    }
    const qreal tint = pressed ? 0.45 : hot ? 0.32 : 0.2;
    colors.start = base;
    colors.end = Mix(base, highlight, tint);
    const QColor preferred = Mix(palette.color(QPalette::Text), highlight, hot ? 0.55 : 0.35);
    colors.text = ExplorerBarPainter::Readable(preferred, colors.end, palette);
    return colors;
}

} // namespace

ExplorerBarPainter::ExplorerBarPainter(const QWidget& widget, const QFont& font, const ImageList* images)
    : m_widget(widget)
    , m_palette(widget.palette())
    , m_font(font)
    , m_images(images)
{
}

QColor ExplorerBarPainter::ContentBackground(const QPalette& palette, GroupKind kind)
{
    const QColor base = palette.color(QPalette::Base);
    return kind == GroupKind::Special ? Mix(base, palette.color(QPalette::Highlight), 0.07) : base;
}

QColor ExplorerBarPainter::Readable(
    const QColor& preferred, const QColor& background, const QPalette& palette)
{
    if (Contrast(preferred, background) >= 4.5)
        return preferred;
    // Move toward the text colour only as far as needed, so a link keeps some of its hue.
    const QColor text = palette.color(QPalette::Text);
    for (const qreal amount : {0.25, 0.5, 0.75, 1.0}) {
        const QColor blended = Mix(preferred, text, amount);
        if (Contrast(blended, background) >= 4.5)
            return blended;
    }
    return Luminance(background) > 0.4 ? QColor(Qt::black) : QColor(Qt::white);
}

bool ExplorerBarPainter::Paint(QPainter& painter, const ExplorerBarLayout& layout,
    const ExplorerBarPaintState& state, const QRect& paneRect) const
{
    const QColor window = m_palette.color(QPalette::Window);
    const QColor highlight = m_palette.color(QPalette::Highlight);
    QLinearGradient back(paneRect.topLeft(), paneRect.bottomLeft());
    back.setColorAt(0, Mix(window, highlight, 0.12));
    back.setColorAt(1, Mix(window, highlight, 0.24));
    painter.fillRect(paneRect, back);

    bool iconsDrawn = true;
    for (const GroupGeometry& geometry : layout.Groups())
        iconsDrawn = PaintGroup(painter, geometry, state) && iconsDrawn;
    return iconsDrawn;
}

bool ExplorerBarPainter::PaintGroup(
    QPainter& painter, const GroupGeometry& geometry, const ExplorerBarPaintState& state) const
{
    const ExplorerBarGroup& group = *geometry.group;
    bool iconsDrawn = true;
    if (!geometry.content.isEmpty()) {
        const QColor background = ContentBackground(m_palette, group.kind);
        const QColor frame = Mix(background, m_palette.color(QPalette::Highlight), 0.35);
        painter.fillRect(geometry.content, background);
        if (group.kind == GroupKind::Special && !group.background.isNull())
            painter.drawPixmap(
                geometry.content.topLeft(), group.background, QRect(QPoint(0, 0), geometry.content.size()));
        painter.setPen(frame);
        painter.drawRect(geometry.content.adjusted(0, -1, -1, -1));

        const QFontMetrics metrics(m_font);
        for (size_t index = 0; index < geometry.items.size(); ++index) {
            const ExplorerBarItem& item = group.items[index];
            const QRect rect = geometry.items[index];
            const ElementId id {geometry.id.kind, geometry.id.group, static_cast<int>(index)};
            const bool hot = state.hovered == id;
            if (item.iconIndex >= 0) {
                const QRect iconRect(rect.left(), rect.top() + (rect.height() - ImageList::IconSize) / 2,
                    ImageList::IconSize, ImageList::IconSize);
                iconsDrawn = m_images && m_images->Draw(painter, iconRect, item.iconIndex) && iconsDrawn;
            }
            const QRect textRect
                = rect.adjusted(ImageList::IconSize + ExplorerBarLayout::IconTextGap, 0, 0, 0);
            const QColor preferred
                = hot ? m_palette.color(QPalette::Highlight) : m_palette.color(QPalette::Link);
            QFont font = m_font;
            font.setUnderline(hot);
            painter.setFont(font);
            PaintText(painter, textRect, Qt::AlignLeft | Qt::AlignVCenter,
                metrics.elidedText(item.caption, Qt::ElideRight, textRect.width()),
                Readable(preferred, background, m_palette));
            if (state.focused == id)
                PaintFocus(painter, rect.adjusted(-2, 0, 2, 0));
        }
        painter.setFont(m_font);
        if (group.kind == GroupKind::Details) {
            if (!geometry.picture.isNull())
                painter.drawPixmap(geometry.picture, group.picture);
            const QColor text = Readable(m_palette.color(QPalette::Text), background, m_palette);
            painter.setFont(ExplorerBarLayout::CaptionFont(m_font));
            PaintText(painter, geometry.title, Qt::TextWordWrap, group.title, text);
            painter.setFont(m_font);
            PaintText(painter, geometry.details, Qt::TextWordWrap, group.details, text);
        }
    }
    PaintHeader(painter, geometry, state);
    return iconsDrawn;
}

void ExplorerBarPainter::PaintHeader(
    QPainter& painter, const GroupGeometry& geometry, const ExplorerBarPaintState& state) const
{
    const ExplorerBarGroup& group = *geometry.group;
    const bool hot = state.hovered == geometry.id;
    const bool pressed = state.pressed == geometry.id && hot;
    const HeaderColors colors = HeaderColorsFor(m_palette, group.kind, hot, pressed);
    const QRectF header = geometry.header;

    QPainterPath shape;
    constexpr qreal Radius = 5;
    shape.moveTo(header.bottomLeft());
    shape.lineTo(header.left(), header.top() + Radius);
    shape.quadTo(header.topLeft(), QPointF(header.left() + Radius, header.top()));
    shape.lineTo(header.right() - Radius, header.top());
    shape.quadTo(header.topRight(), QPointF(header.right(), header.top() + Radius));
    shape.lineTo(header.bottomRight());
    shape.closeSubpath();
    QLinearGradient fill(header.topLeft(), header.topRight());
    fill.setColorAt(0, colors.start);
    fill.setColorAt(1, colors.end);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, fill);
    painter.restore();

    int textLeft = geometry.header.left() + 10;
    if (!geometry.headerIcon.isNull()) {
        group.icon.paint(&painter, geometry.headerIcon);
        textLeft = geometry.headerIcon.right() + 6;
    }
    const QRect chevron(geometry.header.right() - 26, geometry.header.top(), 24, geometry.header.height());
    QRect textRect(textLeft, geometry.header.top(), chevron.left() - textLeft - 2, geometry.header.height());
    if (pressed)
        textRect.translate(1, 1);
    const QFont bold = ExplorerBarLayout::CaptionFont(m_font);
    painter.setFont(bold);
    PaintText(painter, textRect, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(bold).elidedText(group.caption, Qt::ElideRight, textRect.width()), colors.text);
    painter.setFont(m_font);
    PaintChevron(painter, chevron, group.expanded, colors.text);
    if (state.focused == geometry.id)
        PaintFocus(painter, geometry.header.adjusted(2, 2, -2, -2));
}

void ExplorerBarPainter::PaintChevron(
    QPainter& painter, const QRect& area, bool expanded, const QColor& color) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF center = QRectF(area).center();
    painter.setPen(QPen(color, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(center, 8.0, 8.0);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal direction = expanded ? -1.0 : 1.0; // pointing up: a click folds the group
    for (const qreal offset : {-2.5, 1.5}) {
        const qreal y = center.y() + direction * offset;
        const QPointF points[] = {{center.x() - 3.5, y - direction * 2}, {center.x(), y + direction * 1.5},
            {center.x() + 3.5, y - direction * 2}};
        painter.drawPolyline(points, 3);
    }
    painter.restore();
}

void ExplorerBarPainter::PaintText(
    QPainter& painter, const QRect& rect, int flags, const QString& text, const QColor& color) const
{
    if (text.isEmpty() || rect.isEmpty())
        return;
    QPalette palette = m_palette;
    palette.setColor(QPalette::WindowText, color);
    if (m_widget.style() && m_styledText)
        m_widget.style()->drawItemText(&painter, rect, flags, palette, true, text, QPalette::WindowText);
    else {
        painter.setPen(color);
        painter.drawText(rect, flags, text);
    }
}

void ExplorerBarPainter::PaintFocus(QPainter& painter, const QRect& rect) const
{
    QStyleOptionFocusRect option;
    option.initFrom(&m_widget);
    option.rect = rect;
    option.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    option.backgroundColor = m_palette.color(QPalette::Base);
    m_widget.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &m_widget);
}

} // namespace vortalux
