#include "AddressPrompt.h"

#include "platform/Prompts.h"

using namespace Qt::StringLiterals;

namespace mojing {

AddressRequest AddressRequest::fromAnswer(const std::optional<QString>& answer) {
    AddressRequest r;
    r.address = answer.value_or(QString()).trimmed();
    r.silent = r.address.left(8).toLower() != u"https://"_s;
    return r;
}

AddressRequest AddressRequest::ask(Prompts& prompts) {
    return fromAnswer(prompts.inputText(kPrompt, kTitle, QString()));
}

} // namespace mojing
