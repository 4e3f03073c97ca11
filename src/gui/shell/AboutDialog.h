#pragma once

#include <QDialog>

namespace mojing {

// The About window: name, version and what the program is for.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(const QIcon& icon, QWidget* parent = nullptr);

    // "版本：" + major.minor.revision of this build.
    static QString versionText();
};

} // namespace mojing
