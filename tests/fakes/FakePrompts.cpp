#include "FakePrompts.h"

namespace mojing {

namespace {
template <typename T> T takeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
} // namespace

void FakePrompts::message(const QString& text, MessageIcon icon, const QString& title) {
    shown.push_back({Kind::Message, text, icon, title});
}

bool FakePrompts::askYesNo(const QString& text, const QString& title) {
    shown.push_back({Kind::YesNo, text, MessageIcon::Question, title});
    return takeFront(yesNoAnswers, defaultYesNo);
}

std::optional<QString> FakePrompts::inputText(const QString& prompt, const QString& title,
                                              const QString& defaultText) {
    shown.push_back({Kind::Input, prompt, MessageIcon::Question, title});
    if (inputAnswers.empty())
        return std::nullopt;
    const std::optional<QString> answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

QString FakePrompts::saveFileName(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite,
                                  const QString& proposedPath) {
    shown.push_back({Kind::SaveFile, filter, MessageIcon::Information, defaultSuffix});
    proposedPaths << proposedPath;
    return takeFront(saveFileAnswers, QString());
}

QString FakePrompts::openFileName(const QString& filter) {
    shown.push_back({Kind::OpenFile, filter, MessageIcon::Information, {}});
    return takeFront(openFileAnswers, QString());
}

QString FakePrompts::pickFolder(const QString& startFolder, const QString& title, bool includeFiles) {
    shown.push_back({Kind::Folder, startFolder, MessageIcon::Information, title});
    return takeFront(folderAnswers, QString());
}

QStringList FakePrompts::messages() const {
    return texts(Kind::Message);
}

QStringList FakePrompts::texts(Kind kind) const {
    QStringList result;
    for (const Shown& s : shown) {
        if (s.kind == kind)
            result << s.text;
    }
    return result;
}

QString FakePrompts::lastMessage() const {
    const QStringList all = messages();
    return all.isEmpty() ? QString() : all.last();
}

MessageIcon FakePrompts::lastIcon() const {
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        if (it->kind == Kind::Message)
            return it->icon;
    }
    return MessageIcon::Information;
}

} // namespace mojing
