#pragma once

#include <QObject>
#include <functional>

namespace mojing {

class ArticleListCommands;
class LiveBrowser;
class SearchController;
class SearchWindow;

// Attaches harvesting, page turning and the article list commands to the search window: the
// buttons Command9, Command4 and Command7, the clear menu (also the list's right-click menu), the
// double click on the list and the counter Label1. Lives as long as the window.
class SearchHarvesting : public QObject {
    Q_OBJECT
public:
    static SearchHarvesting* attach(SearchWindow* window);

    SearchController* controller() const { return m_controller; }
    ArticleListCommands* commands() const { return m_commands; }
    LiveBrowser* browser() const { return m_browser; }

private:
    explicit SearchHarvesting(SearchWindow* window);
    void showControls();

    SearchWindow* m_window;
    LiveBrowser* m_browser = nullptr;
    SearchController* m_controller = nullptr;
    ArticleListCommands* m_commands = nullptr;
};

} // namespace mojing
