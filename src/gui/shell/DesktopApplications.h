#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace mojing {

// The applications of a freedesktop desktop: which one is the default for a MIME type
// (mimeapps.list, then the other associations and mimeinfo.cache) and the command line that opens
// a file or address with it (its desktop entry's Exec line). Used where the desktop's generic
// opener is missing, and where a file must open in an application chosen by another type than its
// own (a PDF in the text editor, a local file in the web browser).
class DesktopApplications {
public:
    struct Dirs {
        QString configHome;     // $XDG_CONFIG_HOME
        QStringList configDirs; // $XDG_CONFIG_DIRS
        QString dataHome;       // $XDG_DATA_HOME
        QStringList dataDirs;   // $XDG_DATA_DIRS
        QStringList desktops;   // $XDG_CURRENT_DESKTOP, lower case
        QString terminal;       // terminal emulator for Terminal=true entries; empty: none
    };
    static Dirs fromEnvironment();

    explicit DesktopApplications(Dirs dirs = fromEnvironment());

    // Desktop ids ("org.example.Editor.desktop") for the type, the defaults first, each once,
    // only those installed and not removed.
    QStringList applicationsFor(const QString& mimeType) const;
    // The desktop entry file of an id, or empty.
    QString desktopFile(const QString& id) const;
    // Program and arguments that open `target` (a local path or an address) with the entry;
    // empty when the entry cannot run (no Exec, a terminal application without a terminal).
    QStringList commandFor(const QString& desktopFile, const QString& target) const;

    // Starts the first usable application for the first of `mimeTypes` that has one.
    bool open(const QStringList& mimeTypes, const QString& target) const;

private:
    QStringList mimeAppsLists() const;
    QStringList applicationDirs() const;

    Dirs m_dirs;
};

} // namespace mojing
