#pragma once

#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace vortalux {

// Controls carry the names the windows' documentation gives them (lblStatus, btnOk, Frame3) as
// object names, so tests and tools find them by name.
QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent); // word-wrapped
QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent);
QGroupBox* NamedFrame(const char* name, const QString& caption, QWidget* parent);

} // namespace vortalux
