#include "UrlReplacer.h"

#include "DownloadSession.h"
#include "platform/Prompts.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace mojing {

bool UrlReplacer::run(const QString& find, const QString& replacement,
                      const std::function<void()>& closeWindow) {
    AppContext& ctx = m_session.context();
    if (find.trimmed().isEmpty()) {
        ctx.prompts.message(kBlankSearch, MessageIcon::Error);
        return false;
    }
    const Result result = replaceInAddresses(find, replacement);
    if (closeWindow)
        closeWindow();
    ctx.prompts.message(completionText(result), MessageIcon::Information);
    return true;
}

UrlReplacer::Result UrlReplacer::replaceInAddresses(const QString& find, const QString& replacement) {
    Result result;
    if (find.isEmpty())
        return result;
    DownloadListModel& list = m_session.list();
    std::vector<std::pair<int, QString>> pending; // rows whose new key was taken when their turn came
    for (int i = 0; i < list.count(); ++i) {
        const DownloadRow& row = list.at(i);
        QString tag = row.tag;
        list.setTag(i, tag.replace(find, replacement, Qt::CaseInsensitive));
        QString key = row.key;
        key.replace(find, replacement, Qt::CaseInsensitive);
        if (key == row.key)
            continue;
        if (leavesEmptyAddress(key)) {
            ++result.keysKept; // a row without an address could never be fetched or kept
            continue;
        }
        if (list.setKey(i, key))
            ++result.keysChanged;
        else
            pending.emplace_back(i, key);
    }
    // A key may have been taken only by a row that changed its own key later in the list
    // ("a" -> "b" while the next row goes "b" -> "c"): try those again until nothing moves.
    for (size_t before = 0; !pending.empty() && pending.size() != before;) {
        before = pending.size();
        std::erase_if(pending, [&](const std::pair<int, QString>& p) {
            if (!list.setKey(p.first, p.second))
                return false;
            ++result.keysChanged;
            return true;
        });
    }
    result.keysKept += int(pending.size());
    return result;
}

bool UrlReplacer::leavesEmptyAddress(const QString& key) {
    const QStringList addresses = key.split(u'|');
    return std::any_of(addresses.cbegin(), addresses.cend(),
                       [](const QString& address) { return address.trimmed().isEmpty(); });
}

QString UrlReplacer::completionText(const Result& result) {
    if (result.keysKept == 0)
        return kDone;
    return kDone + u"\n"_s + QString::number(result.keysKept) +
           u"项替换后的网址为空或与列表中其他项相同，保留了原网址。"_s;
}

} // namespace mojing
