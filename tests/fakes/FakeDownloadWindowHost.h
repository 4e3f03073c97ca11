#pragma once

#include "analysis/DownloadWindowHost.h"
#include "downloads/DownloadSession.h"
#include "program/AppContext.h"

#include <memory>

namespace mojing {

// A download "window" without widgets: the session is created on first use, and every reveal
// is counted.
//
//   FakeDownloadWindowHost host(t.context());
//   ... run an analysis ...
//   EXPECT_EQ(host.session()->list().count(), 3);
//   EXPECT_EQ(host.reveals, 1);
class FakeDownloadWindowHost : public DownloadWindowHost {
public:
    explicit FakeDownloadWindowHost(const AppContext& context) : m_context(context) {}

    DownloadSession* loadedSession() override { return m_session.get(); }
    DownloadSession& ensureSession() override {
        if (!m_session) {
            m_session = std::make_unique<DownloadSession>(m_context);
            ++loads;
        }
        return *m_session;
    }
    void showDownloadWindow(bool restore) override {
        ++revealCalls;
        if (m_session) {
            ++reveals;
            visible = true;
            lastRestore = restore;
        }
    }

    DownloadSession* session() { return m_session.get(); }

    int loads = 0;       // sessions created
    int revealCalls = 0; // every call of 显示下载窗口
    int reveals = 0;     // calls that found a loaded window
    bool visible = false;
    bool lastRestore = false;

private:
    AppContext m_context;
    std::unique_ptr<DownloadSession> m_session;
};

} // namespace mojing
