#pragma once

#include "app/AnsiCodec.h"
#include "app/AppContext.h"
#include "app/EventPump.h"
#include "app/ProgramState.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/Shell.h"
#include "app/Timing.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>

namespace mojing {

// Prompts with scripted answers that record every text shown.
class SearchTestPrompts : public Prompts {
public:
    struct Shown {
        QString text;
        MessageIcon icon;
    };
    std::vector<Shown> shown;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    QString saveFileAnswer;
    QStringList questions;
    // Runs when a message is shown (e.g. to click another button meanwhile).
    std::function<void(const QString&)> onMessage;

    void message(const QString& text, MessageIcon icon, const QString& = {}) override {
        shown.push_back({text, icon});
        if (onMessage)
            onMessage(text);
    }
    bool askYesNo(const QString& text, const QString& = {}) override {
        questions << text;
        if (yesNoAnswers.empty())
            return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<QString> inputText(const QString& prompt, const QString& = {},
                                     const QString& = {}) override {
        questions << prompt;
        if (inputAnswers.empty())
            return std::nullopt;
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    QString saveFileName(const QString&, const QString&, bool = false) override { return saveFileAnswer; }
    QString openFileName(const QString&) override { return {}; }
    QString pickFolder(const QString&, const QString&, bool) override { return {}; }
};

class SearchTestShell : public Shell {
public:
    bool openWithDefault(const QString&) override { return true; }
    bool showInFolder(const QString&) override { return true; }
    bool openInTextEditor(const QString&) override { return true; }
    bool openInBrowser(const QString&) override { return true; }
    void setClipboardText(const QString&) override {}
    void playSound(const QString&) override {}
};

// The services a search-window controller needs, with shrunk timings and a private settings file.
struct SearchTestRig {
    explicit SearchTestRig(double timeScale = 0.002)
        : settings(dir.filePath(QStringLiteral("settings.ini"))), timing(Timing::scaled(timeScale)),
          codec(QStringLiteral("GBK")), context{settings, prompts, shell, pump, timing, codec, state} {}

    QTemporaryDir dir;
    SettingsStore settings;
    SearchTestPrompts prompts;
    SearchTestShell shell;
    EventPump pump;
    Timing timing;
    AnsiCodec codec;
    ProgramState state;
    AppContext context;
};

} // namespace mojing
