#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace mojing {

class AnsiCodec;

// The remembered save folders (SaveList.dat): one folder per line, ANSI code page, CR LF.
class FolderHistory {
public:
    static constexpr int kMaxLines = 100;

    // SaveList.dat in the program's data folder.
    static QString defaultFile();

    // The folders of `file`: trimmed non-empty lines, at most the first 100 of them, duplicates
    // (ignoring letter case) dropped. nullopt when the file does not exist, so that a caller
    // keeps the list it has; an unreadable file gives an empty list.
    static std::optional<QStringList> loadFolderHistory(const QString& file, const AnsiCodec& codec);
    // The folders the content of such a file names, by the same rules.
    static QStringList parseFolderHistory(const QByteArray& content, const AnsiCodec& codec);

    // Writes every folder in order, each followed by CR LF; an empty list writes one empty line.
    // The file is replaced whole or not at all. False when it could not be written.
    static bool saveFolderHistory(const QStringList& folders, const QString& file, const AnsiCodec& codec);
};

} // namespace mojing
