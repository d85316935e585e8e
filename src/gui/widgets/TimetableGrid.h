#pragma once
// The day × lesson grid shared by the limit editors and the hand-placing
// windows. Row 0 and column 0 are header cells ("※", "星期一".., "一"..); row 5
// is a thin separator between lessons 4 and 5 that never holds a lesson.
#include <QColor>
#include <QFont>
#include <QString>

class QTableWidget;

inline constexpr int kSeparatorRow = 5;
inline constexpr int kDays = 5;

// Grid row of a lesson number (1-based) and back; 0 for the header and separator.
constexpr int GridRowOfLesson(int lessonNo) {
    return lessonNo <= 4 ? lessonNo : lessonNo + 1;
}
constexpr int LessonOfGridRow(int row) {
    return row >= 1 && row <= 4 ? row : (row > kSeparatorRow ? row - 1 : 0);
}
QString LessonHeader(int lessonNo); // "一" .. "七"
QString DayHeader(int day);         // "星期一" .. "星期五"

// The cell colours of the hand-placing windows.
namespace CellColour {
inline const QColor Normal{255, 255, 255};
inline const QColor Free{128, 255, 255};      // cyan: the chosen lesson may go here
inline const QColor Swappable{255, 255, 128}; // yellow
inline const QColor Selected{192, 0, 0};      // red
} // namespace CellColour

// The font a cell's text is drawn in: the grid's, made smaller (never below
// kMinCellPoint) until the widest line fits the cell's width, so a five-
// character short name ("道德与法治") is shown whole rather than cut.
inline constexpr double kMinCellPoint = 6.0;
QFont CellFontToFit(const QFont& font, const QString& text, int cellWidth);

// Lays the grid out: lessons 6 → 8 rows of rowTwips (default 800), 7 → 9 rows
// (default 700); column 0 500 twips wide, the day columns dayColumnTwips wide;
// every cell centred; header cells filled in and not selectable.
void InitTimetableGrid(QTableWidget* grid, int lessonsPerDay, int dayColumnTwips = 1500,
                       int rowTwips = 0);
// Sets text and background of a body cell, creating the item when needed.
void SetGridCell(QTableWidget* grid, int row, int col, const QString& text, const QColor& colour);
void SetGridCellColour(QTableWidget* grid, int row, int col, const QColor& colour);
QString GridCellText(const QTableWidget* grid, int row, int col);
QColor GridCellColour(const QTableWidget* grid, int row, int col);
// Marks a body cell whose lesson breaks a rule: a small red triangle in its
// top right corner, and `why` before the cell's own hover text. An empty
// `why` takes the mark away.
void SetGridCellBreach(QTableWidget* grid, int row, int col, const QString& why);
QString GridCellBreach(const QTableWidget* grid, int row, int col);
// Takes every mark away.
void ClearGridBreaches(QTableWidget* grid);
// Clears every lesson cell to the empty text and the given colour.
void ClearTimetableGrid(QTableWidget* grid, const QColor& colour = CellColour::Normal);
