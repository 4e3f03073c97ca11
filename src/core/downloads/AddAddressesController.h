#pragma once

#include "DownloadPacing.h"
#include "articles/ArticleResolver.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace mojing {

class DownloadSession;
class NetworkLayer;
class Scheduler;

// The state of the dialog "添加网址或DOI": addresses and DOIs typed or pasted into its box are
// resolved into rows of the download list, in the order given, while a progress count runs; Stop
// abandons the rest. When the inputs are dealt with, "添加N项，M项无法解析" says how many rows
// were added and how many inputs could not be resolved (those become failed rows, lines that are
// neither an address nor a DOI stay in the box), and "，K项已在列表中" how many articles the list
// already held.
class AddAddressesController : public QObject {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("添加网址或DOI");
    static inline const QString kNothingToAdd = QStringLiteral("请输入网址或DOI！");

    AddAddressesController(DownloadSession& session, Scheduler& scheduler, NetworkLayer& network,
                           QObject* parent = nullptr);

    void setResolverBase(const QString& base) { m_resolver.setResolverBase(base); }
    QString resolverBase() const { return m_resolver.resolverBase(); }

    // The box's text.
    QString text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }

    // "添加": resolves every address and DOI of the text into rows for `folder`. False (after
    // "请输入网址或DOI！") when the text holds none.
    bool add(const QString& folder);
    // Stop: the inputs not resolved yet are abandoned and stay in the box.
    void stop();
    bool isRunning() const { return m_running; }
    int doneCount() const { return m_resolver.doneCount(); }
    int total() const { return int(m_results.size()); }
    int addedCount() const { return m_added; }
    int failedCount() const { return m_failed; }
    int listedCount() const { return m_listed; }

    // "添加N项，M项无法解析", then "，K项已在列表中" when K > 0
    static QString summary(int added, int failed, int listed = 0);

signals:
    void progressChanged(int done, int total);
    void runningChanged(bool running);
    // The run is over and its summary was shown. `complete`: nothing is left in the box (the
    // dialog closes); otherwise the box holds what was not added.
    void finished(bool complete);

private:
    void onResolved(int index, const ResolvedArticle& result);
    void addRow(const ResolvedArticle& result);
    void end(bool stopped);

    DownloadSession& m_session;
    DownloadPacing m_pacing;
    ArticleResolver m_resolver;
    QString m_text;
    QString m_folder;
    std::vector<ArticleInput> m_inputs;
    std::vector<std::optional<ResolvedArticle>> m_results;
    QStringList m_unrecognised;
    size_t m_nextRow = 0; // rows are added in input order
    int m_added = 0;
    int m_failed = 0;
    int m_listed = 0; // resolved to an article the list already held
    bool m_running = false;
};

} // namespace mojing
