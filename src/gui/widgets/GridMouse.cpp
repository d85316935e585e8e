#include "gui/widgets/GridMouse.h"

#include "gui/widgets/TimetableGrid.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableWidget>

namespace {

class GridReleaseFilter : public QObject {
public:
    GridReleaseFilter(QTableWidget* grid, GridReleaseHandler handler)
        : QObject(grid), m_grid(grid), m_viewport(grid->viewport()), m_handler(std::move(handler)) {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The viewport is compared as stored: events also arrive while the grid
        // is being destroyed, when it must not be called any more.
        if (watched == m_viewport && event->type() == QEvent::MouseButtonRelease) {
            auto* e = static_cast<QMouseEvent*>(event);
            const QModelIndex index = m_grid->indexAt(e->position().toPoint());
            if (index.isValid())
                m_handler(e->button(), index.row(), index.column());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTableWidget* m_grid;
    QWidget* m_viewport;
    GridReleaseHandler m_handler;
};

// The cells a key can reach: lessons, never the headers or the separator.
bool IsLessonCell(const QTableWidget* grid, int row, int col) {
    return col >= 1 && col <= kDays && row >= 1 && row < grid->rowCount() &&
           LessonOfGridRow(row) != 0;
}

class GridKeyFilter : public QObject {
public:
    GridKeyFilter(QTableWidget* grid, GridReleaseHandler handler)
        : QObject(grid), m_grid(grid), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_grid)
            return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::FocusIn) {
            if (!IsLessonCell(m_grid, m_grid->currentRow(), m_grid->currentColumn()))
                m_grid->setCurrentCell(1, 1);
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* e = static_cast<QKeyEvent*>(event);
        if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        const int row = m_grid->currentRow();
        const int col = m_grid->currentColumn();
        switch (e->key()) {
        case Qt::Key_Up:
            return Move(-1, 0);
        case Qt::Key_Down:
            return Move(+1, 0);
        case Qt::Key_Left:
            return Move(0, -1);
        case Qt::Key_Right:
            return Move(0, +1);
        case Qt::Key_Home:
            return Jump(row, 1);
        case Qt::Key_End:
            return Jump(row, kDays);
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            Act(Qt::LeftButton, row, col);
            return true;
        case Qt::Key_Delete:
        case Qt::Key_Menu:
            Act(Qt::RightButton, row, col);
            return true;
        case Qt::Key_F10:
            if (e->modifiers() & Qt::ShiftModifier) {
                Act(Qt::RightButton, row, col);
                return true;
            }
            return false;
        default:
            return false;
        }
    }

private:
    // One step, jumping over the separator; stops at the edges.
    bool Move(int dRow, int dCol) {
        int row = m_grid->currentRow();
        int col = m_grid->currentColumn();
        if (!IsLessonCell(m_grid, row, col))
            return Jump(1, 1);
        do {
            row += dRow;
            col += dCol;
        } while (row == kSeparatorRow);
        if (IsLessonCell(m_grid, row, col))
            m_grid->setCurrentCell(row, col);
        return true;
    }

    bool Jump(int row, int col) {
        if (IsLessonCell(m_grid, row, col))
            m_grid->setCurrentCell(row, col);
        return true;
    }

    void Act(Qt::MouseButton button, int row, int col) {
        if (IsLessonCell(m_grid, row, col))
            m_handler(button, row, col);
    }

    QTableWidget* m_grid;
    GridReleaseHandler m_handler;
};

class GridFirstKeyFilter : public QObject {
public:
    GridFirstKeyFilter(QTableWidget* grid, GridKeyHandler handler)
        : QObject(grid), m_grid(grid), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_grid || event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* e = static_cast<QKeyEvent*>(event);
        if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        int key = e->key();
        if (key == Qt::Key_Enter)
            key = Qt::Key_Return;
        if (key != Qt::Key_Return && key != Qt::Key_Delete && key != Qt::Key_Escape)
            return false;
        const int row = m_grid->currentRow();
        const int col = m_grid->currentColumn();
        return IsLessonCell(m_grid, row, col) && m_handler(key, row, col);
    }

private:
    QTableWidget* m_grid;
    GridKeyHandler m_handler;
};

} // namespace

void OnGridMouseRelease(QTableWidget* grid, GridReleaseHandler handler) {
    grid->viewport()->installEventFilter(new GridReleaseFilter(grid, handler));
    OnGridKeys(grid, std::move(handler));
}

void OnGridKeys(QTableWidget* grid, GridReleaseHandler handler) {
    grid->setFocusPolicy(Qt::StrongFocus);
    // Tab walking the cells would trap the keyboard in the grid; the arrow
    // keys walk them.
    grid->setTabKeyNavigation(false);
    // The current cell's frame is drawn by the grid's own delegate.
    grid->installEventFilter(new GridKeyFilter(grid, std::move(handler)));
}

void OnGridKeysFirst(QTableWidget* grid, GridKeyHandler handler) {
    // Installed after the grid's own key filter, so it sees the keys first.
    grid->installEventFilter(new GridFirstKeyFilter(grid, std::move(handler)));
}
