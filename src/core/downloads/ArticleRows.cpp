#include "ArticleRows.h"

#include "articles/ArticleInputParser.h"
#include "platform/FileHelpers.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing::ArticleRows {

namespace {

const QString kPdf = u"pdf"_s;

QString nameOfInput(const ResolvedArticle& result, const AnsiCodec& codec) {
    const ArticleInput& input = result.input;
    if (input.kind == ArticleInput::Kind::Doi) {
        QString doi = input.doi;
        // The slash between prefix and suffix would only vanish; it reads better as "_".
        const QString name = FileHelpers::sanitizeFileName(doi.replace(u'/', u'_'), codec);
        if (!name.isEmpty())
            return name;
    }
    return fromAddress(input.url.isEmpty() ? result.address : input.url, codec).name;
}

} // namespace

QString cleanType(const QString& type) {
    if (type.isEmpty() || type.size() > 10)
        return {};
    for (QChar c : type) {
        if (!c.isLetterOrNumber())
            return {};
    }
    return type;
}

NameAndType fromAddress(const QString& url, const AnsiCodec& codec) {
    const QUrl u(url);
    const QString segment = u.fileName(QUrl::FullyDecoded);
    NameAndType result{segment, {}};
    const qsizetype dot = segment.lastIndexOf(u'.');
    if (dot > 0) {
        result.type = cleanType(segment.mid(dot + 1));
        if (!result.type.isEmpty())
            result.name = segment.left(dot);
    }
    // The cleaner drops separators and leading dots, so ".." or "a/b" cannot leave the folder.
    result.name = FileHelpers::sanitizeFileName(result.name, codec);
    if (result.name.isEmpty())
        result.name = FileHelpers::sanitizeFileName(u.host(), codec);
    if (result.name.isEmpty())
        result.name = u"download"_s;
    return result;
}

DownloadRow rowFor(const ResolvedArticle& result, const QString& folder, const QString& referer,
                   const AnsiCodec& codec) {
    DownloadRow row;
    row.key = result.address;
    row.folder = folder;
    row.article = result.article;
    const QString title = FileHelpers::sanitizeFileName(result.article.title, codec);
    switch (result.outcome) {
    case ResolvedArticle::Outcome::Article:
        row.name = title.isEmpty() ? fromAddress(result.address, codec).name : title;
        row.type = kPdf;
        row.tag = result.article.articlePage;
        break;
    case ResolvedArticle::Outcome::File: {
        const NameAndType named =
            fromAddress(result.servedFrom.isEmpty() ? result.address : result.servedFrom, codec);
        row.name = named.name;
        row.type = result.fileType.isEmpty() ? named.type : cleanType(result.fileType);
        row.tag = referer;
        break;
    }
    case ResolvedArticle::Outcome::Failed:
        row.name = title.isEmpty() ? nameOfInput(result, codec) : title;
        row.type = kPdf;
        row.tag = result.article.articlePage;
        row.size = result.failure;
        row.state = RowState::Failed;
        break;
    }
    return row;
}

ArticleMetadata articleOf(const DownloadRow& row) {
    ArticleMetadata article = row.article;
    for (const QString& address : row.key.split(u'|')) {
        if (!article.doi.isEmpty())
            break;
        article.doi = ArticleInputParser::doiInAddress(address);
    }
    return article;
}

} // namespace mojing::ArticleRows
