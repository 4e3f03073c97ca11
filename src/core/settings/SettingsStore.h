#pragma once

#include <QSettings>
#include <QString>
#include <memory>

namespace mojing {

// Per-user text store addressed by (section, key). Values are text; readers convert numbers.
// Backed by an INI file in the per-user configuration folder.
class SettingsStore {
public:
    // Store in the given INI file (tests, portable runs).
    explicit SettingsStore(const QString& iniPath);
    // The per-user store of the program.
    static QString defaultPath();

    QString filePath() const;
    // The stored text, or `defaultValue` when the section or key does not exist.
    QString read(const QString& section, const QString& key, const QString& defaultValue) const;
    // The stored text, or the program's default for that key (see SettingKeys).
    QString read(const QString& section, const QString& key) const;
    void write(const QString& section, const QString& key, const QString& value);
    void sync();

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace mojing
