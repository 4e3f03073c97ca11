#include "ArticleConverter.h"

#include "DownloadWindowHost.h"
#include "downloads/DownloadSession.h"
#include "platform/FileHelpers.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "search/ArticleListModel.h"

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// Only U+0020 counts as a blank here: titles keep other white space such as tabs.
QString trimSpaces(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u' ')
        ++start;
    while (end > start && text.at(end - 1) == u' ')
        --end;
    return text.mid(start, end - start);
}
} // namespace

ArticleConverter::ArticleConverter(const AppContext& context, ArticleListModel& articles,
                                   DownloadWindowHost& downloads)
    : m_context(context), m_articles(articles), m_downloads(downloads) {}

QString ArticleConverter::stripLineBreaks(const QString& text) {
    QString s = text;
    s.remove(u"\r\n"_s);
    s.remove(u'\r');
    s.remove(u'\n');
    s.remove(QChar(0));
    return trimSpaces(s);
}

void ArticleConverter::convertArticleToDownload(int row) {
    if (row < 0 || row >= m_articles.count())
        return;
    const ArticleRow article = m_articles.at(row);
    const QString folder =
        article.saveFolder.isEmpty() ? m_context.state.currentSaveFolder : article.saveFolder;
    const QString name =
        FileHelpers::sanitizeFileName(trimSpaces(stripLineBreaks(article.title)), m_context.codec);
    DownloadSession& session = m_downloads.ensureSession();
    DownloadRow download;
    download.key = article.key;
    download.name = name;
    download.type = article.fileType;
    download.folder = folder;
    // An article read from its own page is fetched from there, as platforms expect of readers.
    download.tag = article.article.articlePage.isEmpty() ? article.key : article.article.articlePage;
    download.article = article.article;
    // A link that is already listed keeps its row as it is.
    session.list().appendRow(download);
    m_articles.setStatus(row, ArticleListModel::kStatusDone);
}

} // namespace mojing
