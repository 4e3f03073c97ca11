#pragma once

#include "analysis/SaveFolderController.h"
#include "downloads/AddAddressesController.h"

#include <QDialog>

class QComboBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace mojing {

class DownloadSession;
class NetworkLayer;
class Scheduler;

// The dialog "添加网址或DOI" (fAddAddresses): a box for addresses and DOIs, one a line, the save
// folder with its history as the save-folder dialog keeps it, "添加" with a progress bar and
// "停止". A thin view over AddAddressesController (the rows) and SaveFolderController (the
// folder); it closes when everything was added.
class AddAddressesDialog : public QDialog {
    Q_OBJECT
public:
    AddAddressesDialog(const AppContext& context, DownloadSession& session, Scheduler& scheduler,
                       NetworkLayer& network, const QString& resolverBase, QWidget* parent = nullptr);

    AddAddressesController& controller() { return m_adder; }
    void setText(const QString& text);

    // "添加", "停止" and "关闭", also for tests.
    void add();
    void stop();

protected:
    void done(int result) override;

private:
    void showRunning(bool running);

    SaveFolderController m_folders;
    AddAddressesController m_adder;
    QPlainTextEdit* m_text1 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QPushButton* m_browse = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_stop = nullptr;
};

} // namespace mojing
