#pragma once

namespace mojing {

class AnsiCodec;
class EventPump;
class Prompts;
class SettingsStore;
class Shell;
struct ProgramState;
struct Timing;

// The services every controller needs, handed in by main() (or by a test). Owns nothing.
struct AppContext {
    SettingsStore& settings;
    Prompts& prompts;
    Shell& shell;
    EventPump& pump;
    const Timing& timing;
    const AnsiCodec& codec;
    ProgramState& state;
};

} // namespace mojing
