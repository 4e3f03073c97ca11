#pragma once

#include "analysis/SaveFolderController.h"

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace mojing {

// The modal dialog fSeleFileSavePath "选择下载保存路径": asks for the folder that new downloads
// go to. A thin view over SaveFolderController; it stays on top of other windows.
class SaveFolderDialog : public QDialog {
    Q_OBJECT
public:
    explicit SaveFolderDialog(const AppContext& context, QWidget* parent = nullptr);

    SaveFolderController& controller() { return m_controller; }

    // "确定" and "取消", also for tests.
    void confirm();
    void cancelDialog();

private:
    void showController();

    SaveFolderController m_controller;
    QComboBox* m_combo1 = nullptr;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
};

} // namespace mojing
