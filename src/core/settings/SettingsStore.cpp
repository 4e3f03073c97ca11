#include "SettingsStore.h"

#include "SettingKeys.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace mojing {

SettingsStore::SettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

QString SettingsStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/mojing/"_s +
           kApplicationTitle + u".ini"_s;
}

QString SettingsStore::filePath() const {
    return m_settings->fileName();
}

QString SettingsStore::read(const QString& section, const QString& key, const QString& defaultValue) const {
    const QVariant value = m_settings->value(section + u'/' + key);
    if (!value.isValid())
        return defaultValue;
    return value.toString();
}

QString SettingsStore::read(const QString& section, const QString& key) const {
    return read(section, key, SettingKeys::defaultFor(section, key));
}

void SettingsStore::write(const QString& section, const QString& key, const QString& value) {
    m_settings->setValue(section + u'/' + key, value);
}

void SettingsStore::sync() {
    m_settings->sync();
}

} // namespace mojing
