// The link's items in the main window's menus: the "View" menu with the link monitor, which
// records the link from start-up, and the File menu's "Reconnect Automatically".
#include "app/link_menus.h"

#include "dialogs/link_monitor.h"
#include "link/board_link.h"
#include "link/link_keeper.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

LinkMenus::LinkMenus(QMainWindow& window, QMenu& fileMenu, BoardLink& link, LinkKeeper& keeper)
    : QObject(&window), window_(window), model_(new LinkMonitorModel(this)) {
    link.setRecorder(model_);

    QMenu* view = window.menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    QAction* monitor = view->addAction(QStringLiteral("Link Monitor"));
    monitor->setObjectName(QStringLiteral("LinkMonitor1"));
    monitor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(monitor, &QAction::triggered, this, &LinkMenus::openMonitor);

    reconnect_ = fileMenu.addAction(QStringLiteral("Reconnect Automatically"));
    reconnect_->setObjectName(QStringLiteral("ReconnectAutomatically1"));
    reconnect_->setCheckable(true);
    reconnect_->setChecked(false);
    connect(reconnect_, &QAction::toggled, &keeper, &LinkKeeper::setReconnect);
}

void LinkMenus::openMonitor() {
    if (!monitorWindow_)
        monitorWindow_ = new LinkMonitorWindow(model_, &window_);
    monitorWindow_->show();
    monitorWindow_->raise();
    monitorWindow_->activateWindow();
}
