#include "SettingsStore.h"

#include "SettingKeys.h"

#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// Whether a value that Qt would decode as binary data starts at `at`: "@Variant(" or
// "@DateTime(" at the start of a value, of a list element or of a quoted part.
bool startsBinaryValue(const QByteArray& ini, qsizetype at) {
    const QByteArrayView rest = QByteArrayView(ini).sliced(at);
    if (!rest.startsWith("@Variant(") && !rest.startsWith("@DateTime("))
        return false;
    qsizetype before = at - 1;
    while (before >= 0 && (ini[before] == ' ' || ini[before] == '\t'))
        --before;
    return before < 0 || QByteArrayView("=,\"\n\r").contains(ini[before]);
}

// This program stores text only and never writes such values (a text that starts with '@' is
// written "@@..."). Qt decodes them with its binary stream reader, which a damaged or foreign file
// can make ask for gigabytes; a doubled '@' makes them the text they look like.
void defuseBinaryValues(const QString& iniPath) {
    constexpr qint64 kLargestSettingsFile = 16 * 1024 * 1024;
    QFile file(iniPath);
    if (file.size() > kLargestSettingsFile || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray ini = file.readAll();
    file.close();
    QByteArray defused;
    bool changed = false;
    for (qsizetype i = 0; i < ini.size(); ++i) {
        if (ini[i] == '@' && startsBinaryValue(ini, i)) {
            defused += '@';
            changed = true;
        }
        defused += ini[i];
    }
    if (!changed)
        return;
    QSaveFile save(iniPath);
    if (save.open(QIODevice::WriteOnly) && save.write(defused) == defused.size())
        save.commit();
}

std::unique_ptr<QSettings> openIni(const QString& iniPath) {
    defuseBinaryValues(iniPath);
    return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}
} // namespace

SettingsStore::SettingsStore(const QString& iniPath) : m_settings(openIni(iniPath)) {}

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
