// The list file of `mojing download --list`: url<TAB>name[<TAB>type[<TAB>folder]] lines (the first
// field an address or a DOI) in UTF-8 or the ANSI code page, written by users or other programs,
// or the download window's saved list.

#include "FuzzSupport.h"

#include "articles/ArticleInputParser.h"
#include "platform/AnsiCodec.h"

#include "DownloadArguments.h"

#include <QDir>
#include <QUrl>

using namespace mojing;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AnsiCodec gbk(u"GBK"_s);
    static const QString defaultFolder = u"/downloads/"_s;
    QString error;
    const std::vector<DownloadArguments::Entry> entries =
        DownloadArguments::parseList(fuzz::bytesOf(data, size), u"list.txt"_s, defaultFolder, gbk, error);
    FUZZ_CHECK(entries.empty() != error.isEmpty(), error);
    for (const DownloadArguments::Entry& e : entries) {
        if (e.url.isEmpty()) {
            // A DOI, resolved later: it names no address yet, and a file only when the list did.
            FUZZ_CHECK(!ArticleInputParser::doiOf(e.input).isEmpty(), e.input);
            FUZZ_CHECK(e.named == !e.name.isEmpty(), e.input);
            continue;
        }
        FUZZ_CHECK(!e.name.isEmpty(), e.url);
        // A saved list's row may name alternatives ("a|b"): each is a web address.
        for (const QString& alternative : e.url.split(u'|')) {
            const QUrl url(alternative.trimmed());
            const QString scheme = url.scheme().toLower();
            FUZZ_CHECK(url.isValid() && (scheme == u"http"_s || scheme == u"https"_s) &&
                           !url.host().isEmpty(),
                       e.url);
        }
        FUZZ_CHECK(e.fromSavedList || e.input == e.url, e.input);
        // The name only ever names a file inside the folder.
        FUZZ_CHECK(!fuzz::hasPathSeparator(e.name), e.name);
        FUZZ_CHECK(!e.name.startsWith(u'.'), e.name);
        FUZZ_CHECK(!e.name.contains(u'\n') && !e.name.contains(u'\r') && !e.name.contains(QChar(0)), e.name);
        FUZZ_CHECK(e.type.size() <= 10, e.type);
        for (QChar c : e.type)
            FUZZ_CHECK(c.isLetterOrNumber(), e.type);
        FUZZ_CHECK(QDir::isAbsolutePath(e.folder) && e.folder.endsWith(u'/'), e.folder);
    }
    return 0;
}
