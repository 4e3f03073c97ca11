#include "UrlReplaceDialog.h"

#include "widgets/DesignControls.h"
#include "widgets/Icons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace mojing {

UrlReplaceDialog::UrlReplaceDialog(DownloadSession& session, QWidget* parent)
    : QDialog(parent), m_replacer(session), m_text1(new QLineEdit(this)), m_text2(new QLineEdit(this)) {
    setObjectName(u"UrlReplace"_s);
    setWindowTitle(kCaption);
    setWindowIcon(Icons::programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    m_text1->setObjectName(u"Text1"_s);
    m_text2->setObjectName(u"Text2"_s);
    auto* command1 = makeNamed<QPushButton>(this, u"Command1"_s, u"替换"_s);
    command1->setDefault(true);
    auto* command2 = makeNamed<QPushButton>(this, u"Command2"_s, u"取消"_s);

    auto* grid = new QGridLayout(this);
    grid->addWidget(makeNamed<QLabel>(this, u"Label1"_s, u"所有网址中的字符串："_s), 0, 0);
    grid->addWidget(m_text1, 1, 0);
    grid->addWidget(makeNamed<QLabel>(this, u"Label2"_s, u"将被全部替换为字符串："_s), 2, 0);
    grid->addWidget(m_text2, 3, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1);
    buttons->addWidget(command2);
    grid->addLayout(buttons, 4, 0);
    setMinimumWidth(420);

    connect(command1, &QPushButton::clicked, this,
            [this] { m_replacer.run(m_text1->text(), m_text2->text(), [this] { accept(); }); });
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace mojing
