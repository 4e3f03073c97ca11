#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace mojing {

// Where the browsers of the program go: the journal platform's home page and the maker's own
// pages. One place, so the demo platform (--demo) and tests can point the program elsewhere.
struct BrowserConfig {
    struct Link {
        QString objectName; // menu entry name
        QString caption;
        QString url;
    };

    QString homePage = QStringLiteral("https://journals.sagepub.com/");
    // The DOI resolver for this run (the demo platform's under --demo); empty: the setting
    // "DOI解析地址".
    QString doiResolver;
    // The maker's page for this program ("最新版本：" on the start window).
    QString productPage = QStringLiteral("https://mojing.example.com/wenxian/");
    // Web sites of the maker; while the browser shows them the status bar is hidden.
    QStringList makerDomains{QStringLiteral("mojing.example.com"), QStringLiteral("mojing.example.net")};
    // The maker's pages at the end of the help menus.
    QList<Link> makerLinks{
        {QStringLiteral("menu软件主页"), QStringLiteral("软件主页"),
         QStringLiteral("https://mojing.example.com/wenxian/")},
        {QStringLiteral("menu更新日志"), QStringLiteral("更新日志"),
         QStringLiteral("https://mojing.example.com/wenxian/changes.html")},
        {QStringLiteral("menu意见反馈"), QStringLiteral("意见反馈"),
         QStringLiteral("https://mojing.example.net/feedback/")},
    };

    // True when the address contains one of the maker's domains (letter case ignored).
    bool isMakerAddress(const QString& url) const;
};

} // namespace mojing
