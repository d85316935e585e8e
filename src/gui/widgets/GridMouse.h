#pragma once
// Reports mouse button releases over the cells of a timetable grid, with the
// button and the cell under the mouse; releases outside every cell are
// dropped.
#include <QObject>
#include <functional>

class QTableWidget;

using GridReleaseHandler = std::function<void(Qt::MouseButton button, int row, int col)>;

void OnGridMouseRelease(QTableWidget* grid, GridReleaseHandler handler);
