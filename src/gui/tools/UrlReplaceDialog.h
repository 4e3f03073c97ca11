#pragma once

#include "downloads/UrlReplacer.h"

#include <QDialog>

class QLineEdit;

namespace mojing {

class DownloadSession;

// The modal window UrlReplace "网址批量替换": the text to find in every address (Text1), its
// replacement (Text2), "替换" (Command1) and "取消" (Command2).
class UrlReplaceDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("网址批量替换");

    UrlReplaceDialog(DownloadSession& session, QWidget* parent = nullptr);

    QLineEdit* text1() const { return m_text1; }
    QLineEdit* text2() const { return m_text2; }

private:
    UrlReplacer m_replacer;
    QLineEdit* m_text1;
    QLineEdit* m_text2;
};

} // namespace mojing
