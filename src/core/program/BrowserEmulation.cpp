#include "BrowserEmulation.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing::BrowserEmulation {

std::optional<quint32> desiredValue(const QString& mode, bool force) {
    const QString m = mode.toUpper();
    if (m == u"IE10"_s)
        return force ? 10001 : 10000;
    if (m == u"IE9"_s)
        return force ? 9999 : 9000;
    if (m == u"IE8"_s)
        return force ? 8888 : 8000;
    if (m == u"IE7"_s)
        return 7000;
    return std::nullopt;
}

void apply(EmulationRegistry& registry, const QString& mode, bool force, const QString& osBitness,
           const QString& valueName) {
    using View = EmulationRegistry::View;
    QList<View> views{View::Default32};
    if (osBitness == u"64"_s)
        views << View::Native64;
    const std::optional<quint32> desired = desiredValue(mode, force);
    for (View view : views) {
        if (!registry.keyWritable(view))
            continue;
        if (!desired) {
            registry.deleteValue(view, valueName);
            continue;
        }
        if (registry.value(view, valueName) != desired)
            registry.setValue(view, valueName, *desired);
    }
}

QString valueNameFor(const QString& executablePath) {
    return QFileInfo(executablePath).completeBaseName() + u".exe"_s;
}

} // namespace mojing::BrowserEmulation
