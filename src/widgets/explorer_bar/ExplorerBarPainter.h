#pragma once

#include "ExplorerBarLayout.h"

#include <QColor>
#include <QPalette>

#include <optional>

class QPainter;
class QStyle;
class QWidget;

namespace vortalux {

class ImageList;

// What the painter needs besides the layout: which element the pointer is over, which header the
// button is held down on, and which element has the keyboard focus.
struct ExplorerBarPaintState {
    std::optional<ElementId> hovered;
    std::optional<ElementId> pressed;
    std::optional<ElementId> focused;
};

// Draws the pane in colours derived from the palette, so it reads well in light and dark themes:
// every text colour is checked against the background it lands on.
class ExplorerBarPainter {
public:
    ExplorerBarPainter(const QWidget& widget, const QFont& font, const ImageList* images);

    // Captions through the style, as the desktop draws its texts (the default), or plainly.
    void SetStyledText(bool styled) { m_styledText = styled; }

    // Paints the layout (content coordinates) onto `painter`, which the caller has translated for
    // the scroll position; false when an item's icon could not be drawn.
    bool Paint(QPainter& painter, const ExplorerBarLayout& layout, const ExplorerBarPaintState& state,
        const QRect& paneRect) const;

    // The colour behind a group's items and child panel.
    static QColor ContentBackground(const QPalette& palette, GroupKind kind);
    // `preferred` when it stands out enough from `background`, else the palette's text colour.
    static QColor Readable(const QColor& preferred, const QColor& background, const QPalette& palette);

private:
    bool PaintGroup(
        QPainter& painter, const GroupGeometry& geometry, const ExplorerBarPaintState& state) const;
    void PaintHeader(
        QPainter& painter, const GroupGeometry& geometry, const ExplorerBarPaintState& state) const;
    void PaintChevron(QPainter& painter, const QRect& header, bool expanded, const QColor& color) const;
    void PaintText(
        QPainter& painter, const QRect& rect, int flags, const QString& text, const QColor& color) const;
    void PaintFocus(QPainter& painter, const QRect& rect) const;

    const QWidget& m_widget;
    QPalette m_palette;
    QFont m_font;
    const ImageList* m_images;
    bool m_styledText = true;
};

} // namespace vortalux
