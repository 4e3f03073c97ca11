#include "SaveFolderDialog.h"

#include "ComboDropWidth.h"
#include "widgets/Icons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace mojing {

SaveFolderDialog::SaveFolderDialog(const AppContext& context, QWidget* parent)
    : QDialog(parent), m_controller(context) {
    setObjectName(u"fSeleFileSavePath"_s);
    setWindowTitle(SaveFolderController::kTitle);
    setWindowIcon(Icons::programIcon());
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* label1 = new QLabel(u"保存到文件夹："_s, this);
    label1->setObjectName(u"Label1"_s);
    m_combo1 = ComboDropWidth::folderCombo(this);
    auto* command1 = new QPushButton(u"..."_s, this);
    command1->setObjectName(u"Command1"_s);
    command1->setFixedWidth(36);
    auto* label3 = new QLabel(u"保存文件名为："_s, this);
    label3->setObjectName(u"Label3"_s);
    m_option1 = new QRadioButton(u"原文件名"_s, this);
    m_option1->setObjectName(u"Option1"_s);
    m_option2 = new QRadioButton(u"文章标题名称"_s, this);
    m_option2->setObjectName(u"Option2"_s);
    m_option2->setChecked(true);
    auto* command2 = new QPushButton(u"确定"_s, this);
    command2->setObjectName(u"Command2"_s);
    command2->setDefault(true);
    auto* command3 = new QPushButton(u"取消"_s, this);
    command3->setObjectName(u"Command3"_s);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_combo1, 0, 1);
    grid->addWidget(command1, 0, 2);
    auto* names = new QHBoxLayout;
    names->addWidget(m_option1);
    names->addWidget(m_option2);
    names->addStretch(1);
    grid->addWidget(label3, 1, 0);
    grid->addLayout(names, 1, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command2);
    buttons->addWidget(command3);
    grid->addLayout(buttons, 2, 0, 1, 3);

    connect(command1, &QPushButton::clicked, this, [this] {
        m_controller.setFolderText(m_combo1->currentText());
        m_controller.browse();
        m_combo1->setEditText(m_controller.folderText());
    });
    connect(command2, &QPushButton::clicked, this, &SaveFolderDialog::confirm);
    connect(command3, &QPushButton::clicked, this, &SaveFolderDialog::cancelDialog);

    m_controller.open();
    showController();
    adjustSize();
    ComboDropWidth::fitComboDropWidth(*m_combo1);
}

void SaveFolderDialog::showController() {
    m_option1->setChecked(m_controller.nameBySourceFile());
    m_option2->setChecked(!m_controller.nameBySourceFile());
    m_combo1->clear();
    m_combo1->addItems(m_controller.history());
    m_combo1->setEditText(m_controller.folderText());
}

void SaveFolderDialog::confirm() {
    m_controller.setFolderText(m_combo1->currentText());
    m_controller.setNameBySourceFile(m_option1->isChecked());
    if (m_controller.confirm()) {
        accept();
        return;
    }
    m_combo1->setEditText(m_controller.folderText());
}

void SaveFolderDialog::cancelDialog() {
    m_controller.cancel();
    reject();
}

} // namespace mojing
