#pragma once
// Reports mouse button releases over the cells of a timetable grid, with the
// button and the cell under the mouse; releases outside every cell are
// dropped. The keyboard gives the same reports: the arrow keys walk the
// current cell over the lesson cells, Enter acts as the left button on it and
// Delete or the context-menu key as the right. Tab and Shift+Tab leave the
// grid for the window's next and previous control.
#include <QObject>
#include <functional>

class QTableWidget;

using GridReleaseHandler = std::function<void(Qt::MouseButton button, int row, int col)>;
// A window's own meaning of a key on a lesson cell, asked before the key is
// turned into a button; true when the window took the key.
using GridKeyHandler = std::function<bool(int key, int row, int col)>;

// Mouse and keyboard alike.
void OnGridMouseRelease(QTableWidget* grid, GridReleaseHandler handler);
// The keyboard alone, for a window that reads the mouse itself.
void OnGridKeys(QTableWidget* grid, GridReleaseHandler handler);
// Lets the window see Enter, Delete and Esc before they act as buttons (Esc
// is otherwise left to close the window).
void OnGridKeysFirst(QTableWidget* grid, GridKeyHandler handler);
