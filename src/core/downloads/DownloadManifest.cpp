#include "DownloadManifest.h"

#include "DownloadSession.h"
#include "ReferenceExport.h"

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
    // Only a finished row made the file at its path; after a failure a file there is an older one.
    QString sha;
    qint64 bytes = -1;
    if (row.state == RowState::Finished && QFileInfo(path).isFile()) {
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
        QString::number(int(row.state)),
        field(outcome.requestedUrl),
        field(outcome.finalUrl),
        outcome.httpStatus > 0 ? QString::number(outcome.httpStatus) : QString(),
        field(outcome.contentType),
        QString::number(bytes),
        sha,
        field(path),
        field(row.article.doi),
        field(ReferenceExport::titleOf(row)),
    };
    return cells.join(u'\t');
}

void DownloadManifest::onRowEnded(const RowOutcome& outcome) {
    const DownloadListModel& list = m_session.list();
    if (!m_file.isOpen() || !list.isValidIndex(outcome.row))
        return;
    const QString text =
        line(list.at(outcome.row), list.filePath(outcome.row), outcome, QDateTime::currentDateTime()) + u'\n';
    m_file.write(text.toUtf8());
    m_file.flush(); // line by line: an interrupted run keeps every line written so far
}

} // namespace mojing
