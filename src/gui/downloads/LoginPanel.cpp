#include "LoginPanel.h"

#include "SilentPage.h"
#include "widgets/DesignControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
QLineEdit* makeEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}
} // namespace

LoginPanel::LoginPanel(QWebEngineProfile* profile, QWidget* parent) : QFrame(parent) {
    setObjectName(u"PicWebBK"_s);
    setFrameShape(QFrame::StyledPanel);
    // Laid over the list, so it must hide the list completely.
    setAutoFillBackground(true);

    m_text1 = makeEdit(this, u"Text1"_s);
    m_text1->setPlaceholderText(u"http://"_s);
    m_option4 = makeNamed<QRadioButton>(this, u"Option4"_s, u"帐号登录："_s);
    m_text2 = makeEdit(this, u"Text2"_s);
    m_text3 = makeEdit(this, u"Text3"_s);
    m_text3->setEchoMode(QLineEdit::Password);
    m_option5 = makeNamed<QRadioButton>(this, u"Option5"_s, u"IP登录"_s);
    auto* mode = new QButtonGroup(this);
    mode->addButton(m_option4);
    mode->addButton(m_option5);
    m_option4->setChecked(true);
    m_check2 = makeNamed<QCheckBox>(this, u"Check2"_s, u"自动登录"_s);
    m_combo3 = new QComboBox(this);
    m_combo3->setObjectName(u"Combo3"_s);
    m_combo3->addItem(kCondition);
    m_combo3->setCurrentIndex(0);
    m_check1 = makeNamed<QCheckBox>(this, u"Check1"_s, u"自动刷新(每分钟)"_s);
    m_command2 = makeNamed<QPushButton>(this, u"Command2"_s, u"浏览"_s);
    m_command5 = makeNamed<QPushButton>(this, u"Command5"_s, u"测试登录"_s);
    m_command3 = makeNamed<QPushButton>(this, u"Command3"_s, u"关闭(隐藏)"_s);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(4);
    auto* row1 = new QHBoxLayout;
    row1->addWidget(new QLabel(u"网址："_s, this));
    row1->addWidget(m_text1, 1);
    row1->addWidget(m_command2);
    row1->addWidget(m_command5);
    row1->addWidget(m_command3);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(m_option4);
    row2->addWidget(m_text2);
    row2->addWidget(new QLabel(u"密码："_s, this));
    row2->addWidget(m_text3);
    row2->addSpacing(10);
    row2->addWidget(m_option5);
    row2->addSpacing(16);
    row2->addWidget(m_check2);
    row2->addWidget(new QLabel(u"自动登录条件："_s, this));
    row2->addWidget(m_combo3);
    row2->addSpacing(10);
    row2->addWidget(m_check1);
    row2->addStretch(1);
    fields->addLayout(row1, 0, 0);
    fields->addLayout(row2, 1, 0);

    m_web1 = new QWebEngineView(this);
    m_web1->setObjectName(u"Web1"_s);
    m_page = new SilentPage(profile, m_web1);
    m_page->setSilent(true);
    m_page->setFollowBlankWindows(false);
    m_web1->setPage(m_page);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addLayout(fields);
    layout->addWidget(m_web1, 1);

    m_page->setUrl(QUrl(u"about:blank"_s));
}

LoginPanel::~LoginPanel() {
    // The page belongs to the process-wide profile and must be gone before it.
    m_web1->setPage(nullptr);
    delete m_page;
}

} // namespace mojing
