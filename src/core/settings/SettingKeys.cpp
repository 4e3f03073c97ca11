#include "SettingKeys.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace mojing::SettingKeys {

QString defaultSaveFolder() {
    return QDir::homePath() + u"/12345/"_s;
}

QString dataFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/mojing"_s;
    QDir().mkpath(dir);
    return dir + u'/';
}

QString defaultFor(const QString& section, const QString& key) {
    struct Entry {
        const QString& section;
        const QString& key;
        QString value;
    };
    const Entry table[] = {
        {kSectionSettings, kMaxFileSize, u"10"_s},
        {kSectionSettings, kPromptFolderOnHarvest, u"1"_s},
        {kSectionSettings, kSaveFolder, defaultSaveFolder()},
        {kSectionSettings, kMethod, u"2"_s},
        {kSectionSettings, kProxyHost, QString()},
        {kSectionSettings, kProxyPort, QString()},
        {kSectionSettings, kProxyEnabled, u"0"_s},
        {kSectionSettings, kDoiResolver, u"https://doi.org/"_s},
        {kSectionDownload, kSlots, u"2"_s},
        {kSectionDownload, kKeepList, u"1"_s},
        {kSectionDownload, kNamingTemplate, u"{title}"_s},
        {kSectionDuplicate, kDuplicatePolicy, u"重命名"_s},
        {kSectionSearch, kCheck1, u"1"_s},
        {kSectionSearch, kCheck3, u"1"_s},
        {kSectionSearch, kText1, u"100"_s},
        {kSectionDownloadWindow, kResolution, u"000"_s},
        {kSectionDownloadWindow, kTop, u"100"_s},
        {kSectionDownloadWindow, kLeft, u"100"_s},
        {kSectionDownloadWindow, kWidth, u"15000"_s},
        {kSectionDownloadWindow, kHeight, u"10000"_s},
        {kSectionCopyMove, kCopyTarget, dataFolder()},
        {kSectionCopyMove, kCopyOption, u"4"_s},
    };
    for (const Entry& e : table) {
        if (e.section == section && e.key == key)
            return e.value;
    }
    return {};
}

} // namespace mojing::SettingKeys
