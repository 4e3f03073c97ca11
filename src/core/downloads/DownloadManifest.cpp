#include "DownloadManifest.h"

#include "ArticleRows.h"
#include "DownloadSession.h"
#include "ReferenceExport.h"
#include "RowFiles.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

QString field(QString text) {
    text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

QString isoTime(const QDateTime& time) {
    // Local time with its offset ("+08:00"); Qt writes none for local times on its own.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

DownloadManifest::DownloadManifest(DownloadSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    connect(&session, &DownloadSession::rowEnded, this, &DownloadManifest::onRowEnded);
}

bool DownloadManifest::open(const QString& path, QString& error) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = u"cannot write the manifest "_s + path + u": "_s + m_file.errorString();
        return false;
    }
    return true;
}

QString DownloadManifest::sha256Of(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

QString DownloadManifest::line(const DownloadRow& row, const QString& path, const RowOutcome& outcome,
                               const QDateTime& time) {
    // The file at the path is the row's answer only when the row wrote it (and it is still that
    // file) or when it was skipped as already there; otherwise a file there is another one. A file
    // skipped as over the size limit was not downloaded.
    const bool tooLarge = row.percent == DownloadListModel::kTooLarge;
    const bool answered = row.state == RowState::Finished && !tooLarge &&
                          ((RowFiles::stillOwned(row.owned) && row.owned.path == path) ||
                           row.percent == DownloadListModel::kExists);
    QString sha;
    qint64 bytes = -1;
    if (answered && QFileInfo(path).isFile()) {
        sha = sha256Of(path);
        if (!sha.isEmpty())
            bytes = QFileInfo(path).size();
    }
    if (bytes < 0) {
        bool numeric = false;
        bytes = row.received.trimmed().toLongLong(&numeric);
        if (!numeric)
            bytes = 0;
    }
    const QStringList cells = {
        isoTime(time),
        QString::number(int(tooLarge ? RowState::Failed : row.state)),
        field(outcome.requestedUrl),
        field(outcome.finalUrl),
        outcome.httpStatus > 0 ? QString::number(outcome.httpStatus) : QString(),
        field(outcome.contentType),
        QString::number(bytes),
        sha,
        field(path),
        field(ArticleRows::articleOf(row).doi),
        field(ReferenceExport::titleOf(row)),
    };
    return cells.join(u'\t');
}

void DownloadManifest::onRowEnded(const RowOutcome& outcome) {
    const DownloadListModel& list = m_session.list();
    if (!m_file.isOpen() || !list.isValidIndex(outcome.row))
        return;
    RowOutcome named = outcome;
    if (const auto input = m_inputs.constFind(list.at(outcome.row).key); input != m_inputs.constEnd())
        named.requestedUrl = *input;
    const QString text =
        line(list.at(outcome.row), list.filePath(outcome.row), named, QDateTime::currentDateTime()) + u'\n';
    m_file.write(text.toUtf8());
    m_file.flush(); // line by line: an interrupted run keeps every line written so far
}

} // namespace mojing
