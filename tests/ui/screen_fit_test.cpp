// The main window on a laptop's 1366 x 768 screen: it opens inside the screen's available area,
// its menu bar and status bar in sight, and the form scrolls inside it. Where a window goes on
// screens of other sizes and places. The offscreen platform is given a screen of that size.
#include "app/windows.h"
#include "platform/screen.h"
#include "support/program.h"
#include "support/screen_main.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

namespace {

QRect globalRect(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint()), w->size());
}

bool inside(const QWidget* w, const QWidget* ancestor) {
    for (const QWidget* p = w; p; p = p->parentWidget())
        if (p == ancestor)
            return true;
    return false;
}

} // namespace

class ScreenFitTest : public QObject {
    Q_OBJECT
private slots:
    void laptopScreen() {
        QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->geometry(), QRect(0, 0, 1366, 768));
        const QRect available = screen->availableGeometry();
        RunningProgram p;
        TForm1* f = p.f;
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QVERIFY2(available.contains(f->frameGeometry()),
                 qPrintable(QStringLiteral("window at %1,%2 %3 x %4")
                                .arg(f->frameGeometry().x())
                                .arg(f->frameGeometry().y())
                                .arg(f->frameGeometry().width())
                                .arg(f->frameGeometry().height())));
        QVERIFY(f->height() < 843);

        // The menu bar with "Connect " and the status bar are on the screen.
        QMenuBar* menu = f->menuBar();
        QVERIFY(menu->isVisible());
        QVERIFY(available.contains(globalRect(menu)));
        QAction* connect = f->findChild<QAction*>("Connect1");
        QVERIFY(connect);
        const QRect connectAt = menu->actionGeometry(connect);
        QVERIFY(!connectAt.isEmpty());
        QVERIFY(menu->rect().contains(connectAt));
        QStatusBar* status = f->statusBar();
        QVERIFY(status->isVisible());
        QVERIFY(available.contains(globalRect(status)));
        QVERIFY(status->height() > 0);

        // The form scrolls between them; every control is still there and reached by scrolling.
        auto* scroll = f->findChild<QScrollArea*>("FormScroll");
        QVERIFY(scroll);
        QVERIFY(!inside(menu, scroll));
        QVERIFY(!inside(status, scroll));
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        QCOMPARE(scroll->widget()->size(), QSize(440, 799));
        auto* lowest = f->findChild<QLabel*>("Panel8");
        QVERIFY(lowest && inside(lowest, scroll->widget()));
        QVERIFY(!scroll->viewport()->rect().contains(
            QRect(lowest->mapTo(scroll->viewport(), QPoint()), lowest->size())));
        scroll->ensureWidgetVisible(lowest, 0, 0);
        QVERIFY(scroll->viewport()->rect().contains(
            QRect(lowest->mapTo(scroll->viewport(), QPoint()), lowest->size())));
    }

    // The client area asked for, on screens (their available areas) of several sizes and
    // places, with a frame of 4 px and a 26 px title bar.
    void fitWindow_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        // The whole size, centred.
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << QRect(740, 131, 440, 843);
        QTest::newRow("1024x900 at 0,0") << QRect(0, 0, 1024, 900) << QRect(292, 41, 440, 843);
        // Too low: as high as the area holds, the frame's top at the area's top.
        QTest::newRow("1366x768 below a panel")
            << QRect(0, 27, 1366, 741) << QRect(463, 57, 440, 707);
        // A second screen to the right, lower than the window, and narrow.
        QTest::newRow("second screen") << QRect(1920, 0, 1280, 720) << QRect(2340, 30, 440, 686);
        QTest::newRow("narrow") << QRect(0, 0, 400, 1000) << QRect(4, 91, 392, 843);
    }
    void fitWindow() {
        QFETCH(QRect, available);
        QFETCH(QRect, expected);
        const QRect got = platform::fitWindow(QSize(440, 843), QMargins(4, 30, 4, 4), available);
        QCOMPARE(got, expected);
        QVERIFY(available.contains(got.marginsAdded(QMargins(4, 30, 4, 4))));
    }
};

int main(int argc, char** argv) {
    return runOnScreen<ScreenFitTest>(argc, argv, QStringLiteral("laptop"), 1366, 768);
}

#include "screen_fit_test.moc"
