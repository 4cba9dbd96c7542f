#include "ExplorerBarControl.h"

#include "ExplorerBarAccessible.h"
#include "ExplorerBarPainter.h"
#include "ImageList.h"
#include "MessageBox.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace vortalux {

ExplorerBarControl::ExplorerBarControl(QWidget* parent)
    : QWidget(parent)
    , m_model([this](const QString& message) { ReportError(message); })
{
    ExplorerBarAccessible::InstallFactory();
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The pane fills every pixel itself; while updates are disabled the last picture stays.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setSingleStep(WheelStep);
    m_scrollBar->hide();
    m_scrollBar->installEventFilter(this);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this] {
        PlaceChildren();
        if (!m_updatesDisabled)
            update();
    });
    QFont initial = font();
    initial.setFamily(QStringLiteral("Verdana"));
    QWidget::setFont(initial);
}

ExplorerBarControl::~ExplorerBarControl() = default;

void ExplorerBarControl::ReportError(const QString& message)
{
    const QString title = objectName().isEmpty() ? QStringLiteral("ExplorerBarControl") : objectName();
    ShowMessage(
        title.toStdString(), message.toStdString() + "\nAn Error has ocurred!", MessageIcon::Critical);
}

void ExplorerBarControl::AddGroup(
    const QString& key, const QString& caption, int, const QIcon&, const QPixmap&, const QColor&)
{
    ExplorerBarGroup group;
    group.key = key;
    group.caption = caption;
    m_model.NormalGroups().push_back(std::move(group));
    Changed();
}

void ExplorerBarControl::AddItem(
    const GroupRef& group, const QString& key, const QString& caption, const IconRef& icon)
{
    ExplorerBarGroup* found = m_model.FindGroup(group);
    if (!found || found->kind == GroupKind::Details)
        return;
    const std::optional<int> iconIndex = m_model.FindIcon(m_images, icon);
    if (!iconIndex)
        return;
    found->items.push_back({key, caption, *iconIndex});
    Changed();
}

void ExplorerBarControl::SetImageList(const ImageList* images)
{
    m_images = images;
    m_iconFailureReported = false;
}

void ExplorerBarControl::AddSpecialGroup(const QString& caption, const QIcon& icon, const QPixmap& background)
{
    ExplorerBarGroup& special = m_model.Special();
    special.present = true;
    special.expanded = true;
    special.caption = caption;
    special.icon = icon;
    special.background = background;
    Changed();
}

void ExplorerBarControl::HideSpecialGroup()
{
    m_model.Special().present = false;
    Changed();
}

void ExplorerBarControl::AddDetailsGroup(const QString& caption, const QString& title, const QString& details)
{
    ExplorerBarGroup& group = m_model.Details();
    group.present = true;
    group.expanded = true;
    group.caption = caption;
    group.title = title;
    group.details = details;
    Changed();
}

void ExplorerBarControl::SetDetailsText(const QString& details)
{
    m_model.Details().details = details;
    Changed();
}

void ExplorerBarControl::HideDetailsGroup()
{
    m_model.Details().present = false;
    Changed();
}

void ExplorerBarControl::SetDetailsImage(const QPixmap& picture)
{
    m_model.Details().picture = picture;
    Changed();
}

long ExplorerBarControl::OpenLink(const QString& link)
{
    // A link with control characters would reach the desktop's handler as a command line.
    const bool hasControl
        = std::any_of(link.begin(), link.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (link.trimmed().isEmpty() || hasControl || !url.isValid())
        return OpenLinkRefused;
    return QDesktopServices::openUrl(url) ? OpenLinkDone : OpenLinkRefused;
}

void ExplorerBarControl::ClearStructure()
{
    for (const ExplorerBarGroup* group : m_model.AllGroups())
        if (group->child)
            group->child->hide();
    m_model.Clear();
    m_iconFailureReported = false;
    Changed();
}

void ExplorerBarControl::ClearGroup(const GroupRef& group)
{
    if (ExplorerBarGroup* found = m_model.FindGroup(group)) {
        found->items.clear();
        Changed();
    }
}

void ExplorerBarControl::SetGroupChild(
    const GroupRef& group, QWidget* child, std::optional<Qt::CursorShape> pointer)
{
    ExplorerBarGroup* found = m_model.FindGroup(group);
    if (!found)
        return;
    if (found->child && found->child != child)
        found->child->hide();
    found->child = child;
    if (child) {
        child->setParent(this);
        if (pointer)
            child->setCursor(*pointer);
        TintChild(*child, found->kind);
    }
    m_scrollBar->raise();
    Changed();
}

void ExplorerBarControl::ExpandGroup(const GroupRef& group, Expansion expansion)
{
    if (ExplorerBarGroup* found = m_model.FindGroup(group)) {
        found->expanded = expansion == Expansion::Expanded;
        Changed();
    }
}

void ExplorerBarControl::SetGroupCaption(const GroupRef& group, const QString& caption)
{
    if (ExplorerBarGroup* found = m_model.FindGroup(group)) {
        found->caption = caption;
        Changed();
    }
}

void ExplorerBarControl::SetItemIcon(
    const GroupRef& group, const ItemRef& item, const IconRef& icon, IconRepaint repaint)
{
    ExplorerBarGroup* found = m_model.FindItemGroup(group);
    if (!found)
        return;
    const std::optional<int> index = m_model.FindItem(*found, item);
    if (!index)
        return;
    const std::optional<int> iconIndex = m_model.FindIcon(m_images, icon);
    if (!iconIndex)
        return;
    found->items[static_cast<size_t>(*index)].iconIndex = *iconIndex;
    m_iconFailureReported = false;
    if (repaint == IconRepaint::Now)
        Changed();
}

void ExplorerBarControl::SetItemText(const GroupRef& group, const ItemRef& item, const QString& caption)
{
    ExplorerBarGroup* found = m_model.FindItemGroup(group);
    if (!found)
        return;
    if (const std::optional<int> index = m_model.FindItem(*found, item)) {
        found->items[static_cast<size_t>(*index)].caption = caption;
        Changed();
    }
}

void ExplorerBarControl::DisableUpdates(Updates updates)
{
    m_updatesDisabled = updates == Updates::Disabled;
    if (!m_updatesDisabled)
        Changed();
}

QFont ExplorerBarControl::Font() const { return font(); }

void ExplorerBarControl::SetFont(const QFont& font)
{
    QWidget::setFont(font);
    Changed();
}

QString ExplorerBarControl::FontName() const { return font().family(); }

void ExplorerBarControl::SetFontName(const QString& name)
{
    QFont named = font();
    named.setFamily(name);
    SetFont(named);
}

void ExplorerBarControl::SetUseUxThemeText(bool use)
{
    m_uxThemeText = use;
    Refresh();
}

void ExplorerBarControl::EnableAltImagelist(bool enable)
{
    // Kept for callers that set it; the pane has only one kind of image list.
    m_enableAltIml = enable;
}

void ExplorerBarControl::Refresh()
{
    if (!m_updatesDisabled)
        update();
}

bool ExplorerBarControl::IsExpanded(const GroupRef& group)
{
    const ExplorerBarGroup* found = m_model.FindGroup(group);
    return found && found->expanded;
}

QRect ExplorerBarControl::HeaderRect(const GroupRef& group)
{
    const ExplorerBarGroup* found = m_model.FindGroup(group);
    return found ? ElementRect(m_model.IdOf(*found)) : QRect();
}

QRect ExplorerBarControl::ItemRect(const GroupRef& group, const ItemRef& item)
{
    const ExplorerBarGroup* found = m_model.FindGroup(group);
    if (!found)
        return {};
    const auto& items = found->items;
    int index = -1;
    if (item.IsKey()) {
        const auto match = std::find_if(items.begin(), items.end(),
            [&](const ExplorerBarItem& entry) { return entry.key == item.Key(); });
        if (match != items.end())
            index = static_cast<int>(match - items.begin());
    } else if (item.Position() >= 1 && item.Position() <= static_cast<int>(items.size())) {
        index = item.Position() - 1;
    }
    return index < 0 ? QRect() : ElementRect(m_model.IdOf(*found, index));
}

int ExplorerBarControl::ScrollPosition() const { return m_scrollBar->value(); }

QRect ExplorerBarControl::ElementRect(const ElementId& id) const
{
    const QRect rect = m_layout.RectOf(id);
    return rect.isNull() ? rect : rect.translated(0, -ScrollPosition());
}

void ExplorerBarControl::Activate(const ElementId& id)
{
    const ExplorerBarGroup* group = m_model.GroupOf(id);
    if (!group)
        return;
    if (id.IsHeader()) {
        ExplorerBarGroup& target = *m_model.GroupOf(id);
        target.expanded = !target.expanded;
        const bool expanded = target.expanded;
        const int number = m_model.EventNumber(target);
        Changed();
        emit GroupClick(number, expanded);
        return;
    }
    if (const ExplorerBarItem* item = m_model.ItemOf(id))
        emit ItemClick(ExplorerBarModel::EventKey(*group), item->key);
}

QSize ExplorerBarControl::sizeHint() const { return {220, 400}; }

void ExplorerBarControl::Changed()
{
    Relayout();
    NotifyAccessibility();
    if (!m_updatesDisabled)
        update();
}

void ExplorerBarControl::Relayout()
{
    Validate(m_hovered);
    Validate(m_pressed);
    Validate(m_focused);
    m_layout.Compute(m_model, width(), font());
    const int scrollWidth = m_scrollBar->sizeHint().width();
    const bool scrolls = m_layout.ContentHeight() > height();
    if (scrolls)
        m_layout.Compute(m_model, width() - scrollWidth, font());
    m_scrollBar->setVisible(scrolls);
    m_scrollBar->setGeometry(width() - scrollWidth, 0, scrollWidth, height());
    m_scrollBar->setRange(0, std::max(m_layout.ContentHeight() - height(), 0));
    m_scrollBar->setPageStep(std::max(height(), 1));
    PlaceChildren();
}

void ExplorerBarControl::PlaceChildren()
{
    std::vector<QWidget*> shown;
    for (const GroupGeometry& geometry : m_layout.Groups()) {
        QWidget* child = geometry.group->child;
        if (!child || geometry.child.isEmpty())
            continue;
        child->setGeometry(geometry.child.translated(0, -ScrollPosition()));
        child->show();
        shown.push_back(child);
    }
    // Panels of folded groups, and of the special or details group while it is hidden.
    for (const ExplorerBarGroup* group : m_model.AllGroups())
        if (group->child && std::find(shown.begin(), shown.end(), group->child.data()) == shown.end())
            group->child->hide();
}

void ExplorerBarControl::TintChild(QWidget& child, GroupKind kind)
{
    // The panel, and the labels and buttons on it that draw no background of their own, blend
    // with the group's content area.
    child.setAutoFillBackground(true);
    QPalette tinted = child.palette();
    tinted.setColor(QPalette::Window, ExplorerBarPainter::ContentBackground(palette(), kind));
    child.setPalette(tinted);
}

void ExplorerBarControl::Validate(std::optional<ElementId>& id) const
{
    if (!id)
        return;
    if (id->IsHeader() ? !m_model.GroupOf(*id) : !m_model.ItemOf(*id))
        id.reset();
}

std::optional<ElementId> ExplorerBarControl::HitTest(const QPoint& widgetPoint) const
{
    if (m_scrollBar->isVisible() && widgetPoint.x() >= m_scrollBar->x())
        return std::nullopt;
    return m_layout.HitTest(widgetPoint + QPoint(0, ScrollPosition()));
}

void ExplorerBarControl::paintEvent(QPaintEvent*)
{
    if (m_updatesDisabled)
        return;
    QPainter painter(this);
    painter.translate(0, -ScrollPosition());
    ExplorerBarPainter drawer(*this, font(), m_images);
    drawer.SetStyledText(m_uxThemeText);
    ExplorerBarPaintState state {m_hovered, m_pressed, hasFocus() ? m_focused : std::nullopt};
    const bool iconsDrawn = drawer.Paint(painter, m_layout, state, rect().translated(0, ScrollPosition()));
    painter.end();
    if (!iconsDrawn && !m_iconFailureReported) {
        // Once per change of the image list or the icons, and never from inside the paint.
        m_iconFailureReported = true;
        QTimer::singleShot(
            0, this, [this] { ReportError(QStringLiteral("No Defined Imagelist or invalid Image Index")); });
    }
    emit Painted();
}

void ExplorerBarControl::resizeEvent(QResizeEvent*) { Relayout(); }

void ExplorerBarControl::showEvent(QShowEvent*) { Relayout(); }

void ExplorerBarControl::changeEvent(QEvent* event)
{
    // A theme, colour or font change of the desktop repaints in the new colours.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange
        || event->type() == QEvent::FontChange) {
        for (const ExplorerBarGroup* group : m_model.AllGroups())
            if (group->child)
                TintChild(*group->child, group->kind);
        Changed();
    }
    QWidget::changeEvent(event);
}

void ExplorerBarControl::enterEvent(QEnterEvent*)
{
    m_pointerInside = true;
    Refresh();
    emit MouseOver();
}

void ExplorerBarControl::leaveEvent(QEvent*)
{
    m_pointerInside = false;
    SetHovered(std::nullopt);
    emit MouseOut();
}

void ExplorerBarControl::SetHovered(std::optional<ElementId> hovered)
{
    if (hovered == m_hovered)
        return;
    const std::optional<ElementId> previous = m_hovered;
    m_hovered = hovered;
    if (hovered)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    Refresh();
    const auto announce = [this](const ElementId& id, bool entering) {
        const ExplorerBarGroup* group = m_model.GroupOf(id);
        if (!group)
            return;
        const QString groupKey = ExplorerBarModel::EventKey(*group);
        if (id.IsHeader()) {
            entering ? emit GroupHover(groupKey) : emit GroupOut(groupKey);
        } else if (const ExplorerBarItem* item = m_model.ItemOf(id)) {
            const QString itemKey = item->key;
            entering ? emit ItemHover(groupKey, itemKey) : emit ItemOut(groupKey, itemKey);
        }
    };
    if (previous)
        announce(*previous, false);
    if (hovered && m_hovered == hovered)
        announce(*hovered, true);
}

void ExplorerBarControl::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pointerInside) {
        m_pointerInside = true;
        emit MouseOver();
    }
    SetHovered(HitTest(event->position().toPoint()));
}

void ExplorerBarControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<ElementId> hit = HitTest(event->position().toPoint());
    if (!hit)
        return;
    m_focused = hit;
    if (hit->IsHeader())
        m_pressed = hit;
    SetHovered(hit);
    Refresh();
}

void ExplorerBarControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<ElementId> pressed = m_pressed;
    m_pressed.reset();
    const std::optional<ElementId> hit = HitTest(event->position().toPoint());
    Refresh();
    if (!hit)
        return;
    // An item reacts to the release over it; a header to a press and release on the same header.
    if (!hit->IsHeader() || pressed == hit)
        Activate(*hit);
}

bool ExplorerBarControl::HandleWheel(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    // One notch and nothing else: no key, no button, no sideways part, no pixel scrolling.
    if (delta.x() != 0 || (delta.y() != 120 && delta.y() != -120) || event->modifiers() != Qt::NoModifier
        || event->buttons() != Qt::NoButton) {
        event->ignore();
        return false;
    }
    m_scrollBar->setValue(m_scrollBar->value() + (delta.y() > 0 ? -WheelStep : WheelStep));
    event->accept();
    return true;
}

void ExplorerBarControl::wheelEvent(QWheelEvent* event) { HandleWheel(event); }

bool ExplorerBarControl::eventFilter(QObject* watched, QEvent* event)
{
    // The bar's own wheel handling would scroll by other amounts; the pane's rule holds over it too.
    if (watched == m_scrollBar && event->type() == QEvent::Wheel) {
        HandleWheel(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ExplorerBarControl::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        MoveFocus(-1);
        break;
    case Qt::Key_Down:
        MoveFocus(1);
        break;
    case Qt::Key_Home:
        m_focused.reset();
        MoveFocus(1);
        break;
    case Qt::Key_End:
        m_focused.reset();
        MoveFocus(-1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_focused)
            Activate(*m_focused);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ExplorerBarControl::MoveFocus(int step)
{
    const std::vector<ElementId> order = m_layout.FocusOrder();
    if (order.empty())
        return;
    const auto current = m_focused ? std::find(order.begin(), order.end(), *m_focused) : order.end();
    std::ptrdiff_t index = 0;
    if (current == order.end())
        index = step > 0 ? 0 : static_cast<std::ptrdiff_t>(order.size()) - 1;
    else
        index = std::clamp<std::ptrdiff_t>(
            current - order.begin() + step, 0, static_cast<std::ptrdiff_t>(order.size()) - 1);
    m_focused = order[static_cast<size_t>(index)];
    EnsureVisible(*m_focused);
    NotifyAccessibility();
    Refresh();
}

void ExplorerBarControl::EnsureVisible(const ElementId& id)
{
    const QRect rect = m_layout.RectOf(id);
    if (rect.isNull())
        return;
    const int top = ScrollPosition();
    if (rect.top() < top)
        m_scrollBar->setValue(rect.top() - ExplorerBarLayout::Margin);
    else if (rect.bottom() > top + height())
        m_scrollBar->setValue(rect.bottom() - height() + ExplorerBarLayout::Margin);
}

void ExplorerBarControl::focusInEvent(QFocusEvent* event)
{
    Validate(m_focused);
    if (!m_focused)
        MoveFocus(1);
    QWidget::focusInEvent(event);
    NotifyAccessibility();
    Refresh();
}

void ExplorerBarControl::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    Refresh();
}

void ExplorerBarControl::NotifyAccessibility()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent structure(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&structure);
    if (hasFocus() && m_focused)
        if (QAccessibleInterface* element = ExplorerBarAccessible::ElementInterface(this, *m_focused)) {
            QAccessibleEvent focus(element, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        }
}

} // namespace vortalux
