#pragma once

#include <QString>

namespace mojing {

enum class DuplicatePolicy { Skip, Overwrite, Rename };

// Captions of the duplicate-name options, as stored in the settings.
QString duplicatePolicyCaption(DuplicatePolicy policy);
// "跳过" -> Skip, "覆盖" -> Overwrite, anything else -> Rename (compared after trimming).
DuplicatePolicy duplicatePolicyFromCaption(const QString& caption);

// What the download window's option controls and the stored download settings say right now.
struct DownloadOptions {
    int method = 2;       // 1 = single transfer with proxy support; anything else = slots
    int slotCount = 3;    // method 2 slots, 1..6 (Combo1)
    int pauseSeconds = 0; // pause between two files, 0..600 (Combo2)
    DuplicatePolicy policy = DuplicatePolicy::Rename;
    bool proxyEnabled = false;
    QString proxyHost;
    QString proxyPort;
    double maxFileSizeMB = 10.0;
    bool autoRetry = false;  // Check3 "自动重新下载："
    int autoRetryMode = 0;   // Combo4: 0 failed, 1 web pages, 2 both
    bool autoStart = false;  // Check4
    bool stopRule = false;   // Check5: stop after 5 failed or web-page rows
    bool sound = false;      // Check6
    bool autoLocate = false; // menu "自动定位到下载项"
    bool siteLogin = false;  // login panel Check2 (automatic login after web pages)
    QString namingTemplate = QStringLiteral("{title}"); // how files are named (NamingTemplate)

    bool usesMethod1() const { return method == 1; }
    // Largest accepted size in bytes.
    double maxFileSizeBytes() const { return maxFileSizeMB * 1024.0 * 1024.0; }
};

} // namespace mojing
