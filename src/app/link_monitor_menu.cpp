// The "View" menu with the link monitor, which records the link from start-up, and the File
// menu's "Reconnect Automatically".
#include "app/tform1.h"

#include "dialogs/link_monitor.h"
#include "ui_tform1.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void TForm1::wireMonitorAndReconnect() {
    monitorModel_ = new LinkMonitorModel(this);
    link.setRecorder(monitorModel_);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    QAction* monitor = view->addAction(QStringLiteral("Link Monitor"));
    monitor->setObjectName(QStringLiteral("LinkMonitor1"));
    monitor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(monitor, &QAction::triggered, this, &TForm1::LinkMonitor1Click);

    reconnectAction_ = ui->File1->addAction(QStringLiteral("Reconnect Automatically"));
    reconnectAction_->setObjectName(QStringLiteral("ReconnectAutomatically1"));
    reconnectAction_->setCheckable(true);
    reconnectAction_->setChecked(false);
    connect(reconnectAction_, &QAction::toggled, &keeper, &LinkKeeper::setReconnect);
}

// Opens the monitor beside the main window, or brings it to the front.
void TForm1::LinkMonitor1Click() {
    if (!monitorWindow_)
        monitorWindow_ = new LinkMonitorWindow(monitorModel_, this);
    monitorWindow_->show();
    monitorWindow_->raise();
    monitorWindow_->activateWindow();
}
