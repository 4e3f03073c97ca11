#pragma once

#include <QString>
#include <functional>

namespace mojing {

class DownloadSession;

// 「网址批量替换」 Replaces a text in the addresses of every download row: in each alternative of
// the key and in the referring page, letter case ignored, every occurrence. Keys stay unique and
// whole: a row whose new key another row already has, or whose new key would hold an empty
// address, keeps its old key. Transfers that have started keep the address they started with;
// later starts use the new keys.
class UrlReplacer {
public:
    static inline const QString kBlankSearch = QStringLiteral("请输入字符串！");
    static inline const QString kDone = QStringLiteral("全部网址替换完成！");

    struct Result {
        int keysChanged = 0;
        int keysKept = 0; // rows that kept their old key: the new one was taken or had an empty address
    };

    explicit UrlReplacer(DownloadSession& session) : m_session(session) {}

    // 「替换」 Refuses a blank search text with "请输入字符串！" (false; nothing changes and the
    // window stays). Otherwise replaces, calls `closeWindow`, then reports completion.
    bool run(const QString& find, const QString& replacement, const std::function<void()>& closeWindow);

    // The replacement itself; `find` is used exactly as typed and must not be empty.
    Result replaceInAddresses(const QString& find, const QString& replacement);

    // "全部网址替换完成！", with a line on the kept keys when there were any.
    static QString completionText(const Result& result);
    // A key ("a|b|c") of which an address would be empty.
    static bool leavesEmptyAddress(const QString& key);

private:
    DownloadSession& m_session;
};

} // namespace mojing
