#pragma once

#include <QLabel>
#include <QList>
#include <QStatusBar>

namespace mojing {

// A status bar made of numbered text panels (1-based, as the windows refer to them).
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    // `stretch` gives each panel's share of the width.
    StatusPanels(const QList<int>& stretch, QWidget* parent = nullptr);

    int panelCount() const { return int(m_panels.size()); }
    QLabel* panel(int number) const;
    QString text(int number) const;
    void setText(int number, const QString& text);

private:
    QList<QLabel*> m_panels;
};

} // namespace mojing
