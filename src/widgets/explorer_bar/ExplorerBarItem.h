#pragma once

#include <QString>

namespace vortalux {

// One entry of a group: a link-like line with an optional icon from the pane's image list.
struct ExplorerBarItem {
    QString key;
    QString caption;
    int iconIndex = -1; // -1: no icon
};

} // namespace vortalux
