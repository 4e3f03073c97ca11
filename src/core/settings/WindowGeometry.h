#pragma once

#include <QSizeF>
#include <QString>
#include <optional>

namespace mojing {

class SettingsStore;

// Saved position and size of a window, in twips (1 pixel = 15 twips), stored under the window's
// own section together with the screen resolution they were taken on.
namespace WindowGeometry {

constexpr int kTwipsPerPixel = 15;
constexpr int kMinWidthTwips = 4000;
constexpr int kMinHeightTwips = 3000;
inline const QString kMaximisedResolution = QStringLiteral("0*0");

// "width*height" in pixels of a screen measured in twips; each side is twips / 15 rounded to the
// nearest whole number, halves to the even neighbour.
QString screenResolutionText(const QSizeF& screenTwips);
inline int toTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}
int toPixels(int twips);

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What to do with the window on load. A value that was stored but is not a number is missing
// here: the window keeps its current value for it.
struct Restore {
    bool maximise = false;
    std::optional<int> left, top, width, height; // twips, already raised to their minimums
};

// On close: a maximised window only records "0*0" (its last normal geometry stays stored);
// otherwise the resolution, then top, left, width and height.
void save(SettingsStore& settings, const QString& section, bool maximised, const Rect& twips,
          const QString& resolution);
// On load: a resolution other than the current one (also "0*0" and the first run) maximises.
Restore restore(const SettingsStore& settings, const QString& section, const QString& currentResolution);

} // namespace WindowGeometry
} // namespace mojing
