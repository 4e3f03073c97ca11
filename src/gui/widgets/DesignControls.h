#pragma once

#include <QHash>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAbstractButton;
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace mojing {

class Prompts;

Q_DECLARE_LOGGING_CATEGORY(lcDesign)

// A captioned control (label, check box, push or radio button) named with its design name.
template <typename Control>
Control* makeNamed(QWidget* parent, const QString& name, const QString& caption = {}) {
    auto* control = new Control(caption, parent);
    control->setObjectName(name);
    return control;
}

// One row of a menu table: an entry, a submenu (when `submenu` is not empty) or a separator (no
// name). An entry without a handler shows "该功能尚未提供。" until a binding claims it.
struct MenuEntry {
    QString name; // objectName: the design name, e.g. "menu清空"
    QString caption;
    std::function<void()> handler = {};
    std::vector<MenuEntry> submenu = {};
    bool checkable = false;

    static MenuEntry separator() { return {}; }
    bool isSeparator() const { return name.isEmpty(); }
};

// The design-named menu entries and buttons of one window, built one way. Menus come from tables;
// entries and registered buttons without a handler start with the "not available" notice, which a
// binding removes when it claims the control. Claiming a name the window does not have is a
// programming error: it is reported at once on the "mojing.design" category (the GUI tests fail on
// it) and asserted in debug builds, never silently skipped.
class DesignControls : public QObject {
    Q_OBJECT
public:
    static inline const QString kNotAvailable = QStringLiteral("该功能尚未提供。");

    DesignControls(QWidget& window, Prompts& prompts);

    // A top-level menu of the window's menu bar, named `name`, filled from `entries`.
    QMenu* addMenu(QMenuBar* bar, const QString& name, const QString& caption,
                   const std::vector<MenuEntry>& entries);
    void fill(QMenu* menu, const std::vector<MenuEntry>& entries);
    // A button the window built joins the design-named controls with the notice.
    void addPlaceholder(QAbstractButton* button);

    // Takes a control over: its notice goes, and the caller connects it. Reports a missing name.
    QAction* claimAction(const QString& name);
    QAbstractButton* claimButton(const QString& name);

    // Plain lookups (null when absent; nothing is reported).
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QAbstractButton* button(const QString& name) const;

private:
    void addNotice(QObject* control);
    void reportMissing(const char* kind, const QString& name) const;

    QWidget& m_window;
    Prompts& m_prompts;
    QHash<QObject*, QMetaObject::Connection> m_notices;
};

} // namespace mojing
