#pragma once

#include <functional>
#include <vector>

namespace mojing {

// Counts the operations of a window that are on the stack (they may let the event loop run, and
// the user may close the window meanwhile) and holds back what must wait until the last of them
// has returned, such as the unload of the window: nothing is deleted under a running operation.
//
//   void SearchController::addCurrentPage() {
//       const OperationGate::Scope busy(m_gate);   // the window stays until this returns
//       ...
//   }
//   // closeEvent: gate.whenIdle([this] { flow.formUnloaded(this); });
class OperationGate {
public:
    class Scope {
    public:
        explicit Scope(OperationGate* gate) : m_gate(gate) {
            if (m_gate)
                ++m_gate->m_depth;
        }
        ~Scope() {
            if (m_gate)
                m_gate->leave();
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        OperationGate* m_gate;
    };

    OperationGate() = default;
    OperationGate(const OperationGate&) = delete;
    OperationGate& operator=(const OperationGate&) = delete;

    bool idle() const { return m_depth == 0; }
    // Runs `action` now when no operation is on the stack, otherwise once the last one returns.
    void whenIdle(std::function<void()> action) {
        if (idle())
            action();
        else
            m_pending.push_back(std::move(action));
    }

private:
    void leave() {
        if (--m_depth > 0)
            return;
        auto pending = std::move(m_pending);
        m_pending.clear();
        for (auto& action : pending)
            action();
    }

    int m_depth = 0;
    std::vector<std::function<void()>> m_pending;
};

} // namespace mojing
