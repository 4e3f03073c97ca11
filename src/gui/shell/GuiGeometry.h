#pragma once

#include <QString>

class QWidget;

namespace mojing {

class SettingsStore;

// Saves and restores a window's position and size under the window's objectName, in twips,
// together with the screen resolution (see WindowGeometry).
namespace GuiGeometry {

// The resolution text of the screen the window is on (the primary screen when it has none).
QString screenResolution(const QWidget& window);
void save(const QWidget& window, SettingsStore& settings);
// Sets the geometry (or maximises); call before the window is first shown.
void restore(QWidget& window, const SettingsStore& settings);

} // namespace GuiGeometry
} // namespace mojing
