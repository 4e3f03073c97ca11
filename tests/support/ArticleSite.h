#pragma once
// Header only: article pages as journal platforms write them, for the resolver's tests.

#include "support/FaultServer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace mojing {

// An article page with standard metadata: the title, the authors in order, a date, the journal,
// the DOI and the PDF address as given (relative or absolute; none when empty). `extraHead` goes
// into the head as it is.
inline QByteArray articlePageHtml(const QString& title, const QString& pdfUrl,
                                  const QStringList& authors = {}, const QString& date = {},
                                  const QString& doi = {}, const QString& extraHead = {}) {
    QString head =
        QStringLiteral("<title>") + title.toHtmlEscaped() + QStringLiteral(" | Platform</title>") + extraHead;
    auto meta = [&head](const QString& name, const QString& value) {
        head += QStringLiteral("<meta name=\"") + name + QStringLiteral("\" content=\"") +
                value.toHtmlEscaped() + QStringLiteral("\">");
    };
    meta(QStringLiteral("citation_title"), title);
    for (const QString& author : authors)
        meta(QStringLiteral("citation_author"), author);
    if (!date.isEmpty())
        meta(QStringLiteral("citation_publication_date"), date);
    meta(QStringLiteral("citation_journal_title"), QStringLiteral("Journal of Tests"));
    if (!doi.isEmpty())
        meta(QStringLiteral("citation_doi"), doi);
    if (!pdfUrl.isEmpty())
        meta(QStringLiteral("citation_pdf_url"), pdfUrl);
    return (QStringLiteral("<!DOCTYPE html><html><head>") + head + QStringLiteral("</head><body><h1>") +
            title.toHtmlEscaped() + QStringLiteral("</h1></body></html>"))
        .toUtf8();
}

inline FaultServer::Reply articlePageReply(const QByteArray& html) {
    return FaultServer::ok(html, "text/html; charset=utf-8");
}

} // namespace mojing
