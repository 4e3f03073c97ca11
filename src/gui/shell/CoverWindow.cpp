#include "shell/CoverWindow.h"

#include "platform/EventPump.h"
#include "platform/Shell.h"
#include "program/AppContext.h"
#include "program/ProgramStartup.h"
#include "settings/SettingKeys.h"
#include "shell/AboutDialog.h"
#include "shell/WindowFlow.h"
#include "widgets/Icons.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace mojing {

CoverWindow::CoverWindow(AppContext& context, WindowFlow& flow, const BrowserConfig& config, QWidget* parent)
    : QWidget(parent), m_context(context), m_flow(flow), m_config(config) {
    setObjectName(WindowFlow::kCover);
    setWindowTitle(kApplicationTitle);
    setWindowIcon(Icons::programIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    auto* image1 = new QLabel(this);
    image1->setObjectName(u"Image1"_s);
    image1->setPixmap(Icons::programPixmap(112));
    image1->setAlignment(Qt::AlignCenter);

    auto* title = new QLabel(kApplicationTitle, this);
    title->setObjectName(u"lblTitle"_s);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    title->setFont(big);

    auto* label2 = new QLabel(AboutDialog::versionText(), this);
    label2->setObjectName(u"Label2"_s);
    m_loading = new QLabel(kLoading, this);
    m_loading->setObjectName(u"Label1"_s);
    m_loading->setStyleSheet(u"color: #b04000;"_s);

    m_latest = new QLabel(u"最新版本："_s, this);
    m_latest->setObjectName(u"Label3"_s);
    m_latest->setStyleSheet(u"color: #1a4fa0; text-decoration: underline;"_s);
    m_latest->setCursor(Qt::PointingHandCursor);
    m_latest->setToolTip(m_config.productPage);
    m_latest->installEventFilter(this);
    // The program does not ask the maker's site for its newest version, so the line would stay
    // empty: it is hidden (the maker's page is in the work windows' help menus).
    m_latest->hide();

    auto* notice = new QLabel(kNotice, this);
    notice->setObjectName(u"Label4"_s);
    notice->setWordWrap(true);
    notice->setStyleSheet(u"color: #a00000;"_s);

    m_search = new QPushButton(u"资料检索下载"_s, this);
    m_search->setObjectName(u"Command1"_s);
    m_search->setEnabled(false);
    m_search->setMinimumSize(130, 34);
    auto* quit = new QPushButton(u"退出软件"_s, this);
    quit->setObjectName(u"Command3"_s);
    quit->setMinimumSize(130, 34);

    connect(m_search, &QPushButton::clicked, this, [this] {
        hide();
        m_flow.showForm(WindowFlow::kSearch);
    });
    connect(quit, &QPushButton::clicked, this, [this] { m_flow.endProgram(); });

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(label2);
    texts->addWidget(m_latest);
    texts->addStretch(1);
    texts->addWidget(m_loading);
    auto* top = new QHBoxLayout;
    top->addWidget(image1);
    top->addSpacing(16);
    top->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_search);
    buttons->addSpacing(12);
    buttons->addWidget(quit);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addWidget(notice);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(520, 280)));
}

void CoverWindow::startUp(EmulationRegistry& registry, const QString& executablePath) {
    show();
    m_context.pump.pumpOnce();
    ProgramStartup::establish(m_context.state, m_context.settings, registry, executablePath);
    m_loading->hide();
    m_search->setEnabled(true);
}

void CoverWindow::closeEvent(QCloseEvent* event) {
    // Closing the start window ends the program, whatever the other windows are doing.
    event->accept();
    m_flow.endProgram();
}

bool CoverWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_latest && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_context.shell.openInBrowser(m_config.productPage);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace mojing
