#include "ProgramStartup.h"

#include "BrowserEmulation.h"
#include "ProgramState.h"
#include "platform/SystemInfo.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace mojing::ProgramStartup {

double maxFileSizeMB(const QString& text, double current) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return current;
    return value;
}

void establish(ProgramState& state, const SettingsStore& settings, EmulationRegistry& registry,
               const QString& executablePath) {
    state.osBitness = SystemInfo::osBitness();
    state.osDescription = SystemInfo::osDescription(state.osBitness);
    BrowserEmulation::apply(registry, u"IE10"_s, true, state.osBitness,
                            BrowserEmulation::valueNameFor(executablePath));
    state.maxFileSizeMB = maxFileSizeMB(
        settings.read(SettingKeys::kSectionSettings, SettingKeys::kMaxFileSize), state.maxFileSizeMB);
}

} // namespace mojing::ProgramStartup
