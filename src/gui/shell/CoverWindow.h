#pragma once

#include "program/BrowserConfig.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace mojing {

struct AppContext;
class EmulationRegistry;
class WindowFlow;

// The start window fCover: the first window and the only way to end the program.
class CoverWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString kLoading = QStringLiteral("正在加载组件，请稍候...");
    static inline const QString kNotice =
        QStringLiteral("(该软件仅用于科研人员辅助少量下载；请不要恶意下载和大量下载！)");

    CoverWindow(AppContext& context, WindowFlow& flow, const BrowserConfig& config,
                QWidget* parent = nullptr);

    // Shows the window and does the start-up work while "正在加载组件，请稍候..." is visible;
    // "资料检索下载" is enabled at the end.
    void startUp(EmulationRegistry& registry, const QString& executablePath);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& m_context;
    WindowFlow& m_flow;
    BrowserConfig m_config;
    QLabel* m_loading = nullptr;
    QLabel* m_latest = nullptr;
    QPushButton* m_search = nullptr;
};

} // namespace mojing
