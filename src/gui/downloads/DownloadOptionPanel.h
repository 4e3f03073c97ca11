#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace mojing {

class DownloadSession;

// The option panel Picture3 of the download window: the method and its switch (Label7, Command26),
// slots (Combo1), the pause (Combo2), the duplicate-name policy (Option1-3), the automatic options
// (Check3-6, Combo4), "开始下载"/"停止下载" (Command4, Command31), "网页登录" (Command1, which
// shows the login panel), the running lamp Shape1 and the row count Label1. Its controls and the session's
// options follow each other both ways.
class DownloadOptionPanel : public QWidget {
    Q_OBJECT
public:
    DownloadOptionPanel(DownloadSession& session, QWidget* parent = nullptr);

    // The controls show the session's options again (after code changed them).
    void showOptions();
    // Shape1: visible while the scheduler runs.
    void setIndicator(bool visible);
    // Label1: "N条".
    void setRowCountText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void build();
    void connectControls();

    DownloadSession& m_session;
    QLabel* m_label7 = nullptr;
    QLabel* m_label1 = nullptr;
    QWidget* m_shape1 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QComboBox* m_combo2 = nullptr;
    QComboBox* m_combo4 = nullptr;
    QRadioButton* m_option[3] = {nullptr, nullptr, nullptr};
    QCheckBox* m_check3 = nullptr;
    QCheckBox* m_check4 = nullptr;
    QCheckBox* m_check5 = nullptr;
    QCheckBox* m_check6 = nullptr;
    bool m_showing = false;
};

} // namespace mojing
