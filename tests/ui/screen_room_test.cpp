// The main window on a screen with room for all of it: it opens at its whole size, status bar
// included, and the form shows whole, with no scroll bar. The offscreen platform is given a
// 1920 x 1080 screen.
#include "app/windows.h"
#include "support/program.h"
#include "support/screen_main.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

class ScreenRoomTest : public QObject {
    Q_OBJECT
private slots:
    void wholeWindowWhereThereIsRoom() {
        RunningProgram p;
        TForm1* f = p.f;
        QVERIFY(QTest::qWaitForWindowExposed(f));
        auto* scroll = f->findChild<QScrollArea*>("FormScroll");
        QVERIFY(scroll);
        QVERIFY(f->statusBar()->isVisible());
        QVERIFY(!scroll->verticalScrollBar()->isVisible());
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        QCOMPARE(scroll->viewport()->size(), scroll->widget()->size());
    }
};

int main(int argc, char** argv) {
    return runOnScreen<ScreenRoomTest>(argc, argv, QStringLiteral("desktop"), 1920, 1080);
}

#include "screen_room_test.moc"
