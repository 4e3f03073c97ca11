#include "LoginPanelBinding.h"

#include "FileDownloadWindow.h"
#include "LiveBrowser.h"
#include "LoginPanel.h"
#include "SilentPage.h"
#include "downloads/DownloadSession.h"
#include "downloads/LoginPanelController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace mojing {

LoginPanelBinding::LoginPanelBinding(FileDownloadWindow& window, QWebEngineProfile* profile)
    : QObject(&window), m_window(window) {
    setObjectName(u"LoginPanelBinding"_s);
    QTableView* list = window.listView3();
    m_panel = new LoginPanel(profile, list->parentWidget());
    m_panel->hide();
    AppContext& context = window.session().context();
    m_browser = new LiveBrowser(m_panel->page(), context.pump, context.timing, this);
    m_controller = new LoginPanelController(window.session(), *m_browser, this);
    list->installEventFilter(this);
    coverList();
    bindFields();
    bindCommands();
}

LoginPanelBinding::~LoginPanelBinding() {
    // The login goes before the browser it drives, and the browser before its page.
    delete m_controller;
    delete m_browser;
    delete m_panel;
}

LoginPanelBinding* LoginPanelBinding::of(FileDownloadWindow& window) {
    return window.findChild<LoginPanelBinding*>(u"LoginPanelBinding"_s, Qt::FindDirectChildrenOnly);
}

void LoginPanelBinding::bindFields() {
    LoginPanelController* c = m_controller;
    connect(m_panel->text1(), &QLineEdit::textChanged, c, &LoginPanelController::setAddress);
    connect(m_panel->text2(), &QLineEdit::textChanged, c, &LoginPanelController::setAccountName);
    connect(m_panel->text3(), &QLineEdit::textChanged, c, &LoginPanelController::setPassword);
    connect(m_panel->option4(), &QRadioButton::toggled, c, [c](bool on) {
        if (on)
            c->setMode(LoginMode::Account);
    });
    connect(m_panel->option5(), &QRadioButton::toggled, c, [c](bool on) {
        if (on)
            c->setMode(LoginMode::Ip);
    });
    // Only the user's click asks; the controller answers with the state the box must show.
    connect(m_panel->check2(), &QCheckBox::clicked, c, &LoginPanelController::setAutoLogin);
    connect(c, &LoginPanelController::autoLoginChanged, m_panel->check2(), [this](bool on) {
        const QSignalBlocker quiet(m_panel->check2());
        m_panel->check2()->setChecked(on);
    });
    connect(m_panel->check1(), &QCheckBox::toggled, c, &LoginPanelController::setAutoRefresh);
}

void LoginPanelBinding::bindCommands() {
    LoginPanelController* c = m_controller;
    connect(m_panel->command2(), &QPushButton::clicked, c, &LoginPanelController::browse);
    connect(m_panel->command5(), &QPushButton::clicked, c, &LoginPanelController::testLogin);
    connect(m_panel->command3(), &QPushButton::clicked, c, &LoginPanelController::hidePanel);
    connect(&c->login(), &SiteLogin::runningChanged, m_panel->command5(),
            [this](bool running) { m_panel->command5()->setEnabled(!running); });
    connect(&c->login(), &SiteLogin::openingPageChanged, m_panel->command2(),
            [this](bool opening) { m_panel->command2()->setEnabled(!opening); });
    connect(c, &LoginPanelController::panelVisibleChanged, m_panel, [this](bool visible) {
        m_panel->setVisible(visible);
        if (visible)
            m_panel->raise();
    });
    if (QAbstractButton* b = m_window.claimButton(u"Command1"_s))
        connect(b, &QAbstractButton::clicked, c, [this] { m_controller->showPanel(selectedRow()); });
    connect(m_panel->page(), &SilentPage::statusTextChanged, c, &LoginPanelController::showBrowserStatus);
    connect(&m_window, &FileDownloadWindow::closing, c, &LoginPanelController::stop);
}

int LoginPanelBinding::selectedRow() const {
    const QTableView* list = m_window.listView3();
    const QItemSelectionModel* selection = list->selectionModel();
    const QModelIndex current = list->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    int first = -1;
    for (const QModelIndex& index : selection->selectedRows())
        first = first < 0 ? index.row() : std::min(first, index.row());
    return first;
}

void LoginPanelBinding::coverList() {
    m_panel->setGeometry(m_window.listView3()->geometry());
}

bool LoginPanelBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window.listView3() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        coverList();
    return QObject::eventFilter(watched, event);
}

} // namespace mojing
