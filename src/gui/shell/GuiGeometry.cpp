#include "shell/GuiGeometry.h"

#include "settings/WindowGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace mojing::GuiGeometry {

namespace {
QScreen* screenOf(const QWidget& window) {
    QScreen* screen = window.screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}
} // namespace

QString screenResolution(const QWidget& window) {
    QScreen* screen = screenOf(window);
    const QSize pixels = screen ? screen->size() : QSize();
    return WindowGeometry::screenResolutionText(
        QSizeF(WindowGeometry::toTwips(pixels.width()), WindowGeometry::toTwips(pixels.height())));
}

void save(const QWidget& window, SettingsStore& settings) {
    // The frame's top-left and the client size, as a window reports its own position.
    const QRect frame = window.frameGeometry();
    const QSize size = window.size();
    WindowGeometry::save(settings, window.objectName(), window.isMaximized(),
                         {WindowGeometry::toTwips(frame.left()), WindowGeometry::toTwips(frame.top()),
                          WindowGeometry::toTwips(size.width()), WindowGeometry::toTwips(size.height())},
                         screenResolution(window));
}

void restore(QWidget& window, const SettingsStore& settings) {
    const WindowGeometry::Restore r =
        WindowGeometry::restore(settings, window.objectName(), screenResolution(window));
    if (r.maximise) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        return;
    }
    QPoint position = window.pos();
    QSize size = window.size();
    if (r.left)
        position.setX(WindowGeometry::toPixels(*r.left));
    if (r.top)
        position.setY(WindowGeometry::toPixels(*r.top));
    if (r.width)
        size.setWidth(WindowGeometry::toPixels(*r.width));
    if (r.height)
        size.setHeight(WindowGeometry::toPixels(*r.height));
    window.setWindowState(window.windowState() & ~Qt::WindowMaximized);
    window.move(position);
    window.resize(size);
}

} // namespace mojing::GuiGeometry
