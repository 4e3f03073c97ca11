#include "shell/GuiPrompts.h"

#include "platform/DialogFilter.h"
#include "settings/SettingKeys.h"
#include "widgets/LocalizedFileModel.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>

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

// An input box is wide enough for an address.
constexpr int kInputWidth = 600;

// Window managers shorten a title that does not fit beside the frame's buttons ("墨…手"); a
// message box is made wide enough for its whole title, in a bold title font with room for the
// frame's icon and buttons.
void fitTitle(QMessageBox& box) {
    QFont font = box.font();
    font.setBold(true);
    const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) * 5 / 4 + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(std::max(width, 280), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

int execMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, parent);
    fitTitle(box);
    return box.exec();
}

// File dialogs show sizes and dates in the program's locale.
void localize(QFileDialog& dialog) {
    dialog.setProxyModel(new LocalizedFileModel(&dialog));
}

QString chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
} // namespace

QWidget* GuiPrompts::parentWindow() {
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

void GuiPrompts::message(const QString& text, MessageIcon icon, const QString& title) {
    execMessageBox(parentWindow(), toQt(icon), titleOr(title), text, QMessageBox::Ok);
}

bool GuiPrompts::askYesNo(const QString& text, const QString& title) {
    return execMessageBox(parentWindow(), QMessageBox::Question, titleOr(title), text,
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> GuiPrompts::inputText(const QString& prompt, const QString& title,
                                             const QString& defaultText) {
    QInputDialog dialog(parentWindow());
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.resize(std::max(kInputWidth, dialog.sizeHint().width()), dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString GuiPrompts::saveFileName(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite,
                                 const QString& proposedPath) {
    // A path with a file name opens the dialog in its folder with that name offered.
    QFileDialog dialog(parentWindow(), QString(), proposedPath, DialogFilter::toQt(filter));
    localize(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    return chosen(dialog);
}

QString GuiPrompts::openFileName(const QString& filter) {
    QFileDialog dialog(parentWindow(), QString(), QString(), DialogFilter::toQt(filter));
    localize(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosen(dialog);
}

QString GuiPrompts::pickFolder(const QString& startFolder, const QString& title, bool includeFiles) {
    QFileDialog dialog(parentWindow(), title, startFolder);
    localize(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    // With files shown (for orientation) the chosen entry's folder is the answer.
    dialog.setOption(QFileDialog::ShowDirsOnly, !includeFiles);
    return chosen(dialog);
}

} // namespace mojing
