#pragma once

#include <QByteArray>
#include <QString>

namespace mojing {

class AnsiCodec;

// Web pages saved as files are read as text in the ANSI code page, unless they say otherwise:
// a byte-order mark or a charset declared in a meta element near the top of the file.
class HtmlText {
public:
    static QString decode(const QByteArray& bytes, const AnsiCodec& ansi);
    // The charset a meta element within the first 1024 bytes declares, lower case; empty if none.
    static QString declaredCharset(const QByteArray& bytes);
};

} // namespace mojing
