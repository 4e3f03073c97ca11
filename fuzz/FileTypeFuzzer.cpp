// Downloaded file contents: the type detector reads bytes that any server may have sent.

#include "FuzzSupport.h"

#include "platform/AnsiCodec.h"
#include "tools/FileTypeDetector.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <unistd.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// Every answer the detector can give ("" when the content does not tell).
const QSet<QString>& knownTypes() {
    static const QSet<QString> types = {QString(), u"pdf"_s, u"caj"_s, u"kdh"_s, u"nh"_s,   u"tif"_s,
                                        u"rtf"_s,  u"exe"_s, u"rar"_s, u"zip"_s, u"docx"_s, u"swf"_s,
                                        u"rm"_s,   u"wma"_s, u"mp3"_s, u"png"_s, u"gif"_s,  u"jpg"_s,
                                        u"doc"_s,  u"xls"_s, u"ppt"_s, u"htm"_s, u"caa"_s};
    return types;
}

// A scratch file per process (in shared memory when there is some), rewritten for every input
// and removed when the fuzzer ends normally.
struct ScratchFile {
    ScratchFile()
        : path((QDir(u"/dev/shm"_s).exists() ? u"/dev/shm"_s : QDir::tempPath()) +
               u"/mojing-fuzz-filetype-"_s + QString::number(getpid())) {}
    ~ScratchFile() { QFile::remove(path); }
    const QString path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AnsiCodec gbk(u"GBK"_s);
    static const ScratchFile scratch;
    const QString& path = scratch.path;
    const QByteArray content = fuzz::bytesOf(data, size);

    const QString type = FileTypeDetector::detectFileTypeOfBytes(content, gbk);
    FUZZ_CHECK(knownTypes().contains(type), type);

    // The detector over a file reads it piecewise; it must agree with the answer over its bytes.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(content);
        file.close();
        const QString fromFile = FileTypeDetector::detectFileType(path, gbk);
        FUZZ_CHECK(fromFile == type, fromFile + u" from the file, "_s + type + u" from the bytes"_s);
    }
    return 0;
}
