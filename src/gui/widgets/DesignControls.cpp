#include "widgets/DesignControls.h"

#include "platform/Prompts.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace mojing {

Q_LOGGING_CATEGORY(lcDesign, "mojing.design")

DesignControls::DesignControls(QWidget& window, Prompts& prompts)
    : QObject(&window), m_window(window), m_prompts(prompts) {}

QMenu* DesignControls::addMenu(QMenuBar* bar, const QString& name, const QString& caption,
                               const std::vector<MenuEntry>& entries) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    fill(menu, entries);
    return menu;
}

void DesignControls::fill(QMenu* menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        if (entry.isSeparator()) {
            menu->addSeparator();
        } else if (!entry.submenu.empty()) {
            QMenu* sub = menu->addMenu(entry.caption);
            sub->setObjectName(entry.name);
            sub->menuAction()->setObjectName(entry.name);
            fill(sub, entry.submenu);
        } else {
            QAction* action = menu->addAction(entry.caption);
            action->setObjectName(entry.name);
            action->setCheckable(entry.checkable);
            if (entry.handler)
                connect(action, &QAction::triggered, this, entry.handler);
            else
                addNotice(action);
        }
    }
}

void DesignControls::addPlaceholder(QAbstractButton* button) {
    addNotice(button);
}

void DesignControls::addNotice(QObject* control) {
    auto show = [this] { m_prompts.message(kNotAvailable, MessageIcon::Information); };
    QMetaObject::Connection c;
    if (auto* a = qobject_cast<QAction*>(control))
        c = connect(a, &QAction::triggered, this, show);
    else if (auto* b = qobject_cast<QAbstractButton*>(control))
        c = connect(b, &QAbstractButton::clicked, this, show);
    m_notices.insert(control, c);
}

QAction* DesignControls::claimAction(const QString& name) {
    QAction* a = action(name);
    if (!a)
        reportMissing("menu entry", name);
    else if (m_notices.contains(a))
        disconnect(m_notices.take(a));
    return a;
}

QAbstractButton* DesignControls::claimButton(const QString& name) {
    QAbstractButton* b = button(name);
    if (!b)
        reportMissing("button", name);
    else if (m_notices.contains(b))
        disconnect(m_notices.take(b));
    return b;
}

QAction* DesignControls::action(const QString& name) const {
    return m_window.findChild<QAction*>(name);
}

QMenu* DesignControls::menu(const QString& name) const {
    return m_window.findChild<QMenu*>(name);
}

QAbstractButton* DesignControls::button(const QString& name) const {
    return m_window.findChild<QAbstractButton*>(name);
}

void DesignControls::reportMissing(const char* kind, const QString& name) const {
    qCCritical(lcDesign).noquote() << "window" << m_window.objectName() << "has no" << kind << name;
    Q_ASSERT_X(false, "DesignControls", "a binding claims a control the window does not have");
}

} // namespace mojing
