#pragma once

#include <QObject>
#include <functional>

namespace mojing {

class DownloadSession;

// The close of a download window, in its fixed order:
//   1. the duplicate-name policy and the method are stored (also when the close is then refused);
//   2. whoever runs the transfers confirms and stops them (the scheduler asks "正在下载文件或者
//      下载没有完成，要强制关闭窗口吗？" while work is pending; No refuses the close and keeps
//      everything running, Yes stops both timers and every transfer);
//   3. `accepted` is emitted: what belongs to the window ends now (its geometry is saved);
//   4. the slot count is stored and pending events are handled;
// and only then may the window unload. A window without transfers passes step 2 at once.
class DownloadWindowClose : public QObject {
    Q_OBJECT
public:
    explicit DownloadWindowClose(DownloadSession& session, QObject* parent = nullptr);

    // Step 2: returns false to refuse the close.
    void setConfirmAndStop(std::function<bool()> confirmAndStop) {
        m_confirmAndStop = std::move(confirmAndStop);
    }

    // Runs the steps; true when the window may unload. Once accepted, later calls return true at
    // once without repeating anything.
    bool run();
    bool isAccepted() const { return m_accepted; }

signals:
    void accepted();

private:
    DownloadSession& m_session;
    std::function<bool()> m_confirmAndStop;
    bool m_accepted = false;
};

} // namespace mojing
