#pragma once

class QComboBox;
class QWidget;

namespace mojing {

// Widens a combo box's drop-down list so that its longest entry shows whole.
class ComboDropWidth {
public:
    // The longest entry's width in the combo's font plus 7 pixels, plus a scroll bar from 9
    // entries on, but never past the right edge of the screen.
    static int fittingWidth(const QComboBox& combo);
    static void fitComboDropWidth(QComboBox& combo);
    // The editable folder box of the folder dialogs (objectName Combo1): typed text stays out of
    // the list until the dialog takes it, and a usual path fits without scrolling.
    static QComboBox* folderCombo(QWidget* parent);
};

} // namespace mojing
