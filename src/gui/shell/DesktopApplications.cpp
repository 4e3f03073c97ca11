#include "shell/DesktopApplications.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

using IniGroups = QHash<QString, QHash<QString, QString>>;

// The groups and keys of a desktop entry or mimeapps.list file (the first value of a key wins).
IniGroups readIni(const QString& path) {
    IniGroups groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return groups;
    QString group;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        QHash<QString, QString>& keys = groups[group];
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return groups;
}

QStringList idList(const QString& value) {
    QStringList ids;
    for (const QString& id : value.split(u';', Qt::SkipEmptyParts)) {
        if (!id.trimmed().isEmpty())
            ids << id.trimmed();
    }
    return ids;
}

// The escapes of a desktop entry string value (\s \n \t \r \\).
QString unescapeValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out += u' ';
            break;
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        case '\\':
            out += u'\\';
            break;
        default: // left for the quoting rules of the Exec line
            out += c;
            out += next;
        }
    }
    return out;
}

// Splits an Exec value into arguments: blanks separate them, double quotes group, and inside
// quotes a backslash escapes the next character.
QStringList splitExec(const QString& exec) {
    QStringList args;
    QString current;
    bool quoted = false;
    bool hasArg = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size())
                current += exec.at(++i);
            else if (c == u'"')
                quoted = false;
            else
                current += c;
        } else if (c == u'"') {
            quoted = true;
            hasArg = true;
        } else if (c.isSpace()) {
            if (hasArg)
                args << current;
            current.clear();
            hasArg = false;
        } else {
            current += c;
            hasArg = true;
        }
    }
    if (hasArg)
        args << current;
    return args;
}

QString envOr(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

} // namespace

DesktopApplications::Dirs DesktopApplications::fromEnvironment() {
    Dirs dirs;
    const QString home = QDir::homePath();
    dirs.configHome = envOr("XDG_CONFIG_HOME", home + u"/.config"_s);
    dirs.configDirs = envOr("XDG_CONFIG_DIRS", u"/etc/xdg"_s).split(u':', Qt::SkipEmptyParts);
    dirs.dataHome = envOr("XDG_DATA_HOME", home + u"/.local/share"_s);
    dirs.dataDirs = envOr("XDG_DATA_DIRS", u"/usr/local/share:/usr/share"_s).split(u':', Qt::SkipEmptyParts);
    dirs.desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(u':', Qt::SkipEmptyParts);
    dirs.terminal = QStandardPaths::findExecutable(u"x-terminal-emulator"_s);
    if (dirs.terminal.isEmpty())
        dirs.terminal = QStandardPaths::findExecutable(u"xterm"_s);
    return dirs;
}

DesktopApplications::DesktopApplications(Dirs dirs) : m_dirs(std::move(dirs)) {}

QStringList DesktopApplications::mimeAppsLists() const {
    QStringList lists;
    auto addFrom = [&](const QString& base) {
        for (const QString& desktop : m_dirs.desktops)
            lists << base + u'/' + desktop + u"-mimeapps.list"_s;
        lists << base + u"/mimeapps.list"_s;
    };
    addFrom(m_dirs.configHome);
    for (const QString& dir : m_dirs.configDirs)
        addFrom(dir);
    for (const QString& dir : applicationDirs())
        addFrom(dir);
    return lists;
}

QStringList DesktopApplications::applicationDirs() const {
    QStringList dirs{m_dirs.dataHome + u"/applications"_s};
    for (const QString& dir : m_dirs.dataDirs)
        dirs << dir + u"/applications"_s;
    return dirs;
}

QString DesktopApplications::desktopFile(const QString& id) const {
    QStringList names{id};
    // "vendor-app.desktop" may also live as "vendor/app.desktop".
    if (const qsizetype dash = id.indexOf(u'-'); dash > 0)
        names << id.left(dash) + u'/' + id.mid(dash + 1);
    for (const QString& dir : applicationDirs()) {
        for (const QString& name : names) {
            const QString path = dir + u'/' + name;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return {};
}

QStringList DesktopApplications::applicationsFor(const QString& mimeType) const {
    QStringList defaults;
    QStringList added;
    QStringList removed;
    for (const QString& list : mimeAppsLists()) {
        const IniGroups groups = readIni(list);
        defaults << idList(groups.value(u"Default Applications"_s).value(mimeType));
        added << idList(groups.value(u"Added Associations"_s).value(mimeType));
        removed << idList(groups.value(u"Removed Associations"_s).value(mimeType));
    }
    for (const QString& dir : applicationDirs())
        added << idList(readIni(dir + u"/mimeinfo.cache"_s).value(u"MIME Cache"_s).value(mimeType));

    QStringList result;
    auto take = [&](const QString& id) {
        if (result.contains(id))
            return;
        const QString file = desktopFile(id);
        if (file.isEmpty())
            return;
        const QString hidden = readIni(file).value(u"Desktop Entry"_s).value(u"Hidden"_s);
        if (hidden.compare(u"true"_s, Qt::CaseInsensitive) != 0)
            result << id;
    };
    for (const QString& id : std::as_const(defaults))
        take(id);
    for (const QString& id : std::as_const(added)) {
        if (!removed.contains(id))
            take(id);
    }
    return result;
}

QStringList DesktopApplications::commandFor(const QString& desktopFile, const QString& target) const {
    const QHash<QString, QString> entry = readIni(desktopFile).value(u"Desktop Entry"_s);
    const QStringList exec = splitExec(unescapeValue(entry.value(u"Exec"_s)));
    if (exec.isEmpty())
        return {};
    const bool local = !target.contains(u"://"_s);
    const QString asUrl =
        local ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()).toString(QUrl::FullyEncoded)
              : target;
    bool targetUsed = false;
    QStringList args;
    for (const QString& arg : exec) {
        if (arg == u"%i"_s) {
            if (!entry.value(u"Icon"_s).isEmpty())
                args << u"--icon"_s << entry.value(u"Icon"_s);
            continue;
        }
        if (arg == u"%F"_s || arg == u"%U"_s) {
            args << (arg == u"%U"_s ? asUrl : target);
            targetUsed = true;
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg.at(i) != u'%' || i + 1 >= arg.size()) {
                expanded += arg.at(i);
                continue;
            }
            switch (arg.at(++i).unicode()) {
            case '%':
                expanded += u'%';
                break;
            case 'f':
                expanded += target;
                targetUsed = true;
                break;
            case 'u':
                expanded += asUrl;
                targetUsed = true;
                break;
            case 'c':
                expanded += entry.value(u"Name"_s);
                break;
            case 'k':
                expanded += desktopFile;
                break;
            default: // deprecated and list codes inside a word expand to nothing
                break;
            }
        }
        if (!expanded.isEmpty() || arg.isEmpty())
            args << expanded;
    }
    if (args.isEmpty())
        return {};
    if (!targetUsed)
        args << target;
    if (entry.value(u"Terminal"_s).compare(u"true"_s, Qt::CaseInsensitive) == 0) {
        if (m_dirs.terminal.isEmpty())
            return {};
        args = QStringList{m_dirs.terminal, u"-e"_s} + args;
    }
    return args;
}

bool DesktopApplications::open(const QStringList& mimeTypes, const QString& target) const {
    for (const QString& type : mimeTypes) {
        for (const QString& id : applicationsFor(type)) {
            QStringList command = commandFor(desktopFile(id), target);
            if (command.isEmpty())
                continue;
            const QString program = command.takeFirst();
            if (QProcess::startDetached(program, command))
                return true;
        }
    }
    return false;
}

} // namespace mojing
