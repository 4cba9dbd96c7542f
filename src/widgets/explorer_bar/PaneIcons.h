#pragma once

#include <QIcon>

namespace vortalux {

// The pictures of the configuration program's navigation pane, drawn by code so they are sharp
// at any screen scale. Their colours carry a dark outline, so they read on light and dark panes.
class PaneIcons {
public:
    static QIcon Logo(); // the program's mark, for the special group's header (32 x 32)
    static QIcon About(); // an "i" in a blue disc
    static QIcon Update(); // a circular green arrow
    static QIcon Support(); // a red life ring
    static QIcon Managers(); // a downward arrow into a tray
    static QIcon Rules(); // a ruled sheet
};

} // namespace vortalux
