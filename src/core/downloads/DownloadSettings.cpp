#include "DownloadSettings.h"

#include "DownloadOptions.h"
#include "articles/NamingTemplate.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace mojing {

using namespace SettingKeys;

QString DownloadSettings::methodLabel(int method) {
    return u"下载方式："_s + QString::number(method);
}

std::optional<double> DownloadSettings::parseMegabytes(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return value;
}

void DownloadSettings::load(const SettingsStore& store, DownloadOptions& options, double fallbackMaxSizeMB) {
    bool ok = false;
    const int method = store.read(kSectionSettings, kMethod).trimmed().toInt(&ok);
    options.method = ok ? method : 2;
    options.slotCount = 1;
    if (!options.usesMethod1()) {
        // A stored position outside the list leaves the list at its first entry.
        const int position = store.read(kSectionDownload, kSlots).trimmed().toInt(&ok);
        if (ok && position >= 0 && position < kMaxSlots)
            options.slotCount = position + 1;
    }
    options.policy = duplicatePolicyFromCaption(store.read(kSectionDuplicate, kDuplicatePolicy));
    options.namingTemplate = namingTemplate(store);
    options.proxyHost = store.read(kSectionSettings, kProxyHost);
    options.proxyPort = store.read(kSectionSettings, kProxyPort);
    options.proxyEnabled = store.read(kSectionSettings, kProxyEnabled).trimmed() == u"1"_s;
    options.maxFileSizeMB =
        parseMegabytes(store.read(kSectionSettings, kMaxFileSize)).value_or(fallbackMaxSizeMB);
    options.pauseSeconds = 0;
    options.autoRetry = false;
    options.autoRetryMode = 0;
    options.autoStart = false;
    options.stopRule = false;
    options.sound = false;
    options.autoLocate = false;
    options.siteLogin = false;
}

QString DownloadSettings::namingTemplate(const SettingsStore& store, QString* error) {
    const QString stored = store.read(kSectionDownload, kNamingTemplate);
    if (stored.trimmed().isEmpty())
        return NamingTemplate::kDefault;
    const std::optional<NamingTemplate> parsed = NamingTemplate::parse(stored, error);
    return parsed ? parsed->text() : NamingTemplate::kDefault;
}

void DownloadSettings::storePolicyAndMethod(SettingsStore& store, const DownloadOptions& options) {
    store.write(kSectionDuplicate, kDuplicatePolicy, duplicatePolicyCaption(options.policy));
    store.write(kSectionSettings, kMethod, QString::number(options.method));
}

void DownloadSettings::storeSlots(SettingsStore& store, const DownloadOptions& options) {
    const int position = std::clamp(options.slotCount, 1, kMaxSlots) - 1;
    store.write(kSectionDownload, kSlots, QString::number(position));
}

void DownloadSettings::switchMethod(DownloadOptions& options) {
    options.method = options.method == 2 ? 1 : 2;
    options.slotCount = 1;
}

} // namespace mojing
