#pragma once

class ProtocolGrid;
class QLineEdit;
class QModelIndex;
class QString;
class QWidget;

// What the widget tests share: moving the focus and typing into the protocol grid as the
// operator does.

// True when the focus went to `w` or into it (the grid hands it on to a cell editor).
bool focusOn(QWidget* w);

// Types `text` into a grid cell the way the operator does: the grid takes the focus, the cell
// becomes current, its editor opens and takes the keys, replacing what the cell held. Null when
// no editor opened.
QLineEdit* typeIntoCell(ProtocolGrid* grid, const QModelIndex& index, const QString& text);
