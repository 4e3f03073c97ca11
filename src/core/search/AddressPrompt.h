#pragma once

#include <QString>
#include <optional>

namespace mojing {

class Prompts;

// "打开指定网址...": what to do with the address the user typed.
struct AddressRequest {
    bool silent = true; // new state of "禁止弹出脚本提示"
    QString address;    // where to go; empty = go nowhere

    static inline const QString kPrompt = QStringLiteral("请输入需要打开的网址：");
    static inline const QString kTitle = QStringLiteral("请输入...");

    // Pure rule: trimmed answer; an https address turns silent mode off (secure pages keep their
    // dialogs), anything else turns it on; a cancelled box counts as an empty answer.
    static AddressRequest fromAnswer(const std::optional<QString>& answer);
    // Shows the input box and applies the rule.
    static AddressRequest ask(Prompts& prompts);
};

} // namespace mojing
