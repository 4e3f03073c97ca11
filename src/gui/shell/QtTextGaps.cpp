#include "shell/QtTextGaps.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace mojing {

QString QtTextGaps::translate(const char* context, const char* sourceText, const char*, int) const {
    // The file type a file list shows for what is not a file.
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0 || !sourceText)
        return {};
    const struct {
        const char* english;
        const char16_t* chinese;
    } texts[] = {
        {"Folder", u"文件夹"}, {"Drive", u"驱动器"}, {"Shortcut", u"快捷方式"},
        {"File", u"文件"},     {"Unknown", u"未知"},
    };
    for (const auto& t : texts) {
        if (std::strcmp(sourceText, t.english) == 0)
            return QString::fromUtf16(t.chinese);
    }
    return {};
}

} // namespace mojing
