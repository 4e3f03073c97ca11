#pragma once

#include "program/AppContext.h"

#include <QString>

namespace mojing {

class DownloadSession;

// The values the Options dialog shows and edits.
struct OptionsValues {
    int method = 2;
    bool proxyEnabled = false;
    QString proxyHost;
    QString proxyPort;
    bool promptFolderOnHarvest = true;
    QString maxSizeText;    // the maximum file size in megabytes, as typed
    bool keepList = true;   // "关闭后保留下载列表"
    QString doiResolver;    // "DOI解析地址"
    QString namingTemplate; // "文件命名", e.g. "{author} {year} {title}"
};

// The Options dialog's logic. With a loaded download window it shows that window's current
// values and updates it on "确定"; otherwise it works on the stored values alone.
class OptionsController {
public:
    static inline const QString kBadProxy = QStringLiteral("代理服务器网址或者端口格式不对！");
    static inline const QString kBadMaxSize =
        QStringLiteral("下载文件大小必须是不小于0的数字！仍使用原来的数值。");
    static inline const QString kBadResolver =
        QStringLiteral("DOI解析地址必须是http或https网址！仍使用原来的地址。");
    // Followed by what is wrong with the template and kKeptNaming.
    static inline const QString kBadNaming = QStringLiteral("文件命名有误：");
    static inline const QString kKeptNaming = QStringLiteral("仍使用原来的文件命名。");
    // What the fields of a naming template stand for, under the template box.
    static inline const QString kNamingHelp = QStringLiteral(
        "字段：{title} 题名，{author} 第一作者的姓，{authors} 前三位作者的姓（更多时加 et al.），"
        "{year} 年份，{journal} 期刊，{doi} DOI（“/”写作“_”）。空字段连同它旁边的分隔符一起省去；"
        "没有文献信息的文件按列表中的名称命名。");

    OptionsController(const AppContext& context, DownloadSession* loadedDownloads);

    static QString caption();

    // The values to show when the dialog opens.
    OptionsValues open() const;
    // "确定": stores every value and updates the download window. A proxy that is switched on
    // without an address or with a bad port is reported and stored all the same. A maximum size
    // that is not a number of at least 0 is reported and the previous size is kept, so the stored
    // size always stays a valid number; so is a DOI resolver that is not an http(s) address,
    // which keeps the previous one. A naming template that cannot be used is reported with what
    // is wrong, and the previous template stays.
    void confirm(const OptionsValues& values);

    static bool isValidPort(const QString& port);

    // What a naming template makes of a sample article ("示例：Smith 2019 Deep ....pdf"), or what
    // is wrong with it.
    static QString namingPreview(const QString& templateText, const AnsiCodec& codec);
    // Under "DOI解析地址" when this run resolves DOIs elsewhere (the demo platform).
    static QString resolverInUseText(const QString& address);

private:
    AppContext m_context;
    DownloadSession* m_downloads;
};

} // namespace mojing
