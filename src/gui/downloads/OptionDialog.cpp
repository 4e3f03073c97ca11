#include "OptionDialog.h"

#include "platform/AnsiCodec.h"
#include "widgets/GapLabel.h"
#include "widgets/Icons.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}
QLineEdit* makeEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}
} // namespace

OptionDialog::OptionDialog(const AppContext& context, DownloadSession* loadedDownloads, QWidget* parent)
    : QDialog(parent), m_controller(context, loadedDownloads) {
    setObjectName(u"fOption"_s);
    setWindowTitle(OptionsController::caption());
    setWindowIcon(Icons::programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    m_option1 = new QRadioButton(u"下载方式一 (支持HTTP，单线程，代理服务器下载)"_s, this);
    m_option1->setObjectName(u"Option1"_s);
    m_option2 = new QRadioButton(u"下载方式二 (支持HTTP，多线程下载)"_s, this);
    m_option2->setObjectName(u"Option2"_s);
    m_check1 = new QCheckBox(u"下载使用代理服务器"_s, this);
    m_check1->setObjectName(u"Check1"_s);
    m_text6 = makeEdit(this, u"Text6"_s);
    m_text8 = makeEdit(this, u"Text8"_s);
    m_text8->setMaximumWidth(90);
    m_text1 = makeEdit(this, u"Text1"_s);
    m_text1->setText(u"10"_s);
    m_check2 = new QCheckBox(u"提取网页信息时，提示下载保存路径"_s, this);
    m_check2->setObjectName(u"Check2"_s);
    m_check3 = new QCheckBox(u"关闭后保留下载列表"_s, this);
    m_check3->setObjectName(u"Check3"_s);
    m_text9 = makeEdit(this, u"Text9"_s);
    // The naming template, what its fields mean, and what it makes of a sample article as it is
    // typed (or what is wrong with it).
    m_naming = makeEdit(this, u"Text10"_s);
    m_naming->setPlaceholderText(u"{title}"_s);
    auto* namingHelp = makeLabel(this, u"Label17"_s, OptionsController::kNamingHelp);
    namingHelp->setWordWrap(true);
    m_namingPreview = makeLabel(this, u"Label18"_s, QString());
    m_namingPreview->setWordWrap(true);
    m_namingPreview->setTextFormat(Qt::PlainText);
    const AnsiCodec* codec = &context.codec;
    connect(m_naming, &QLineEdit::textChanged, this, [this, codec](const QString& text) {
        const QString preview = OptionsController::namingPreview(text, *codec);
        m_namingPreview->setText(preview);
        // A template that will be refused says so in red before "确定" is pressed.
        m_namingPreview->setStyleSheet(
            preview.startsWith(OptionsController::kBadNaming) ? u"color: #b00000;"_s : QString());
    });

    auto* command1 = new QPushButton(u"确定"_s, this);
    command1->setObjectName(u"Command1"_s);
    command1->setDefault(true);
    auto* command2 = new QPushButton(u"关闭"_s, this);
    command2->setObjectName(u"Command2"_s);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeLabel(this, u"Label1"_s, u"下载方式："_s));
    layout->addWidget(m_option1);
    layout->addWidget(m_option2);
    layout->addSpacing(6);
    layout->addWidget(m_check1);
    auto* proxy = new QGridLayout;
    proxy->setContentsMargins(20, 0, 0, 0);
    proxy->addWidget(makeLabel(this, u"Label14"_s, u"地址："_s), 0, 0);
    proxy->addWidget(m_text6, 0, 1);
    proxy->addWidget(makeLabel(this, u"Label6"_s, u"(如：proxy.example.com 或者 192.168.1.1)"_s), 0, 2);
    proxy->addWidget(makeLabel(this, u"Label15"_s, u"端口："_s), 1, 0);
    proxy->addWidget(m_text8, 1, 1, Qt::AlignLeft);
    proxy->addWidget(makeLabel(this, u"Label10"_s, u"(如：3128 或者 80 等等)"_s), 1, 2);
    layout->addLayout(proxy);
    layout->addSpacing(6);

    auto* label2 = new GapLabel(u"下载文件大小不超过：       MB"_s, m_text1, this);
    label2->setObjectName(u"Label2"_s);
    m_text1->setFixedWidth(70);
    layout->addWidget(label2);
    layout->addWidget(m_check2);
    layout->addWidget(m_check3);
    auto* resolver = new QHBoxLayout;
    resolver->addWidget(makeLabel(this, u"Label3"_s, u"DOI解析地址："_s));
    resolver->addWidget(m_text9, 1);
    layout->addLayout(resolver);
    m_resolverInUse = makeLabel(this, u"Label19"_s, QString());
    m_resolverInUse->setWordWrap(true);
    m_resolverInUse->setTextFormat(Qt::PlainText);
    m_resolverInUse->setVisible(false);
    layout->addWidget(m_resolverInUse);
    layout->addSpacing(6);
    auto* naming = new QHBoxLayout;
    naming->addWidget(makeLabel(this, u"Label16"_s, u"文件命名："_s));
    naming->addWidget(m_naming, 1);
    layout->addLayout(naming);
    layout->addWidget(namingHelp);
    layout->addWidget(m_namingPreview);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command1);
    buttons->addWidget(command2);
    layout->addLayout(buttons);

    const OptionsValues v = m_controller.open();
    m_option1->setChecked(v.method == 1);
    m_option2->setChecked(v.method != 1);
    m_check1->setChecked(v.proxyEnabled);
    m_text6->setText(v.proxyHost);
    m_text8->setText(v.proxyPort);
    m_check2->setChecked(v.promptFolderOnHarvest);
    m_text1->setText(v.maxSizeText);
    m_check3->setChecked(v.keepList);
    m_text9->setText(v.doiResolver);
    m_naming->setText(v.namingTemplate);

    connect(command1, &QPushButton::clicked, this, &OptionDialog::confirm);
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);
}

void OptionDialog::showResolverInUse(const QString& address) {
    m_resolverInUse->setText(OptionsController::resolverInUseText(address));
    m_resolverInUse->setVisible(!address.isEmpty());
}

OptionsValues OptionDialog::values() const {
    OptionsValues v;
    v.method = m_option1->isChecked() ? 1 : 2;
    v.proxyEnabled = m_check1->isChecked();
    v.proxyHost = m_text6->text();
    v.proxyPort = m_text8->text();
    v.promptFolderOnHarvest = m_check2->isChecked();
    v.maxSizeText = m_text1->text();
    v.keepList = m_check3->isChecked();
    v.doiResolver = m_text9->text();
    v.namingTemplate = m_naming->text();
    return v;
}

void OptionDialog::confirm() {
    m_controller.confirm(values());
    accept();
}

} // namespace mojing
