#pragma once

#include <QByteArray>
#include <QString>

namespace mojing {

// The "system multi-byte code page" of the program: text files that users open in other programs
// (exports, the folder history, web pages read as text) are written and read in it. GBK unless the
// environment variable MOJING_ANSI_CODEPAGE names another encoding Qt knows.
class AnsiCodec {
public:
    explicit AnsiCodec(QString name = defaultName());

    static QString defaultName();

    QString name() const { return m_name; }
    QByteArray encode(const QString& text) const;
    QString decode(const QByteArray& bytes) const;
    // Number of bytes the text takes in this code page.
    qsizetype byteLength(const QString& text) const;
    // The longest prefix of `text` that fits into `maxBytes` bytes, never splitting a character
    // (a surrogate pair or a double-byte character stays whole or goes whole).
    QString truncateToBytes(const QString& text, qsizetype maxBytes) const;

private:
    QString m_name;
};

} // namespace mojing
