#pragma once
// Helpers for tests that drive real windows offscreen.
#include <QString>
#include <functional>

class QTableWidget;
class QWidget;

// Runs fn on the next modal dialog that opens (within the event loop that
// follows), e.g. to type into frmConfirm and press its button.
void OnNextModal(std::function<void(QWidget*)> fn);
// Clicks grid cell (row, col) with the given mouse button (press and release).
void ClickCell(QTableWidget* grid, int row, int col, Qt::MouseButton button = Qt::LeftButton);
// Answers frmConfirm with the given text and the OK button (or cancels when
// text is null).
void AnswerNextConfirm(const QString& text);
