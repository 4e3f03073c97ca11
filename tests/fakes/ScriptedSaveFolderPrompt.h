#pragma once

#include "analysis/SaveFolderController.h"
#include "analysis/SaveFolderPrompt.h"

#include <QString>
#include <deque>

namespace mojing {

// The save-folder dialog driven by a script instead of a user. Each ask takes the next answer:
// Confirm types the folder and presses "确定" (retyping it while the dialog refuses would loop,
// so a refused folder ends like the title-bar close), Cancel presses "取消", Close shuts the
// dialog by its title bar. An empty script answers Cancel.
//
//   ScriptedSaveFolderPrompt prompt(t.context(), t.path(u"SaveList.dat"_s));
//   prompt.answers.push_back({ScriptedSaveFolderPrompt::Confirm, t.path(u"out"_s)});
class ScriptedSaveFolderPrompt : public SaveFolderPrompt {
public:
    enum Action { Confirm, Cancel, Close };
    struct Answer {
        Action action = Cancel;
        QString folder;
        bool nameBySource = false;
    };

    ScriptedSaveFolderPrompt(const AppContext& context, const QString& historyFile)
        : m_controller(context, historyFile) {}

    void askSaveFolder() override {
        ++asked;
        m_controller.open();
        Answer answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        switch (answer.action) {
        case Confirm:
            m_controller.setFolderText(answer.folder);
            m_controller.setNameBySourceFile(answer.nameBySource);
            m_controller.confirm();
            break;
        case Cancel:
            m_controller.cancel();
            break;
        case Close:
            break;
        }
    }

    SaveFolderController& controller() { return m_controller; }

    std::deque<Answer> answers;
    int asked = 0;

private:
    SaveFolderController m_controller;
};

} // namespace mojing
