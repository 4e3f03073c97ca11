#include "AuthorName.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

bool isEastAsian(QChar c) {
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return true;
    default:
        return false;
    }
}

bool writtenInEastAsianScript(const QString& name) {
    for (QChar c : name) {
        if (isEastAsian(c))
            return true;
    }
    return false;
}

// Two-character Chinese family names, in simplified and traditional writing.
const QStringList& compoundSurnames() {
    static const QStringList names = {
        u"欧阳"_s, u"司马"_s, u"诸葛"_s, u"上官"_s, u"东方"_s, u"皇甫"_s, u"尉迟"_s, u"公孙"_s, u"慕容"_s,
        u"长孙"_s, u"宇文"_s, u"司徒"_s, u"司空"_s, u"夏侯"_s, u"轩辕"_s, u"令狐"_s, u"钟离"_s, u"端木"_s,
        u"独孤"_s, u"南宫"_s, u"西门"_s, u"百里"_s, u"呼延"_s, u"澹台"_s, u"太史"_s, u"申屠"_s, u"闻人"_s,
        u"公冶"_s, u"濮阳"_s, u"万俟"_s, u"赫连"_s, u"拓跋"_s, u"东郭"_s, u"左丘"_s, u"谷梁"_s, u"单于"_s,
        u"第五"_s, u"歐陽"_s, u"司馬"_s, u"諸葛"_s, u"東方"_s, u"尉遲"_s, u"公孫"_s, u"長孫"_s, u"軒轅"_s,
        u"鍾離"_s, u"獨孤"_s, u"南宮"_s, u"西門"_s, u"澹臺"_s, u"聞人"_s, u"萬俟"_s, u"赫連"_s, u"濮陽"_s,
        u"東郭"_s, u"穀梁"_s, u"單于"_s};
    return names;
}

bool isSuffix(const QString& word) {
    static const QStringList suffixes = {u"jr"_s, u"jr."_s, u"sr"_s, u"sr."_s, u"ii"_s, u"iii"_s, u"iv"_s};
    return suffixes.contains(word.toLower());
}

} // namespace

AuthorName AuthorName::parse(const QString& written) {
    const QString name = written.simplified();
    AuthorName result;
    if (name.isEmpty())
        return result;
    if (const qsizetype comma = name.indexOf(u','); comma >= 0) {
        result.family = name.left(comma).trimmed();
        result.given = name.mid(comma + 1).trimmed();
        if (result.family.isEmpty())
            return parse(result.given); // ", John Smith": a stray comma
        // "King, Jr., Martin Luther"
        if (const qsizetype second = result.given.indexOf(u',');
            second >= 0 && isSuffix(result.given.left(second).trimmed())) {
            result.suffix = result.given.left(second).trimmed();
            result.given = result.given.mid(second + 1).trimmed();
        }
        return result;
    }
    if (writtenInEastAsianScript(name)) {
        if (const qsizetype space = name.indexOf(u' '); space >= 0) {
            result.family = name.left(space);
            result.given = name.mid(space + 1);
            return result;
        }
        qsizetype length = 1;
        for (const QString& compound : compoundSurnames()) {
            if (name.size() > compound.size() && name.startsWith(compound)) {
                length = compound.size();
                break;
            }
        }
        // A surrogate pair is one character.
        if (length == 1 && name.at(0).isHighSurrogate() && name.size() > 2)
            length = 2;
        result.family = name.left(length);
        result.given = name.mid(length);
        return result;
    }
    QStringList words = name.split(u' ');
    if (words.size() > 1 && isSuffix(words.last()))
        result.suffix = words.takeLast();
    result.family = words.takeLast();
    result.given = words.join(u' ');
    return result;
}

} // namespace mojing
