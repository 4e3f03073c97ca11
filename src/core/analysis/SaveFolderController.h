#pragma once

#include "program/AppContext.h"
#include <QString>
#include <QStringList>

namespace mojing {

// The save-folder dialog's state and commands; the dialog itself only mirrors them.
// Each opening starts from the stored folder and the folder history file.
class SaveFolderController {
public:
    static inline const QString kTitle = QStringLiteral("选择下载保存路径");
    static inline const QString kPickerTitle = QStringLiteral("请选择要浏览的文件夹:");
    static inline const QString kBadFolder = QStringLiteral("文件夹设置错误！");

    explicit SaveFolderController(const AppContext& context, QString historyFile = {});

    // Loads the history, reloads the current save folder from the settings into the folder text
    // and preselects the naming choice.
    void open();

    const QStringList& history() const { return m_history; }
    QString folderText() const { return m_folderText; }
    void setFolderText(const QString& text) { m_folderText = text; }
    // The naming choice of the dialog: true for the served file name, false for the article title.
    bool nameBySourceFile() const { return m_nameBySource; }
    void setNameBySourceFile(bool bySource) { m_nameBySource = bySource; }

    // "...": the folder text becomes the picked folder (or stays when the picker was cancelled).
    void browse();
    // "确定": creates the folder and makes it the current save folder. Returns true when the dialog
    // should close; false after "文件夹设置错误！" with an emptied folder text.
    bool confirm();
    // "取消".
    void cancel();

private:
    AppContext m_context;
    QString m_historyFile;
    QStringList m_history;
    QString m_folderText;
    bool m_nameBySource = false;
};

} // namespace mojing
