#include "WindowGeometry.h"

#include "SettingKeys.h"
#include "SettingsStore.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace mojing::WindowGeometry {

namespace {
// std::nearbyint rounds halves to the even neighbour in the default rounding mode.
qint64 roundHalfEven(double value) {
    return qint64(std::nearbyint(value));
}

std::optional<int> readNumber(const SettingsStore& settings, const QString& section, const QString& key) {
    bool ok = false;
    const double value =
        settings.read(section, key, SettingKeys::defaultFor(SettingKeys::kSectionDownloadWindow, key))
            .trimmed()
            .toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 1e9)
        return std::nullopt;
    return int(roundHalfEven(value));
}
} // namespace

QString screenResolutionText(const QSizeF& screenTwips) {
    return QString::number(roundHalfEven(screenTwips.width() / kTwipsPerPixel)) + u'*' +
           QString::number(roundHalfEven(screenTwips.height() / kTwipsPerPixel));
}

int toPixels(int twips) {
    return int(roundHalfEven(double(twips) / kTwipsPerPixel));
}

void save(SettingsStore& settings, const QString& section, bool maximised, const Rect& twips,
          const QString& resolution) {
    using namespace SettingKeys;
    if (maximised) {
        settings.write(section, kResolution, kMaximisedResolution);
    } else {
        settings.write(section, kResolution, resolution);
        settings.write(section, kTop, QString::number(twips.top));
        settings.write(section, kLeft, QString::number(twips.left));
        settings.write(section, kWidth, QString::number(twips.width));
        settings.write(section, kHeight, QString::number(twips.height));
    }
    settings.sync();
}

Restore restore(const SettingsStore& settings, const QString& section, const QString& currentResolution) {
    using namespace SettingKeys;
    Restore r;
    if (settings.read(section, kResolution, defaultFor(kSectionDownloadWindow, kResolution)) !=
        currentResolution) {
        r.maximise = true;
        return r;
    }
    if ((r.top = readNumber(settings, section, kTop)))
        r.top = std::max(*r.top, 0);
    if ((r.left = readNumber(settings, section, kLeft)))
        r.left = std::max(*r.left, 0);
    if ((r.width = readNumber(settings, section, kWidth)))
        r.width = std::max(*r.width, kMinWidthTwips);
    if ((r.height = readNumber(settings, section, kHeight)))
        r.height = std::max(*r.height, kMinHeightTwips);
    return r;
}

} // namespace mojing::WindowGeometry
