#include "shell/GuiPrompts.h"

#include "platform/DialogFilter.h"
#include "settings/SettingKeys.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
QString titleOr(const QString& title) {
    return title.isEmpty() ? kApplicationTitle : title;
}

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QWidget* GuiPrompts::parentWindow() {
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

void GuiPrompts::message(const QString& text, MessageIcon icon, const QString& title) {
    QMessageBox box(toQt(icon), titleOr(title), text, QMessageBox::Ok, parentWindow());
    box.exec();
}

bool GuiPrompts::askYesNo(const QString& text, const QString& title) {
    return QMessageBox::question(parentWindow(), titleOr(title), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<QString> GuiPrompts::inputText(const QString& prompt, const QString& title,
                                             const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parentWindow(), titleOr(title), prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString GuiPrompts::saveFileName(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite) {
    QFileDialog dialog(parentWindow(), QString(), QString(), DialogFilter::toQt(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString GuiPrompts::openFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(parentWindow(), QString(), QString(), DialogFilter::toQt(filter));
}

QString GuiPrompts::pickFolder(const QString& startFolder, const QString& title, bool includeFiles) {
    if (includeFiles) {
        // Files are shown for orientation; the chosen entry's folder is the answer.
        QFileDialog dialog(parentWindow(), title, startFolder);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
    return QFileDialog::getExistingDirectory(parentWindow(), title, startFolder);
}

} // namespace mojing
