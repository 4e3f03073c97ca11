#include "SearchMenuCommands.h"

#include "platform/AnsiCodec.h"
#include "platform/Prompts.h"

#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace mojing {

QString SearchMenuCommands::usageText() {
    return u"1、打开菜单：浏览=>打开SAGE首页，在搜索文本框输入关键词，搜索；\r\n"_s
           u"2、等到网页有搜索结果清单出现，点击按钮“加入本页到列表”或者“加入全部到列表”，列表中会多出很多文章；\r\n"_s
           u"3、点击按钮“开始分析”，弹出菜单，选择分析全部，分析以后的链接会加载到下载窗口；\r\n"_s
           u"4、点击“开始下载”按钮，就可以全部下载到本地电脑。\r\n"_s;
}

void SearchMenuCommands::showUsage(Prompts& prompts) {
    prompts.message(usageText(), MessageIcon::Information, kUsageTitle);
}

QString SearchMenuCommands::askPageSourceFile(Prompts& prompts) {
    return prompts.saveFileName(u"*.txt|*.txt"_s, u"txt"_s);
}

bool SearchMenuCommands::writePageSource(const QString& file, const QString& html, const AnsiCodec& codec,
                                         Prompts& prompts) {
    QSaveFile out(file);
    bool ok = out.open(QIODevice::WriteOnly);
    if (ok) {
        out.write(codec.encode(html));
        ok = out.commit();
    }
    if (ok)
        prompts.message(u"OK!"_s, MessageIcon::Information);
    else
        prompts.message(out.errorString(), MessageIcon::Error);
    return ok;
}

} // namespace mojing
