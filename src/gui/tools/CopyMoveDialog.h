#pragma once

#include "tools/CopyMoveController.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace mojing {

// The modal tool Form_Copy_Move "复制或者移动文件": copies or moves a list of files into a folder
// the user picks, with a rule for name clashes. A thin view over CopyMoveController. The clash
// rules are the radio buttons "Option1(1)" to "Option1(5)" in Frame1.
class CopyMoveDialog : public QDialog {
    Q_OBJECT
public:
    // `historyFile`: the remembered folders (SaveList.dat of the program when empty).
    explicit CopyMoveDialog(const AppContext& context, QWidget* parent = nullptr,
                            const QString& historyFile = {});
    ~CopyMoveDialog() override;

    CopyMoveController& controller() { return m_controller; }

    // The program's remembered folders (`historyFile`, SaveList.dat of the program when empty)
    // and the save-folder dialog's folder picker.
    static SharedFolders programFolders(const AppContext& context, const QString& historyFile = {});

    // Opens the tool over `sources` and returns when it is closed. `caption` replaces the
    // caption the mode gives ("复制文件...-" + the program's title) when not empty.
    static void run(const AppContext& context, const QStringList& sources, bool moveMode,
                    const QString& caption = {}, QWidget* parent = nullptr);

    // Shows the controller's state again (after the caller changed the mode or the list).
    void refresh();

    void reject() override;

private:
    void showState();

    CopyMoveController m_controller;
    QComboBox* m_combo1 = nullptr;
    QList<QRadioButton*> m_options;
    QLabel* m_label3 = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_command1 = nullptr;
};

} // namespace mojing
