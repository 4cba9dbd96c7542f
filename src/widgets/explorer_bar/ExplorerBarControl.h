#pragma once

#include "ExplorerBarLayout.h"
#include "ExplorerBarModel.h"
#include "GroupRef.h"
#include "IconRef.h"
#include "ItemRef.h"

#include <QWidget>

#include <memory>
#include <optional>

class QScrollBar;

namespace vortalux {

class ImageList;

enum class Expansion { Collapsed, Expanded };
enum class Updates { Disabled, Enabled };
enum class IconRepaint { Later, Now };

// The grouped navigation pane at the left edge of the configuration program: an optional special
// group at the top, normal groups, an optional details group, each with a header that folds it
// and items that raise ItemClick. Lookup failures show a critical message titled with the pane's
// object name ("ExplorerBarControl" while it has none).
class ExplorerBarControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString FontName READ FontName WRITE SetFontName)
    Q_PROPERTY(int FontCharset READ FontCharset WRITE SetFontCharset)
    Q_PROPERTY(bool UxThemeText READ UseUxThemeText WRITE SetUseUxThemeText)
    Q_PROPERTY(bool EnableAltIml READ EnableAltIml WRITE EnableAltImagelist)

public:
    // What OpenLink answers, in the shell's convention: above 32 means the link was handed over.
    static constexpr long OpenLinkDone = 42;
    static constexpr long OpenLinkRefused = 31;
    static constexpr int WheelStep = 32;

    explicit ExplorerBarControl(QWidget* parent = nullptr);
    ~ExplorerBarControl() override;

    // The type, pictures and mask colour are accepted for callers written against the full form
    // and not used.
    void AddGroup(const QString& key, const QString& caption, int type = 0, const QIcon& icon = {},
        const QPixmap& background = {}, const QColor& maskColor = {});
    void AddItem(const GroupRef& group, const QString& key, const QString& caption, const IconRef& icon = {});
    // Not owned; the caller keeps it alive as long as the pane uses it.
    void SetImageList(const ImageList* images);
    const ImageList* GetImageList() const { return m_images; }
    void AddSpecialGroup(const QString& caption, const QIcon& icon = {}, const QPixmap& background = {});
    void HideSpecialGroup();
    void AddDetailsGroup(const QString& caption, const QString& title, const QString& details);
    void SetDetailsText(const QString& details);
    void HideDetailsGroup();
    void SetDetailsImage(const QPixmap& picture = {});
    [[nodiscard]] long OpenLink(const QString& link);
    // Child panels stay children of the pane (hidden) when the structure is cleared.
    void ClearStructure();
    void ClearGroup(const GroupRef& group);
    // Shows `child` (now a child of the pane) as the group's content; nullptr removes it.
    void SetGroupChild(const GroupRef& group, QWidget* child, std::optional<Qt::CursorShape> pointer = {});
    void ExpandGroup(const GroupRef& group, Expansion expansion = Expansion::Expanded);
    void SetGroupCaption(const GroupRef& group, const QString& caption);
    void SetItemIcon(const GroupRef& group, const ItemRef& item, const IconRef& icon,
        IconRepaint repaint = IconRepaint::Later);
    void SetItemText(const GroupRef& group, const ItemRef& item, const QString& caption);
    void DisableUpdates(Updates updates = Updates::Disabled);
    static QString GetControlVersion() { return QStringLiteral("1.91"); }
    QFont Font() const;
    void SetFont(const QFont& font);
    bool UseUxThemeText() const { return m_uxThemeText; }
    void SetUseUxThemeText(bool use);
    void EnableAltImagelist(bool enable);
    void Refresh();

    QString FontName() const;
    void SetFontName(const QString& name);
    int FontCharset() const { return m_fontCharset; }
    void SetFontCharset(int charset) { m_fontCharset = charset; }
    bool EnableAltIml() const { return m_enableAltIml; }

    // Read access for the window that hosts the pane, its tests and its accessibility.
    const ExplorerBarModel& Model() const { return m_model; }
    bool IsExpanded(const GroupRef& group);
    // Widget coordinates of a group's header and of an item, empty when not on view.
    QRect HeaderRect(const GroupRef& group);
    QRect ItemRect(const GroupRef& group, const ItemRef& item);
    int ScrollPosition() const;
    QScrollBar* VerticalScrollBar() const { return m_scrollBar; }
    // Activates a header or an item as a click would; the keyboard and accessibility use it.
    void Activate(const ElementId& id);
    QRect ElementRect(const ElementId& id) const;

    QSize sizeHint() const override;

signals:
    void MouseOver();
    void MouseOut();
    void GroupHover(const QString& groupKey);
    void GroupOut(const QString& groupKey);
    void ItemClick(const QString& groupKey, const QString& itemKey);
    // -1 the special group, -2 the details group, else the normal group's number; the state is the
    // one the click has just set.
    void GroupClick(int groupNumber, bool expanded);
    void ItemHover(const QString& groupKey, const QString& itemKey);
    void ItemOut(const QString& groupKey, const QString& itemKey);
    // Emitted after each paint that drew something (never while updates are disabled).
    void Painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReportError(const QString& message);
    // Recomputes the layout and places the child panels; repaints unless updates are disabled.
    void Changed();
    void Relayout();
    void PlaceChildren();
    void SetHovered(std::optional<ElementId> hovered);
    void MoveFocus(int step);
    void EnsureVisible(const ElementId& id);
    bool HandleWheel(QWheelEvent* event);
    std::optional<ElementId> HitTest(const QPoint& widgetPoint) const;
    void Validate(std::optional<ElementId>& id) const;
    void TintChild(QWidget& child, GroupKind kind);
    void NotifyAccessibility();

    ExplorerBarModel m_model;
    ExplorerBarLayout m_layout;
    const ImageList* m_images = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    std::optional<ElementId> m_hovered;
    std::optional<ElementId> m_pressed;
    std::optional<ElementId> m_focused;
    bool m_pointerInside = false;
    bool m_updatesDisabled = false;
    bool m_uxThemeText = true;
    bool m_enableAltIml = false;
    bool m_iconFailureReported = false;
    int m_fontCharset = 0;
};

} // namespace vortalux
