#include "ConsolePrompts.h"

using namespace Qt::StringLiterals;

namespace mojing {

void ConsolePrompts::message(const QString& text, MessageIcon icon, const QString&) {
    m_err << (icon == MessageIcon::Error ? u"mojing: error: "_s : u"mojing: "_s) << text << u'\n';
    m_err.flush();
}

bool ConsolePrompts::askYesNo(const QString& text, const QString&) {
    m_err << u"mojing: "_s << text << u" -> no\n"_s;
    m_err.flush();
    return false;
}

std::optional<QString> ConsolePrompts::inputText(const QString&, const QString&, const QString&) {
    return std::nullopt;
}

QString ConsolePrompts::saveFileName(const QString&, const QString&, bool, const QString&) {
    return {};
}

QString ConsolePrompts::openFileName(const QString&) {
    return {};
}

QString ConsolePrompts::pickFolder(const QString&, const QString&, bool) {
    return {};
}

} // namespace mojing
