#include "ComboDropWidth.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace mojing {

QComboBox* ComboDropWidth::folderCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(u"Combo1"_s);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumWidth(380);
    return combo;
}

int ComboDropWidth::fittingWidth(const QComboBox& combo) {
    QString longest;
    for (int i = 0; i < combo.count(); ++i) {
        const QString text = combo.itemText(i);
        if (text.size() > longest.size())
            longest = text;
    }
    int width = combo.fontMetrics().horizontalAdvance(longest) + 7;
    if (combo.count() >= 9)
        width += combo.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &combo);
    if (const QScreen* screen = combo.screen()) {
        const int room = screen->geometry().right() + 1 - combo.mapToGlobal(QPoint(0, 0)).x();
        if (room > 0)
            width = std::min(width, room);
    }
    return width;
}

void ComboDropWidth::fitComboDropWidth(QComboBox& combo) {
    // The list is never narrower than the box itself.
    combo.view()->setMinimumWidth(std::max(fittingWidth(combo), combo.width()));
}

} // namespace mojing
