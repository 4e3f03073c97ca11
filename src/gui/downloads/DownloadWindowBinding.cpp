#include "DownloadWindowBinding.h"

#include "FileDownloadWindow.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "settings/SettingKeys.h"
#include "tools/SoundLibrary.h"

#include <QAbstractButton>
#include <QAction>

using namespace Qt::StringLiterals;

namespace mojing {

DownloadWindowBinding::DownloadWindowBinding(FileDownloadWindow& window, NetworkLayer& network)
    : QObject(&window), m_window(window), m_engine(new DownloadEngine(window.session(), network, this)),
      m_sounds(std::make_unique<SoundLibrary>(window.session().context().shell, SettingKeys::dataFolder())) {
    setObjectName(u"DownloadWindowBinding"_s);
    bindCommands();
    bindListCommands();
    m_engine->scheduler().startStatusTimer();
}

DownloadWindowBinding::~DownloadWindowBinding() = default;

DownloadWindowBinding* DownloadWindowBinding::of(FileDownloadWindow& window) {
    return window.findChild<DownloadWindowBinding*>(u"DownloadWindowBinding"_s, Qt::FindDirectChildrenOnly);
}

void DownloadWindowBinding::bindCommands() {
    Scheduler& scheduler = m_engine->scheduler();
    DownloadSession& session = m_window.session();
    auto start = [&scheduler] { scheduler.start(); };
    auto stop = [&scheduler] { scheduler.stop(); };
    if (QAbstractButton* b = m_window.claimButton(u"Command4"_s))
        connect(b, &QAbstractButton::clicked, &scheduler, start);
    if (QAbstractButton* b = m_window.claimButton(u"Command31"_s))
        connect(b, &QAbstractButton::clicked, &scheduler, stop);
    if (QAction* a = m_window.claimAction(u"menu下载全部"_s)) {
        connect(a, &QAction::triggered, &scheduler, start);
        connect(&scheduler, &Scheduler::startEnabledChanged, a, &QAction::setEnabled);
    }
    if (QAction* a = m_window.claimAction(u"menu停止下载"_s))
        connect(a, &QAction::triggered, &scheduler, stop);

    connect(&scheduler, &Scheduler::indicatorVisibleChanged, &m_window,
            &FileDownloadWindow::setSchedulerIndicator);
    connect(&scheduler, &Scheduler::autoOptionsCleared, &m_window, &FileDownloadWindow::showOptions);
    connect(&session, &DownloadSession::soundRequested, this, [this](int id) { m_sounds->play(id); });

    m_window.setCloseGuard([&scheduler] { return scheduler.requestClose(); });
}

void DownloadWindowBinding::bindListCommands() {
    DownloadListOps& ops = m_engine->listOps();
    auto bind = [this](const QString& name, auto&& command) {
        if (QAction* a = m_window.claimAction(name))
            connect(a, &QAction::triggered, this, [this, command] {
                command();
                m_window.refreshList();
            });
    };
    bind(u"menu重新下载选中项"_s, [&ops] { ops.requeueSelectedRows(); });
    bind(u"menu重新下载出错项"_s, [&ops] { ops.requeueFailedRows(); });
    bind(u"menu重新下载文件类型为HTM和HTML项"_s, [&ops] { ops.requeueWebPageRows(); });
    bind(u"menu重新下载出错项和网页项"_s, [&ops] { ops.requeueFailedAndWebPageRows(); });
    bind(u"menu重新下载文件大小小于指定数字的项"_s, [&ops] { ops.requeueSmallRows(); });
    bind(u"menu清除选中项"_s, [&ops] { ops.removeSelectedRows(); });
    bind(u"menu清除全部出错项"_s, [&ops] { ops.removeFailedRows(); });
    bind(u"menu清除完成项"_s, [&ops] { ops.removeFinishedRows(); });
    bind(u"menu清空"_s, [&ops] { ops.clearList(); });
    bind(u"menu删除网页类型文件项"_s, [&ops] { ops.deleteWebPageRowFiles(); });
    bind(u"menu删除出错项"_s, [&ops] { ops.deleteFailedRowFiles(); });
    bind(u"menu取消下载选中项"_s, [&ops] { ops.cancelSelectedRows(); });
    bind(u"menu随机排序列表"_s, [&ops] { ops.shuffleRows(true); });
    bind(u"menu检查文件是否存在"_s, [&ops] { ops.checkRowFilesExist(); });
}

} // namespace mojing
