#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace mojing {

// The machine-wide store that tells the embedded engine which rendering mode a program gets.
// The key is opened, never created.
class EmulationRegistry {
public:
    enum class View { Default32, Native64 };
    virtual ~EmulationRegistry() = default;
    // False when the key does not exist or cannot be opened for writing.
    virtual bool keyWritable(View view) = 0;
    virtual std::optional<quint32> value(View view, const QString& name) = 0;
    virtual void setValue(View view, const QString& name, quint32 value) = 0;
    virtual void deleteValue(View view, const QString& name) = 0;
};

// The store of this platform: the engine here always renders in standards mode, so the key never
// exists and nothing is ever written.
class NullEmulationRegistry : public EmulationRegistry {
public:
    bool keyWritable(View) override { return false; }
    std::optional<quint32> value(View, const QString&) override { return std::nullopt; }
    void setValue(View, const QString&, quint32) override {}
    void deleteValue(View, const QString&) override {}
};

namespace BrowserEmulation {

// The value for a mode ("IE10", "IE9", "IE8", "IE7", letter case ignored); none for any other
// mode, which means the value is deleted.
std::optional<quint32> desiredValue(const QString& mode, bool force);

// Writes (or deletes) the value named `valueName` in the default view and, on a 64-bit system,
// also in the native view; a value already equal is left alone. Silent on every failure.
void apply(EmulationRegistry& registry, const QString& mode, bool force, const QString& osBitness,
           const QString& valueName);

// The value name of this program: its executable name followed by ".exe".
QString valueNameFor(const QString& executablePath);

} // namespace BrowserEmulation
} // namespace mojing
