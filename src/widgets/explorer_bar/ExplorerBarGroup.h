#pragma once

#include "ExplorerBarItem.h"

#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

namespace vortalux {

enum class GroupKind { Normal, Special, Details };

// A collapsible group of the pane. The special and the details group exist from the start and are
// shown only once added (`present`): items given to "Special Group" before it is added are kept.
struct ExplorerBarGroup {
    GroupKind kind = GroupKind::Normal;
    QString key;
    QString caption;
    bool present = true;
    bool expanded = true;
    std::vector<ExplorerBarItem> items;
    QPointer<QWidget> child;
    QIcon icon; // the special group's header picture
    QPixmap background; // the special group's content background
    QString title; // the details group's title and text
    QString details;
    QPixmap picture; // the details group's picture
};

} // namespace vortalux
