#include "CopyMoveDialog.h"

#include "analysis/ComboDropWidth.h"
#include "analysis/FolderHistory.h"
#include "analysis/FolderPicker.h"
#include "widgets/Icons.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace mojing {

CopyMoveDialog::CopyMoveDialog(const AppContext& context, QWidget* parent, const QString& historyFile)
    : QDialog(parent), m_controller(context, programFolders(context, historyFile)) {
    setObjectName(u"Form_Copy_Move"_s);
    setWindowIcon(Icons::programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* label1 = new QLabel(u"目的文件夹："_s, this);
    label1->setObjectName(u"Label1"_s);
    m_combo1 = ComboDropWidth::folderCombo(this);
    auto* command3 = new QPushButton(u"浏览"_s, this);
    command3->setObjectName(u"Command3"_s);

    auto* frame1 = new QGroupBox(u"如果同名文件已经存在"_s, this);
    frame1->setObjectName(u"Frame1"_s);
    auto* rules = new QVBoxLayout(frame1);
    auto* group = new QButtonGroup(this);
    const QString captions[] = {u"跳过"_s, u"覆盖"_s, u"自动重命名"_s,
                                u"文件大小和修改时间均相同：覆盖；否则：自动重命名"_s,
                                u"文件大小相同：覆盖；否则：自动重命名"_s};
    int index = 1;
    for (const QString& caption : captions) {
        auto* option = new QRadioButton(caption, frame1);
        option->setObjectName(u"Option1(%1)"_s.arg(index));
        group->addButton(option, index++);
        rules->addWidget(option);
        m_options << option;
    }

    auto* label4 = new QLabel(u"当前文件："_s, this);
    label4->setObjectName(u"Label4"_s);
    m_label3 = new QLabel(this);
    m_label3->setObjectName(u"Label3"_s);
    auto* label2 = new QLabel(u"进度;"_s, this);
    label2->setObjectName(u"Label2"_s);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"ProgressBar1"_s);
    m_progress->setTextVisible(false);
    m_command1 = new QPushButton(CopyMoveController::kStart, this);
    m_command1->setObjectName(u"Command1"_s);
    m_command1->setDefault(true);
    auto* command2 = new QPushButton(u"关闭"_s, this);
    command2->setObjectName(u"Command2"_s);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_combo1, 0, 1);
    grid->addWidget(command3, 0, 2);
    grid->addWidget(frame1, 1, 0, 1, 3);
    grid->addWidget(label4, 2, 0);
    grid->addWidget(m_label3, 2, 1, 1, 2);
    grid->addWidget(label2, 3, 0);
    grid->addWidget(m_progress, 3, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_command1);
    buttons->addWidget(command2);
    grid->addLayout(buttons, 4, 0, 1, 3);

    connect(command3, &QPushButton::clicked, this, [this] {
        m_controller.setFolderText(m_combo1->currentText());
        m_controller.browse();
    });
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_controller.setOpIndex(id); });
    connect(m_command1, &QPushButton::clicked, this, [this] {
        m_controller.setFolderText(m_combo1->currentText());
        m_controller.execute(true);
    });
    connect(command2, &QPushButton::clicked, this, &CopyMoveDialog::reject);
    connect(&m_controller, &CopyMoveController::changed, this, &CopyMoveDialog::showState);

    m_controller.open();
    m_combo1->clear();
    m_combo1->addItems(m_controller.history());
    showState();
    refresh();
    adjustSize();
    ComboDropWidth::fitComboDropWidth(*m_combo1);
}

SharedFolders CopyMoveDialog::programFolders(const AppContext& context, const QString& historyFile) {
    const QString file = historyFile.isEmpty() ? FolderHistory::defaultFile() : historyFile;
    const AnsiCodec& codec = context.codec;
    Prompts& prompts = context.prompts;
    return SharedFolders{[file, &codec] { return FolderHistory::loadFolderHistory(file, codec); },
                         [file, &codec](const QStringList& folders) {
                             FolderHistory::saveFolderHistory(folders, file, codec);
                         },
                         [&prompts](const QString& start, const QString& title) {
                             return FolderPicker::browseForFolder(prompts, start, title, false);
                         }};
}

CopyMoveDialog::~CopyMoveDialog() {
    m_controller.abandon();
}

void CopyMoveDialog::run(const AppContext& context, const QStringList& sources, bool moveMode,
                         const QString& caption, QWidget* parent) {
    CopyMoveDialog dialog(context, parent);
    dialog.controller().setMoveMode(moveMode);
    dialog.controller().sourceFiles() = sources;
    dialog.refresh();
    if (!caption.isEmpty())
        dialog.setWindowTitle(caption);
    dialog.exec();
}

void CopyMoveDialog::refresh() {
    setWindowTitle(m_controller.defaultCaption());
}

void CopyMoveDialog::showState() {
    if (m_combo1->currentText() != m_controller.folderText())
        m_combo1->setEditText(m_controller.folderText());
    for (const QString& folder : m_controller.history()) {
        if (m_combo1->findText(folder, Qt::MatchFixedString) < 0)
            m_combo1->addItem(folder);
    }
    if (QRadioButton* option = m_options.value(m_controller.opIndex() - 1))
        option->setChecked(true);
    m_label3->setText(m_controller.currentName());
    m_progress->setMaximum(m_controller.progressMaximum());
    m_progress->setValue(m_controller.progressValue());
    m_command1->setText(m_controller.buttonText());
}

void CopyMoveDialog::reject() {
    // Closing ends a run at once, without the completion message.
    m_controller.abandon();
    QDialog::reject();
}

} // namespace mojing
