#pragma once

#include "fakes/FakePrompts.h"
#include "fakes/FakeShell.h"
#include "platform/AnsiCodec.h"
#include "platform/EventPump.h"
#include "platform/Timing.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>

namespace mojing {

// Everything a controller needs, with fakes for the desktop and a settings file in a fresh
// temporary folder. `context()` hands out the AppContext; tests reach the fakes directly.
//
//   TestContext t;                       // timing scaled down to 1/1000
//   SomeController c(t.context());
//   t.prompts.yesNoAnswers.push_back(false);
struct TestContext {
    explicit TestContext(double timingFactor = 0.001)
        : settings(dir.filePath(QStringLiteral("settings.ini"))), timing(Timing::scaled(timingFactor)),
          codec(QStringLiteral("GBK")) {}

    AppContext context() { return AppContext{settings, prompts, shell, pump, timing, codec, state}; }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    SettingsStore settings;
    FakePrompts prompts;
    FakeShell shell;
    EventPump pump;
    Timing timing;
    AnsiCodec codec;
    ProgramState state;
};

} // namespace mojing
