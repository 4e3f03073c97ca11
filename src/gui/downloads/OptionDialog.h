#pragma once

#include "downloads/OptionsController.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace mojing {

class DownloadSession;

// The modal Options dialog fOption: transfer method, proxy, maximum file size, whether the save
// folder is asked when harvesting, the DOI resolver, and how files are named. "确定" stores
// everything; "关闭" changes nothing.
class OptionDialog : public QDialog {
    Q_OBJECT
public:
    // `loadedDownloads` is the open download window's session, or null.
    OptionDialog(const AppContext& context, DownloadSession* loadedDownloads, QWidget* parent = nullptr);

    // The resolver this run uses instead of the setting (the demo platform's), shown under the
    // field so that the field is not taken for what resolves DOIs now. Empty: nothing is shown.
    void showResolverInUse(const QString& address);

    OptionsValues values() const;
    // "确定", also for tests.
    void confirm();

private:
    OptionsController m_controller;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QCheckBox* m_check3 = nullptr;
    QLineEdit* m_text6 = nullptr;
    QLineEdit* m_text8 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text9 = nullptr;
    QLabel* m_resolverInUse = nullptr;
    QLineEdit* m_naming = nullptr;
    QLabel* m_namingPreview = nullptr;
};

} // namespace mojing
