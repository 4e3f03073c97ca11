#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace mojing {

// Which main windows exist and who comes back when one closes. The start window (fCover) is the
// first window and the only way out of the program; the work windows (fWebSearch, fFileDownload)
// are created through factories registered here, so each can open the other.
//
// A work window calls formUnloaded(this) once it has accepted its close; the flow forgets it,
// deletes it later, and shows the start window when no work window is left.
class WindowFlow : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*()>;
    static inline const QString kCover = QStringLiteral("fCover");
    static inline const QString kSearch = QStringLiteral("fWebSearch");
    static inline const QString kDownload = QStringLiteral("fFileDownload");

    explicit WindowFlow(QObject* parent = nullptr);
    ~WindowFlow() override;

    void setCover(QWidget* cover);
    QWidget* cover() const { return m_cover; }

    // Registers how a work window of that name is built (the window's objectName must be `name`).
    void setFactory(const QString& name, Factory factory);

    // The loaded window of that name (case ignored); built, not shown, when `create` is true.
    QWidget* form(const QString& name, bool create = false);
    // True when a window of that name (case ignored) is loaded, visible or not.
    bool isFormLoaded(const QString& name) const;
    // Builds the window when needed, shows and raises it.
    QWidget* showForm(const QString& name);
    // Adds a window built elsewhere to the loaded ones.
    void formLoaded(QWidget* window);
    // The window has closed: forget it, delete it later, and bring back the start window when no
    // work window is left.
    void formUnloaded(QWidget* window);

    // Ends the program at once: every work window is deleted without its close rules.
    void endProgram();
    bool isEnding() const { return m_ending; }
    // Deletes every loaded work window now (pages must go before the browser profile).
    void deleteAllForms();

signals:
    void formCountChanged();

private:
    QPointer<QWidget> m_cover;
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QWidget>> m_forms;
    bool m_ending = false;
};

} // namespace mojing
