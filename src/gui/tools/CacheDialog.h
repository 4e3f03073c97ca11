#pragma once

#include "program/AppContext.h"
#include "tools/CacheLocations.h"

#include <QDialog>
#include <QList>

class QLabel;
class QTableView;

namespace mojing {

class CacheToolController;
class EngineCache;

// The modal window fIEcache "IE浏览器Cookie 缓存和历史列表": the browser's cache entries or every
// user's cache files in ListView1, the users found in ListView2 and their cache folders in
// ListView3. A thin view over CacheToolController; "复制选中..." opens the copy tool.
class CacheDialog : public QDialog {
    Q_OBJECT
public:
    // `engine` may be null (no running browser engine to tell).
    CacheDialog(const AppContext& context, const CacheLocations& locations, EngineCache* engine,
                QWidget* parent = nullptr);
    ~CacheDialog() override;

    CacheToolController& controller() { return *m_controller; }
    QTableView* listView1() const { return m_list1; }

    // The selected rows of ListView1, in list order.
    QList<int> selectedRows() const;
    // 「复制选中...」 Hands the selected rows' files to the copy tool and waits for it.
    void copySelected();

private:
    void showCount();

    AppContext m_context;
    CacheToolController* m_controller;
    QTableView* m_list1 = nullptr;
    QTableView* m_list2 = nullptr;
    QTableView* m_list3 = nullptr;
    QLabel* m_label1 = nullptr;
};

} // namespace mojing
