#pragma once
// The link's items in the main window's menus: "View" > "Link Monitor", with the record of the
// link that it shows, kept from start-up, and "File" > "Reconnect Automatically".
#include <QObject>

class BoardLink;
class LinkKeeper;
class LinkMonitorModel;
class LinkMonitorWindow;
class QAction;
class QMainWindow;
class QMenu;

class LinkMenus : public QObject {
public:
    // Adds the "View" menu to the window's menu bar and the reconnect item to `fileMenu`; the
    // monitor records `link` from now on, and the item turns the keeper's reconnecting on and off.
    LinkMenus(QMainWindow& window, QMenu& fileMenu, BoardLink& link, LinkKeeper& keeper);

    LinkMonitorModel* monitorModel() const { return model_; }
    // Made when first opened.
    LinkMonitorWindow* monitorWindow() const { return monitorWindow_; }
    QAction* reconnectAction() const { return reconnect_; }
    // "Link Monitor": opens the monitor beside the main window, or brings it to the front.
    void openMonitor();

private:
    QMainWindow& window_;
    LinkMonitorModel* model_;
    LinkMonitorWindow* monitorWindow_ = nullptr;
    QAction* reconnect_;
};
