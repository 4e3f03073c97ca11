#pragma once

#include <QFrame>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWebEngineProfile;
class QWebEngineView;

namespace mojing {

class SilentPage;

// The login panel PicWebBK of the download window: the login address (Text1), account login
// (Option4, Text2, Text3 masked) or IP login (Option5), "自动登录" (Check2) with its condition
// (Combo3), "自动刷新(每分钟)" (Check1), "浏览"/"测试登录"/"关闭(隐藏)" (Command2, Command5,
// Command3) and its own browser Web1 below them. Only builds the controls; LoginPanelBinding
// gives them their behaviour. Web1's page belongs to `profile` and is silent, keeps new windows
// to itself and cannot be closed by a page; it shows "about:blank" from the start.
class LoginPanel : public QFrame {
    Q_OBJECT
public:
    static inline const QString kCondition = QStringLiteral("下载到网页文件(htm/html/asp)文件");

    LoginPanel(QWebEngineProfile* profile, QWidget* parent = nullptr);
    ~LoginPanel() override;

    SilentPage* page() const { return m_page; }
    QWebEngineView* web1() const { return m_web1; }
    QLineEdit* text1() const { return m_text1; }
    QLineEdit* text2() const { return m_text2; }
    QLineEdit* text3() const { return m_text3; }
    QRadioButton* option4() const { return m_option4; }
    QRadioButton* option5() const { return m_option5; }
    QCheckBox* check1() const { return m_check1; }
    QCheckBox* check2() const { return m_check2; }
    QComboBox* combo3() const { return m_combo3; }
    QPushButton* command2() const { return m_command2; }
    QPushButton* command3() const { return m_command3; }
    QPushButton* command5() const { return m_command5; }

private:
    QLineEdit* m_text1;
    QLineEdit* m_text2;
    QLineEdit* m_text3;
    QRadioButton* m_option4;
    QRadioButton* m_option5;
    QCheckBox* m_check1;
    QCheckBox* m_check2;
    QComboBox* m_combo3;
    QPushButton* m_command2;
    QPushButton* m_command3;
    QPushButton* m_command5;
    QWebEngineView* m_web1;
    SilentPage* m_page;
};

} // namespace mojing
