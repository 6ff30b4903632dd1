#include "WindowPlacement.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace WindowPlacement {

double twipsPerPixel(const QWidget *widget)
{
    const double dpi = widget->logicalDpiX() > 0 ? widget->logicalDpiX() : 96.0;
    return 1440.0 / dpi;
}

namespace {

// No screen measures more than this; it also keeps every conversion to int defined.
constexpr double LargestPixels = 1 << 20;

// Pixels of a stored length, clamped to [low, high] in floating point, before it becomes an int.
int pixels(double twips, double perPixel, double fallback, double low, double high)
{
    double value = twips / perPixel;
    if (!std::isfinite(value))
        value = fallback;
    return int(std::clamp(value, low, std::max(low, high)));
}

} // namespace

QRect geometryFor(const Settings::Placement &p, double perPixel, const QRect &available)
{
    if (!std::isfinite(perPixel) || perPixel <= 0)
        perPixel = 15;
    const Settings::Placement defaults;
    const bool onScreen = available.isValid();
    const double maxWidth = onScreen ? available.width() : LargestPixels;
    const double maxHeight = onScreen ? available.height() : LargestPixels;
    const int width = pixels(p.width, perPixel, defaults.width / perPixel, 1, maxWidth);
    const int height = pixels(p.height, perPixel, defaults.height / perPixel, 1, maxHeight);
    if (p.left && p.top) {
        // The whole window stays within the available area, whatever the file says.
        const double left = onScreen ? available.left() : -LargestPixels;
        const double top = onScreen ? available.top() : -LargestPixels;
        const double right = onScreen ? double(available.right()) - width + 1 : LargestPixels;
        const double bottom = onScreen ? double(available.bottom()) - height + 1 : LargestPixels;
        return {pixels(*p.left, perPixel, left, left, right), pixels(*p.top, perPixel, top, top, bottom), width, height};
    }
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
    const double perPixel = twipsPerPixel(window);
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (placement.left && placement.top) {
        // The screen the stored corner lies on, when there is one; a corner off every screen comes to the main one.
        const QPoint corner(pixels(*placement.left, perPixel, 0, -LargestPixels, LargestPixels),
                            pixels(*placement.top, perPixel, 0, -LargestPixels, LargestPixels));
        if (const QScreen *under = QGuiApplication::screenAt(corner))
            screen = under;
    }
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect geometry = geometryFor(placement, perPixel, area);
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

namespace {

// A dialog whose controls cannot shrink into the room gets them in a scroll area; its menu bar
// stays above. Done once per dialog.
void scrollContents(QDialog *dialog)
{
    QLayout *contents = dialog->layout();
    if (!contents || dialog->findChild<QScrollArea *>(QStringLiteral("scrFitOnScreen"), Qt::FindDirectChildrenOnly))
        return;
    QWidget *menuBar = contents->menuBar();
    contents->setMenuBar(nullptr);
    auto *inner = new QWidget;
    // Moves the layout and the controls in it; the dialog is left without a layout.
    inner->setLayout(contents);
    auto *area = new QScrollArea(dialog);
    area->setObjectName(QStringLiteral("scrFitOnScreen"));
    area->setAccessibleName(dialog->windowTitle());
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(inner);
    auto *outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setMenuBar(menuBar);
    outer->addWidget(area);
}

} // namespace

void fitOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        fitInto(window, screen->availableGeometry());
}

void fitInto(QWidget *window, const QRect &area)
{
    const QSize frame = window->frameGeometry().size() - window->size();
    const QSize room(std::max(area.width() - frame.width(), 1), std::max(area.height() - frame.height(), 1));
    const auto fits = [&] {
        const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
        return least.width() <= room.width() && least.height() <= room.height();
    };
    if (!fits() || window->width() > room.width() || window->height() > room.height()) {
        // A control wanting more than the room gets half of it; the layout then fits in.
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (control->sizeHint().width() > room.width() / 2 || control->minimumSizeHint().width() > room.width() / 2)
                control->setMaximumWidth(std::min(control->maximumWidth(), room.width() / 2));
        }
        if (QLayout *layout = window->layout())
            layout->activate();
        window->setMinimumSize(window->minimumSize().boundedTo(room));
        if (auto *dialog = qobject_cast<QDialog *>(window); dialog && !fits()) {
            scrollContents(dialog);
            dialog->layout()->activate();
        }
        window->resize(window->size().boundedTo(room));
    }
    // Placed where the toolkit or a stored position put it, it may still hang over an edge. Menus
    // and tips place themselves.
    if (window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
        return;
    const QRect placed = window->frameGeometry();
    window->move(std::clamp(placed.x(), area.left(), std::max(area.left(), area.right() - placed.width() + 1)),
                 std::clamp(placed.y(), area.top(), std::max(area.top(), area.bottom() - placed.height() + 1)));
}

namespace {

class ScreenGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow())
                fitOnScreen(widget);
        }
        return false;
    }
};

} // namespace

void keepWindowsOnScreen()
{
    static QPointer<ScreenGuard> guard;
    if (guard || !QCoreApplication::instance())
        return;
    guard = new ScreenGuard(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(guard);
}

} // namespace WindowPlacement
