#pragma once
// Reports mouse button releases over the cells of a timetable grid, with the
// button and the cell under the mouse; releases outside every cell are
// dropped. The keyboard gives the same reports: the arrow keys walk the
// current cell over the lesson cells, Enter acts as the left button on it and
// Delete or the context-menu key as the right.
#include <QObject>
#include <functional>

class QTableWidget;

using GridReleaseHandler = std::function<void(Qt::MouseButton button, int row, int col)>;

// Mouse and keyboard alike.
void OnGridMouseRelease(QTableWidget* grid, GridReleaseHandler handler);
// The keyboard alone, for a window that reads the mouse itself.
void OnGridKeys(QTableWidget* grid, GridReleaseHandler handler);
