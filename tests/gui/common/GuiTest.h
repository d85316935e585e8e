#pragma once
// Helpers for tests that drive real windows offscreen.
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class QTableWidget;
class QWidget;

// Runs fn on the next modal dialog that opens (within the event loop that
// follows), e.g. to type into frmConfirm and press its button. The watch gives
// up after five seconds; a caller whose fn refers to its own stack deletes the
// returned watch before returning, in case no dialog came.
QPointer<QTimer> OnNextModal(const std::function<void(QWidget*)>& fn);
// Clicks grid cell (row, col) with the given mouse button (press and release).
void ClickCell(QTableWidget* grid, int row, int col, Qt::MouseButton button = Qt::LeftButton);
// Answers frmConfirm with the given text and the OK button (or cancels when
// text is null).
void AnswerNextConfirm(const QString& text);
