#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

double twipsPerPixel(const QWidget *widget)
{
    const double dpi = widget->logicalDpiX() > 0 ? widget->logicalDpiX() : 96.0;
    return 1440.0 / dpi;
}

QRect geometryFor(const Settings::Placement &p, double perPixel, const QRect &available)
{
    const int width = int(p.width / perPixel);
    const int height = int(p.height / perPixel);
    if (p.left && p.top)
        return {int(*p.left / perPixel), int(*p.top / perPixel), width, height};
    return {available.x() + (available.width() - width) / 2, available.y() + (available.height() - height) / 2, width,
            height};
}

Settings::Placement placementOf(const QRect &frame, const QSize &size, bool maximized, double perPixel)
{
    Settings::Placement p;
    p.maximized = maximized;
    if (maximized)
        return p;
    p.left = frame.x() * perPixel;
    p.top = frame.y() * perPixel;
    p.width = size.width() * perPixel;
    p.height = size.height() * perPixel;
    return p;
}

void apply(QWidget *window, const Settings::Placement &placement)
{
    if (placement.maximized) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
        return;
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect geometry = geometryFor(placement, twipsPerPixel(window), area);
    window->resize(geometry.size());
    if ((placement.left && placement.top) || screen)
        window->move(geometry.topLeft());
}

void store(const QWidget *window, Settings::Placement &placement)
{
    const Settings::Placement now = placementOf(window->frameGeometry(), window->size(),
                                                window->isMaximized() || window->isMinimized(), twipsPerPixel(window));
    if (now.maximized) {
        // The normal-state place stays as it was for the next start.
        placement.maximized = true;
        return;
    }
    placement = now;
}

} // namespace WindowPlacement
