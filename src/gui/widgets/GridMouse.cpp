#include "gui/widgets/GridMouse.h"

#include <QEvent>
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

} // namespace

void OnGridMouseRelease(QTableWidget* grid, GridReleaseHandler handler) {
    grid->viewport()->installEventFilter(new GridReleaseFilter(grid, std::move(handler)));
}
