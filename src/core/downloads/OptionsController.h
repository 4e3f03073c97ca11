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
    QString maxSizeText;  // the maximum file size in megabytes, as typed
    bool keepList = true; // "关闭后保留下载列表"
    QString doiResolver;  // "DOI解析地址"
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

    OptionsController(const AppContext& context, DownloadSession* loadedDownloads);

    static QString caption();

    // The values to show when the dialog opens.
    OptionsValues open() const;
    // "确定": stores every value and updates the download window. A proxy that is switched on
    // without an address or with a bad port is reported and stored all the same. A maximum size
    // that is not a number of at least 0 is reported and the previous size is kept, so the stored
    // size always stays a valid number; so is a DOI resolver that is not an http(s) address,
    // which keeps the previous one.
    void confirm(const OptionsValues& values);

    static bool isValidPort(const QString& port);

private:
    AppContext m_context;
    DownloadSession* m_downloads;
};

} // namespace mojing
