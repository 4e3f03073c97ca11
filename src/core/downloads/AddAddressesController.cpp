#include "AddAddressesController.h"

#include "ArticleRows.h"
#include "DownloadSession.h"
#include "platform/Prompts.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace mojing {

AddAddressesController::AddAddressesController(DownloadSession& session, Scheduler& scheduler,
                                               NetworkLayer& network, QObject* parent)
    : QObject(parent), m_session(session), m_pacing(session, scheduler),
      m_resolver(network, m_pacing, session.context().timing, session.context().codec) {
    connect(&m_resolver, &ArticleResolver::resolved, this, &AddAddressesController::onResolved);
    // The end is dealt with from the event loop: its message box must not run inside the
    // resolver's signal.
    connect(&m_resolver, &ArticleResolver::finished, this,
            [this] { QTimer::singleShot(0, this, [this] { end(false); }); });
}

QString AddAddressesController::summary(int added, int failed, int listed) {
    QString text = u"添加%1项，%2项无法解析"_s.arg(added).arg(failed);
    // Without it, pasting a list again reads "添加0项，0项无法解析", as if nothing had happened.
    if (listed > 0)
        text += u"，%1项已在列表中"_s.arg(listed);
    return text;
}

bool AddAddressesController::add(const QString& folder) {
    if (m_running)
        return false;
    const ParsedInputs parsed = ArticleInputParser::parseLines(m_text);
    if (parsed.inputs.empty() && parsed.unrecognised.isEmpty()) {
        m_session.context().prompts.message(kNothingToAdd, MessageIcon::Error);
        return false;
    }
    m_folder = folder;
    m_inputs = parsed.inputs;
    m_results.assign(m_inputs.size(), std::nullopt);
    m_unrecognised = parsed.unrecognised;
    m_nextRow = 0;
    m_added = 0;
    m_listed = 0;
    m_failed = int(parsed.unrecognised.size());
    m_running = true;
    emit runningChanged(true);
    emit progressChanged(0, total());
    m_resolver.resolve(m_inputs);
    return true;
}

void AddAddressesController::stop() {
    if (!m_running)
        return;
    m_resolver.stop();
    end(true);
}

void AddAddressesController::onResolved(int index, const ResolvedArticle& result) {
    if (index < 0 || size_t(index) >= m_results.size())
        return;
    m_results[size_t(index)] = result;
    while (m_nextRow < m_results.size() && m_results[m_nextRow])
        addRow(*m_results[m_nextRow++]);
    emit progressChanged(m_resolver.doneCount(), total());
}

void AddAddressesController::addRow(const ResolvedArticle& result) {
    const DownloadRow row = ArticleRows::rowFor(result, m_folder, {}, m_session.context().codec);
    // An address already listed keeps its row.
    const bool added = m_session.list().appendRow(row);
    if (!result.ok())
        ++m_failed;
    else if (added)
        ++m_added;
    else
        ++m_listed;
}

void AddAddressesController::end(bool stopped) {
    if (!m_running)
        return;
    m_running = false;
    // What was resolved after an input still unresolved is added too, in order.
    QStringList left;
    for (size_t i = m_nextRow; i < m_results.size(); ++i) {
        if (m_results[i])
            addRow(*m_results[i]);
        else
            left << m_inputs[i].text;
    }
    m_nextRow = m_results.size();
    left << m_unrecognised;
    m_text = left.join(u'\n');
    emit runningChanged(false);
    m_session.context().prompts.message(summary(m_added, m_failed, m_listed), MessageIcon::Information);
    emit finished(!stopped && left.isEmpty());
}

} // namespace mojing
