#include "shell/AboutDialog.h"

#include "settings/SettingKeys.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace mojing {

QString AboutDialog::versionText() {
    return u"版本："_s + QString::number(MOJING_VERSION_MAJOR) + u'.' +
           QString::number(MOJING_VERSION_MINOR) + u'.' + QString::number(MOJING_VERSION_PATCH);
}

AboutDialog::AboutDialog(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setObjectName(u"frmAbout"_s);
    setWindowTitle(u"关于"_s + kApplicationTitle);
    setWindowIcon(icon);
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(icon.pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(kApplicationTitle, this);
    name->setObjectName(u"lblTitle"_s);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(versionText(), this);
    version->setObjectName(u"lblVersion"_s);
    auto* description =
        new QLabel(u"在内置浏览器中检索期刊平台，把检索结果页上的文章加入列表，分析后交给下载管理器，"
                   "按文章标题保存全文文件，自动识别文件类型、处理重名并重试失败项。\n\n"
                   "本软件仅用于科研人员辅助少量下载；请不要恶意下载和大量下载！"_s,
                   this);
    description->setObjectName(u"lblDescription"_s);
    description->setWordWrap(true);
    description->setMinimumWidth(320);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(description);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace mojing
