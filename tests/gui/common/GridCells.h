#pragma once
// Reading a day × lesson grid back in tests.
#include "gui/widgets/TimetableGrid.h"

#include <QStringList>
#include <QTableWidget>

// The lesson cells of a colour as "day-lesson" texts, lesson by lesson.
inline QStringList CellsOfColour(const QTableWidget* grid, const QColor& colour) {
    QStringList cells;
    for (int row = 1; row < grid->rowCount(); ++row)
        for (int day = 1; day <= kDays; ++day)
            if (row != kSeparatorRow && GridCellColour(grid, row, day) == colour)
                cells << QStringLiteral("%1-%2").arg(day).arg(LessonOfGridRow(row));
    return cells;
}
