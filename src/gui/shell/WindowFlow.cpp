#include "shell/WindowFlow.h"

#include <QCoreApplication>
#include <QWidget>

namespace mojing {

namespace {
QString keyOf(const QString& name) {
    return name.toLower();
}
} // namespace

WindowFlow::WindowFlow(QObject* parent) : QObject(parent) {}

WindowFlow::~WindowFlow() {
    deleteAllForms();
}

void WindowFlow::setCover(QWidget* cover) {
    m_cover = cover;
}

void WindowFlow::setFactory(const QString& name, Factory factory) {
    m_factories.insert(keyOf(name), std::move(factory));
}

QWidget* WindowFlow::form(const QString& name, bool create) {
    const QString key = keyOf(name);
    QPointer<QWidget> existing = m_forms.value(key);
    if (existing)
        return existing;
    if (!create || !m_factories.contains(key))
        return nullptr;
    QWidget* window = m_factories.value(key)();
    if (!window)
        return nullptr;
    if (window->objectName().isEmpty())
        window->setObjectName(name);
    m_forms.insert(key, window);
    emit formCountChanged();
    return window;
}

bool WindowFlow::isFormLoaded(const QString& name) const {
    if (m_cover && keyOf(name) == keyOf(kCover))
        return true;
    return !m_forms.value(keyOf(name)).isNull();
}

QWidget* WindowFlow::showForm(const QString& name) {
    QWidget* window = form(name, true);
    if (!window)
        return nullptr;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void WindowFlow::formLoaded(QWidget* window) {
    if (!window)
        return;
    m_forms.insert(keyOf(window->objectName()), window);
    emit formCountChanged();
}

void WindowFlow::formUnloaded(QWidget* window) {
    if (!window)
        return;
    for (auto it = m_forms.begin(); it != m_forms.end();) {
        if (it.value() == window || it.value().isNull())
            it = m_forms.erase(it);
        else
            ++it;
    }
    window->hide();
    window->deleteLater();
    emit formCountChanged();
    if (m_ending)
        return;
    bool anyLeft = false;
    for (const QPointer<QWidget>& w : std::as_const(m_forms))
        anyLeft = anyLeft || !w.isNull();
    if (!anyLeft && m_cover)
        m_cover->show();
}

void WindowFlow::endProgram() {
    m_ending = true;
    deleteAllForms();
    QCoreApplication::quit();
}

void WindowFlow::deleteAllForms() {
    const auto forms = m_forms;
    m_forms.clear();
    for (const QPointer<QWidget>& w : forms)
        delete w.data();
}

} // namespace mojing
