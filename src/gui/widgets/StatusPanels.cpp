#include "widgets/StatusPanels.h"

using namespace Qt::StringLiterals;

namespace mojing {

StatusPanels::StatusPanels(const QList<int>& stretch, QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    for (int i = 0; i < stretch.size(); ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(u"Panel"_s + QString::number(i + 1));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(40);
        // Long texts (addresses) must not widen the window.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        addWidget(label, stretch.at(i));
        m_panels << label;
    }
}

QLabel* StatusPanels::panel(int number) const {
    return m_panels.value(number - 1);
}

QString StatusPanels::text(int number) const {
    QLabel* label = panel(number);
    return label ? label->text() : QString();
}

void StatusPanels::setText(int number, const QString& text) {
    if (QLabel* label = panel(number)) {
        label->setText(text);
        label->setToolTip(text);
    }
}

} // namespace mojing
