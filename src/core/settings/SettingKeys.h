#pragma once

#include <QString>

namespace mojing {

inline const QString kApplicationTitle = QStringLiteral("墨鲸文献助手");

// Sections and keys of the settings store, with the program's defaults.
namespace SettingKeys {
inline const QString kSectionSettings = QStringLiteral("设置");
inline const QString kSectionDownload = QStringLiteral("下载");
inline const QString kSectionDuplicate = QStringLiteral("专利下载");
inline const QString kSectionSearch = QStringLiteral("fWebSearch");
inline const QString kSectionDownloadWindow = QStringLiteral("fFileDownload");
inline const QString kSectionCopyMove = QStringLiteral("Form_Copy_Move");

inline const QString kMaxFileSize = QStringLiteral("文件最大值");
inline const QString kPromptFolderOnHarvest = QStringLiteral("提取网页信息时提示下载保存路径");
inline const QString kSaveFolder = QStringLiteral("下载文件保存路径");
inline const QString kMethod = QStringLiteral("下载方式");
inline const QString kProxyHost = QStringLiteral("代理服务器网址");
inline const QString kProxyPort = QStringLiteral("代理服务器端口");
inline const QString kProxyEnabled = QStringLiteral("代理服务器有效");
inline const QString kSlots = QStringLiteral("线程");
inline const QString kKeepList = QStringLiteral("关闭后保留下载列表");
inline const QString kDuplicatePolicy = QStringLiteral("重复文件名设置");
inline const QString kNamingTemplate = QStringLiteral("文件命名");
inline const QString kCheck1 = QStringLiteral("Check1");
inline const QString kCheck3 = QStringLiteral("Check3");
inline const QString kText1 = QStringLiteral("Text1");
inline const QString kResolution = QStringLiteral("分辨率");
inline const QString kTop = QStringLiteral("上");
inline const QString kLeft = QStringLiteral("左");
inline const QString kWidth = QStringLiteral("宽");
inline const QString kHeight = QStringLiteral("高");
inline const QString kCopyTarget = QStringLiteral("目的文件夹");
inline const QString kCopyOption = QStringLiteral("OpIndex");
// Where DOIs are looked up: the DOI (percent-encoded) is appended to this address.
inline const QString kDoiResolver = QStringLiteral("DOI解析地址");

// The default of a known (section, key); empty for unknown keys.
QString defaultFor(const QString& section, const QString& key);
// The default save folder: the user's home folder + "/12345/".
QString defaultSaveFolder();
// The program's per-user data folder (folder history, sounds), created on demand, ending in "/".
QString dataFolder();
} // namespace SettingKeys

} // namespace mojing
