#pragma once

#include "platform/OperationGate.h"

#include <QString>

namespace mojing {

class Prompts;
class SettingsStore;

// The options of the search window that outlive it (check boxes Check1/Check3 and the page limit
// Text1), in the form they are stored.
struct SearchOptions {
    bool addToMaxPage = true;                    // Check1 "加到最大页码数："
    bool openAccessOnly = true;                  // Check3 "只加入含 … 的资料"
    QString maxPageText = QStringLiteral("100"); // Text1, kept as typed

    static SearchOptions load(const SettingsStore& settings);
    void save(SettingsStore& settings) const;
    bool operator==(const SearchOptions&) const = default;
};

// The search window's working state: whether an add-all run or an analysis run is active. The
// harvesting and analysis drivers set the flags; the window asks before it closes.
class SearchWindowState {
public:
    static inline const QString kBusyRefusal = QStringLiteral("正在工作，停止以后才能退出窗口！");

    // True when no add-all run is active or its stop was requested.
    bool addAllStopped() const { return m_addAllStopped; }
    void setAddAllStopped(bool stopped) { m_addAllStopped = stopped; }
    // True when no analysis run is active or Stop was pressed.
    bool analysisStopped() const { return m_analysisStopped; }
    void setAnalysisStopped(bool stopped) { m_analysisStopped = stopped; }

    bool isWorking() const { return !m_addAllStopped || !m_analysisStopped; }

    // Whether the window may close now. When a run is active the refusal is shown (error icon).
    bool confirmClose(Prompts& prompts) const;

    // Where the splitter between browser and list goes, in pixels from the top of the client area:
    // a bar closer than 80 px (1200 twips) to the bottom is put at four fifths of the height.
    static int splitterPosition(int proposed, int clientHeight);

    // The harvesting and analysis runs on the stack; the window unloads once they have returned.
    OperationGate& operations() { return m_operations; }

private:
    bool m_addAllStopped = true;
    bool m_analysisStopped = true;
    OperationGate m_operations;
};

} // namespace mojing
