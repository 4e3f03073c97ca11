#include "AddAddressesBinding.h"

#include "AddAddressesDialog.h"
#include "DownloadWindowBinding.h"
#include "FileDownloadWindow.h"
#include "articles/ArticleResolver.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing {

AddAddressesBinding::AddAddressesBinding(FileDownloadWindow& window, NetworkLayer& network)
    : QObject(&window), m_window(window), m_network(network) {
    setObjectName(u"AddAddressesBinding"_s);
    if (QAction* a = window.claimAction(u"menu添加网址或DOI"_s))
        connect(a, &QAction::triggered, this, [this] { openDialog(); });
    QTableView* list = window.listView3();
    auto* paste = new QShortcut(QKeySequence::Paste, list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(paste, &QShortcut::activated, this, [this] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        openDialog(data ? textOf(*data) : QString());
    });
    list->setAcceptDrops(true);
    list->viewport()->installEventFilter(this);
}

QString AddAddressesBinding::resolverBase() const {
    const QString configured = m_window.config().doiResolver;
    return configured.isEmpty() ? ArticleResolver::storedResolverBase(m_window.session().context().settings)
                                : configured;
}

QString AddAddressesBinding::textOf(const QMimeData& data) {
    if (data.hasUrls()) {
        QStringList lines;
        for (const QUrl& url : data.urls())
            lines << url.toString(QUrl::FullyEncoded);
        return lines.join(u'\n');
    }
    return data.text();
}

void AddAddressesBinding::openDialog(const QString& text) {
    DownloadWindowBinding* engine = DownloadWindowBinding::of(m_window);
    if (!engine)
        return;
    AddAddressesDialog dialog(m_window.session().context(), m_window.session(), engine->engine().scheduler(),
                              m_network, resolverBase(), &m_window);
    dialog.setText(text);
    dialog.exec();
    m_window.refreshList();
}

bool AddAddressesBinding::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!drag->mimeData()->hasUrls() && !drag->mimeData()->hasText())
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString text = textOf(*drop->mimeData());
        drop->acceptProposedAction();
        // The dialog opens once the drop is over, not inside it.
        QTimer::singleShot(0, this, [this, text] { openDialog(text); });
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mojing
