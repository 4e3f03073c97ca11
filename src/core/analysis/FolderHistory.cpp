#include "FolderHistory.h"

#include "platform/AnsiCodec.h"
#include "settings/SettingKeys.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

using namespace Qt::StringLiterals;

namespace mojing {

QString FolderHistory::defaultFile() {
    return SettingKeys::dataFolder() + u"SaveList.dat"_s;
}

std::optional<QStringList> FolderHistory::loadFolderHistory(const QString& file, const AnsiCodec& codec) {
    if (!QFile::exists(file))
        return std::nullopt;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QStringList();
    return parseFolderHistory(in.readAll(), codec);
}

QStringList FolderHistory::parseFolderHistory(const QByteArray& content, const AnsiCodec& codec) {
    const QString text = codec.decode(content);
    QStringList folders;
    QSet<QString> seen;
    int nonEmpty = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QString folder = line.trimmed().toString();
        if (folder.isEmpty())
            continue;
        if (++nonEmpty > kMaxLines)
            break;
        const QString folded = folder.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        folders << folder;
    }
    return folders;
}

bool FolderHistory::saveFolderHistory(const QStringList& folders, const QString& file,
                                      const AnsiCodec& codec) {
    QString text;
    for (const QString& folder : folders)
        text += folder + u"\r\n"_s;
    if (folders.isEmpty())
        text = u"\r\n"_s;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(codec.encode(text));
    return out.commit();
}

} // namespace mojing
