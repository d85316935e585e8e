#include "gui/widgets/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QSize>
#include <QWidget>
#include <algorithm>

namespace {

// A title bar and the window frame, which the window's own size leaves out.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 40;

class ScreenFitFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            const Qt::WindowType type = w->windowType();
            if (w->isWindow() && type != Qt::Popup && type != Qt::ToolTip &&
                type != Qt::SplashScreen)
                FitToScreen(w);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QSize RoomOnScreen(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    const QRect area = screen->availableGeometry();
    return {area.width() - kFrameWidth, area.height() - kFrameHeight};
}

void FitToScreen(QWidget* window) {
    if (window->isMaximized() || window->isFullScreen())
        return;
    const QSize room = RoomOnScreen(window);
    const QSize wanted = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (wanted != window->size())
        window->resize(wanted);
    // A window moved partly off the screen comes back into view.
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QPoint at = window->pos();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() - wanted.width() - kFrameWidth)));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() - wanted.height() - kFrameHeight)));
    if (at != window->pos() && window->testAttribute(Qt::WA_Moved))
        window->move(at);
}

void InstallScreenFit() {
    static ScreenFitFilter* filter = nullptr;
    if (filter)
        return;
    filter = new ScreenFitFilter(qApp);
    qApp->installEventFilter(filter);
}
