#include "FileTypeDetector.h"

#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"

#include <QFile>
#include <functional>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace mojing::FileTypeDetector {

namespace {

constexpr qint64 kTrailerMinLength = 128;
constexpr qint64 kWebPageLimit = 200 * 1024;
constexpr qint64 kDescriptorLimit = 3 * 1024;

// One leading-byte signature: bytes required at given offsets.
struct Signature {
    std::vector<std::pair<int, quint8>> bytes; // (offset, value)
    const char16_t* answer;
};

std::vector<std::pair<int, quint8>> at(int offset, std::initializer_list<quint8> values) {
    std::vector<std::pair<int, quint8>> out;
    for (quint8 v : values)
        out.emplace_back(offset++, v);
    return out;
}

std::vector<std::pair<int, quint8>> join(std::initializer_list<std::vector<std::pair<int, quint8>>> parts) {
    std::vector<std::pair<int, quint8>> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const std::vector<Signature>& signatures() {
    static const std::vector<Signature> table = {
        {at(0, {0x25, 0x50, 0x44, 0x46}), u"pdf"},
        {at(0, {0xC8, 0x00, 0x00, 0x00}), u"caj"},
        {at(0, {0x43, 0x41, 0x4A, 0x00}), u"kdh"},
        {at(0, {0x4B, 0x44, 0x48, 0x20}), u"kdh"},
        {at(0, {0x48, 0x4E, 0x00, 0x00}), u"nh"},
        {at(0, {0x49, 0x49, 0x2A, 0x00}), u"tif"},
        {at(0, {0x7B, 0x5C, 0x72, 0x74, 0x66}), u"rtf"},
        {at(0, {0x4D, 0x5A}), u"exe"},
        {at(0, {0x52, 0x61, 0x72, 0x21}), u"rar"},
        {at(0, {0x50, 0x4B, 0x03, 0x04, 0x14, 0x00, 0x00, 0x00, 0x08}), u"zip"},
        {at(0, {0x50, 0x4B, 0x03, 0x04, 0x14, 0x00, 0x06, 0x00, 0x08, 0x00}), u"docx"},
        {at(0, {0x43, 0x57, 0x53, 0x06}), u"swf"},
        {at(0, {0x2E, 0x52, 0x4D, 0x46}), u"rm"},
        {at(0, {0x30, 0x26, 0xB2, 0x75, 0x8E}), u"wma"},
        {at(0, {0x49, 0x44, 0x33, 0x03}), u"mp3"},
        {at(0, {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}), u"png"},
        {at(0, {0x47, 0x49, 0x46, 0x38, 0x39, 0x61}), u"gif"},
        {join({at(0, {0xFF, 0xD8, 0xFF, 0xE1}), at(6, {0x45, 0x78, 0x69, 0x66}),
               at(12, {0x4D, 0x4D, 0x00, 0x2A})}),
         u"jpg"},
        {at(0, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46}), u"jpg"},
        // A compound document: the sub-type is decided at offsets 512..515 below.
        {at(0, {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}), u"*compound"},
    };
    return table;
}

// The verdict of one signature test: matched, not matched, or the buffer is too short for it
// (which ends the detection).
enum class Test { Match, NoMatch, TooShort };

Test test(const QByteArray& buffer, const std::vector<std::pair<int, quint8>>& bytes) {
    int highest = 0;
    for (const auto& [offset, value] : bytes)
        highest = std::max(highest, offset);
    if (highest >= buffer.size())
        return Test::TooShort;
    for (const auto& [offset, value] : bytes) {
        if (quint8(buffer.at(offset)) != value)
            return Test::NoMatch;
    }
    return Test::Match;
}

// The leading-byte answer: a type, "" for no match, nullopt when detection must end with "".
std::optional<QString> leadingAnswer(const QByteArray& buffer) {
    for (const Signature& s : signatures()) {
        const Test t = test(buffer, s.bytes);
        if (t == Test::TooShort)
            return std::nullopt;
        if (t == Test::NoMatch)
            continue;
        const QString answer = QString::fromUtf16(s.answer);
        if (answer != u"*compound"_s)
            return answer;
        if (test(buffer, at(512, {0, 0, 0, 0})) == Test::TooShort)
            return std::nullopt;
        if (test(buffer, at(512, {0xEC, 0xA5, 0xC1, 0x00})) == Test::Match)
            return u"doc"_s;
        if (test(buffer, at(512, {0x09, 0x08, 0x10, 0x00})) == Test::Match)
            return u"xls"_s;
        if (quint8(buffer.at(515)) == 0xF0)
            return u"ppt"_s;
        return QString();
    }
    return QString();
}

bool looksLikeWebPage(const QString& text) {
    const bool html =
        text.contains(u"<html "_s, Qt::CaseInsensitive) || text.contains(u"html>"_s, Qt::CaseInsensitive);
    if (!html)
        return false;
    return text.contains(u"<title>"_s, Qt::CaseInsensitive) ||
           text.contains(u"<head>"_s, Qt::CaseInsensitive) || text.contains(u"<body>"_s, Qt::CaseInsensitive);
}

bool looksLikeDescriptor(const QString& text) {
    static const QString markers[] = {u"A1="_s, u"[TARGET]"_s, u"A2="_s, u"B1="_s, u"B2="_s,
                                      u"C1="_s, u"C2="_s,      u"D1="_s, u"D2="_s, u"DOCTYPE="_s};
    for (const QString& m : markers) {
        if (!text.contains(m, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

// The detection over any content: `length` bytes, of which `read` returns `count` from `offset`
// with bytes beyond the end reading as zero. Only the head, the trailer and (for small files) the
// whole content are read, so a large file is never loaded whole.
QString detect(qint64 length, const std::function<QByteArray(qint64 offset, qint64 count)>& read,
               const AnsiCodec& codec) {
    const QByteArray buffer = read(0, std::min(length, kHeaderBytes) + 1);

    const std::optional<QString> leading = leadingAnswer(buffer);
    if (!leading)
        return {};
    if (!leading->isEmpty())
        return leading->toLower();

    if (length > kTrailerMinLength &&
        read(length - kTrailerMinLength, kTrailerMinLength + 1).startsWith("TAG"))
        return u"mp3"_s;
    if (length < kWebPageLimit && looksLikeWebPage(codec.decode(buffer)))
        return u"htm"_s;
    if (length < kDescriptorLimit && looksLikeDescriptor(codec.decode(read(0, length + 1))))
        return u"caa"_s;
    return {};
}

} // namespace

QString detectFileType(const QString& path, const AnsiCodec& codec) {
    if (!FileHelpers::fileExists(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return detect(
        file.size(),
        [&file](qint64 offset, qint64 count) {
            QByteArray data(count, '\0');
            if (file.seek(offset)) {
                const qint64 got = file.read(data.data(), count);
                Q_UNUSED(got);
            }
            return data;
        },
        codec);
}

QString detectFileTypeOfBytes(const QByteArray& content, const AnsiCodec& codec) {
    return detect(
        content.size(),
        [&content](qint64 offset, qint64 count) {
            QByteArray data = content.mid(offset, count);
            data.resize(count, '\0');
            return data;
        },
        codec);
}

} // namespace mojing::FileTypeDetector
