#pragma once

#include <QString>

namespace mojing {

class EmulationRegistry;
class SettingsStore;
struct ProgramState;

// The work the start window does while "正在加载组件，请稍候..." is showing: record the operating
// system, ask for the standards rendering mode, read the maximum file size.
namespace ProgramStartup {

void establish(ProgramState& state, const SettingsStore& settings, EmulationRegistry& registry,
               const QString& executablePath);

// The maximum file size setting as a number; `current` when the text is not a number.
double maxFileSizeMB(const QString& text, double current);

} // namespace ProgramStartup
} // namespace mojing
