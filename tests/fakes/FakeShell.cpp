#include "FakeShell.h"

using namespace Qt::StringLiterals;

namespace mojing {

bool FakeShell::openWithDefault(const QString& pathOrUrl) {
    calls << u"openWithDefault:"_s + pathOrUrl;
    return succeed;
}

bool FakeShell::showInFolder(const QString& filePath) {
    calls << u"showInFolder:"_s + filePath;
    return succeed;
}

bool FakeShell::openInTextEditor(const QString& filePath) {
    calls << u"openInTextEditor:"_s + filePath;
    return succeed;
}

bool FakeShell::openInBrowser(const QString& url) {
    calls << u"openInBrowser:"_s + url;
    return succeed;
}

void FakeShell::setClipboardText(const QString& text) {
    calls << u"setClipboardText:"_s + text;
    clipboard = text;
}

void FakeShell::playSound(const QString& wavPath) {
    calls << u"playSound:"_s + wavPath;
}

QStringList FakeShell::argumentsOf(const QString& verb) const {
    QStringList result;
    const QString prefix = verb + u':';
    for (const QString& call : calls) {
        if (call.startsWith(prefix))
            result << call.mid(prefix.size());
    }
    return result;
}

} // namespace mojing
