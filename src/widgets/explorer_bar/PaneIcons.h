#pragma once

#include <QIcon>

namespace vortalux {

// The pictures of the configuration program's navigation pane, drawn by code so they are sharp
// at any screen scale. Their colours carry a dark outline, so they read on light and dark panes.
namespace PaneIcons {

QIcon Logo(); // the program's mark, for the special group's header (32 x 32)
QIcon About(); // an "i" in a blue disc
QIcon Update(); // a circular green arrow
QIcon Support(); // a red life ring
QIcon Managers(); // a downward arrow into a tray
QIcon Rules(); // a ruled sheet

} // namespace PaneIcons

} // namespace vortalux
